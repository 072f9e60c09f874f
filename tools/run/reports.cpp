#include "reports.h"

#include <QXmlStreamWriter>

#include <algorithm>

namespace zkn::run {

QByteArray stepLine(const StepResult& result)
{
    QByteArray line = (result.passed ? "PASS " : "FAIL ") + result.name.toUtf8();
    if (!result.passed && !result.message.isEmpty())
        line += ' ' + result.message.toUtf8();
    else
        line += ' ' + QByteArray::number(result.ms) + " ms";
    // One line, whatever the texts hold.
    return line.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ') + '\n';
}

QByteArray junitReport(const QString& planName, const QList<StepResult>& results)
{
    const auto failures = std::count_if(results.begin(), results.end(), [](const StepResult& r) { return !r.passed; });
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
    w.writeAttribute(QStringLiteral("time"), seconds(totalMs));
    for (int i = 0; i < results.size(); ++i) {
        const StepResult& r = results[i];
        w.writeStartElement(QStringLiteral("testcase"));
        w.writeAttribute(QStringLiteral("classname"), planName);
        w.writeAttribute(QStringLiteral("name"), r.name);
        w.writeAttribute(QStringLiteral("time"), seconds(r.ms));
        if (!r.passed) {
            w.writeStartElement(QStringLiteral("failure"));
            w.writeAttribute(QStringLiteral("message"), r.message);
            w.writeCharacters(r.events.join(QLatin1Char('\n')));
            w.writeEndElement();
        } else if (!r.events.isEmpty()) {
            w.writeTextElement(QStringLiteral("system-out"), r.events.join(QLatin1Char('\n')));
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

} // namespace zkn::run
