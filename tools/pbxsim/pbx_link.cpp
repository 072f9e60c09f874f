// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/pbx_link.h"

#include "lamp/lamp_message_reader.h"
#include "link/frame_reader.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_frames.h"
#include "pbxsim/sim_stats.h"

#include <algorithm>

namespace zkn::pbxsim {

namespace {

constexpr int kStatusLength = 6;  // device, sequence and "00"
constexpr int kReleaseLength = 4; // device and sequence
constexpr int kAnswerLength = 5;  // device, sequence and the code
constexpr int kDataOffset = 9;    // where the data of a frame begins
const QByteArray kJunkBytes = "\r\n";

// How the faults armed for one frame shape it.
struct Shape
{
    bool corrupt = false;
    bool wrongSequence = false;
    bool junk = false;
    bool cutByReset = false;
    bool releaseBehind = false;
    bool strayAnswer = false;
    qint64 delayMs = 0;
    int splitPauseMs = -1;
    int together = 1;
};

Shape shapeOf(const QList<FrameFault>& faults)
{
    Shape shape;
    for (const FrameFault& fault : faults) {
        switch (fault.type) {
        case FrameFault::Type::CorruptCheckByte:
            shape.corrupt = true;
            break;
        case FrameFault::Type::WrongSequence:
            shape.wrongSequence = true;
            break;
        case FrameFault::Type::Split:
            shape.splitPauseMs = fault.value;
            break;
        case FrameFault::Type::Coalesce:
            shape.together = std::clamp(fault.value, 1, 3);
            break;
        case FrameFault::Type::Late:
            shape.delayMs += fault.value;
            break;
        case FrameFault::Type::Junk:
            shape.junk = true;
            break;
        case FrameFault::Type::CutByReset:
            shape.cutByReset = true;
            break;
        case FrameFault::Type::ReleaseBehind:
            shape.releaseBehind = true;
            break;
        case FrameFault::Type::StrayAnswer:
            shape.strayAnswer = true;
            break;
        }
    }
    return shape;
}

FrameInfo outgoing(int index, const QByteArray& frame, const QString& note)
{
    return {FrameInfo::Direction::Out, index, frame[1], frame.mid(7, 2), frame, note};
}

} // namespace

PbxLink::PbxLink(SimStats& stats, LampBoard& lamps) : m_stats(stats), m_lamps(lamps) {}

void PbxLink::setRefusal(int code)
{
    Q_ASSERT(code >= 0 && code <= 9);
    m_refusal = code;
}

void PbxLink::connectionOpened()
{
    connectionClosed();
    m_open = true;
    ++m_stats.connections;
}

void PbxLink::connectionClosed()
{
    m_open = false;
    m_linkUp = false;
    m_closing = false;
    m_assembler.clear();
    m_outbox.clear();
    m_awaited.clear();
    m_recordsUnsent = 0;
}

QList<FrameInfo> PbxLink::receive(const QByteArray& bytes, qint64 now)
{
    QList<FrameInfo> found;
    if (!m_open || m_closing)
        return found;
    for (const FrameAssembler::Piece& piece : m_assembler.feed(bytes)) {
        if (piece.isFrame) {
            found.append(frameIn(piece.bytes, now));
        } else {
            ++m_stats.framesIn[SimStats::kindKey(FrameInfo::kJunk)];
            found.append(
                {FrameInfo::Direction::In, 0, FrameInfo::kJunk, {}, piece.bytes, "no frame, dropped"});
        }
        // What follows a release request or a reset in the same read belongs to no connection.
        if (m_resetDue || m_closing)
            break;
    }
    return found;
}

FrameInfo PbxLink::frameIn(const QByteArray& frame, qint64 now)
{
    const link::FrameHeader header = link::readFrameHeader(frame, m_parity);
    const int index = ++m_framesIn;
    ++m_stats.framesIn[SimStats::kindKey(header.kind)];
    if (!header.parityGood)
        ++m_stats.checkByteFailures;
    FrameInfo info{FrameInfo::Direction::In, index, header.kind, header.sequenceField, frame, {}};
    if (index == m_resetAtFrame) {
        m_resetDue = true;
        info.note = QStringLiteral("not answered: the connection is reset");
        return info;
    }
    info.note = handle(header, now);
    if (!header.parityGood)
        info.note += QStringLiteral(" (bad check byte)");
    if (index == m_releaseAtFrame)
        m_releaseDue = true;
    if (index == m_forgetLampsAtFrame) {
        m_lamps.clear();
        info.note += QStringLiteral("; every lamp forgotten");
    }
    return info;
}

QString PbxLink::handle(const link::FrameHeader& header, qint64 now)
{
    switch (header.kind) {
    case '5':
        return statusRequest(header, now);
    case '6':
        return releaseRequest(header, now);
    case '1':
        return lampControl(header, now);
    case '4':
        return recordAnswer(header, now);
    default:
        return QStringLiteral("not a frame the tool sends; not answered");
    }
}

QString PbxLink::statusRequest(const link::FrameHeader& header, qint64 now)
{
    if (!header.parityGood) {
        respond(header, 1, now);
        return QStringLiteral("status frame");
    }
    if (header.length != kStatusLength || header.frame.mid(kDataOffset, 2) != "00") {
        respond(header, 3, now);
        return QStringLiteral("malformed status frame");
    }
    if (!m_linkUp) {
        if (m_refusal == 0) {
            m_linkUp = true;
            m_deviceField = header.deviceField;
            m_flood.begin(now);
        }
        respond(header, m_refusal, now);
        return m_refusal ? QStringLiteral("connect request, refused")
                         : QStringLiteral("connect request, accepted");
    }
    ++m_healthChecks;
    if (healthCheckMuted())
        return QStringLiteral("health check, left unanswered");
    respond(header, 0, now);
    return QStringLiteral("health check");
}

QString PbxLink::releaseRequest(const link::FrameHeader& header, qint64 now)
{
    if (!header.parityGood) {
        respond(header, 1, now);
        return QStringLiteral("release request, refused");
    }
    if (header.length != kReleaseLength) {
        respond(header, 3, now);
        return QStringLiteral("malformed release request");
    }
    respond(header, 0, now);
    enqueue({LinkAction::Type::Close, now, {}, {}});
    m_closing = true;
    return QStringLiteral("release request: answered, then the connection is closed");
}

QString PbxLink::lampControl(const link::FrameHeader& header, qint64 now)
{
    if (!header.parityGood) {
        respond(header, 1, now);
        return QStringLiteral("lamp control");
    }
    ++m_stats.lampControls;
    const auto command = lamp::parseLampMessage(header.frame.mid(kDataOffset, header.length - 4));
    if (!command || !m_lamps.apply(*command)) {
        ++m_stats.lampRejected;
        respond(header, 3, now);
        return QStringLiteral("malformed lamp message");
    }
    const LampFaults::Answer answer = m_lampFaults.answer(command->firstStation);
    if (!answer.code)
        return QStringLiteral("lamp ") + lamp::describeLampCommand(*command) +
               QStringLiteral(", left unanswered");
    respond(header, *answer.code, now + answer.delayMs);
    return QStringLiteral("lamp ") + lamp::describeLampCommand(*command);
}

QString PbxLink::recordAnswer(const link::FrameHeader& header, qint64 now)
{
    if (header.length != kAnswerLength)
        return QStringLiteral("malformed answer");
    const QString code(QLatin1Char(header.frame[kDataOffset]));
    ++m_stats.answerCodes[code];
    const auto awaited = std::find_if(m_awaited.begin(), m_awaited.end(), [&](const AwaitedAnswer& a) {
        return a.sequenceField == header.sequenceField;
    });
    if (awaited == m_awaited.end()) {
        ++m_stats.answerUnmatched;
        return QStringLiteral("answer code %1 to no record awaiting one").arg(code);
    }
    QString note = QStringLiteral("answer code %1 after %2 ms").arg(code).arg(now - awaited->sentAt);
    if (awaited->deviceField != header.deviceField) {
        ++m_stats.answerWrongDevice;
        note += QStringLiteral(", wrong device");
    }
    ++m_stats.recordsAnswered;
    ++m_stats.answerLatencyCounts[now - awaited->sentAt];
    m_awaited.erase(awaited);
    return note;
}

void PbxLink::respond(const link::FrameHeader& header, int code, qint64 now)
{
    send(responseFrame(header.deviceField, header.sequenceField, code, m_parity),
         QStringLiteral("response code %1").arg(code), now);
}

QList<LinkAction> PbxLink::takeDue(qint64 now)
{
    QList<LinkAction> due;
    if (!m_open)
        return due;
    if (m_resetDue) {
        m_resetDue = false;
        m_closing = true;
        m_outbox.clear();
        due.append({LinkAction::Type::Reset, now, {}, {}});
        return due;
    }
    if (m_releaseDue && mayOriginate()) {
        m_releaseDue = false;
        send(releaseFrame(m_deviceField, nextSequence(), m_parity), QStringLiteral("release request"), now);
    }
    expireAnswers(now);
    if (mayOriginateRecord()) {
        if (const auto text = m_feed.take(now))
            originateRecord(*text, now);
    }
    for (int n = mayOriginate() ? m_flood.framesDue(now, m_unsent) : 0; n > 0; --n)
        sendFloodFrame(now);
    while (!m_outbox.isEmpty() && m_outbox.front().due <= now) {
        const LinkAction action = m_outbox.takeFirst();
        for (const FrameInfo& frame : action.frames)
            departed(frame, now);
        due.append(action);
        if (action.type != LinkAction::Type::Write) {
            m_outbox.clear();
            break;
        }
    }
    return due;
}

std::optional<qint64> PbxLink::nextDue() const
{
    if (!m_open)
        return std::nullopt;
    if (m_resetDue || (m_releaseDue && mayOriginate()))
        return 0;
    std::optional<qint64> next;
    const auto consider = [&next](qint64 at) {
        if (!next || at < *next)
            next = at;
    };
    if (!m_outbox.isEmpty())
        consider(m_outbox.front().due);
    for (const AwaitedAnswer& awaited : m_awaited)
        consider(awaited.sentAt + m_answerTimeoutMs);
    if (mayOriginateRecord()) {
        if (const auto due = m_feed.nextDue())
            consider(*due);
    }
    if (mayOriginate()) {
        if (const auto due = m_flood.nextDue(m_unsent))
            consider(*due);
    }
    return next;
}

void PbxLink::sendRecord(const QByteArray& text)
{
    m_feed.push(text);
    changed();
}

void PbxLink::startRecords(const QList<QByteArray>& texts, int count, int intervalMs)
{
    m_feed.start(texts, count, intervalMs);
    changed();
}

void PbxLink::muteHealthChecks(int after, int count)
{
    Q_ASSERT(after >= 0);
    m_muteFrom = m_healthChecks + after + 1;
    m_muteCount = count;
}

void PbxLink::resetAfterFrames(int n)
{
    Q_ASSERT(n >= 0);
    if (n > 0) {
        m_resetAtFrame = m_framesIn + n;
        return;
    }
    m_resetDue = true;
    changed();
}

void PbxLink::forgetLampsAfterFrames(int n)
{
    Q_ASSERT(n > 0);
    m_forgetLampsAtFrame = m_framesIn + n;
}

void PbxLink::releaseAfterFrames(int n)
{
    Q_ASSERT(n >= 0);
    if (n > 0) {
        m_releaseAtFrame = m_framesIn + n;
        return;
    }
    m_releaseDue = true;
    changed();
}

void PbxLink::addFault(int frameOut, FrameFault fault)
{
    Q_ASSERT(frameOut > 0);
    m_faults.insert(frameOut, fault);
}

// Every frame the simulator sends passes here, so the faults armed for its number shape it.
void PbxLink::send(QByteArray frame, QString note, qint64 now)
{
    const int index = ++m_framesOut;
    const Shape shape = shapeOf(m_faults.values(index));
    m_faults.remove(index);
    if (shape.wrongSequence) {
        frame = withSequence(frame, (frame.mid(7, 2).toInt() + 50) % 100, m_parity);
        note += QStringLiteral(", wrong sequence");
    }
    if (shape.corrupt) {
        frame.back() = static_cast<char>(frame.back() ^ 0x01);
        note += QStringLiteral(", check byte corrupted");
    }
    const qint64 due = now + shape.delayMs;
    if (shape.delayMs > 0)
        note += QStringLiteral(", %1 ms late").arg(shape.delayMs);
    if (shape.junk) {
        enqueue({LinkAction::Type::Write,
                 due,
                 kJunkBytes,
                 {{FrameInfo::Direction::Out, 0, FrameInfo::kJunk, {}, kJunkBytes, "no frame"}}});
    }
    if (shape.together > 1)
        note += QStringLiteral(", %1 frames in one write").arg(shape.together);
    QByteArray bytes = frame;
    QList<FrameInfo> frames{outgoing(index, frame, note)};
    for (int extra = 1; extra < shape.together; ++extra) {
        const QByteArray record = recordFrame(m_deviceField, nextSequence(), m_feed.takeExtra(), m_parity);
        ++m_recordsUnsent;
        bytes += record;
        frames.append(outgoing(++m_framesOut, record, QStringLiteral("record, in the same write")));
    }
    if (shape.strayAnswer) {
        const QByteArray sequence = sequenceText((frame.mid(7, 2).toInt() + 50) % 100);
        const QByteArray stray = responseFrame(m_deviceField, sequence, 0, m_parity);
        bytes += stray;
        const QString note = QStringLiteral("response to no request, in the same write");
        frames.append(outgoing(++m_framesOut, stray, note));
    }
    if (shape.releaseBehind) {
        const QByteArray release = releaseFrame(m_deviceField, nextSequence(), m_parity);
        bytes += release;
        frames.append(outgoing(++m_framesOut, release, QStringLiteral("release request, in the same write")));
    }
    if (shape.cutByReset) {
        // The frame never arrives whole: nothing more is sent or read on this connection.
        m_closing = true;
        enqueue({LinkAction::Type::Write, due, bytes.first(bytes.size() / 2), {}});
        enqueue({LinkAction::Type::Reset, due, {}, {}});
        return;
    }
    if (shape.splitPauseMs < 0) {
        enqueue({LinkAction::Type::Write, due, bytes, frames});
        return;
    }
    frames.front().note += QStringLiteral(", split in two writes %1 ms apart").arg(shape.splitPauseMs);
    const qsizetype half = bytes.size() / 2;
    enqueue({LinkAction::Type::Write, due, bytes.first(half), {}});
    enqueue({LinkAction::Type::Write, due + shape.splitPauseMs, bytes.mid(half), frames});
}

// Actions leave in the order they were made, so a late one holds back those behind it.
void PbxLink::enqueue(LinkAction action)
{
    if (!m_outbox.isEmpty())
        action.due = std::max(action.due, m_outbox.back().due);
    m_outbox.append(std::move(action));
}

void PbxLink::departed(const FrameInfo& frame, qint64 now)
{
    ++m_stats.framesOut[SimStats::kindKey(frame.kind)];
    if (frame.kind != '2')
        return;
    ++m_stats.recordsSent;
    --m_recordsUnsent;
    m_awaited.append({frame.sequenceField, frame.bytes.mid(5, 2), now});
}

void PbxLink::expireAnswers(qint64 now)
{
    const auto expired = std::remove_if(m_awaited.begin(), m_awaited.end(), [&](const AwaitedAnswer& a) {
        return now >= a.sentAt + m_answerTimeoutMs;
    });
    m_stats.recordTimeouts += int(std::distance(expired, m_awaited.end()));
    m_awaited.erase(expired, m_awaited.end());
}

bool PbxLink::mayOriginateRecord() const
{
    return mayOriginate() && m_recordsUnsent == 0 && m_awaited.isEmpty();
}

void PbxLink::originateRecord(const QByteArray& text, qint64 now)
{
    ++m_recordsUnsent;
    send(recordFrame(m_deviceField, nextSequence(), text, m_parity), QStringLiteral("record"), now);
}

// A record does not wait for the answer to the one before; garbage is a SYN and a kind no frame has.
void PbxLink::sendFloodFrame(qint64 now)
{
    switch (m_flood.kind()) {
    case LinkFlood::Kind::Ignored:
        send(statusFrame(m_deviceField, nextSequence(), m_parity), QStringLiteral("status frame, flood"),
             now);
        break;
    case LinkFlood::Kind::Records:
        ++m_recordsUnsent;
        send(recordFrame(m_deviceField, nextSequence(), m_feed.takeExtra(), m_parity),
             QStringLiteral("record, flood"), now);
        break;
    case LinkFlood::Kind::Garbage: {
        const QByteArray bytes =
            QByteArray(1, link::SYN) + "9GARBAGE" + QByteArray::number(++m_floodFrames % 1000);
        enqueue({LinkAction::Type::Write,
                 now,
                 bytes,
                 {{FrameInfo::Direction::Out, 0, FrameInfo::kJunk, {}, bytes, "garbage, flood"}}});
        break;
    }
    case LinkFlood::Kind::None:
        break;
    }
}

int PbxLink::nextSequence()
{
    m_sequence = (m_sequence + 1) % 100;
    return m_sequence;
}

bool PbxLink::healthCheckMuted() const
{
    return m_muteFrom > 0 && m_healthChecks >= m_muteFrom &&
           (m_muteCount < 0 || m_healthChecks < m_muteFrom + m_muteCount);
}

void PbxLink::changed()
{
    if (m_changed)
        m_changed();
}

} // namespace zkn::pbxsim
