// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp_ledger_model.h"

#include <QBrush>
#include <QColor>

namespace zkn {

namespace {

const std::optional<lamp::LampEntry>& lampOf(const lamp::StationLamps& lamps, int column)
{
    return column == LampLedgerModel::Mw || column == LampLedgerModel::MwOutcome ? lamps.mw : lamps.vmm;
}

QDateTime lastAsked(const lamp::StationLamps& lamps)
{
    const QDateTime mw = lamps.mw ? lamps.mw->asked : QDateTime();
    const QDateTime vmm = lamps.vmm ? lamps.vmm->asked : QDateTime();
    return !mw.isValid() || (vmm.isValid() && vmm > mw) ? vmm : mw;
}

} // namespace

void LampLedgerModel::show(const lamp::LampMap& stations)
{
    beginResetModel();
    m_stations = stations.keys();
    m_lamps = stations.values();
    endResetModel();
}

int LampLedgerModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_stations.size());
}

int LampLedgerModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LampLedgerModel::data(const QModelIndex& index, int role) const
{
    const lamp::StationLamps& lamps = m_lamps[index.row()];
    const int column = index.column();
    if (role == FailedRole)
        return (lamps.mw && lamp::failed(*lamps.mw)) || (lamps.vmm && lamp::failed(*lamps.vmm));
    if (column == Station) {
        const QByteArray& station = m_stations[index.row()];
        if (role == SortRole) {
            bool number = false;
            const qulonglong value = station.toULongLong(&number);
            // Numbers before other texts, each in its own order.
            return number ? QStringLiteral("0%1").arg(value, 20, 10, QLatin1Char('0'))
                          : QStringLiteral("1") + QString::fromLatin1(station);
        }
        return role == Qt::DisplayRole ? QVariant(QString::fromLatin1(station)) : QVariant();
    }
    if (column == Asked) {
        const QDateTime asked = lastAsked(lamps).toLocalTime();
        if (role == SortRole)
            return asked;
        return role == Qt::DisplayRole ? QVariant(asked.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                                       : QVariant();
    }
    const std::optional<lamp::LampEntry>& entry = lampOf(lamps, column);
    if (!entry)
        return role == Qt::DisplayRole || role == SortRole ? QVariant(QString()) : QVariant();
    const bool outcome = column == MwOutcome || column == VmmOutcome;
    switch (role) {
    case Qt::DisplayRole:
    case SortRole:
        return outcome ? lamp::outcomeText(*entry) : entry->on ? QStringLiteral("on") : QStringLiteral("off");
    case Qt::ForegroundRole:
        return outcome && lamp::failed(*entry) ? QVariant(QBrush(QColor(190, 30, 20))) : QVariant();
    default:
        return {};
    }
}

QVariant LampLedgerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const kCaptions[] = {"Station", "MW",          "MW outcome",
                                            "VMM",     "VMM outcome", "Last asked"};
    return QString::fromLatin1(kCaptions[section]);
}

LampLedgerFilter::LampLedgerFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(LampLedgerModel::SortRole);
    setFilterKeyColumn(-1);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

void LampLedgerFilter::setOnlyFailed(bool on)
{
    m_onlyFailed = on;
    invalidateFilter();
}

bool LampLedgerFilter::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    if (m_onlyFailed && !sourceModel()->index(row, 0, parent).data(LampLedgerModel::FailedRole).toBool())
        return false;
    return QSortFilterProxyModel::filterAcceptsRow(row, parent);
}

} // namespace zkn
