#include "pbxsim/sim_stats.h"

#include "pbxsim/frame_info.h"

#include <QJsonArray>

#include <algorithm>

namespace zkn::pbxsim {

namespace {

QJsonObject counts(const QMap<QString, int>& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QJsonObject latencies(QList<qint64> values)
{
    QJsonObject object{{"count", values.size()}};
    if (values.isEmpty())
        return object;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    const double median =
        values.size() % 2 ? double(values[middle]) : (values[middle - 1] + values[middle]) / 2.0;
    object.insert("min", values.front());
    object.insert("median", median);
    object.insert("max", values.back());
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
        {"answer_latency_ms", latencies(answerLatenciesMs)},
        {"lamp_controls", lampControls},
        {"lamp_rejected", lampRejected},
        {"lamps", lampStates(lamps)},
    };
}

} // namespace zkn::pbxsim
