// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_ledger_file.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace zkn {

// The ledger as a table: a row per station with each lamp's state and outcome and when it was
// last asked for; a lamp that failed is marked in its own colour.
class LampLedgerModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        Station,
        Mw,
        MwOutcome,
        Vmm,
        VmmOutcome,
        Asked,
        ColumnCount
    };
    // Sorts stations by number and times by time, not as texts.
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int FailedRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void show(const lamp::LampMap& stations);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<QByteArray> m_stations;
    QList<lamp::StationLamps> m_lamps;
};

// The rows whose texts hold the filter's words, and only those that failed when asked.
class LampLedgerFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit LampLedgerFilter(QObject* parent = nullptr);
    void setOnlyFailed(bool on);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    bool m_onlyFailed = false;
};

} // namespace zkn
