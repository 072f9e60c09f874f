// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"
#include "pbxsim/captured_link.h"
#include "pbxsim/frame_assembler.h"
#include "pbxsim/frame_info.h"
#include "pbxsim/link_action.h"
#include "pbxsim/tcp_pbx_side.h"

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

namespace zkn::pbxsim {

// The PBX's side of a captured link played back to a live tool, without sockets or timers, in the
// shape of PbxLink: bytes and the time (ms) in, actions out.
//
// Each connection of the capture is played when the tool opens one. The PBX's frames leave in
// the captured order and spacing (scaled by `speed`); a frame leaves only once the tool's frames
// captured before it have arrived, so an answer goes when what it answers has come, and its
// captured answer time after it. An answer carries the live frame's sequence number. The
// capture's close or reset by the PBX is played the same way. Health checks (every status frame
// after a connection's first) are answered at once and neither played nor compared, since how
// many there are depends on time; everything else the tool sends is compared with the capture,
// sequence numbers and check bytes aside.
//
// The replay ends when the tool closes the last connection, or `quietMs` after the last thing
// that happened once nothing more is due.
class PbxReplay : public TcpPbxSide
{
public:
    PbxReplay(const CapturedLink& capture, link::Parity parity, double speed, int quietMs);

    void connectionOpened() override;
    void connectionClosed() override;
    QList<FrameInfo> receive(const QByteArray& bytes, qint64 now) override;
    QList<LinkAction> takeDue(qint64 now) override;
    std::optional<qint64> nextDue() const override;

    bool ended() const { return m_ended; }
    bool differed() const;
    // Each frame of the tool that differs from the capture's, those missing and those extra, and
    // the answer times to the PBX's records, captured and now, side by side.
    QString report() const;

private:
    struct Step
    {
        LinkAction::Type type = LinkAction::Type::Write;
        QByteArray bytes;
        int toolFramesBefore = 0; // compared frames of the tool captured before it
        qint64 gapUs = 0;         // after the later of the step before and the last of those frames
        int answers = -1;         // the compared tool frame it answers, whose sequence it takes
    };
    struct Played // a connection of the capture and what happened to it live
    {
        QList<Step> steps;
        QList<CapturedFrame> expected;             // the tool's frames, health checks left out
        QList<std::pair<QByteArray, qint64>> seen; // what the tool sent, and when (ms)
        QMap<QByteArray, qint64> recordSentAt;     // the PBX's records by sequence field, live (ms)
        QMap<QByteArray, qint64> capturedRecordAt; // and as captured (us)
    };

    static Played script(const CapturedConnection& connection, link::Parity parity);
    std::optional<qint64> dueOfNextStep() const;
    QByteArray playedFrame(const Step& step) const;
    void activity(qint64 now) { m_lastActivity = now; }

    link::Parity m_parity;
    double m_speed;
    int m_quietMs;
    QList<Played> m_played;
    int m_extraConnections = 0;
    // The connection now open.
    int m_connection = -1;
    bool m_open = false;
    bool m_connectSeen = false;
    int m_nextStep = 0;
    std::optional<qint64> m_openedAt;
    qint64 m_lastStepAt = 0;
    qint64 m_lastActivity = 0;
    FrameAssembler m_assembler;
    QList<LinkAction> m_immediate; // health-check answers
    int m_framesIn = 0;
    bool m_ended = false;
};

} // namespace zkn::pbxsim
