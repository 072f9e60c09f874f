// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"
#include "pbxsim/frame_assembler.h"
#include "pbxsim/lamp_faults.h"
#include "pbxsim/link_action.h"
#include "pbxsim/link_flood.h"
#include "pbxsim/record_feed.h"
#include "pbxsim/tcp_pbx_side.h"

#include <QList>
#include <QMultiMap>

#include <functional>
#include <optional>

namespace zkn::link {
struct FrameHeader;
}

namespace zkn::pbxsim {

class LampBoard;
struct SimStats;

// A misbehaviour of one frame the simulator sends.
struct FrameFault
{
    enum class Type
    {
        CorruptCheckByte, // the check byte is wrong under either parity
        WrongSequence,    // the sequence field is 50 off, the check byte fits it
        Split,            // two writes, `value` ms apart
        Coalesce,         // one write with `value` - 1 records behind the frame (2 or 3 frames)
        Late,             // leaves `value` ms later; later frames keep their order behind it
        Junk,             // CR LF, which is no frame, goes first in a write of its own
        CutByReset,       // the first half leaves, then the connection is reset (RST)
        ReleaseBehind,    // a release request follows the frame in the same write
        StrayAnswer,      // a response that answers no request follows it (its sequence 50 off)
    };
    Type type = Type::CorruptCheckByte;
    int value = 0;
};

// The PBX side of a TCP link, without sockets or timers: bytes and the time in, actions out.
//
// A connection starts unlinked. The first status frame (kind 5) is the connect request: it is
// accepted with code 0 (or refused with the code set), and from then on status frames are
// health checks. Every frame of kinds 1, 5 and 6 is answered with a kind "3" response carrying
// its device and sequence fields: code 1 when its check byte is wrong, 3 when its content is,
// else 0. A release request is answered and the connection is then closed in order. Lamp-control
// messages switch the lamps of the shared board.
//
// Records leave as kind "2" frames numbered 00 to 99 by the simulator, only while the link is up
// and one at a time: the next waits for the tool's kind "4" answer to the last or for the answer
// timeout. Answers are matched by sequence and counted with their code and latency.
//
// Faults are armed for a frame number (frames sent or received, counted over the whole run from
// 1) or for the next frame, so a test or a technician can cue each one.
class PbxLink : public TcpPbxSide
{
public:
    PbxLink(SimStats& stats, LampBoard& lamps);

    void setParity(link::Parity parity) { m_parity = parity; }
    void setRefusal(int code); // answer connect requests with this code; 0 accepts them
    void setAnswerTimeout(int ms) { m_answerTimeoutMs = ms; }
    // Called when a command has made something due, so the transport can run takeDue soon.
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    void connectionOpened() override;
    void connectionClosed() override;
    bool isOpen() const { return m_open; }
    bool isLinkUp() const { return m_linkUp; }

    // Bytes from the tool at time `now` (ms); returns what was found in them, for the trace.
    QList<FrameInfo> receive(const QByteArray& bytes, qint64 now) override;
    // Everything due at `now`, in order. After a Close or a Reset nothing more comes until the
    // next connection.
    QList<LinkAction> takeDue(qint64 now) override;
    // When takeDue next has work; nothing while it has none.
    std::optional<qint64> nextDue() const override;

    void sendRecord(const QByteArray& text);
    void startRecords(const QList<QByteArray>& texts, int count, int intervalMs);

    // Health checks after the next `after` ones go unanswered, `count` of them (all when negative).
    void muteHealthChecks(int after, int count);
    // How lamp-control messages are answered (codes, silence, delays).
    LampFaults& lampFaults() { return m_lampFaults; }
    // Resets the connection with RST when the `n`-th frame from now arrives, instead of answering
    // it; at once when `n` is 0.
    void resetAfterFrames(int n);
    // Sends a release request once the `n`-th frame from now is answered; at once when `n` is 0.
    void releaseAfterFrames(int n);
    // Every lamp forgotten once the N-th frame from now has been answered, as after a restart.
    void forgetLampsAfterFrames(int n);
    // While the link is up, the flood goes on beside everything else.
    void setFlood(const LinkFlood& flood) { m_flood = flood; }
    // Bytes the transport has been given but not yet sent: a flood as fast as it can waits for
    // them to go.
    void setUnsent(qint64 bytes) { m_unsent = bytes; }
    void addFault(int frameOut, FrameFault fault);
    void addFaultToNextFrame(FrameFault fault) { addFault(m_framesOut + 1, fault); }

    int framesIn() const { return m_framesIn; }
    int framesOut() const { return m_framesOut; }

private:
    struct AwaitedAnswer
    {
        QByteArray sequenceField;
        QByteArray deviceField;
        qint64 sentAt = 0;
    };

    FrameInfo frameIn(const QByteArray& frame, qint64 now);
    QString handle(const link::FrameHeader& header, qint64 now);
    QString statusRequest(const link::FrameHeader& header, qint64 now);
    QString releaseRequest(const link::FrameHeader& header, qint64 now);
    QString lampControl(const link::FrameHeader& header, qint64 now);
    QString recordAnswer(const link::FrameHeader& header, qint64 now);
    void respond(const link::FrameHeader& header, int code, qint64 now);

    void send(QByteArray frame, QString note, qint64 now);
    void enqueue(LinkAction action);
    void departed(const FrameInfo& frame, qint64 now);
    void expireAnswers(qint64 now);
    bool mayOriginate() const { return m_open && m_linkUp && !m_closing; }
    bool mayOriginateRecord() const;
    void originateRecord(const QByteArray& text, qint64 now);
    void sendFloodFrame(qint64 now);
    int nextSequence();
    bool healthCheckMuted() const;
    void changed();

    SimStats& m_stats;
    LampBoard& m_lamps;
    link::Parity m_parity = link::Parity::Odd;
    int m_refusal = 0;
    LampFaults m_lampFaults;
    int m_answerTimeoutMs = 2000;
    std::function<void()> m_changed;

    // This connection
    bool m_open = false;
    bool m_linkUp = false;
    bool m_closing = false; // a Close or Reset is on its way; nothing more is sent or read
    QByteArray m_deviceField = "00";
    FrameAssembler m_assembler;
    QList<LinkAction> m_outbox;
    QList<AwaitedAnswer> m_awaited;
    int m_recordsUnsent = 0; // records in the outbox

    // The whole run
    RecordFeed m_feed;
    int m_sequence = -1;
    int m_framesIn = 0;
    int m_framesOut = 0;
    int m_healthChecks = 0;
    int m_muteFrom = 0; // first health check left unanswered, 0 for none
    int m_muteCount = -1;
    int m_resetAtFrame = 0;
    int m_releaseAtFrame = 0;
    int m_forgetLampsAtFrame = 0;
    bool m_resetDue = false;
    bool m_releaseDue = false;
    QMultiMap<int, FrameFault> m_faults;
    LinkFlood m_flood;
    qint64 m_unsent = 0;
    int m_floodFrames = 0;
};

} // namespace zkn::pbxsim
