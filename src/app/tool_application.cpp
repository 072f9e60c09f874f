// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool_application.h"

#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_cancel_send.h"
#include "frm_config.h"
#include "frm_db_serial.h"
#include "frm_debug.h"
#include "frm_debug_options.h"
#include "frm_lamp_ledger.h"
#include "frm_monitor.h"
#include "frm_properties.h"
#include "frm_results.h"
#include "frm_single.h"
#include "frm_terminal.h"
#include "link/link_engine.h"
#include "link_pump.h"
#include "resync_offer.h"
#include "stored_settings.h"
#include "terminal_view.h"
#include "window_view.h"

namespace zkn {

ToolApplication::ToolApplication(Operator& op) : m_operator(op), m_log(op) {}

ToolApplication::~ToolApplication() = default;

MainWindowServices ToolApplication::windowServices()
{
    return {m_operator, m_store, m_connection,     m_debug,     m_link.serial(),
            *this,      m_log,   m_link.capture(), m_expansion, m_loadTestOptions};
}

void ToolApplication::attach(frmTerminal& window)
{
    Q_ASSERT(!m_window);
    m_window = &window;
    window.adoptWindows(
        {new frmProperties(&window, m_operator, m_store, m_connection, m_link.serial(), *this),
         new FrmDebugOptions(&window, m_debug, m_connection, m_store), new FrmDebug(&window, m_debug),
         new FrmDBSerial(&window, m_link.serial()), new FrmBreakDown(&window),
         new frmSingle(&window, m_store, m_connection, m_expansion, m_operator),
         new frmConfig(&window, m_store, m_connection, m_expansion, m_loadTestOptions, m_operator),
         new frmCancelSend(&window),
         new frmResults(&window, m_link.engine().lamps().loadTestLog(), m_operator),
         new frmLampLedger(&window, m_link.engine().lamps().lampLedger(), m_operator, m_store),
         new FrmMonitor(&window, m_operator, m_store)});
    m_view = std::make_unique<WindowView>(window);
    m_link.start(*m_view, m_operator);
    LinkPump& pump = m_link.pump();
    // The link goes on without its capture; the terminal says why once.
    connect(&m_link.capture(), &LinkCapture::failed, this, [&pump](const QString& why) {
        pump.feed([line = why.toUtf8()](link::LinkEngine& engine) { engine.noteOnTerminal(line); });
    });
    wireLampLedger(window);
    wirePortReturn();
    wireSnapshots(window);
    connect(&window, &frmTerminal::connectCommand, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.connectCommand(); }); });
    connect(&window, &frmTerminal::connectedPictureClicked, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.connectedPictureClicked(); }); });
    connect(&window, &frmTerminal::exitConfirmed, this, &ToolApplication::shutDown);
    connect(&pump, &LinkPump::releasedForExit, this, [this] {
        m_log.close();
        m_link.pump().feed([](link::LinkEngine& engine) { engine.exit().waitForLinkClosedAtExit(); });
    });
    connect(&pump, &LinkPump::linkClosedForExit, this, [this] {
        m_window->unloadWindows();
        m_window->closeAfterShutdown();
    });
    connect(&window, &frmTerminal::loadTestStartCommand, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.lamps().mnuStart_Click(); }); });
    connect(&window, &frmTerminal::loadTestStopCommand, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.lamps().mnuStop_Click(); }); });
    connect(&window, &frmTerminal::keysTyped, this, [&pump](const QByteArray& characters) {
        pump.feed([&characters](link::LinkEngine& engine) { engine.serial().typed(characters); });
    });
    connect(&window, &frmTerminal::textBlockWritten, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.serial().textBlockWritten(); }); });
    connect(window.singleStationWindow(), &frmSingle::sendRequested, this,
            [&pump](const lamp::SingleStationRequest& request) {
                pump.feed([&request](link::LinkEngine& engine) {
                    engine.singleStation().sendSingleStation(request);
                });
            });
}

PropertiesResult ToolApplication::applyProperties(const PropertiesForm& form)
{
    return m_link.pump().changePort(
        [&](SerialLine& port) { return applyConnectionProperties(form, port, m_connection, m_store); });
}

QString ToolApplication::applyStoredSerialSettings()
{
    return m_link.pump().changePort(
        [this](SerialLine& port) { return zkn::applyStoredSerialSettings(m_store, port); });
}

QString ToolApplication::writeTextBlock(const QByteArray& block)
{
    return m_link.pump().writeTextBlock(block);
}

