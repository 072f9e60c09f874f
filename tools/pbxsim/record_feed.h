// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace zkn::pbxsim {

// Which record goes next and when: records asked for on demand go first, as soon as the link
// lets them; a running series sends one text after another from its list, at most one per
// interval. The feed knows no link; its owner asks whether a record is due.
class RecordFeed
{
public:
    RecordFeed();

    void push(const QByteArray& text);
    // `count` records from `texts` (taken in turn), one every `intervalMs`; the first at once.
    void start(const QList<QByteArray>& texts, int count, int intervalMs);

    // The record that may leave at `now`, taken from the feed; nothing when none is due.
    std::optional<QByteArray> take(qint64 now);
    // When a record next falls due; nothing while none waits.
    std::optional<qint64> nextDue() const;
    // The next text of the series' list whether due or not, for frames that go out together.
    QByteArray takeExtra();

private:
    QByteArray nextText();

    QList<QByteArray> m_demand;
    QList<QByteArray> m_texts;
    qsizetype m_nextText = 0;
    int m_remaining = 0;
    int m_intervalMs = 0;
    std::optional<qint64> m_lastSent;
};

} // namespace zkn::pbxsim
