// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>

namespace zkn {

class Operator;

// The communications log: every byte shown in the terminal, appended as it appears. Each write
// goes to the system at once, so a crash loses nothing already shown.
class LogFile : public QObject
{
    Q_OBJECT

public:
    explicit LogFile(Operator& op, QObject* parent = nullptr);

    // Opens `path` for appending: an existing file keeps its content and is never truncated.
    // Returns the system's error description on failure, empty on success.
    QString open(const QString& path);
    void close();

    // Writes `text` exactly. A failed write asks Retry or Cancel; Retry goes on with what is not
    // yet written; Cancel closes the log as the close command does. Text written while the
    // question is open waits and follows in order, or goes with the log on Cancel; beyond
    // kMostWaiting bytes it is not kept, and a line in the log says how much is missing there.
    void write(const QByteArray& text);

    static constexpr qsizetype kMostWaiting = 1024 * 1024;

    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }

Q_SIGNALS:
    void openChanged(bool open);

private:
    // Writes the texts waiting, in order, until one fails: then the operator is asked.
    void writeWaiting();
    void askAfterFailedWrite();
    // Writes what is left of `text` after `done` bytes; a retry goes on where a failure stopped.
    bool writeRest(const QByteArray& text, qsizetype& done);

    Operator& m_operator;
    QFile m_file;
    QList<QByteArray> m_waiting;
    qsizetype m_waitingBytes = 0;
    qsizetype m_doneOfFirst = 0; // bytes of the first text waiting already written
    qsizetype m_notKept = 0;     // bytes shown while the waiting text was full
    bool m_asking = false;
};

} // namespace zkn
