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
    struct Shown
    {
        QString station;
        QString function;
        QString setAt;
        QString answer;
        bool trouble;
    };

    bool m_troubleOnly;
    QList<Shown> m_rows;
};

} // namespace zkn
