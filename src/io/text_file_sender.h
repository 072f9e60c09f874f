// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace zkn {

class SerialLine;

// Sends a file over the serial line exactly as it is on disk, one output buffer at a time: a
// block is read and handed to the link only once the port has sent the one before, so the window
// stays live and a cancel takes effect after the block in flight.
class TextFileSender : public QObject
{
    Q_OBJECT

public:
    // `write` hands a block to the port and says why it did not take it, else nothing; `line` is
    // watched for the port emptying or closing.
    using BlockWriter = std::function<QString(const QByteArray& block)>;
    TextFileSender(const SerialLine& line, BlockWriter write, QObject* parent = nullptr);

    // Returns why the file cannot be read (and nothing starts), else nothing; the first block
    // goes out from the event loop. Not while a transmission is running.
    QString start(const QString& path);
    // No further block is read or written; bytes already handed to the port still go out.
    // finished() is emitted before it returns.
    void cancel();
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    // A block was handed to the port.
    void blockWritten();
    // Once per transmission, after the file was closed: the whole file has left the port, or it
    // was cancelled (no error), or a write failed (its reason).
    void finished(const QString& error);

private:
    void sendNextBlock();
    void onPortEmptied();
    void finish(const QString& error);

    const SerialLine& m_line;
    BlockWriter m_write;
    QFile m_file;
    // Runs the next step from the event loop rather than inside the caller or a port signal.
    QTimer m_nextBlock;
    bool m_running = false;
    bool m_waitingForPort = false;
};

} // namespace zkn