// The ledger read as the last run left it, written and shown as it changes; its window's commands
// go to the link; and when the link comes back, its lamps are offered for sending again, or sent
// if the operator chose so. What goes wrong with its file is said in the terminal.
void ToolApplication::wireLampLedger(frmTerminal& window)
{
    LinkPump& pump = m_link.pump();
    const auto say = [&pump](const QString& text) {
        pump.feed([line = text.toUtf8()](link::LinkEngine& engine) { engine.noteOnTerminal(line); });
    };
    connect(&m_ledgerStore, &LampLedgerStore::failed, this, say);
    QString said;
    m_link.engine().lamps().lampLedger().replace(m_ledgerStore.load(&said));
    if (!said.isEmpty())
        say(said);
    frmLampLedger* ledgerWindow = window.lampLedgerWindow();
    connect(&pump, &LinkPump::lampLedgerChanged, this, [this, ledgerWindow] {
        m_ledgerStore.changed(m_link.engine().lamps().lampLedger());
        ledgerWindow->ledgerChanged();
    });
    const auto resynchronise = [&pump] {
        pump.feed([](link::LinkEngine& engine) { engine.lamps().resynchroniseLamps(); });
    };
    connect(ledgerWindow, &frmLampLedger::resynchroniseRequested, this, resynchronise);
    connect(window.resyncOffer(), &ResyncOffer::accepted, this, resynchronise);
    connect(ledgerWindow, &frmLampLedger::switchOffRequested, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.lamps().switchAllLampsOff(); }); });
    connect(ledgerWindow, &frmLampLedger::stopRequested, this,
            [&pump] { pump.feed([](link::LinkEngine& engine) { engine.lamps().stopResync(); }); });
    connect(ledgerWindow, &frmLampLedger::replaceRequested, this, [&pump](const lamp::LampMap& stations) {
        pump.feed([&stations](link::LinkEngine& engine) { engine.lamps().replaceLampLedger(stations); });
    });
    connect(&window, &frmTerminal::linkEstablished, this, [this, &window, ledgerWindow, resynchronise] {
        const int lamps = lamp::lampCount(m_link.engine().lamps().lampLedger().stations());
        if (lamps == 0 || m_link.engine().lamps().resync().running())
            return;
        if (ledgerWindow->resyncAfterReconnect())
            resynchronise();
        else
            window.resyncOffer()->offer(lamps);
    });
    connect(&window, &frmTerminal::linkEnded, window.resyncOffer(), &ResyncOffer::withdraw);
}

// A serial port that went away is opened again when it is back, if the operator asked for that in
// the properties; a port named or opened meanwhile ends the wait.
void ToolApplication::wirePortReturn()
{
    connect(&m_link.serial(), &SerialLine::closedByError, this, [this] {
        if (m_connection.connectionType() == ConnectionType::Serial && storedProperties(m_store).reopenPort)
            m_portReturn.watch(m_link.serial().systemLocation());
    });
    connect(&m_portReturn, &PortReturnWatch::returned, this, [this](const QString& path) {
        if (path == m_link.serial().systemLocation() && !m_link.serial().isOpen())
            m_link.pump().feed([path](link::LinkEngine& engine) { engine.reopenReturnedPort(path); });
    });
    connect(m_window, &frmTerminal::connectCommand, &m_portReturn, &PortReturnWatch::stop);
}

// Snapshots on a fault, on when the operator checks the item (kept between runs): the terminal's
// text, the frames as the LAN trace shows them and the capture's packets are kept, and a fault
// writes them; the terminal names the files.
void ToolApplication::wireSnapshots(frmTerminal& window)
{
    const StoredSnapshots stored = storedSnapshots(m_store);
    m_snapshots.setSpanSeconds(stored.seconds);
    m_snapshots.setKeep(stored.keep);
    QAction* item = window.action(frmTerminal::Command::SnapshotOnFault);
    const auto turn = [this](bool on) {
        m_snapshots.setOn(on);
        m_link.capture().setTapped(on);
    };
    item->setChecked(stored.on);
    turn(stored.on);
    connect(item, &QAction::toggled, this, [this, turn](bool on) {
        turn(on);
        storeSnapshotOnFault(m_store, on);
    });
    connect(window.terminal(), &TerminalView::textWritten, &m_snapshots,
            [this](const QByteArray& text) { m_snapshots.text(text, epochNowUs()); });
    connect(&m_link.pump(), &LinkPump::framePassed, &m_snapshots, [this](bool sent, const QByteArray& bytes) {
        if (m_snapshots.isOn())
            m_snapshots.text(sent ? display::sentHexTrace(bytes) : display::receivedHexTrace(bytes),
                             epochNowUs());
    });
    connect(&m_link.capture(), &LinkCapture::packetMade, &m_snapshots, &FaultSnapshots::packet);
    connect(&m_link.pump(), &LinkPump::faultHappened, &m_snapshots,
            [this](const QString& what) { m_snapshots.fault(what, epochNowUs()); });
    const auto say = [this](const QString& text) {
        m_link.pump().feed([line = text.toUtf8()](link::LinkEngine& engine) { engine.noteOnTerminal(line); });
    };
    connect(&m_snapshots, &FaultSnapshots::written, this, say);
    connect(&m_snapshots, &FaultSnapshots::failed, this, say);
}

// The exit in its order: the link released, the log closed, the link closed, the windows
// unloaded; each link step may wait, and the pump says when it is done.
void ToolApplication::shutDown()
{
    m_link.pump().feed([](link::LinkEngine& engine) { engine.exit().releaseForExit(); });
}

} // namespace zkn
