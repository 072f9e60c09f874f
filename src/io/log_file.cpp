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
    m_waiting.clear();
    if (!m_file.isOpen())
        return;
    m_file.close();
    Q_EMIT openChanged(false);
}

void LogFile::write(const QByteArray& text)
{
    if (!m_file.isOpen() || text.isEmpty())
        return;
    m_waiting.append(text);
    // The question below runs the event loop; the terminal may write meanwhile.
    if (m_writing)
        return;
    m_writing = true;
    while (!m_waiting.isEmpty()) {
        // A copy: the list grows, or empties on Cancel, while the operator is asked.
        const QByteArray next = m_waiting.constFirst();
        if (!writeAsking(next))
            break;
        m_waiting.removeFirst();
    }
    m_writing = false;
}

bool LogFile::writeAsking(const QByteArray& text)
{
    qsizetype done = 0;
    while (!writeRest(text, done)) {
        const Operator::Answer answer = m_operator.ask(
            {m_file.errorString(), Operator::Icon::Critical, Operator::Buttons::RetryCancel, {}});
        if (answer != Operator::Answer::Retry) {
            close();
            return false;
        }
    }
    return true;
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
