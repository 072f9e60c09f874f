#include "log_file.h"

#include "operator/operator.h"

namespace zkn {

LogFile::LogFile(Operator& op, QObject* parent) : QObject(parent), m_operator(op) {}

QString LogFile::open(const QString& path)
{
    close();
    m_file.setFileName(path);
    // Unbuffered: every write reaches the system before the call returns.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        const QString error = m_file.errorString();
        m_file.setFileName(QString());
        return error.isEmpty() ? QStringLiteral("The file could not be opened.") : error;
    }
    Q_EMIT openChanged(true);
    return {};
}

void LogFile::close()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    Q_EMIT openChanged(false);
}

void LogFile::write(const QByteArray& text)
{
    if (!m_file.isOpen() || text.isEmpty())
        return;
    qsizetype done = 0;
    while (!writeRest(text, done)) {
        const Operator::Answer answer = m_operator.ask(
            {m_file.errorString(), Operator::Icon::Critical, Operator::Buttons::RetryCancel, {}});
        if (answer != Operator::Answer::Retry) {
            close();
            return;
        }
    }
}

bool LogFile::writeRest(const QByteArray& text, qsizetype& done)
{
    while (done < text.size()) {
        const qint64 written = m_file.write(text.constData() + done, text.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace zkn
