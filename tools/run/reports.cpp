// SPDX-License-Identifier: GPL-3.0-or-later
#include "reports.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamWriter>

#include <algorithm>

namespace zkn::run {

QString readableLine(const QString& text)
{
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // A CR LF pair is one blank.
            if (!(c == QLatin1Char('\n') && i > 0 && text[i - 1] == QLatin1Char('\r')))
                line += QLatin1Char(' ');
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            line += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            line += c;
        }
    }
    return line;
}

QByteArray stepLine(const StepResult& result)
{
    QByteArray line = (result.skipped ? "SKIP " : result.passed ? "PASS " : "FAIL ") + result.name.toUtf8();
    if ((result.skipped || !result.passed) && !result.message.isEmpty())
        line += ' ' + readableLine(result.message).toUtf8();
    else
        line += ' ' + QByteArray::number(result.ms) + " ms";
    return line + '\n';
}

QByteArray tapHeader()
{
    return "TAP version 14\n";
}

QByteArray tapLine(int number, const StepResult& result)
{
    if (result.skipped)
        return "ok " + QByteArray::number(number) + " - " + result.name.toUtf8() + " # SKIP " +
               result.message.toUtf8() + '\n';
    QByteArray line = (result.passed ? "ok " : "not ok ") + QByteArray::number(number) + " - " +
                      result.name.toUtf8() + " # " + QByteArray::number(result.ms) + " ms\n";
    if (result.passed)
        return line;
    // The failure as a YAML block, its texts quoted as JSON strings (which YAML reads).
    const auto quoted = [](const QString& text) {
        return QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
    };
    line += "  ---\n  message: " + quoted(result.message) + '\n';
    for (const QString& event : result.eventTexts())
        line += "  event: " + quoted(event) + '\n';
    return line + "  ...\n";
}

QByteArray tapPlan(int steps)
{
    return "1.." + QByteArray::number(steps) + '\n';
}

QByteArray jsonReport(const QString& planPath, const QString& link, const QDateTime& started,
                      const QDateTime& ended, const QList<StepResult>& results)
{
    QJsonArray steps;
    for (const StepResult& r : results) {
        QJsonObject figures{{"records", r.records}, {"undecoded", r.undecoded}};
        for (const auto& [name, value] : r.figures)
            figures.insert(name, value);
        QJsonArray events;
        for (const RunEvent& event : r.events.kept())
            events.append(QJsonObject{{"time", event.at.toString(Qt::ISODateWithMs)}, {"text", event.text}});
        QJsonObject step{{"step", r.name},
                         {"result", r.skipped  ? "skip"
                                    : r.passed ? "pass"
                                               : "fail"},
                         {"started", r.started.toString(Qt::ISODateWithMs)},
                         {"ms", r.ms},
                         {"message", r.message},
                         {"figures", figures},
                         {"records", QJsonArray::fromStringList(r.recordTexts.kept())},
                         {"events", events}};
        // The first and the last 20 of each are given; how many lay between them, when any did.
        if (r.recordTexts.leftOut() > 0)
            step.insert("records_left_out", r.recordTexts.leftOut());
        if (r.events.leftOut() > 0)
            step.insert("events_left_out", r.events.leftOut());
        steps.append(step);
    }
    const QJsonObject summary{{"plan", planPath},
                              {"link", link},
                              {"started", started.toString(Qt::ISODateWithMs)},
                              {"ended", ended.toString(Qt::ISODateWithMs)},
                              {"steps", steps}};
    return QJsonDocument(summary).toJson();
}

QByteArray junitReport(const QString& planName, const QList<StepResult>& results)
{
    const auto failures = std::count_if(results.begin(), results.end(),
                                        [](const StepResult& r) { return !r.passed && !r.skipped; });
    const auto skipped =
        std::count_if(results.begin(), results.end(), [](const StepResult& r) { return r.skipped; });
    qint64 totalMs = 0;
    for (const StepResult& r : results)
        totalMs += r.ms;
    const auto seconds = [](qint64 ms) { return QString::number(double(ms) / 1000.0, 'f', 3); };
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("testsuites"));
    w.writeStartElement(QStringLiteral("testsuite"));
    w.writeAttribute(QStringLiteral("name"), planName);
    w.writeAttribute(QStringLiteral("tests"), QString::number(results.size()));
    w.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    if (skipped > 0)
        w.writeAttribute(QStringLiteral("skipped"), QString::number(skipped));
    w.writeAttribute(QStringLiteral("time"), seconds(totalMs));
    for (int i = 0; i < results.size(); ++i) {
        const StepResult& r = results[i];
        w.writeStartElement(QStringLiteral("testcase"));
        w.writeAttribute(QStringLiteral("classname"), planName);
        w.writeAttribute(QStringLiteral("name"), r.name);
        w.writeAttribute(QStringLiteral("time"), seconds(r.ms));
        if (r.skipped) {
            w.writeStartElement(QStringLiteral("skipped"));
            w.writeAttribute(QStringLiteral("message"), r.message);
            w.writeEndElement();
        } else if (!r.passed) {
            w.writeStartElement(QStringLiteral("failure"));
            w.writeAttribute(QStringLiteral("message"), r.message);
            w.writeCharacters(r.eventTexts().join(QLatin1Char('\n')));
            w.writeEndElement();
        } else if (!r.events.isEmpty()) {
            w.writeTextElement(QStringLiteral("system-out"), r.eventTexts().join(QLatin1Char('\n')));
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

} // namespace zkn::run
