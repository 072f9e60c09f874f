#include "decode_process.h"

#include <QJsonDocument>
#include <QProcess>

namespace zkn::test {

QList<QJsonObject> DecodeRun::jsonLines() const
{
    QList<QJsonObject> lines;
    qsizetype from = 0;
    while (from < out.size()) {
        const qsizetype end = out.indexOf('\n', from);
        if (end < 0) {
            lines.append(QJsonObject()); // a line without its line end counts as broken
            break;
        }
        lines.append(QJsonDocument::fromJson(out.sliced(from, end - from)).object());
        from = end + 1;
    }
    return lines;
}

DecodeRun runDecode(const QStringList& arguments, const QByteArray& input, const QString& configHome)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZKN_DECODE_PATH), arguments);
    DecodeRun run;
    if (!process.waitForStarted())
        return run;
    process.write(input);
    process.closeWriteChannel();
    run.finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace zkn::test
