// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_ledger_file.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zkn {

class LampLedgerFilter;
class LampLedgerModel;
class Operator;
namespace lamp {
class LampLedger;
}
namespace settings {
class SettingsStore;
}

// "Lamp Ledger": every lamp the tool has set, with what became of it; sends them again
// (Resynchronise), switches them all off, forgets them, and reads or writes a site's lamp map.
// Not modal: it follows a resynchronisation as it runs.
class frmLampLedger : public QWidget
{
    Q_OBJECT

public:
    frmLampLedger(QWidget* parent, const lamp::LampLedger& ledger, Operator& op,
                  settings::SettingsStore& store);

    void showWindow();
    // The ledger changed; shown a few times a second at most.
    void ledgerChanged();
    // A resynchronisation runs and has got as far as `progress` ("3 of 9 sent"), or it ended and
    // `progress` is its summary.
    void showResync(bool running, const QString& progress);
    // Whether the ledger's lamps go out again by themselves whenever the link comes back.
    bool resyncAfterReconnect() const;

    QSize sizeHint() const override { return {760, 560}; }

Q_SIGNALS:
    void resynchroniseRequested();
    void switchOffRequested();
    void stopRequested();
    // The ledger is to hold `stations` instead (Forget: none; Import: the map read).
    void replaceRequested(const lamp::LampMap& stations);

private:
    void refresh();
    void forget();
    void importMap();
    void exportMap();

    const lamp::LampLedger& m_ledger;
    Operator& m_operator;
    settings::SettingsStore& m_store;
    QString m_lastFolder;
    QTimer m_refresh;
    bool m_running = false;
    QString m_lastProgress;
    LampLedgerModel* m_model;
    LampLedgerFilter* m_filter;
    QLineEdit* m_find;
    QCheckBox* m_onlyFailed;
    QTableView* m_table;
    QLabel* m_summary;
    QLabel* m_progressText;
    QProgressBar* m_progress;
    QCheckBox* m_afterReconnect;
    QPushButton* m_resync;
    QPushButton* m_allOff;
    QPushButton* m_stop;
    QPushButton* m_forget;
    QPushButton* m_import;
    QPushButton* m_export;
};

} // namespace zkn
