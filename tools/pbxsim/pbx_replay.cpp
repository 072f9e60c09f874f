// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/pbx_replay.h"

#include "link/frame_reader.h"
#include "pbxsim/pbx_frames.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace zkn::pbxsim {

namespace {

constexpr qsizetype kSequenceAt = 7;
constexpr qsizetype kDataAt = 9;

bool isHealthCheckOrConnect(const link::FrameHeader& header)
{
    return header.kind == '5';
}

bool isAnswered(char kind)
{
    return kind == '1' || kind == '5' || kind == '6';
}

// A frame as compared: everything but its sequence number and check byte.
QByteArray comparedPart(const QByteArray& frame)
{
    return frame.left(kSequenceAt) + frame.mid(kSequenceAt + 2, frame.size() - kSequenceAt - 3);
}

// "kind 4 seq 00 data 0" with control characters as \xHH.
QString described(const QByteArray& frame, link::Parity parity)
{
    const link::FrameHeader header = link::readFrameHeader(frame, parity);
    QString data;
    for (const char c : frame.mid(kDataAt, frame.size() - kDataAt - 1)) {
        if (quint8(c) < 0x20 || quint8(c) >= 0x7f)
            data += QStringLiteral("\\x%1").arg(quint8(c), 2, 16, QLatin1Char('0'));
        else
            data += QLatin1Char(c);
    }
    return QStringLiteral("kind %1 seq %2 data \"%3\"")
        .arg(QString(QLatin1Char(header.kind)), QString::fromLatin1(header.sequenceField), data);
}

} // namespace

PbxReplay::PbxReplay(const CapturedLink& capture, link::Parity parity, double speed, int quietMs)
    : m_parity(parity), m_speed(speed), m_quietMs(quietMs)
{
    for (const CapturedConnection& connection : capture)
        m_played.append(script(connection, parity));
}

PbxReplay::Played PbxReplay::script(const CapturedConnection& connection, link::Parity parity)
{
    Played played;
    int compared = 0;
    bool connectSeen = false;
    qint64 lastEventUs = connection.frames.isEmpty() ? 0 : connection.frames.first().us;
    QMap<QByteArray, int> awaited; // the tool's requests by sequence field; -1 a health check
    for (const CapturedFrame& frame : connection.frames) {
        const link::FrameHeader header = link::readFrameHeader(frame.bytes, parity);
        if (frame.fromTool) {
            if (isHealthCheckOrConnect(header) && std::exchange(connectSeen, true)) {
                awaited.insert(header.sequenceField, -1);
                continue;
            }
            if (isAnswered(header.kind))
                awaited.insert(header.sequenceField, compared);
            played.expected.append(frame);
            ++compared;
            lastEventUs = frame.us;
            continue;
        }
        Step step{LinkAction::Type::Write, frame.bytes, compared, frame.us - lastEventUs, -1};
        if (header.kind == '3' && awaited.contains(header.sequenceField)) {
            step.answers = awaited.take(header.sequenceField);
            if (step.answers < 0)
                continue; // a health check's answer: health checks are answered live
        }
        if (header.kind == '2')
            played.capturedRecordAt.insert(header.sequenceField, frame.us);
        played.steps.append(step);
        lastEventUs = frame.us;
    }
    if (connection.end == CapturedConnection::End::PbxClosed ||
        connection.end == CapturedConnection::End::PbxReset)
        played.steps.append({connection.end == CapturedConnection::End::PbxClosed ? LinkAction::Type::Close
                                                                                  : LinkAction::Type::Reset,
                             {},
                             compared,
                             std::max<qint64>(0, connection.endUs - lastEventUs),
                             -1});
    return played;
}

void PbxReplay::connectionOpened()
{
    ++m_connection;
    if (m_connection >= m_played.size())
        ++m_extraConnections;
    m_open = true;
    m_connectSeen = false;
    m_nextStep = 0;
    m_openedAt.reset();
    m_assembler.clear();
    m_immediate.clear();
}

void PbxReplay::connectionClosed()
{
    m_open = false;
    m_immediate.clear();
    if (m_connection >= m_played.size() - 1)
        m_ended = true;
}

QList<FrameInfo> PbxReplay::receive(const QByteArray& bytes, qint64 now)
{
    QList<FrameInfo> seen;
    for (const FrameAssembler::Piece& piece : m_assembler.feed(bytes)) {
        FrameInfo info{FrameInfo::Direction::In, ++m_framesIn, FrameInfo::kJunk, {}, piece.bytes, {}};
        activity(now);
        if (!piece.isFrame) {
            info.note = QStringLiteral("no frame");
            seen.append(info);
            continue;
        }
        const link::FrameHeader header = link::readFrameHeader(piece.bytes, m_parity);
        info.kind = header.kind;
        info.sequenceField = header.sequenceField;
        if (isHealthCheckOrConnect(header) && m_connectSeen) {
            m_immediate.append({LinkAction::Type::Write,
                                now,
                                responseFrame(header.deviceField, header.sequenceField, 0, m_parity),
                                {}});
            info.note = QStringLiteral("health check, answered");
        } else {
            m_connectSeen = m_connectSeen || isHealthCheckOrConnect(header);
            if (m_connection < m_played.size())
                m_played[m_connection].seen.append({piece.bytes, now});
            info.note = QStringLiteral("compared with the capture");
        }
        seen.append(info);
    }
    return seen;
}

std::optional<qint64> PbxReplay::dueOfNextStep() const
{
    if (!m_open || !m_openedAt || m_connection >= m_played.size())
        return std::nullopt;
    const Played& played = m_played[m_connection];
    if (m_nextStep >= played.steps.size())
        return std::nullopt;
    const Step& step = played.steps[m_nextStep];
    if (played.seen.size() < step.toolFramesBefore)
        return std::nullopt;
    qint64 base = m_nextStep > 0 ? m_lastStepAt : *m_openedAt;
    if (step.toolFramesBefore > 0)
        base = std::max(base, played.seen[step.toolFramesBefore - 1].second);
    return base + qint64(double(step.gapUs) / 1000.0 / m_speed);
}

