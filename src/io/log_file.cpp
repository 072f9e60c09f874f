// SPDX-License-Identifier: GPL-3.0-or-later
#include "log_file.h"

#include "display/terminal_line.h"
#include "operator/operator.h"

#include <QTime>

#include <utility>

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
    m_waitingBytes = 0;
    m_doneOfFirst = 0;
    m_notKept = 0;
    if (!m_file.isOpen())
        return;
    m_file.close();
    Q_EMIT openChanged(false);
}

void LogFile::write(const QByteArray& text)
{
    if (!m_file.isOpen() || text.isEmpty())
        return;
    if (m_notKept > 0 || m_waitingBytes + text.size() > kMostWaiting) {
        m_notKept += text.size();
        return;
    }
    m_waiting.append(text);
    m_waitingBytes += text.size();
    // While the operator is asked about a failed write, the terminal goes on: its text waits.
    if (!m_asking)
        writeWaiting();
}

void LogFile::writeWaiting()
{
    while (!m_waiting.isEmpty()) {
        if (!writeRest(m_waiting.constFirst(), m_doneOfFirst)) {
            askAfterFailedWrite();
            return;
        }
        m_waitingBytes -= m_waiting.takeFirst().size();
        m_doneOfFirst = 0;
        if (m_waiting.isEmpty() && m_notKept > 0) {
            const QByteArray gap =
                display::terminalLine(display::marker::Local, QTime::currentTime(),
                                      QByteArray::number(std::exchange(m_notKept, 0)) +
                                          " bytes shown while the log could not be written are not in it");
            m_waiting.append(gap);
            m_waitingBytes += gap.size();
        }
    }
}

void LogFile::askAfterFailedWrite()
{
    m_asking = true;
    m_operator.show({m_file.errorString(), Operator::Icon::Critical, Operator::Buttons::RetryCancel, {}},
                    [this](Operator::Answer answer) {
                        m_asking = false;
                        if (answer == Operator::Answer::Retry)
                            writeWaiting();
                        else
                            close();
                    });
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
