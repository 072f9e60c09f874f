#include "link_pump.h"

#include "frm_single.h"
#include "frm_terminal.h"
#include "link/clock.h"
#include "link/link_engine.h"
#include "operator/operator.h"
#include "tcp_link.h"

namespace zkn {

namespace {
using Out = link::LinkOutput::Type;
} // namespace

LinkPump::LinkPump(link::LinkEngine& engine, TcpLink& socket, frmTerminal& window, Operator& op,
                   const link::Clock& clock, QObject* parent)
    : QObject(parent), m_engine(engine), m_socket(socket), m_window(window), m_operator(op), m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this,
            [this] { feed([this](link::LinkEngine& engine) { engine.advanceTo(m_clock.nowMs()); }); });
    drain();
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
    arm();
}

void LinkPump::arm()
{
    const std::optional<qint64> next = m_engine.timers().nextDeadline();
    if (!next) {
        m_timer.stop();
        return;
    }
    m_timer.start(static_cast<int>(qBound<qint64>(0, *next - m_clock.nowMs(), 24LL * 3600 * 1000)));
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
    frmTerminal& w = m_window;
    switch (output.type) {
    case Out::Transmit:
        m_socket.send(output.bytes);
        break;
    case Out::CloseSocket:
        m_socket.close();
        break;
    case Out::Terminal:
        w.WriteTerminal(output.bytes);
        break;
    case Out::Panel:
        w.setPanelText(output.panel, output.text);
        break;
    case Out::SettingsPanel:
        w.UpdateSettingsPanel();
        break;
    case Out::Connected:
        w.showConnected(output.on);
        break;
    case Out::ConnectChecked:
        w.setConnectChecked(output.on);
        break;
    case Out::SendTextEnabled:
        w.setSendTextEnabled(output.on);
        break;
    case Out::PropertiesEnabled:
        w.setPropertiesEnabled(output.on);
        break;
    case Out::DebugLanEnabled:
        w.setDebugLanEnabled(output.on);
        break;
    case Out::LinkCameUp:
        Q_EMIT w.linkEstablished();
        break;
    case Out::TxBlink:
        w.BlinkTx();
        break;
    case Out::RxActivity:
        w.blinkRx();
        break;
    case Out::Dsr:
        w.setDsrIndicator(output.on);
        break;
    case Out::WaitWindow:
        w.showWaitWindow(output.on);
        break;
    case Out::ShowProperties:
        w.showProperties();
        break;
    case Out::TraceReceived:
        w.DebugPacket(output.bytes);
        break;
    case Out::TraceSent:
        w.traceSentFrame(output.bytes);
        break;
    case Out::SerialBufferLevel:
        w.showSerialBufferLevel();
        break;
    case Out::RecordArrived:
        w.recordArrived(output.bytes, output.on, output.when);
        break;
    case Out::LoadTestPhase:
        w.showLoadTestPhase(output.phase);
        break;
    case Out::LoadTestFigures:
        w.showLoadTestFigures(*output.figures, output.on);
        break;
    case Out::Notice:
        m_notices.push_back(output.notice);
        showNextNotice();
        break;
    case Out::QuitSingleStation:
        w.singleStationWindow()->cmdQuit_Click();
        break;
    case Out::ReleasedForExit:
        Q_EMIT releasedForExit();
        break;
    case Out::LinkClosedForExit:
        Q_EMIT linkClosedForExit();
        break;
    }
}

} // namespace zkn