QByteArray PbxReplay::playedFrame(const Step& step) const
{
    const Played& played = m_played[m_connection];
    if (step.answers < 0 || step.answers >= played.seen.size() || step.bytes.size() < kDataAt + 1)
        return step.bytes;
    QByteArray text = step.bytes.first(step.bytes.size() - 1);
    text.replace(kSequenceAt, 2, played.seen[step.answers].first.mid(kSequenceAt, 2));
    const quint8 check = link::ComputeParity(text, m_parity);
    // A check byte that was wrong in the capture stays wrong.
    return text + char(link::CheckParity(step.bytes, m_parity) ? check : quint8(~check));
}

QList<LinkAction> PbxReplay::takeDue(qint64 now)
{
    if (m_open && !m_openedAt) {
        m_openedAt = now;
        activity(now);
    }
    QList<LinkAction> due = std::exchange(m_immediate, {});
    while (const std::optional<qint64> at = dueOfNextStep()) {
        if (*at > now)
            break;
        Played& played = m_played[m_connection];
        const Step& step = played.steps[m_nextStep++];
        LinkAction action{step.type, now, {}, {}};
        if (step.type == LinkAction::Type::Write) {
            action.bytes = playedFrame(step);
            const link::FrameHeader header = link::readFrameHeader(action.bytes, m_parity);
            if (header.kind == '2')
                played.recordSentAt.insert(header.sequenceField, now);
            action.frames.append({FrameInfo::Direction::Out, m_nextStep, header.kind, header.sequenceField,
                                  action.bytes, QStringLiteral("as captured")});
        } else {
            m_open = false; // nothing more on this connection
        }
        m_lastStepAt = now;
        activity(now);
        due.append(action);
    }
    if (!m_ended && !dueOfNextStep() && now - m_lastActivity >= m_quietMs)
        m_ended = true;
    return due;
}

std::optional<qint64> PbxReplay::nextDue() const
{
    if (m_ended)
        return std::nullopt;
    if (!m_immediate.isEmpty() || (m_open && !m_openedAt))
        return m_lastActivity;
    const qint64 quiet = m_lastActivity + m_quietMs;
    const std::optional<qint64> step = dueOfNextStep();
    return step ? std::min(*step, quiet) : quiet;
}

bool PbxReplay::differed() const
{
    if (m_extraConnections > 0 || m_connection < m_played.size() - 1)
        return true;
    return std::any_of(m_played.begin(), m_played.end(), [](const Played& played) {
        if (played.seen.size() != played.expected.size())
            return true;
        for (qsizetype i = 0; i < played.seen.size(); ++i)
            if (comparedPart(played.seen[i].first) != comparedPart(played.expected[i].bytes))
                return true;
        return false;
    });
}

QString PbxReplay::report() const
{
    QStringList lines;
    int compared = 0, differing = 0;
    for (qsizetype c = 0; c < m_played.size(); ++c) {
        const Played& played = m_played[c];
        const QString where = QStringLiteral("connection %1, frame %2 of the tool: ");
        for (qsizetype i = 0; i < std::max(played.seen.size(), played.expected.size()); ++i) {
            const bool captured = i < played.expected.size(), now = i < played.seen.size();
            if (captured && now) {
                ++compared;
                if (comparedPart(played.seen[i].first) == comparedPart(played.expected[i].bytes))
                    continue;
            }
            ++differing;
            const QString prefix = where.arg(c + 1).arg(i + 1);
            if (captured && now)
                lines.append(prefix + QStringLiteral("captured %1, now %2")
                                          .arg(described(played.expected[i].bytes, m_parity),
                                               described(played.seen[i].first, m_parity)));
            else if (captured)
                lines.append(prefix + QStringLiteral("missing, captured %1")
                                          .arg(described(played.expected[i].bytes, m_parity)));
            else
                lines.append(prefix +
                             QStringLiteral("extra, now %1").arg(described(played.seen[i].first, m_parity)));
        }
        // The tool's answers to the PBX's records, captured and now.
        for (const CapturedFrame& frame : played.expected) {
            const link::FrameHeader header = link::readFrameHeader(frame.bytes, m_parity);
            if (header.kind != '4' || !played.capturedRecordAt.contains(header.sequenceField))
                continue;
            QString live = QStringLiteral("none");
            for (const auto& [bytes, at] : played.seen)
                if (bytes.mid(kSequenceAt, 2) == header.sequenceField && bytes.size() > 1 &&
                    bytes.at(1) == '4' && played.recordSentAt.contains(header.sequenceField))
                    live = QStringLiteral("%1 ms").arg(at - played.recordSentAt.value(header.sequenceField));
            lines.append(QStringLiteral("connection %1, answer to record %2: captured %3 ms, now %4")
                             .arg(c + 1)
                             .arg(QString::fromLatin1(header.sequenceField))
                             .arg((frame.us - played.capturedRecordAt.value(header.sequenceField)) / 1000)
                             .arg(live));
        }
    }
    if (m_extraConnections > 0)
        lines.append(QStringLiteral("%1 connection(s) the capture does not have").arg(m_extraConnections));
    lines.append(
        differed()
            ? QStringLiteral("The tool differed from the capture: %1 of its frames.").arg(differing)
            : QStringLiteral("The tool behaved as captured: %1 of its frames compared.").arg(compared));
    return lines.join(QLatin1Char('\n'));
}

} // namespace zkn::pbxsim
