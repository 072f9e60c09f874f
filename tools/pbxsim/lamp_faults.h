// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <random>
#include <utility>

namespace zkn::pbxsim {

// Stations given as a number, a range A-B, or a list of them joined by commas: "1000,1005-1009".
class StationSet
{
public:
    static std::optional<StationSet> parse(const QString& text);
    // The station a lamp message names, as it stands in its field; "#12" or blanks name none.
    bool contains(const QByteArray& station) const;

private:
    QList<std::pair<qint64, qint64>> m_ranges;
};

// How the PBX answers lamp-control messages, for rehearsing what goes wrong: a code other than 0
// for some stations, no answer for others, and a delay with a seeded jitter for every answer.
class LampFaults
{
public:
    struct Answer
    {
        std::optional<int> code; // none: left unanswered
        qint64 delayMs = 0;
    };

    void addCode(const StationSet& stations, int code) { m_codes.append({stations, code}); }
    void mute(const StationSet& stations) { m_muted.append(stations); }
    void setDelay(int ms, int jitterMs)
    {
        m_delayMs = ms;
        m_jitterMs = jitterMs;
    }
    void seed(unsigned value) { m_random.seed(value); }

    // The answer to a message for `station` that the board took.
    Answer answer(const QByteArray& station);

private:
    QList<std::pair<StationSet, int>> m_codes;
    QList<StationSet> m_muted;
    int m_delayMs = 0;
    int m_jitterMs = 0;
    std::mt19937 m_random{1};
};

} // namespace zkn::pbxsim
