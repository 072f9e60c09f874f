// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ZKN link as the tool drives it, over TCP (see link_state.h) or the serial line.
//
// The engine does no I/O: bytes, events and the transports' states come in through its methods,
// time through its clock, and everything it asks of the program around it is taken with poll().
// Its timers are deadlines that the program turns into one real timer. A box for the operator is
// a notice: the work after it, and every input meanwhile, waits until the notice is acknowledged.
// A request the program answers at once (open the socket, toggle the port, read the extensions
// file) holds the work after it the same way until its answer comes.

#include "lamp/extensions.h"
#include "lamp/lamp_function.h"
#include "lamp/lamp_ledger.h"
#include "lamp/lamp_resync.h"
#include "lamp/load_test_engine.h"
#include "link/link_output.h"
#include "link/link_state.h"
#include "link/link_states.h"
#include "link/link_timers.h"
#include "link/notice_hold.h"
#include "link/parity.h"
#include "link/pending_requests.h"
#include "link/sequence_counter.h"
#include "link/serial_receiver.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace zkn {
class ConnectionOptions;
class DebugOptions;
class ExpansionOption;
class LoadTestOptions;
} // namespace zkn

namespace zkn::lamp {
struct SingleStationRequest;
} // namespace zkn::lamp

namespace zkn::link {

class Clock;
struct FrameHeader;

class LinkEngine : private lamp::LampLine, private lamp::ResyncLine
{
public:
    LinkEngine(const Clock& clock, const ConnectionOptions& connection, DebugOptions& debug,
               const ExpansionOption& expansion, const LoadTestOptions& loadTest);

    // What the link asks of the program, oldest first; nothing once everything has been taken.
    std::optional<LinkOutput> poll();
    // The operator closed the notice's box.
    void acknowledge(quint64 notice);

    // Operator commands: the connect command (opens the link, or releases it) and a click on the
    // connected picture (a running load test is stopped first). Timers call them too.
    void connectCommand();
    void connectedPictureClicked();

    // The exit's two link steps, each told by its output when finished: the link released (after
    // a running load test and a pause), ReleasedForExit; and later the link closed (by the PBX, or
    // by the tool after a limit), LinkClosedForExit.
    void releaseForExit();
    void waitForLinkClosedAtExit();

    // TCP events. The socket's state is taken as it changes, also while a box is open.
    void onSocketStateChanged(SocketState state);
    // The answer to OpenSocket: why the connection could not even be started, else nothing.
    void onSocketOpened(quint64 ticket, const QString& failure);
    void onSocketConnected();
    // The data of one receive event; while a box is open it waits, and is handled after it in
    // the order it came.
    void onSocketData(const QByteArray& data);
    void onSocketClosed();
    void onSocketReset();
    void onSocketError(int number, const QString& description);

    // Serial events: the port's state and its DSR as they change, the answer to TogglePort,
    // received bytes, line events and errors.
    void onSerialLine(bool open, bool dsr);
    void onPortToggled(quint64 ticket, PortToggle toggle, const QString& failure);
    void onSerialData(const QByteArray& bytes);
    void onSerialEvent(SerialEvent event);
    void onSerialClosedByError(const QString& description);
    // Keys typed on the terminal go to the serial line as they are, shown only with local echo.
    // Over TCP they are not sent.
    void typedOnTerminal(const QByteArray& characters);
    // A block of a text file went to the serial line.
    void textBlockWritten() { blink(Timer::TxLamp); }

    // The spacing of frames on the socket, 20 ms on a real link; with none they leave at once.
    void setSendSpacing(int ms) { m_spacingUs = qint64(ms) * 1000; }

    // A health check leaves now, beside those of the health-check clock (a probe of the link).
    void healthCheckNow()
    {
        then([this] {
            if (connectionStands())
                sendHealthCheck();
        });
    }

    // A line of the program's own on the terminal (and in the log), in its turn after a box.
    void noteOnTerminal(const QByteArray& line);

    // Time, in microseconds of the clock: handles every deadline that has come.
    void advanceTo(qint64 nowUs);
    LinkTimers& timers() { return m_timers; }

    // The link ends: shown down, socket closed, its timers stopped.
    void shutDownLink();

    // The single-station dialog's Send: fixed fields on the serial line, tagged over TCP. Where
    // the line is not there the dialog is told to do what its Quit does.
    void sendSingleStation(const lamp::SingleStationRequest& request);

