// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/lamp_table.h"

#include <QAbstractTableModel>
#include <QList>

namespace zkn {

// The lamps a watched message centre set, a row per station with the function it asked for, when,
// and the PBX's answer; or only those the PBX refused or did not answer in time.
class LampTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        Station,
        Function,
        SetAt,
        Answer,
        ColumnCount
    };

    LampTableModel(bool troubleOnly, QObject* parent);

    void show(const monitor::LampTable& table);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Only the rows in view are ever drawn: their texts are made then.
    struct Shown
    {
        QByteArray stations;
        monitor::LampTable::Row row;
    };

    bool m_troubleOnly;
    QList<Shown> m_rows;
};

} // namespace zkn
