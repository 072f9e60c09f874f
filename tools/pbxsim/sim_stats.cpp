// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/sim_stats.h"

#include "pbxsim/frame_info.h"

#include <QJsonArray>

namespace zkn::pbxsim {

namespace {

QJsonObject counts(const QMap<QString, int>& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

// The value at 0-based position `index` of the sorted times the counts stand for.
qint64 nthLatency(const QMap<qint64, int>& counts, qint64 index)
{
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (index < it.value())
            return it.key();
        index -= it.value();
    }
    return counts.lastKey();
}

QJsonObject latencies(const QMap<qint64, int>& counts)
{
    qint64 total = 0;
    for (const int count : counts)
        total += count;
    QJsonObject object{{"count", total}};
    if (total == 0)
        return object;
    const qint64 middle = total / 2;
    const double median = total % 2 ? double(nthLatency(counts, middle))
                                    : (nthLatency(counts, middle - 1) + nthLatency(counts, middle)) / 2.0;
    object.insert("min", counts.firstKey());
    object.insert("median", median);
    object.insert("max", counts.lastKey());
    return object;
}

QJsonObject lampStates(const LampBoard& lamps)
{
    QJsonObject object;
    const auto& stations = lamps.stations();
    for (auto it = stations.cbegin(); it != stations.cend(); ++it)
        object.insert(QString::fromLatin1(it.key()), QJsonObject{{"mw", it->mw}, {"vmm", it->vmm}});
    return object;
}

} // namespace

QString SimStats::kindKey(char kind)
{
    switch (kind) {
    case FrameInfo::kJunk:
        return QStringLiteral("junk");
    case FrameInfo::kText:
        return QStringLiteral("text");
    default:
        return QString(QLatin1Char(kind));
    }
}

QJsonObject SimStats::toJson(const LampBoard& lamps) const
{
    return QJsonObject{
        {"connections", connections},
        {"frames_in", counts(framesIn)},
        {"frames_out", counts(framesOut)},
        {"check_byte_failures", checkByteFailures},
        {"answer_codes", counts(answerCodes)},
        {"records", QJsonObject{{"sent", recordsSent},
                                {"answered", recordsAnswered},
                                {"timed_out", recordTimeouts},
                                {"wrong_device", answerWrongDevice},
                                {"unmatched_answers", answerUnmatched}}},
        {"answer_latency_ms", latencies(answerLatencyCounts)},
        {"lamp_controls", lampControls},
        {"lamp_rejected", lampRejected},
        {"lamps", lampStates(lamps)},
    };
}

} // namespace zkn::pbxsim
