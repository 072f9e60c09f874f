// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_pump.h"

#include "extensions_file.h"
#include "link/clock.h"
#include "link/link_engine.h"
#include "link_view.h"
#include "operator/operator.h"
#include "serial_line.h"
#include "tcp_link.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>

// Each of the link's outputs is placed by name: a new one fails to compile until it is placed here.
#pragma GCC diagnostic error "-Wswitch-enum"

namespace zkn {

namespace {
using Out = link::LinkOutput::Type;
} // namespace

LinkPump::LinkPump(link::LinkEngine& engine, TcpLink& socket, SerialLine& serial, LinkView& view,
                   Operator& op, const link::Clock& clock, QObject* parent)
    : QObject(parent), m_engine(engine), m_socket(socket), m_serial(serial), m_view(view), m_operator(op),
      m_clock(clock), m_extensionsPath(extensionsFilePath())
{
    m_timerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    Q_ASSERT(m_timerFd >= 0);
    m_timerDue = new QSocketNotifier(m_timerFd, QSocketNotifier::Read, this);
    connect(m_timerDue, &QSocketNotifier::activated, this, [this] {
        quint64 expirations = 0;
        [[maybe_unused]] const ssize_t read = ::read(m_timerFd, &expirations, sizeof expirations);
        feed([this](link::LinkEngine& engine) { engine.advanceTo(m_clock.nowUs()); });
    });
    wireTransports();
    drain();
}

void LinkPump::wireTransports()
{
    using link::LinkEngine;
    connect(&m_socket, &TcpLink::stateChanged, this, [this](link::SocketState state) {
        feed([state](LinkEngine& engine) { engine.onSocketStateChanged(state); });
    });
    connect(&m_socket, &TcpLink::connected, this, [this] { feed(&LinkEngine::onSocketConnected); });
    connect(&m_socket, &TcpLink::dataReceived, this, [this](const QByteArray& data) {
        feed([&data](LinkEngine& engine) { engine.onSocketData(data); });
    });
    connect(&m_socket, &TcpLink::closedByPeer, this, [this] { feed(&LinkEngine::onSocketClosed); });
    connect(&m_socket, &TcpLink::resetByPeer, this, [this] { feed(&LinkEngine::onSocketReset); });
    connect(&m_socket, &TcpLink::errorOccurred, this, [this](int number, const QString& description) {
        const QString said = m_socket.failureSaid(number, description);
        feed([&](LinkEngine& engine) { engine.onSocketError(number, description, said); });
    });
    // Receiving is on only while the engine wants it, so what arrives is read at once.
    connect(&m_serial, &SerialLine::dataArrived, this, [this] {
        const QByteArray bytes = m_serial.readAll();
        feed([&bytes](LinkEngine& engine) { engine.serial().onData(bytes); });
    });
    connect(&m_serial, &SerialLine::lineEvent, this, [this](link::SerialEvent event) {
        tellSerialLine();
        feed([event](LinkEngine& engine) { engine.serial().onEvent(event); });
    });
    connect(&m_serial, &SerialLine::closed, this, &LinkPump::tellSerialLine);
    connect(&m_serial, &SerialLine::closedByError, this, [this](const QString& description) {
        feed([&description](LinkEngine& engine) { engine.serial().onClosedByError(description); });
    });
}

void LinkPump::tellSerialLine()
{
    const bool open = m_serial.isOpen();
    const bool dsr = m_serial.dsrHolding();
    feed([open, dsr](link::LinkEngine& engine) { engine.serial().onLine(open, dsr); });
}

void LinkPump::openSocket(quint64 ticket, const QString& host)
{
    if (m_socket.state() != link::SocketState::Closed) {
        feed([&](link::LinkEngine& engine) {
            engine.onSocketOpened(ticket, QStringLiteral("Invalid operation at current state"));
        });
        return;
    }
    const auto failure = m_socket.connectToHost(host);
    const QString description = failure ? failure->description : QString();
    const QString said = failure ? m_socket.failureSaid(failure->number, failure->description) : QString();
    feed([&](link::LinkEngine& engine) { engine.onSocketOpened(ticket, description, said); });
}

void LinkPump::togglePort(quint64 ticket)
{
    link::PortToggle toggle = link::PortToggle::Closed;
    QString failure;
    if (m_serial.isOpen()) {
        m_serial.close();
    } else {
        switch (m_serial.open(&failure)) {
        case SerialLine::OpenResult::Opened:
            toggle = link::PortToggle::Opened;
            break;
        case SerialLine::OpenResult::NotFound:
            toggle = link::PortToggle::NotFound;
            // The path names the port for the operator; a COM port has the classic box.
            failure = m_serial.portName();
            break;
        case SerialLine::OpenResult::Failed:
            toggle = link::PortToggle::Failed;
            break;
        }
    }
    tellSerialLine();
    feed([&](link::LinkEngine& engine) { engine.serial().onToggled(ticket, toggle, failure); });
}

QString LinkPump::writeTextBlock(const QByteArray& block)
{
    bool handed = false;
    m_serialWriteError.clear();
    feed([&](link::LinkEngine& engine) { handed = engine.serial().writeTextBlock(block); });
    return handed ? m_serialWriteError : QStringLiteral("The serial port is not open.");
}

void LinkPump::readExtensions(quint64 ticket)
{
    lamp::ExtensionsRead read;
    read.source = m_extensionsPath;
    read.content = readExtensionsFile(read.source, &read.error);
    feed([&](link::LinkEngine& engine) { engine.lamps().onExtensionsRead(ticket, read); });
}

LinkPump::~LinkPump()
{
    delete m_timerDue;
    ::close(m_timerFd);
}

void LinkPump::feed(const std::function<void(link::LinkEngine&)>& input)
{
    input(m_engine);
    drain();
}

// An answer given at once (a scripted operator) comes back while outputs are carried out: the
// loop that runs then takes what it brought.
void LinkPump::drain()
{
    if (m_draining)
        return;
    m_draining = true;
    while (const std::optional<link::LinkOutput> output = m_engine.poll())
        carryOut(*output);
    m_draining = false;
    m_socket.setReading(m_engine.readsSocket());
    arm();
}

// Relative to now, on the same monotonic clock; a deadline already past fires at once (a zero
// value would disarm the timer instead).
void LinkPump::arm()
{
    itimerspec when{};
    if (const std::optional<qint64> next = m_engine.timers().nextDeadline()) {
        const qint64 inUs = std::max<qint64>(1, *next - m_clock.nowUs());
        when.it_value.tv_sec = time_t(inUs / 1000000);
        when.it_value.tv_nsec = long(inUs % 1000000) * 1000;
        if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
            when.it_value.tv_nsec = 1;
    }
    ::timerfd_settime(m_timerFd, 0, &when, nullptr);
}

void LinkPump::showNextNotice()
{
    if (m_noticeShown || m_notices.empty())
        return;
    const link::Notice notice = m_notices.front();
    m_notices.pop_front();
    m_noticeShown = true;
    m_operator.show(notice.message, [this, id = notice.id](Operator::Answer) {
        m_noticeShown = false;
        feed([id](link::LinkEngine& engine) { engine.acknowledge(id); });
        showNextNotice();
    });
}

void LinkPump::carryOut(const link::LinkOutput& output)
{
    switch (output.type) {
    case Out::OpenSocket:
        openSocket(output.ticket, output.text);
        break;
    case Out::Transmit:
        m_socket.send(output.bytes);
        break;
    case Out::CloseSocket:
        m_socket.close(output.on);
        break;
    case Out::TogglePort:
        togglePort(output.ticket);
        break;
    case Out::SerialReceive:
        m_serial.setReceiveEnabled(output.on);
        break;
    case Out::SerialWrite:
        // A port that fails now is reported as closed by error.
        m_serialWriteError = m_serial.write(output.bytes);
        break;
    case Out::ReadExtensions:
        readExtensions(output.ticket);
        break;
    case Out::Notice:
        m_notices.push_back(output.notice);
        showNextNotice();
        break;
    case Out::ReleasedForExit:
        Q_EMIT releasedForExit();
        break;
    case Out::LinkClosedForExit:
        Q_EMIT linkClosedForExit();
        break;
    case Out::LampLedgerChanged:
        Q_EMIT lampLedgerChanged();
        break;
    case Out::Fault:
        Q_EMIT faultHappened(output.text);
        break;
    case Out::TraceSent:
    case Out::TraceReceived:
        Q_EMIT framePassed(output.type == Out::TraceSent, output.bytes);
        m_view.show(output);
        break;
    case Out::Terminal:
    case Out::Panel:
    case Out::SettingsPanel:
    case Out::Connected:
    case Out::ConnectChecked:
    case Out::SendTextEnabled:
    case Out::PropertiesEnabled:
    case Out::DebugLanEnabled:
    case Out::LinkCameUp:
    case Out::TxLamp:
    case Out::RxLamp:
    case Out::Dsr:
    case Out::WaitWindow:
    case Out::ShowProperties:
    case Out::SerialBufferLevel:
    case Out::RecordArrived:
    case Out::Response:
    case Out::LampTimedOut:
    case Out::ConnectFailed:
    case Out::ResyncProgress:
    case Out::LoadTestPhase:
    case Out::LoadTestFigures:
    case Out::QuitSingleStation:
        m_view.show(output);
        break;
    }
}

} // namespace zkn
