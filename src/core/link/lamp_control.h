// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/extensions.h"
#include "lamp/lamp_function.h"
#include "lamp/lamp_ledger.h"
#include "lamp/lamp_resync.h"
#include "lamp/load_test_engine.h"
#include "link/connect_time.h"
#include "link/health_check.h"
#include "link/link_commands.h"
#include "link/link_context.h"
#include "link/link_state.h"
#include "link/pending_requests.h"
#include "link/send_path.h"
#include "link/serial_session.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

namespace zkn::link {

// Lamp control on the link: the load test, the resynchronisation of the ledger's lamps and the
// single-station dialog's messages, one sender for the three, the 10 s the PBX has to answer a lamp
// frame (T3), and the ledger of every lamp asked for. Over TCP a lamp message goes in a text frame
// whose answer is awaited; on the serial line it goes bare while DSR holds.
class LampControl : private lamp::LampLine, private lamp::ResyncLine
{
public:
    LampControl(LinkContext& context, SerialSession& serial, SendPath& send, PendingRequests& pending,
                ConnectTime& connectTime, HealthCheck& health, const LinkPhases& phases, LinkCommands& link);

    // A message of the single-station dialog (see single_station_send.h), sent as its sender.
    lamp::LampSend sendDialogMessage(ConnectionType link, const QByteArray& message,
                                     const QList<QByteArray>& stations, lamp::LampFunction function);
    // The load test (see load_test_engine.h): over TCP each message waits for its answer.
    void mnuStart_Click();
    void mnuStop_Click();
    bool loadTestRunning() const { return m_load.running(); }
    const lamp::LoadTestStats& loadTestStats() const { return m_load.stats(); }
    const lamp::LoadTestLog& loadTestLog() const { return m_load.log(); }
    // Every lamp this tool asked for, with what became of it (LampLedgerChanged says when).
    lamp::LampLedger& lampLedger() { return m_ledger; }
    const lamp::LampLedger& lampLedger() const { return m_ledger; }
    // The ledger's lamps sent again as asked for, or every one off (see lamp_resync.h); never
    // beside a load test. ResyncProgress follows it.
    void resynchroniseLamps();
    void switchAllLampsOff();
    void stopResync();
    // Forget (none) or an imported map: a resynchronisation running is stopped first.
    void replaceLampLedger(const lamp::LampMap& stations);
    const lamp::LampResync& resync() const { return m_resync; }
    // The answer to ReadExtensions.
    void onExtensionsRead(quint64 ticket, const lamp::ExtensionsRead& read);

    // What the link tells the lamps: the answer to the lamp frame awaited; its time ran out,
    // while received data waited (judged after it) or not; no answer can come any more (the
    // connection ended); the line is gone; the send clock ticked.
    void answerCame(int responseCode);
    void answerTimedOut(bool dataWaits);
    void judgeHeldTimeout();
    void answerLost();
    void lineLost();
    void sendTick();
    // A line to send on stands.
    bool lineUp() const { return lampLineUp(); }
    // Stops a running load test; `stopped` runs once its sweep is done.
    void stopLoadTest(std::function<void()> stopped);

private:
    // The one sender of lamp messages: over TCP in a text frame whose answer is awaited 10 s once
    // it has left, on the serial line bare and only while DSR holds; the ledger and the terminal
    // show every message sent, its blanks as dots. What differs by sender is given by it:
    //   load test: the form by the KRA option (made by the caller); a sequence number taken on
    //              either link, the transmit lamp blinked first; on the serial line blinked.
    //   resync:    the dialog's form; a number taken over TCP only; on the serial line blinked.
    //   dialog:    the dialog's form; over TCP the connection checked before (a box), and its
    //              frame supersedes the answer a load test's or resynchronisation's message
    //              awaits; on the serial line DSR checked before (CheckSerialPort), not blinked.
    enum class LampSender
    {
        LoadTest,
        Resync,
        Dialog
    };
    lamp::LampSend sendLamp(ConnectionType link, const QByteArray& message, const QList<QByteArray>& stations,
                            lamp::LampFunction function, LampSender sender);
    void sendLampFrame(const QByteArray& message, const QList<QByteArray>& stations,
                       lamp::LampFunction function, LampSender sender);
    // The answer to the lamp frame awaited, or its timeout (no code).
    void lampAnswerCame(std::optional<int> responseCode);
    void onLampControlTimeout();
    void ledgerAsked(const QList<QByteArray>& stations, lamp::LampFunction function, bool answerComes);
    void startLoadTest();
    bool loadTestConnected();
    void beginLoadTest();
    void planSweep();
    // Reads the extensions file and gives `use` its stations, or nothing when it cannot be read
    // (told when `reportSkipped`, as at Start, with the lines that name no station).
    void readExtensionStations(bool reportSkipped, std::function<void(std::optional<QList<qint32>>)> use);
    void startResync(const QByteArray& name, QList<lamp::ResyncStep> steps);

    // The line the load test and the resynchronisation run on.
    bool lampLineUp() const override;
    bool lampAnswersCome() const override;
    lamp::LampSend sendLampMessage(qint32 station, lamp::LampFunction function) override;
    int lampSequence() const override { return m_pending.sequence(Request::Lamp); }
    qint64 lampNowUs() const override { return m_context.now(); }
    QDateTime lampWallClock() const override { return m_context.wallClock(); }
    void tickAfter(int delayMs) override;
    void stopTicks() override;
    void loadTestSays(const QByteArray& line) override;
    void loadTestPhaseChanged() override;
    void loadTestFiguresChanged() override;
    lamp::LampSend sendResyncMessage(const QByteArray& station, lamp::LampFunction function) override;
    void resyncSays(const QByteArray& line) override;
    void resyncProgressed() override;

    LinkContext& m_context;
    SerialSession& m_serial;
    SendPath& m_send;
    PendingRequests& m_pending;
    ConnectTime& m_connectTime;
    HealthCheck& m_health;
    const LinkPhases& m_phases;
    LinkCommands& m_link;
    // The link a load test's or a resynchronisation's messages go over, fixed as it starts.
    ConnectionType m_lampLink = ConnectionType::Serial;
    lamp::ExtensionsRead m_extensionsRead;
    lamp::LoadTestEngine m_load{*this};
    lamp::LampLedger m_ledger;
    lamp::LampResync m_resync{*this};
    // Lamp frames that have left; when the last one left, and whether its answer or timeout has
    // been counted (or its connection ended).
    quint64 m_lampFramesLeft = 0;
    qint64 m_lampSentAt = 0;
    bool m_lampOutcomeKnown = true;
    // A timeout that fell due while received data waited: the lamp frame it was for.
    std::optional<quint64> m_lampTimeoutOf;
};

} // namespace zkn::link