    // The load test (see load_test_engine.h): over TCP each message waits for its answer.
    void mnuStart_Click();
    void mnuStop_Click();
    bool loadTestRunning() const { return m_load.running(); }
    const lamp::LoadTestStats& loadTestStats() const { return m_load.stats(); }
    const lamp::LoadTestLog& loadTestLog() const { return m_load.log(); }
    bool lampOnPhase() const { return m_load.plan().lampOnPhase(); }
    // Every lamp this tool asked for, with what became of it (LampLedgerChanged says when).
    lamp::LampLedger& lampLedger() { return m_ledger; }
    const lamp::LampLedger& lampLedger() const { return m_ledger; }
    // The ledger's lamps sent again as asked for, or every one off (see lamp_resync.h); never
    // beside a load test. ResyncProgress follows it.
    void resynchroniseLamps();
    void switchAllLampsOff();
    void stopResync();
    // The serial port that went away is there again at `path`: opened again, unless the operator
    // has opened a port, changed to LAN or is leaving meanwhile.
    void reopenReturnedPort(const QString& path);
    // Forget (none) or an imported map: a resynchronisation running is stopped first.
    void replaceLampLedger(const lamp::LampMap& stations);
    const lamp::LampResync& resync() const { return m_resync; }
    // The answer to ReadExtensions.
    void onExtensionsRead(quint64 ticket, const lamp::ExtensionsRead& read);
    int missedHealthChecks() const { return m_missedHealthChecks; }
    QByteArray recordText() const { return m_recordText; }
    // Chunks of received TCP data dropped because they did not begin with SYN.
    int droppedChunks() const { return m_droppedChunks; }

private:
    void runConnectCommand();
    void runConnectedPictureClick();
    void linkConnected();
    void toggleSerialPort();
    void showPortToggled();
    void handleSerialEvent(SerialEvent event, const QByteArray& received);
    void releaseLink();
    void sendRelease();
    void openConnection();
    void onStatusMonitorTick();
    void onHealthCheckTimeout();
    void sendHealthCheck();
    void onLampControlTimeout();
    void sendLampFrame(const QByteArray& message);
    void lampAnswerCame(std::optional<int> responseCode);
    void startLoadTest();
    bool loadTestConnected();
    void beginLoadTest();
    void planSweep();
    // Reads the extensions file and gives `use` its stations, or nothing when it cannot be read
    // (told when `reportSkipped`, as at Start, with the lines that name no station).
    void readExtensionStations(bool reportSkipped, std::function<void(std::optional<QList<qint32>>)> use);
    void onSendTick();
    void stopLoadTest(std::function<void()> stopped);

    // The line the load test runs on.
    bool lampLineUp() const override;
    bool lampAnswersCome() const override;
    lamp::LampSend sendLampMessage(qint32 station, lamp::LampFunction function) override;
    int lampSequence() const override { return m_pending.sequence(Request::Lamp); }
    qint64 lampNowUs() const override { return now(); }
    QDateTime lampWallClock() const override;
    void tickAfter(int delayMs) override;
    void stopTicks() override;
    void loadTestSays(const QByteArray& line) override;
    void loadTestPhaseChanged() override;
    void loadTestFiguresChanged() override;
    lamp::LampSend sendResyncMessage(const QByteArray& station, lamp::LampFunction function) override;
    void resyncSays(const QByteArray& line) override;
    void resyncProgressed() override;
    void startResync(const QByteArray& name, QList<lamp::ResyncStep> steps);
    void runSingleStation(const lamp::SingleStationRequest& request);
    void sendSingleStationSerial(const lamp::SingleStationRequest& request);
    void sendSingleStationOnOpenPort(const lamp::SingleStationRequest& request);
    bool CheckSerialPort();
    bool Send(const QByteArray& message);
    void ledgerAsked(const QList<QByteArray>& stations, lamp::LampFunction function, bool answerComes);
    void onConnectTimeTick();
    void onConnectionStatusTick();
    void onTimer(Timer timer);
    void resetLinkAfterMisses();
    void showLinkDown();
    void releaseNowForExit();
    void StartConnectTimer();
    void StopConnectTimer();

    // Received frames. A partial frame is kept for the next receive event while the connection
    // it came on stands; a box shown for a frame holds the frames behind it.
    void receiveChunk(const QByteArray& data);
    void ProcessZKNPacket(const QByteArray& data);
    void skipBrokenFront(qsizetype from);
    void processFramesOfChunk();
    void endChunk();
    // What belongs to one connection ends with it: a partial frame, data waiting, a health check
    // not yet left, and every answer still awaited.
    void dropConnectionState();
    bool processFrame(const FrameHeader& frame);
    void processResponse(const FrameHeader& frame);
    void finishResponse(const FrameHeader& frame, std::optional<Request> matched);
    // Takes the next sequence number for `request` and awaits its response.
    qint16 awaitResponse(Request request);
    bool processRecord(const FrameHeader& frame);
    void reportProcessingError(const QByteArray& unprocessed);

