// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_ledger.h"

#include "link/frame_reader.h"

#include <utility>

namespace zkn::lamp {

bool isMwFunction(LampFunction function)
{
    return function == LampFunction::MwOn || function == LampFunction::MwOff;
}

bool switchesOn(LampFunction function)
{
    return function == LampFunction::MwOn || function == LampFunction::VmmOn;
}

QString outcomeText(const LampEntry& entry)
{
    switch (entry.outcome) {
    case LampOutcome::Awaiting:
        return QStringLiteral("awaiting the answer");
    case LampOutcome::Confirmed:
        return QStringLiteral("confirmed");
    case LampOutcome::Refused:
        return QStringLiteral("code %1 %2")
            .arg(entry.code)
            .arg(QString::fromLatin1(link::responseText(entry.code)));
    case LampOutcome::Unanswered:
        return QStringLiteral("no answer");
    case LampOutcome::NoAnswerComes:
        return QStringLiteral("sent; no answers on the serial line");
    case LampOutcome::NotSent:
        return QStringLiteral("not sent yet");
    }
    return {};
}

bool failed(const LampEntry& entry)
{
    return entry.outcome == LampOutcome::Refused || entry.outcome == LampOutcome::Unanswered;
}

int lampCount(const QMap<QByteArray, StationLamps>& stations)
{
    int count = 0;
    for (const StationLamps& lamps : stations)
        count += int(lamps.mw.has_value()) + int(lamps.vmm.has_value());
    return count;
}

int failedLampCount(const QMap<QByteArray, StationLamps>& stations)
{
    int count = 0;
    for (const StationLamps& lamps : stations)
        count += int(lamps.mw && failed(*lamps.mw)) + int(lamps.vmm && failed(*lamps.vmm));
    return count;
}

void LampLedger::asked(const QList<QByteArray>& stations, LampFunction function, const QDateTime& at,
                       bool answerComes)
{
    settleAwaited(LampOutcome::Unanswered, -1, false);
    const bool mw = isMwFunction(function);
    const LampEntry entry{switchesOn(function), at,
                          answerComes ? LampOutcome::Awaiting : LampOutcome::NoAnswerComes};
    for (const QByteArray& station : stations) {
        StationLamps& lamps = m_stations[station];
        (mw ? lamps.mw : lamps.vmm) = entry;
        if (answerComes)
            m_awaited.append({station, mw});
    }
    ++m_revision;
}

void LampLedger::answered(int code)
{
    settleAwaited(code == 0 ? LampOutcome::Confirmed : LampOutcome::Refused, code, false);
}

// A late answer still settles the message, so its lamps stay awaited.
void LampLedger::timedOut()
{
    settleAwaited(LampOutcome::Unanswered, -1, true);
}

void LampLedger::answerLost()
{
    settleAwaited(LampOutcome::Unanswered, -1, false);
}

void LampLedger::replace(QMap<QByteArray, StationLamps> stations)
{
    m_stations = std::move(stations);
    m_awaited.clear();
    ++m_revision;
}

void LampLedger::settleAwaited(LampOutcome outcome, int code, bool keepAwaiting)
{
    if (m_awaited.isEmpty())
        return;
    for (const auto& [station, mw] : std::as_const(m_awaited)) {
        std::optional<LampEntry>& entry = mw ? m_stations[station].mw : m_stations[station].vmm;
        // An answer settles; a time-out or a loss only ends a wait.
        if (entry && (code >= 0 || entry->outcome == LampOutcome::Awaiting)) {
            entry->outcome = outcome;
            entry->code = code;
        }
    }
    if (!keepAwaiting)
        m_awaited.clear();
    ++m_revision;
}

QList<QByteArray> rangeStations(const QByteArray& from, const QByteArray& to)
{
    if (to.isEmpty())
        return from.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{from};
    bool firstOk = false;
    bool lastOk = false;
    const qulonglong first = from.toULongLong(&firstOk);
    const qulonglong last = to.toULongLong(&lastOk);
    if (!firstOk || !lastOk || last < first || last - first >= kLargestRange)
        return {};
    // Counted from the first, so a range that ends at the largest number ends too.
    QList<QByteArray> stations;
    for (qulonglong offset = 0; offset <= last - first; ++offset)
        stations.append(QByteArray::number(first + offset).rightJustified(from.size(), '0'));
    return stations;
}

} // namespace zkn::lamp
