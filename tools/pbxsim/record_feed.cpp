// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/record_feed.h"

#include "pbxsim/record_catalogue.h"

namespace zkn::pbxsim {

RecordFeed::RecordFeed() : m_texts(catalogueTexts(RecordLayout::Kra)) {}

void RecordFeed::push(const QByteArray& text)
{
    m_demand.append(text);
}

void RecordFeed::start(const QList<QByteArray>& texts, int count, int intervalMs)
{
    Q_ASSERT(!texts.isEmpty() && count >= 0 && intervalMs >= 0);
    m_texts = texts;
    m_nextText = 0;
    m_remaining = count;
    m_intervalMs = intervalMs;
    m_lastSent.reset();
}

std::optional<QByteArray> RecordFeed::take(qint64 now)
{
    if (!m_demand.isEmpty())
        return m_demand.takeFirst();
    const auto due = nextDue();
    if (!due || *due > now)
        return std::nullopt;
    --m_remaining;
    m_lastSent = now;
    return nextText();
}

std::optional<qint64> RecordFeed::nextDue() const
{
    if (!m_demand.isEmpty())
        return 0;
    if (m_remaining <= 0)
        return std::nullopt;
    return m_lastSent ? *m_lastSent + m_intervalMs : 0;
}

QByteArray RecordFeed::takeExtra()
{
    return m_demand.isEmpty() ? nextText() : m_demand.takeFirst();
}

QByteArray RecordFeed::nextText()
{
    const QByteArray text = m_texts[m_nextText];
    m_nextText = (m_nextText + 1) % m_texts.size();
    return text;
}

} // namespace zkn::pbxsim