    // Lights the lamp, which goes out when its timer runs out after the last blink.
    void blink(Timer lamp);
    void step(LinkEvent event) { m_linkState = nextLinkState(m_linkState, event); }
    bool connectionStands() const { return link::connectionStands(m_linkState); }
    void writeLine(const char* marker, const QByteArray& text);
    void fault(const QString& what);
    // The link stood and was not being released: its end now is a loss.
    bool linkWouldBeLost() const
    {
        return m_linkState == LinkState::AwaitingConnect || m_linkState == LinkState::Up;
    }
    void out(LinkOutput output);
    void out(LinkOutput::Type type, bool on = false);
    void WriteTerminal(const QByteArray& text);
    // Frames leave the socket in order, each no sooner than the spacing after it was handed over
    // and after the frame before it left; one falling due while the socket is not connected is
    // dropped. The health check and the lamp frame are told apart by their tickets.
    enum class FrameKind
    {
        Other,
        HealthCheck,
        Lamp
    };
    void IPSend(const QByteArray& frame, FrameKind kind = FrameKind::Other);
    void schedulePacing();
    void sendDueFrame();
    void frameLeft(quint64 ticket);
    // The socket is closed once what was handed to it before has gone; from now on the link
    // counts it closed.
    void closeSocket();
    // A new connection: frames of the old one still waiting are given up, and its socket closed.
    void abandonOutgoing();
    SocketState socketState() const { return m_closeAsked ? SocketState::Closed : m_socketState; }
    // Asks the program for `request`, answered at once by its ticket; work after it waits.
    void ask(LinkOutput request);
    // Bytes to the open port; none go to a closed one (false).
    bool writeSerial(const QByteArray& bytes);
    void setPanelText(LinkOutput::PanelId panel, const QString& text);
    void tell(const Operator::Message& message);
    void tell(const QString& text, Operator::Icon icon);
    QString timeStamp() const;
    // Runs `work` at once, or after the boxes open now have been closed.
    void then(std::function<void()> work) { m_hold.then(std::move(work)); }
    Parity parity() const;
    QByteArray device() const;
    qint64 now() const;

    const Clock& m_clock;
    const ConnectionOptions& m_connection;
    DebugOptions& m_debug;
    const ExpansionOption& m_expansion;
    const LoadTestOptions& m_loadTest;
    LinkTimers m_timers;
    SerialReceiver m_serial;
    std::deque<LinkOutput> m_outputs;
    NoticeHold m_hold;

    SequenceCounter m_sequence;
    PendingRequests m_pending;

    int m_hcTicks = 0;
    int m_missedHealthChecks = 0;
    QDateTime m_connectStart;
    QByteArray m_recordText;
    QByteArray m_partialFrame;
    // A broken fragment was dropped and no SYN has come since: the next read is searched for one.
    bool m_seekingFrame = false;
    // What is left of the chunk whose frames are being handled.
    QByteArray m_chunkRest;
    // Counts the ends of connection state, so a chunk that waited behind a box knows it is stale.
    quint64 m_receivedSince = 0;
    LinkState m_linkState = LinkState::Idle;
    bool m_closeAsked = false;
    SocketState m_socketState = SocketState::Closed;
    QString m_openFailure;
    bool m_portOpen = false;
    bool m_dsr = false;
    PortToggle m_portToggle = PortToggle::Closed;
    QString m_portFailure;
    lamp::ExtensionsRead m_extensionsRead;
    struct Outgoing
    {
        QByteArray frame;
        quint64 ticket;
        qint64 handedOverUs;
    };
    std::deque<Outgoing> m_outgoing;
    qint64 m_spacingUs = 20000;
    std::optional<qint64> m_lastLeftUs;
    quint64 m_lastTicket = 0;
    bool m_closeWhenSent = false;
    // The health check and the lamp frame awaited whose answer times start when they leave.
    std::optional<quint64> m_healthCheckToLeave;
    std::optional<quint64> m_lampFrameToLeave;
    bool m_releasingForExit = false;
    bool m_closingForExit = false;
    int m_droppedChunks = 0;

    lamp::LoadTestEngine m_load{*this};
    lamp::LampLedger m_ledger;
    lamp::LampResync m_resync{*this};
    // When the lamp frame awaited left (handed over, then when it actually left).
    qint64 m_lampSentAt = 0;
};

} // namespace zkn::link
