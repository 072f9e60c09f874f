// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/link_watch.h"

#include "monitor/frame_text.h"

#include <cctype>

namespace zkn::monitor {

namespace {

// The frame's sequence number as a key: two digits, or none.
std::optional<int> sequenceOf(const link::FrameHeader& frame)
{
    const QByteArray& field = frame.sequenceField;
    if (field.size() != 2 || !std::isdigit(quint8(field[0])) || !std::isdigit(quint8(field[1])))
        return std::nullopt;
    return frame.sequence;
}

QString requestWords(Meaning request, const std::optional<lamp::LampCommand>& lamp, int sequence)
{
    QString words = QString::fromLatin1(meaningName(request)) +
                    QStringLiteral(" seq %1").arg(sequence, 2, 10, QLatin1Char('0'));
    if (lamp)
        words += QStringLiteral(" (") + lamp::describeLampCommand(*lamp) + QLatin1Char(')');
    return words;
}

} // namespace

LinkWatch::LinkWatch(link::Parity parity, Events events)
    : m_parity(parity), m_events(std::move(events)), m_pbxSerial(serialSink(Side::Pbx)),
      m_mcSerial(serialSink(Side::Mc))
{
}

link::SerialReceiver::Sink LinkWatch::serialSink(Side from)
{
    return {[](const QByteArray&) {},
            [this, from](const QByteArray& message) { serialMessage(from, message); },
            [this, from](const QByteArray& message) {
                serialMessage(from, message);
                reportFault(0, m_cutAtUs,
                            QStringLiteral("a message from %1 without ETX after %2 bytes")
                                .arg(sideWords(from))
                                .arg(link::SerialReceiver::kLongestRecord));
            }};
}

void LinkWatch::serialReceived(qint64 timeUs, Side from, QByteArrayView bytes)
{
    m_cutAtUs = timeUs;
    (from == Side::Pbx ? m_pbxSerial : m_mcSerial).receive(bytes.toByteArray());
}

void LinkWatch::serialMessage(Side from, const QByteArray& message)
{
    WatchedFrame seen{m_cutAtUs, 0, from, true, {}, message, Meaning::Other, {}, {}, {}};
    SideFigures& side = m_figures.of(from);
    ++side.frames;
    if (from == Side::Pbx) {
        seen.meaning = Meaning::Record;
        seen.record = message;
        ++side.records;
    } else if ((seen.lamp = lamp::parseLampMessage(QByteArray(message).replace('.', ' ')))) {
        // The receiver shows blanks as dots; a lamp message holds no dot of its own.
        seen.meaning = Meaning::Lamp;
        ++side.lampMessages;
        m_lamps.set(*seen.lamp, m_cutAtUs);
    }
    if (m_events.frame)
        m_events.frame(seen);
}

LinkWatch::Connection& LinkWatch::connectionOf(int number)
{
    const auto found = m_connections.find(number);
    if (found != m_connections.end())
        return found->second;
    if (int(m_connections.size()) >= kMostConnections) {
        const auto oldest = m_connections.begin();
        forgetDeadlines(oldest->first, Side::Mc, oldest->second.fromMc);
        forgetDeadlines(oldest->first, Side::Pbx, oldest->second.fromPbx);
        m_connections.erase(oldest);
    }
    ++m_figures.connections;
    Connection& connection = m_connections[number];
    const auto splitter = [this, number](Side from) {
        return std::make_unique<link::FrameSplitter>(m_parity,
                                                     [this, number, from](const link::FrameHeader& frame) {
                                                         this->frame(number, m_cutAtUs, from, frame);
                                                     });
    };
    connection.pbxBytes = splitter(Side::Pbx);
    connection.mcBytes = splitter(Side::Mc);
    return connection;
}

void LinkWatch::began(int connection, qint64 timeUs)
{
    advanceTo(timeUs);
    connectionOf(connection);
}

void LinkWatch::received(int number, qint64 timeUs, Side from, QByteArrayView bytes)
{
    Connection& connection = connectionOf(number);
    m_cutAtUs = timeUs;
    (from == Side::Pbx ? connection.pbxBytes : connection.mcBytes)->feed(bytes);
}

Meaning LinkWatch::meaningOf(Connection& connection, Side from, char kind)
{
    if (kind == '6')
        return Meaning::Release;
    if (from == Side::Pbx) {
        switch (kind) {
        case '2':
            return Meaning::Record;
        case '3':
            return Meaning::Response;
        default:
            return Meaning::Other;
        }
    }
    switch (kind) {
    case '1':
        return Meaning::Lamp;
    case '4':
        return Meaning::RecordAnswer;
    case '5':
        return std::exchange(connection.statusSeen, true) ? Meaning::HealthCheck : Meaning::ConnectRequest;
    default:
        return Meaning::Other;
    }
}

void LinkWatch::frame(int number, qint64 timeUs, Side from, const link::FrameHeader& frame)
{
    advanceTo(timeUs);
    // The frame's own faults are said after it.
    m_holdFaults = true;
    Connection& connection = connectionOf(number);
    WatchedFrame seen{timeUs, number, from, false, frame, {}, meaningOf(connection, from, frame.kind),
                      {},     {},     {}};
    SideFigures& side = m_figures.of(from);
    ++side.frames;
    const std::optional<int> sequence = sequenceOf(frame);
    const QByteArray data = link::frameData(frame);
    switch (seen.meaning) {
    case Meaning::ConnectRequest:
        connection.device = frame.deviceField;
        break;
    case Meaning::Lamp:
        ++side.lampMessages;
        seen.lamp = lamp::parseLampMessage(data);
        if (seen.lamp)
            m_lamps.set(*seen.lamp, timeUs);
        break;
    case Meaning::Record:
        ++side.records;
        seen.record = link::recordText(frame).value_or(QByteArray());
        break;
    case Meaning::Response:
    case Meaning::RecordAnswer:
        answer(number, connection, seen);
        break;
    case Meaning::HealthCheck:
    case Meaning::Release:
    case Meaning::Other:
        break;
    }
    const bool awaitsAnswer =
        requestIndex(seen.meaning) >= 0 && !(from == Side::Pbx && seen.meaning == Meaning::Release);
    if (awaitsAnswer && sequence) {
        const qint64 limit = seen.meaning == Meaning::HealthCheck ? kHealthAnswerUs : kAnswerUs;
        await(number, connection, from, *sequence,
              {seen.meaning, timeUs, timeUs + limit, false, false, seen.lamp});
    }
    if (!frame.parityGood) {
        ++side.badCheckBytes;
        reportFault(number, timeUs,
                    QStringLiteral("a bad check byte in %1's %2 frame seq %3")
                        .arg(sideWords(from), QString::fromLatin1(meaningName(seen.meaning)),
                             QString::fromLatin1(frame.sequenceField)));
    }
    if (seen.answered && frame.responseCode != 0) {
        const int code = frame.responseCode;
        if (code >= 1 && code <= 9)
            ++side.negativeAnswers[std::size_t(code)];
        reportFault(number, timeUs,
                    QStringLiteral("a negative answer to the %1: code %2 %3")
                        .arg(requestWords(seen.answered->request, seen.answered->lamp, frame.sequence),
                             QString::number(code),
                             from == Side::Pbx ? QString::fromLatin1(link::responseText(code)) : QString())
                        .trimmed());
    }
    m_holdFaults = false;
    if (m_events.frame)
        m_events.frame(seen);
    for (const WatchFault& held : std::exchange(m_heldFaults, {}))
        if (m_events.fault)
            m_events.fault(held);
}

void LinkWatch::await(int number, Connection& connection, Side from, int sequence, Awaiting awaiting)
{
    AwaitedBySequence& awaited = from == Side::Mc ? connection.fromMc : connection.fromPbx;
    std::optional<Awaiting>& slot = awaited[std::size_t(sequence)];
    // The sequence number came round again: the request before is given up.
    if (slot && slot->timed)
        timeUp(number, connection, from, sequence, awaiting.sentUs);
    slot = awaiting;
    // On a closing connection a request is still matched, but its time is never up.
    slot->timed = !connection.ending;
    if (slot->timed)
        m_deadlines.insert({awaiting.dueUs, number, from, sequence});
}

void LinkWatch::answer(int number, Connection& connection, WatchedFrame& seen)
{
    // A response answers the message centre's request; an answer to a record, the PBX's record.
    const Side asker = seen.meaning == Meaning::Response ? Side::Mc : Side::Pbx;
    const std::optional<int> sequence = sequenceOf(seen.frame);
    AwaitedBySequence& awaited = asker == Side::Mc ? connection.fromMc : connection.fromPbx;
    if (!sequence || !awaited[std::size_t(*sequence)]) {
        if (asker == Side::Mc) {
            ++m_figures.responsesToNothing;
            reportFault(number, seen.timeUs,
                        QStringLiteral("a response to nothing: seq %1")
                            .arg(QString::fromLatin1(seen.frame.sequenceField)));
        } else {
            ++m_figures.answersToNoRecord;
            reportFault(number, seen.timeUs,
                        QStringLiteral("an answer to a record never sent: seq %1")
                            .arg(QString::fromLatin1(seen.frame.sequenceField)));
        }
        return;
    }
    const Awaiting request = *std::exchange(awaited[std::size_t(*sequence)], std::nullopt);
    if (request.timed)
        m_deadlines.erase({request.dueUs, number, asker, *sequence});
    const qint64 afterUs = seen.timeUs - request.sentUs;
    seen.answered = WatchedFrame::Answered{request.request, afterUs, request.late, request.lamp};
    m_figures.answerTimes[std::size_t(requestIndex(request.request))].add(afterUs);
    if (request.lamp)
        m_lamps.answered(*request.lamp, request.sentUs, seen.frame.responseCode);
}

void LinkWatch::timeUp(int number, Connection& connection, Side awaitedFrom, int sequence, qint64 timeUs)
{
    AwaitedBySequence& awaited = awaitedFrom == Side::Mc ? connection.fromMc : connection.fromPbx;
    Awaiting& request = *awaited[std::size_t(sequence)];
    request.late = true;
    request.timed = false;
    m_deadlines.erase({request.dueUs, number, awaitedFrom, sequence});
    ++m_figures.notAnsweredInTime[std::size_t(requestIndex(request.request))];
    if (request.lamp)
        m_lamps.timeUp(*request.lamp, request.sentUs);
    reportFault(number, timeUs,
                QStringLiteral("no answer in time to the %1 (%2)")
                    .arg(requestWords(request.request, request.lamp, sequence),
                         request.request == Meaning::HealthCheck ? QStringLiteral("500 ms")
                                                                 : QStringLiteral("10 s")));
}

void LinkWatch::advanceTo(qint64 timeUs)
{
    while (!m_deadlines.empty() && std::get<0>(*m_deadlines.begin()) <= timeUs) {
        const auto [dueUs, number, side, sequence] = *m_deadlines.begin();
        timeUp(number, m_connections.at(number), side, sequence, dueUs);
    }
}

std::optional<qint64> LinkWatch::nextDeadline() const
{
    if (m_deadlines.empty())
        return std::nullopt;
    return std::get<0>(*m_deadlines.begin());
}

void LinkWatch::ending(int number, qint64 timeUs, Side by, bool reset)
{
    advanceTo(timeUs);
    SideFigures& side = m_figures.of(by);
    ++(reset ? side.resets : side.closes);
    const auto found = m_connections.find(number);
    if (found == m_connections.end())
        return;
    Connection& connection = found->second;
    forgetDeadlines(number, Side::Mc, connection.fromMc);
    forgetDeadlines(number, Side::Pbx, connection.fromPbx);
    if (reset) {
        m_connections.erase(found);
        return;
    }
    connection.ending = true;
}

void LinkWatch::finished(int number)
{
    const auto found = m_connections.find(number);
    if (found == m_connections.end())
        return;
    forgetDeadlines(number, Side::Mc, found->second.fromMc);
    forgetDeadlines(number, Side::Pbx, found->second.fromPbx);
    m_connections.erase(found);
}

void LinkWatch::forgetDeadlines(int number, Side awaitedFrom, AwaitedBySequence& awaited)
{
    for (std::size_t sequence = 0; sequence < awaited.size(); ++sequence) {
        std::optional<Awaiting>& request = awaited[sequence];
        if (request && std::exchange(request->timed, false))
            m_deadlines.erase({request->dueUs, number, awaitedFrom, int(sequence)});
    }
}

void LinkWatch::reportFault(int connection, qint64 timeUs, const QString& what)
{
    ++m_figures.faults;
    const WatchFault fault{timeUs, connection, deviceOf(connection), what};
    if (m_faults.size() < kFaultsKept)
        m_faults.append(fault);
    else
        ++m_faultsLeftOut;
    if (m_holdFaults)
        m_heldFaults.append(fault);
    else if (m_events.fault)
        m_events.fault(fault);
}

QByteArray LinkWatch::deviceOf(int connection) const
{
    const auto found = m_connections.find(connection);
    return found == m_connections.end() ? QByteArray() : found->second.device;
}

} // namespace zkn::monitor
