#include "tool_application.h"

#include "extensions_file.h"
#include "frm_single.h"
#include "frm_terminal.h"
#include "link/link_engine.h"
#include "link_timer_driver.h"

namespace zkn {

ToolApplication::ToolApplication(Operator& op) : m_operator(op), m_log(op) {}

ToolApplication::~ToolApplication() = default;

MainWindowServices ToolApplication::windowServices()
{
    return {m_operator, m_store, m_connection, m_debug, m_serial, m_log, m_expansion, m_loadTestOptions};
}

void ToolApplication::attach(frmTerminal& window)
{
    Q_ASSERT(!m_engine);
    m_window = &window;
    m_engine = std::make_unique<link::LinkEngine>(m_transports, window, m_operator, m_clock, m_connection,
                                                  m_debug, m_expansion, m_loadTestOptions);
    m_driver = std::make_unique<LinkTimerDriver>(*m_engine, m_clock);
    m_engine->setExtensionsReader([] {
        lamp::ExtensionsRead read;
        read.source = extensionsFilePath();
        read.content = readExtensionsFile(read.source, &read.error);
        return read;
    });
    wireTransports();
    link::LinkEngine& engine = *m_engine;
    connect(&window, &frmTerminal::connectCommand, this, [&engine] { engine.connectCommand(); });
    connect(&window, &frmTerminal::connectedPictureClicked, this,
            [&engine] { engine.connectedPictureClicked(); });
    connect(&window, &frmTerminal::exitConfirmed, this, &ToolApplication::shutDown);
    connect(&window, &frmTerminal::loadTestStartCommand, this, [&engine] { engine.mnuStart_Click(); });
    connect(&window, &frmTerminal::loadTestStopCommand, this, [&engine] { engine.mnuStop_Click(); });
    connect(&window, &frmTerminal::keysTyped, this,
            [&engine](const QByteArray& characters) { engine.typedOnTerminal(characters); });
    frmSingle* single = window.singleStationWindow();
    connect(single, &frmSingle::sendRequested, this,
            [&engine, single](const lamp::SingleStationRequest& request) {
                if (engine.sendSingleStation(request) == link::LinkEngine::SingleStationOutcome::Quit)
                    single->cmdQuit_Click();
            });
}

void ToolApplication::wireTransports()
{
    link::LinkEngine& engine = *m_engine;
    connect(&m_socket, &TcpLink::connected, this, [&engine] { engine.onSocketConnected(); });
    connect(&m_socket, &TcpLink::dataReceived, this,
            [&engine](const QByteArray& data) { engine.onSocketData(data); });
    connect(&m_socket, &TcpLink::frameSent, this,
            [&engine](const QByteArray& frame) { engine.onFrameSent(frame); });
    connect(&m_socket, &TcpLink::closedByPeer, this, [&engine] { engine.onSocketClosed(); });
    connect(&m_socket, &TcpLink::resetByPeer, this, [&engine] { engine.onSocketReset(); });
    connect(&m_socket, &TcpLink::errorOccurred, this,
            [&engine](int number, const QString& description) { engine.onSocketError(number, description); });
    connect(&m_serial, &SerialLine::dataArrived, this,
            [&engine] { engine.onSerialEvent(link::SerialEvent::Receive); });
    connect(&m_serial, &SerialLine::lineEvent, this,
            [&engine](link::SerialEvent event) { engine.onSerialEvent(event); });
    connect(&m_serial, &SerialLine::closedByError, this,
            [&engine](const QString& description) { engine.onSerialClosedByError(description); });
}

// The exit in its order: the link released, the log closed, the link closed, the windows
// unloaded; each link step may wait, and calls on when done.
void ToolApplication::shutDown()
{
    m_engine->releaseForExit([this] {
        m_log.close();
        m_engine->waitForLinkClosedAtExit([this] {
            m_window->unloadWindows();
            m_window->closeAfterShutdown();
        });
    });
}

} // namespace zkn
