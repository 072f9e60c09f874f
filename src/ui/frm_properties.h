// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "serial_port_list.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;

namespace zkn {

class ConnectionOptions;
class Operator;
class SerialLine;
class SerialPortRequests;
namespace settings {
class SettingsStore;
}
struct PropertiesForm;

// "Connection Properties": how the tool reaches the PBX. Its connection method, device number and
// LAN parity are live: the link reads them as the operator edits them. OK applies and stores the
// rest; Cancel only hides and keeps the edits; the close box drops them.
class frmProperties : public QDialog
{
    Q_OBJECT

public:
    frmProperties(QWidget* parent, Operator& op, settings::SettingsStore& store,
                  ConnectionOptions& connection, const SerialLine& serial, SerialPortRequests& port);

    // Fills the boxes from the store and the serial port, as when the dialog is first loaded.
    void load();
    // The Properties command.
    void showDialog();
    void LoadPropertySettings();

    // Where the port box learns which ports are present; the system's list unless a test gives one.
    void setPortLister(std::function<QList<SerialPortFacts>()> lister) { m_listPorts = std::move(lister); }
    int flowChoice() const { return m_flowChoice; }
    bool echoChoice() const { return m_echoChoice; }

Q_SIGNALS:
    // OK closed the open port to change it, and opened it again unless the change was refused.
    void portReopened(bool open);

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    void build();
    void cboType_Click();
    void cmdOK_Click();
    void discardEdits();
    PropertiesForm form() const;
    void selectPort();
    void listPorts();
    void showPortInfo(const QString& text);

    Operator& m_operator;
    settings::SettingsStore& m_store;
    ConnectionOptions& m_connection;
    const SerialLine& m_serial;
    SerialPortRequests& m_portRequests;
    int m_flowChoice = 0;
    bool m_echoChoice = false;

    QComboBox* m_type = nullptr;
    QStackedWidget* m_frames = nullptr;
    QWidget* m_lanFrame = nullptr;
    QWidget* m_serialFrame = nullptr;
    QLineEdit* m_host = nullptr;
    QComboBox* m_lanParity = nullptr;
    QComboBox* m_device = nullptr;
    QRadioButton* m_olv = nullptr;
    QRadioButton* m_kra = nullptr;
    QButtonGroup* m_flow = nullptr;
    QButtonGroup* m_echo = nullptr;
    QComboBox* m_port = nullptr;
    QLabel* m_portInfo = nullptr;
    QCheckBox* m_reopen = nullptr;
    std::function<QList<SerialPortFacts>()> m_listPorts = [] { return presentSerialPorts(); };
    QList<SerialPortFacts> m_present; // as the box lists them
    QComboBox* m_dataBits = nullptr;
    QComboBox* m_parity = nullptr;
    QComboBox* m_stopBits = nullptr;
    QComboBox* m_speed = nullptr;
};

} // namespace zkn
