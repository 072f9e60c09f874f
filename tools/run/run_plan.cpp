// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_plan.h"

#include "extensions_file.h"
#include "lamp/extensions.h"
#include "model/load_test_options.h"
#include "settings/serial_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <array>
#include <cmath>

namespace zkn::run {

namespace {

using Kind = Step::Kind;

constexpr std::array<std::pair<const char*, Kind>, 6> kKinds{{{"connect", Kind::Connect},
                                                              {"lamps", Kind::Lamps},
                                                              {"load_test", Kind::LoadTest},
                                                              {"records", Kind::Records},
                                                              {"release", Kind::Release},
                                                              {"resync", Kind::Resync}}};

constexpr std::array<std::pair<const char*, lamp::LampFunction>, 4> kFunctions{
    {{"mw-on", lamp::LampFunction::MwOn},
     {"mw-off", lamp::LampFunction::MwOff},
     {"vmm-on", lamp::LampFunction::VmmOn},
     {"vmm-off", lamp::LampFunction::VmmOff}}};

// The first error found ends the reading; every reader returns false once it is set.
class Reader
{
public:
    explicit Reader(const QString& fileName) : m_file(fileName) {}

    bool fail(const QString& where, const QString& what)
    {
        if (m_error.isEmpty())
            m_error = m_file + QStringLiteral(": ") + where + QStringLiteral(": ") + what;
        return false;
    }
    const QString& error() const { return m_error; }
    const QString& file() const { return m_file; }

    // Every key of `object` is one of `allowed`; `required` ones are there.
    bool keys(const QJsonObject& object, const QString& where, const QStringList& allowed,
              const QStringList& required = {})
    {
        for (const QString& key : object.keys())
            if (!allowed.contains(key))
                return fail(where, QStringLiteral("unknown key \"%1\"; expected %2").arg(key, list(allowed)));
        for (const QString& key : required)
            if (!object.contains(key))
                return fail(where, QStringLiteral("\"%1\" is missing").arg(key));
        return true;
    }

    bool object(const QJsonValue& value, const QString& where, QJsonObject& out)
    {
        if (!value.isObject())
            return fail(where, QStringLiteral("expected an object"));
        out = value.toObject();
        return true;
    }

    // A whole number from `low` to `high`, kept in `out` when the key is there.
    template <typename Int>
    bool number(const QJsonObject& o, const QString& where, const char* key, Int& out, qint64 low,
                qint64 high)
    {
        const QJsonValue value = o.value(QLatin1String(key));
        if (value.isUndefined())
            return true;
        const double d = value.toDouble(std::nan(""));
        if (!value.isDouble() || d != std::floor(d) || d < double(low) || d > double(high))
            return fail(where + QLatin1Char('.') + QLatin1String(key),
                        QStringLiteral("expected a whole number from %1 to %2").arg(low).arg(high));
        out = Int(d);
        return true;
    }

    // A limit of answers under its name, or under the name older plans gave it; not both.
    bool limit(const QJsonObject& o, const QString& where, const char* key, const char* olderKey, int& out)
    {
        if (o.contains(QLatin1String(key)) && o.contains(QLatin1String(olderKey)))
            return fail(where, QStringLiteral("\"%1\" and \"%2\" are one limit; expected only \"%1\"")
                                   .arg(QLatin1String(key), QLatin1String(olderKey)));
        return number(o, where, key, out, 0, 100000000) && number(o, where, olderKey, out, 0, 100000000);
    }

    bool text(const QJsonObject& o, const QString& where, const char* key, QString& out)
    {
        const QJsonValue value = o.value(QLatin1String(key));
        if (value.isUndefined())
            return true;
        if (!value.isString() || value.toString().isEmpty())
            return fail(where + QLatin1Char('.') + QLatin1String(key), QStringLiteral("expected a text"));
        out = value.toString();
        return true;
    }

    bool boolean(const QJsonObject& o, const QString& where, const char* key, bool& out)
    {
        const QJsonValue value = o.value(QLatin1String(key));
        if (value.isUndefined())
            return true;
        if (!value.isBool())
            return fail(where + QLatin1Char('.') + QLatin1String(key),
                        QStringLiteral("expected true or false"));
        out = value.toBool();
        return true;
    }

