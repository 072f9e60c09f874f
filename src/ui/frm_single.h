// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/single_station_request.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace zkn {

class ConnectionOptions;
class ExpansionBox;
class ExpansionOption;
class Operator;
namespace settings {
class SettingsStore;
}

// "ZKN-Control Tool - Lamp Control": switches one lamp of one station, or of a range, by hand.
// Send hands the request to the link, once a range of numbers is known to run upwards (and, when
// long, the operator has said so); the expansion option is the live model the load-test
// configuration shows too, read from the store when the dialog becomes active and stored when it
// stops being active. Quit stores the stations and hides the dialog.
class frmSingle : public QDialog
{
    Q_OBJECT

public:
    frmSingle(QWidget* parent, settings::SettingsStore& store, const ConnectionOptions& connection,
              ExpansionOption& expansion, Operator& op);

    // The stations remembered from the last run (start-up).
    void setStations(const QString& from, const QString& to);
    // Shows the dialog, the first time at the main window's bottom-right corner.
    void showDialog();
    void cmdQuit_Click();

Q_SIGNALS:
    void sendRequested(const lamp::SingleStationRequest& request);

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void cmdSend_Click();
    lamp::LampAction chosen(QRadioButton* on, QRadioButton* off) const;

    settings::SettingsStore& m_store;
    const ConnectionOptions& m_connection;
    ExpansionOption& m_expansion;
    Operator& m_operator;
    bool m_placed = false;

    QLineEdit* m_stn1 = nullptr;
    QLineEdit* m_stn2 = nullptr;
    QRadioButton* m_mwOn = nullptr;
    QRadioButton* m_mwOff = nullptr;
    QRadioButton* m_mwNone = nullptr;
    QRadioButton* m_vmmOn = nullptr;
    QRadioButton* m_vmmOff = nullptr;
    QRadioButton* m_vmmNone = nullptr;
    ExpansionBox* m_index246 = nullptr;
};

} // namespace zkn
