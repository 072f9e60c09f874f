// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/serial_side.h"

#include "lamp/lamp_message_reader.h"
#include "link/frame_reader.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/sim_stats.h"

namespace zkn::pbxsim {

namespace {

// A text longer than any message is noise, not something to wait for the end of.
constexpr qsizetype kLongestText = 1000;

} // namespace

SerialSide::SerialSide(SimStats& stats, LampBoard& lamps) : m_stats(stats), m_lamps(lamps) {}

void SerialSide::lineOpened()
{
    m_open = true;
    m_text.clear();
    ++m_stats.connections;
}

void SerialSide::lineClosed()
{
    m_open = false;
    m_text.clear();
}

// Characters outside a text are traced where they came, before the text that follows them.
QList<FrameInfo> SerialSide::receive(const QByteArray& bytes)
{
    QList<FrameInfo> found;
    QByteArray plain;
    const auto tracePlain = [&] {
        if (plain.isEmpty())
            return;
        ++m_stats.framesIn[SimStats::kindKey(FrameInfo::kJunk)];
        found.append({FrameInfo::Direction::In,
                      0,
                      FrameInfo::kJunk,
                      {},
                      std::exchange(plain, {}),
                      "characters outside a message"});
    };
    for (const char c : bytes) {
        if (c == link::STX) {
            plain.append(std::exchange(m_text, QByteArray(1, c))); // a text cut short by the next
        } else if (m_text.isEmpty()) {
            plain.append(c);
        } else {
            m_text.append(c);
            if (c == link::ETX) {
                tracePlain();
                found.append(textIn(std::exchange(m_text, {})));
            } else if (m_text.size() > kLongestText) {
                plain.append(std::exchange(m_text, {}));
            }
        }
    }
    tracePlain();
    return found;
}

FrameInfo SerialSide::textIn(const QByteArray& text)
{
    ++m_stats.framesIn[SimStats::kindKey(FrameInfo::kText)];
    FrameInfo info{FrameInfo::Direction::In, ++m_unitsIn, FrameInfo::kText, {}, text, {}};
    if (!text.startsWith("\x02"
                         "0!A")) {
        info.note = QStringLiteral("message text, not a lamp control");
        return info;
    }
    ++m_stats.lampControls;
    const auto command = lamp::parseLampMessage(text);
    if (!command || !m_lamps.apply(*command)) {
        ++m_stats.lampRejected;
        info.note = QStringLiteral("malformed lamp message");
        return info;
    }
    info.note = QStringLiteral("lamp ") + lamp::describeLampCommand(*command);
    return info;
}

QList<LinkAction> SerialSide::takeDue(qint64 now)
{
    QList<LinkAction> due;
    if (!m_open)
        return due;
    while (m_recordsSent != m_hangUpAt) {
        const auto text = m_feed.take(now);
        if (!text)
            break;
        ++m_recordsSent;
        ++m_stats.recordsSent;
        ++m_stats.framesOut[SimStats::kindKey(FrameInfo::kText)];
        due.append({LinkAction::Type::Write,
                    now,
                    *text,
                    {{FrameInfo::Direction::Out, ++m_unitsOut, FrameInfo::kText, {}, *text, "record"}}});
    }
    if (m_recordsSent == m_hangUpAt) {
        m_hangUpAt = -1;
        due.append({LinkAction::Type::Close, now, {}, {}});
    }
    return due;
}

std::optional<qint64> SerialSide::nextDue() const
{
    if (!m_open)
        return std::nullopt;
    if (m_recordsSent == m_hangUpAt)
        return 0;
    return m_feed.nextDue();
}

void SerialSide::sendRecord(const QByteArray& text)
{
    m_feed.push(text);
    changed();
}

void SerialSide::startRecords(const QList<QByteArray>& texts, int count, int intervalMs)
{
    m_feed.start(texts, count, intervalMs);
    changed();
}

void SerialSide::hangUpAfterRecords(int n)
{
    Q_ASSERT(n >= 0);
    m_hangUpAt = m_recordsSent + n;
    changed();
}

void SerialSide::changed()
{
    if (m_changed)
        m_changed();
}

} // namespace zkn::pbxsim