    static QString list(const QStringList& names) { return names.join(QStringLiteral(", ")); }

private:
    QString m_file;
    QString m_error;
};

constexpr qint64 kMaxStation = 2147483647;
constexpr qint64 kMaxMs = 24 * 3600 * 1000;

bool readLink(Reader& r, const QJsonValue& value, Plan& plan)
{
    QJsonObject link;
    if (!r.object(value, QStringLiteral("link"), link) ||
        !r.keys(link, QStringLiteral("link"), {"lan", "serial"}))
        return false;
    if (link.size() != 1)
        return r.fail(QStringLiteral("link"), QStringLiteral("expected one of lan, serial"));
    QJsonObject o;
    if (link.contains(QLatin1String("lan"))) {
        const QString where = QStringLiteral("link.lan");
        LanLink lan;
        QString parity = QStringLiteral("odd");
        if (!r.object(link.value(QLatin1String("lan")), where, o) ||
            !r.keys(o, where, {"host", "port", "device", "parity"}, {"host"}) ||
            !r.text(o, where, "host", lan.host) || !r.number(o, where, "port", lan.port, 1, 65535) ||
            !r.number(o, where, "device", lan.device, 0, 9) || !r.text(o, where, "parity", parity))
            return false;
        if (parity != QLatin1String("odd") && parity != QLatin1String("even"))
            return r.fail(where + QStringLiteral(".parity"), QStringLiteral("expected odd or even"));
        lan.oddParity = parity == QLatin1String("odd");
        plan.link = lan;
        return true;
    }
    const QString where = QStringLiteral("link.serial");
    SerialLink serial;
    if (!r.object(link.value(QLatin1String("serial")), where, o) ||
        !r.keys(o, where, {"port", "settings"}, {"port"}) || !r.text(o, where, "port", serial.port) ||
        !r.text(o, where, "settings", serial.settings))
        return false;
    if (!serial.settings.isEmpty() && !settings::LineParameters::parse(serial.settings))
        return r.fail(where + QStringLiteral(".settings"),
                      QStringLiteral("expected speed,parity,data bits,stop bits, such as 9600,n,8,1"));
    plan.link = serial;
    return true;
}

bool readLamps(Reader& r, const QJsonObject& o, const QString& where, Step& step)
{
    if (!r.keys(o, where, {"stations", "first", "last", "function"}, {"function"}))
        return false;
    const QString function = o.value(QLatin1String("function")).toString();
    const auto known = std::find_if(kFunctions.begin(), kFunctions.end(),
                                    [&](const auto& f) { return function == QLatin1String(f.first); });
    if (known == kFunctions.end())
        return r.fail(where + QStringLiteral(".function"),
                      QStringLiteral("expected mw-on, mw-off, vmm-on or vmm-off"));
    step.function = known->second;
    const bool byStations = o.contains(QLatin1String("stations"));
    const bool byRange = o.contains(QLatin1String("first")) || o.contains(QLatin1String("last"));
    if (byStations == byRange)
        return r.fail(where, QStringLiteral("expected either \"stations\" or \"first\" and \"last\""));
    if (byRange) {
        qint32 first = -1, last = -1;
        if (!r.keys(o, where, {"first", "last", "function"}, {"first", "last"}) ||
            !r.number(o, where, "first", first, 0, kMaxStation) ||
            !r.number(o, where, "last", last, 0, kMaxStation))
            return false;
        if (last < first)
            return r.fail(where + QStringLiteral(".last"),
                          QStringLiteral("expected a station not below \"first\""));
        step.range = std::pair{first, last};
        return true;
    }
    const QJsonValue stations = o.value(QLatin1String("stations"));
    if (!stations.isArray() || stations.toArray().isEmpty())
        return r.fail(where + QStringLiteral(".stations"),
                      QStringLiteral("expected a list of station numbers"));
    for (const QJsonValue& station : stations.toArray()) {
        qint32 number = -1;
        if (!r.number(QJsonObject{{"station", station}}, where + QStringLiteral(".stations"), "station",
                      number, 0, kMaxStation))
            return false;
        step.stations.append(number);
    }
    return true;
}

// The stations file is read once here so that a wrong name stops the plan before the link opens;
// the load test reads it afresh for every pass, as the tool does.
bool readStationsFile(Reader& r, const QString& where, QString& path)
{
    path = QDir::cleanPath(QFileInfo(r.file()).dir().filePath(path));
    QString error;
    const std::optional<QByteArray> content = readExtensionsFile(path, &error);
    if (!content)
        return r.fail(where, QStringLiteral("%1: %2").arg(path, error));
    if (lamp::parseExtensions(*content).stations.isEmpty())
        return r.fail(where,
                      QStringLiteral("%1 names no station; expected one station number per line").arg(path));
    return true;
}

bool readLoadTest(Reader& r, const QJsonObject& o, const QString& where, Step& step)
{
    qint32 first = -1, last = -1;
    int maxUnanswered = -1, maxRefused = -1, maxAnswerMs = -1;
    if (!r.keys(o, where,
                {"first", "last", "stations_file", "delay_ms", "messages", "for_ms", "max_unanswered",
                 "max_refused", "max_timeouts", "max_negative", "max_answer_ms"}) ||
        !r.number(o, where, "first", first, 0, kMaxStation) ||
        !r.number(o, where, "last", last, 0, kMaxStation) ||
        !r.text(o, where, "stations_file", step.stationsFile) ||
        !r.number(o, where, "delay_ms", step.delayMs, LoadTestOptions::kFirstDelay,
                  LoadTestOptions::kLastDelay) ||
        !r.number(o, where, "messages", step.messages, 1, 100000000) ||
        !r.number(o, where, "for_ms", step.forMs, 1, kMaxMs) ||
        !r.limit(o, where, "max_unanswered", "max_timeouts", maxUnanswered) ||
        !r.limit(o, where, "max_refused", "max_negative", maxRefused) ||
        !r.number(o, where, "max_answer_ms", maxAnswerMs, 0, kMaxMs))
        return false;
    const bool byFile = !step.stationsFile.isEmpty();
    const bool byRange = first >= 0 && last >= 0;
    if (byFile ? first >= 0 || last >= 0 : !byRange)
        return r.fail(where, QStringLiteral("expected either \"first\" and \"last\" or \"stations_file\""));
    if (byRange && last < first)
        return r.fail(where + QStringLiteral(".last"),
                      QStringLiteral("expected a station not below \"first\""));
    if ((step.messages > 0) == (step.forMs > 0))
        return r.fail(where, QStringLiteral("expected either \"messages\" or \"for_ms\""));
    if (byFile && !readStationsFile(r, where + QStringLiteral(".stations_file"), step.stationsFile))
        return false;
    if (byRange)
        step.range = std::pair{first, last};
    const auto limit = [](int value) { return value >= 0 ? std::optional(value) : std::nullopt; };
    step.maxUnanswered = limit(maxUnanswered);
    step.maxRefused = limit(maxRefused);
    step.maxAnswerMs = limit(maxAnswerMs);
    return true;
}

// Every lamp answered with code 0 unless the plan allows some to fail.
bool readResync(Reader& r, const QJsonObject& o, const QString& where, Step& step)
{
    int maxUnanswered = 0, maxRefused = 0;
    step.withinMs = 600000;
    if (!r.keys(o, where,
                {"all_off", "within_ms", "max_unanswered", "max_refused", "max_timeouts", "max_negative"}) ||
        !r.boolean(o, where, "all_off", step.allOff) ||
        !r.number(o, where, "within_ms", step.withinMs, 1, kMaxMs) ||
        !r.limit(o, where, "max_unanswered", "max_timeouts", maxUnanswered) ||
        !r.limit(o, where, "max_refused", "max_negative", maxRefused))
        return false;
    step.maxUnanswered = maxUnanswered;
    step.maxRefused = maxRefused;
    return true;
}

bool readStep(Reader& r, const QJsonValue& value, int index, Plan& plan)
{
    QString where = QStringLiteral("steps[%1]").arg(index);
    QJsonObject wrapper;
    if (!r.object(value, where, wrapper))
        return false;
    QStringList names;
    for (const auto& [name, kind] : kKinds)
        names.append(QLatin1String(name));
    if (wrapper.size() != 1)
        return r.fail(where, QStringLiteral("expected one step: %1").arg(Reader::list(names)));
    const QString name = wrapper.keys().first();
    if (!names.contains(name))
        return r.fail(where,
                      QStringLiteral("unknown step \"%1\"; expected %2").arg(name, Reader::list(names)));
    where += QLatin1Char('.') + name;
    Step step;
    step.kind = kKinds[std::size_t(names.indexOf(name))].second;
    QJsonObject o;
    if (!r.object(wrapper.value(name), where, o))
        return false;
    switch (step.kind) {
    case Kind::Connect:
    case Kind::Release:
        if (!r.keys(o, where, {"within_ms"}) || !r.number(o, where, "within_ms", step.withinMs, 1, kMaxMs))
            return false;
        break;
    case Kind::Lamps:
        if (!readLamps(r, o, where, step))
            return false;
        break;
    case Kind::LoadTest:
        if (!readLoadTest(r, o, where, step))
            return false;
        break;
    case Kind::Resync:
        if (!readResync(r, o, where, step))
            return false;
        break;
    case Kind::Records:
        if (!r.keys(o, where, {"for_ms", "at_least"}, {"for_ms"}) ||
            !r.number(o, where, "for_ms", step.forMs, 1, kMaxMs) ||
            !r.number(o, where, "at_least", step.atLeast, 0, 1000000))
            return false;
        break;
    }
    plan.steps.append(step);
    return true;
}

} // namespace

QString linkText(const LinkChoice& link)
{
    if (const auto* lan = std::get_if<LanLink>(&link))
        return QStringLiteral("lan %1:%2 device %3 %4")
            .arg(lan->host)
            .arg(lan->port)
            .arg(lan->device)
            .arg(lan->oddParity ? QLatin1String("odd") : QLatin1String("even"));
    if (const auto* serial = std::get_if<SerialLink>(&link))
        return QStringLiteral("serial %1 %2").arg(serial->port, serial->settings).trimmed();
    return QStringLiteral("stored");
}

QString stepName(Step::Kind kind)
{
    for (const auto& [name, known] : kKinds)
        if (known == kind)
            return QLatin1String(name);
    return {};
}

std::variant<Plan, QString> readPlan(const QByteArray& json, const QString& fileName)
{
    Reader r(fileName);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull()) {
        const QByteArrayView before =
            QByteArrayView(json).first(qBound(0, parseError.offset, int(json.size())));
        return fileName + QStringLiteral(": not JSON at line %1, column %2: %3")
                              .arg(before.count('\n') + 1)
                              .arg(before.size() - before.lastIndexOf('\n'))
                              .arg(parseError.errorString());
    }
    Plan plan;
    QJsonObject top;
    if (!r.object(document.isObject() ? QJsonValue(document.object()) : QJsonValue(),
                  QStringLiteral("the plan"), top) ||
        !r.keys(top, QStringLiteral("the plan"), {"link", "steps", "stop_on_failure"}, {"steps"}))
        return r.error();
    if (top.contains(QLatin1String("link")) && !readLink(r, top.value(QLatin1String("link")), plan))
        return r.error();
    const QJsonValue stop = top.value(QLatin1String("stop_on_failure"));
    if (!stop.isUndefined() && !stop.isBool())
        return r.fail(QStringLiteral("stop_on_failure"), QStringLiteral("expected true or false")), r.error();
    plan.stopOnFailure = stop.toBool();
    const QJsonValue steps = top.value(QLatin1String("steps"));
    if (!steps.isArray() || steps.toArray().isEmpty())
        return r.fail(QStringLiteral("steps"), QStringLiteral("expected a list of steps")), r.error();
    const QJsonArray list = steps.toArray();
    for (int i = 0; i < list.size(); ++i)
        if (!readStep(r, list.at(i), i, plan))
            return r.error();
    return plan;
}

} // namespace zkn::run
