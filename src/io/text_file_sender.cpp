// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_file_sender.h"

#include "serial_line.h"

namespace zkn {

TextFileSender::TextFileSender(const SerialLine& line, BlockWriter write, QObject* parent)
    : QObject(parent), m_line(line), m_write(std::move(write))
{
    m_nextBlock.setSingleShot(true);
    m_nextBlock.setInterval(0);
    connect(&m_nextBlock, &QTimer::timeout, this, &TextFileSender::sendNextBlock);
    connect(&m_line, &SerialLine::allWritten, this, &TextFileSender::onPortEmptied);
    // A closed port never empties; the next write then fails and ends the transmission.
    connect(&m_line, &SerialLine::closed, this, &TextFileSender::onPortEmptied);
}

QString TextFileSender::start(const QString& path)
{
    Q_ASSERT(!m_running);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return m_file.errorString();
    m_running = true;
    m_nextBlock.start();
    return {};
}

void TextFileSender::cancel()
{
    if (m_running)
        finish({});
}

void TextFileSender::sendNextBlock()
{
    const QByteArray block = m_file.read(SerialLine::OutputBufferSize);
    if (block.isEmpty()) {
        finish(m_file.error() == QFileDevice::NoError ? QString() : m_file.errorString());
        return;
    }
    if (const QString error = m_write(block); !error.isEmpty()) {
        finish(error);
        return;
    }
    m_waitingForPort = true;
    // A port that sent the block at once has nothing left to signal.
    if (m_line.bytesToWrite() == 0)
        onPortEmptied();
    Q_EMIT blockWritten();
}

void TextFileSender::onPortEmptied()
{
    if (!m_waitingForPort)
        return;
    m_waitingForPort = false;
    m_nextBlock.start();
}

void TextFileSender::finish(const QString& error)
{
    m_nextBlock.stop();
    m_waitingForPort = false;
    m_file.close();
    m_running = false;
    Q_EMIT finished(error);
}

} // namespace zkn
