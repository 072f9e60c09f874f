// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fault_snapshots.h"
#include "lamp_ledger_store.h"
#include "link_stack.h"
#include "log_file.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"
#include "port_return_watch.h"
#include "serial_port_requests.h"
#include "settings/settings_store.h"

#include <QObject>

#include <memory>

namespace zkn {

class WindowView;
class Operator;
class frmTerminal;
struct MainWindowServices;

// The program: it owns what lives as long as the tool runs (the settings store, the live
// options, the link with its transports, the log), and once the main window is attached, the
// pump that drives the link. The windows get the parts they show or edit; what
// they ask of the serial port goes through the link.
class ToolApplication : public QObject, public SerialPortRequests
{
    Q_OBJECT

public:
    explicit ToolApplication(Operator& op);
    ~ToolApplication() override;

    settings::SettingsStore& store() { return m_store; }
    ConnectionOptions& connection() { return m_connection; }
    DebugOptions& debugOptions() { return m_debug; }
    ExpansionOption& expansion() { return m_expansion; }
    LoadTestOptions& loadTestOptions() { return m_loadTestOptions; }
    SerialLine& serial() { return m_link.serial(); }
    TcpLink& socket() { return m_link.socket(); }
    LogFile& log() { return m_log; }
    LinkCapture& capture() { return m_link.capture(); }
    LampLedgerStore& ledgerStore() { return m_ledgerStore; }
    MainWindowServices windowServices();

    // Gives `window` the windows it opens, and puts the link engine to work for it: the transports' events
    // and the window's link commands reach the engine, what it asks for is shown there, and a confirmed exit
    // runs the shutdown.
    void attach(frmTerminal& window);
    // The link engine; the way in to it, the pump, once a window is attached.
    link::LinkEngine& engine() { return m_link.engine(); }
    LinkPump& pump() { return m_link.pump(); }

    PropertiesResult applyProperties(const PropertiesForm& form) override;
    QString applyStoredSerialSettings() override;
    QString writeTextBlock(const QByteArray& block) override;

private:
    void wireLampLedger(frmTerminal& window);
    void wirePortReturn();
    void wireSnapshots(frmTerminal& window);
    void shutDown();

    Operator& m_operator;
    settings::SettingsStore m_store;
    ConnectionOptions m_connection;
    DebugOptions m_debug;
    ExpansionOption m_expansion;
    LoadTestOptions m_loadTestOptions;
    LogFile m_log;
    // Before the link, whose pump shows the link on it till the end.
    std::unique_ptr<WindowView> m_view;
    LinkStack m_link{m_connection, m_debug, m_expansion, m_loadTestOptions};
    PortReturnWatch m_portReturn;
    FaultSnapshots m_snapshots;
    frmTerminal* m_window = nullptr;
    // After the engine, whose ledger it writes on its way out.
    LampLedgerStore m_ledgerStore;
};

} // namespace zkn
