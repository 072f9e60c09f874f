// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>

#include <optional>

namespace zkn::lamp {

// What became of the last message that asked for a lamp's state.
enum class LampOutcome
{
    Awaiting,      // sent over TCP; its answer has not come yet
    Confirmed,     // answered with code 0
    Refused,       // answered with another code
    Unanswered,    // timed out, or its connection ended before the answer
    NoAnswerComes, // sent on the serial line, which never answers
    NotSent        // imported from a lamp map, not sent yet
};

// The state the tool last asked for one lamp of one station, when, and what became of it.
struct LampEntry
{
    bool on = false;
    QDateTime asked;
    LampOutcome outcome = LampOutcome::Awaiting;
    int code = -1; // the answer's code, once answered

    friend bool operator==(const LampEntry&, const LampEntry&) = default;
};

struct StationLamps
{
    std::optional<LampEntry> mw;
    std::optional<LampEntry> vmm;

    friend bool operator==(const StationLamps&, const StationLamps&) = default;
};

// Every lamp the tool has switched, by station as the messages name it. The link names no lamp's
// state back, so only what the tool sent can be known: a resynchronisation sends it again.
//
// At most one message is awaited at a time, as on the link: its answer (a late one too, after its
// time-out) settles every lamp it asked for; a new message, or the end of its connection, leaves
// the one before unanswered.
class LampLedger
{
public:
    // A message left asking `function` of each of `stations` at `at`; over TCP its answer is
    // awaited, on the serial line none comes.
    void asked(const QList<QByteArray>& stations, LampFunction function, const QDateTime& at,
               bool answerComes);
    void answered(int code);
    void timedOut();
    // No answer can come any more: the connection ended.
    void answerLost();

    const QMap<QByteArray, StationLamps>& stations() const { return m_stations; }
    // Replaces the whole ledger (a file read, a map imported, Forget).
    void replace(QMap<QByteArray, StationLamps> stations);
    // Counts every change, so a store can tell whether it has something to write.
    quint64 revision() const { return m_revision; }

private:
    void settleAwaited(LampOutcome outcome, int code, bool keepAwaiting);

    QMap<QByteArray, StationLamps> m_stations;
    QList<std::pair<QByteArray, bool>> m_awaited; // station, MW lamp (else VMM)
    quint64 m_revision = 0;
};

// The stations a message for `from` to `to` switches, as the PBX counts them: `from` alone when
// `to` is empty; else every number from `from` to `to` in the width of `from` ("0100" to "0102"
// stays in that numbering). None when the range is not two numbers in order, or holds more than
// `kLargestRange` stations, as the PBX refuses those.
QList<QByteArray> rangeStations(const QByteArray& from, const QByteArray& to);
inline constexpr qulonglong kLargestRange = 10000;

// What became of it, in words: "confirmed", "code 3 ** INCORRECT TEXT RECV'd **", "no answer",
// "sent; no answers on the serial line", "awaiting the answer", "not sent yet".
QString outcomeText(const LampEntry& entry);
// Refused or unanswered: the PBX may not show what was asked for.
bool failed(const LampEntry& entry);
// The lamps a ledger holds, and those of them that failed.
int lampCount(const QMap<QByteArray, StationLamps>& stations);
int failedLampCount(const QMap<QByteArray, StationLamps>& stations);

// Whether `function` is for the MW lamp (else the VMM lamp), and whether it switches it on.
bool isMwFunction(LampFunction function);
bool switchesOn(LampFunction function);

} // namespace zkn::lamp
