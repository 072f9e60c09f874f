// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp_table_model.h"

#include "lamp/lamp_message_reader.h"

#include <QBrush>
#include <QDateTime>

namespace zkn {

LampTableModel::LampTableModel(bool troubleOnly, QObject* parent)
    : QAbstractTableModel(parent), m_troubleOnly(troubleOnly)
{
}

void LampTableModel::show(const monitor::LampTable& table)
{
    beginResetModel();
    m_rows.clear();
    for (const auto& [stations, row] : table.rows())
        if (!m_troubleOnly || monitor::LampTable::isTrouble(row))
            m_rows.append({stations, row});
    endResetModel();
}

int LampTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LampTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LampTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Shown& shown = m_rows[index.row()];
    if (role == Qt::ForegroundRole && index.column() == Answer && monitor::LampTable::isTrouble(shown.row))
        return QBrush(Qt::darkRed);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Station:
        return QString::fromLatin1(shown.stations);
    case Function:
        return lamp::functionWords(shown.row.function);
    case SetAt:
        return QDateTime::fromMSecsSinceEpoch(shown.row.setUs / 1000)
            .toString(QStringLiteral("hh:mm:ss.zzz"));
    case Answer:
        return QString::fromLatin1(monitor::LampTable::answerWords(shown.row));
    default:
        return {};
    }
}

QVariant LampTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kTitles[ColumnCount] = {"Station", "Function", "Set at", "The PBX's answer"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section]) : QVariant();
}

} // namespace zkn
