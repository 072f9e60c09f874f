#include "tool_application.h"

#include "frm_terminal.h"
#include "link/link_engine.h"
#include "link_timer_driver.h"

#include <QTimer>

#include <utility>

namespace zkn {

ToolApplication::ToolApplication(Operator& op) : m_operator(op), m_log(op) {}

ToolApplication::~ToolApplication() = default;

MainWindowServices ToolApplication::windowServices()
{
    return {m_operator, m_store, m_connection, m_debug, m_serial, m_log};
}

void ToolApplication::attach(frmTerminal& window)
{
    Q_ASSERT(!m_engine);
    m_window = &window;
    m_engine =
        std::make_unique<link::LinkEngine>(m_transports, window, m_operator, m_clock, m_connection, m_debug);
    m_driver = std::make_unique<LinkTimerDriver>(*m_engine, m_clock);
    wireTransports();
    link::LinkEngine& engine = *m_engine;
    connect(&window, &frmTerminal::connectCommand, this, [&engine] { engine.mnuOpen_Click(); });
    connect(&window, &frmTerminal::connectedPictureClicked, this, [&engine] { engine.imgConnected_Click(); });
    connect(&window, &frmTerminal::exitConfirmed, this, [this] {
        prepareShutdown();
        m_shutdown.run([this] { m_window->closeAfterShutdown(); });
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
    connect(&m_serial, &SerialLine::dataArrived, this, [&engine] { engine.onSerialEvent(2); });
    connect(&m_serial, &SerialLine::lineEvent, this, [&engine](int code) { engine.onSerialEvent(code); });
    connect(&m_serial, &SerialLine::closedByError, this,
            [&engine](const QString& description) { engine.onSerialClosedByError(description); });
}

void ToolApplication::prepareShutdown()
{
    m_shutdown.setStep(ShutdownSequence::Phase::ReleaseLink,
                       [this](ShutdownSequence::Next next) { releaseLinkForShutdown(std::move(next)); });
    m_shutdown.setStep(ShutdownSequence::Phase::CloseLog, [this](ShutdownSequence::Next next) {
        m_log.close();
        next();
    });
    m_shutdown.setStep(ShutdownSequence::Phase::WaitLinkClosed,
                       [this](ShutdownSequence::Next next) { waitForLinkClosed(std::move(next)); });
    m_shutdown.setStep(ShutdownSequence::Phase::UnloadWindows, [this](ShutdownSequence::Next next) {
        m_window->unloadWindows();
        next();
    });
}

// An open link is given up in order: a running load test finishes first (then a second's
// pause), and the connect command then closes the port or asks the PBX to release the link.
void ToolApplication::releaseLinkForShutdown(ShutdownSequence::Next next)
{
    if (!m_serial.isOpen() && m_socket.state() != TcpLink::Connected) {
        next();
        return;
    }
    auto release = [this, next = std::move(next)] {
        m_engine->mnuOpen_Click();
        next();
    };
    if (!m_window->loadTestRunning()) {
        release();
        return;
    }
    m_window->stopLoadTest([this, release = std::move(release)] { QTimer::singleShot(1000, this, release); });
}

// The PBX closes the connection after the release; if it has not after 5 s, the tool does.
void ToolApplication::waitForLinkClosed(ShutdownSequence::Next next)
{
    if (m_socket.state() == TcpLink::Closed) {
        next();
        return;
    }
    // Only a released link has the PBX to wait for; a connection still being made just ends.
    if (m_socket.state() != TcpLink::Connected && m_socket.state() != TcpLink::Closing) {
        m_engine->ShutdownIPStuff();
        next();
        return;
    }
    auto done = std::make_shared<bool>(false);
    auto finish = [this, done, next = std::move(next)] {
        if (std::exchange(*done, true))
            return;
        if (m_socket.state() != TcpLink::Closed)
            m_engine->ShutdownIPStuff();
        next();
    };
    connect(&m_socket, &TcpLink::stateChanged, this, [finish](int state) {
        if (state == TcpLink::Closed)
            finish();
    });
    QTimer::singleShot(5000, Qt::PreciseTimer, this, finish);
}

} // namespace zkn
