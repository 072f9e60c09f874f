// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <cstdio>
#include <functional>
#include <optional>

namespace zkn::decodetool {

// Large enough that reading costs little next to decoding.
inline constexpr qsizetype kReadBlockSize = 1024 * 1024;

// A file named on the command line, or standard input for "-". Its first bytes can be looked at
// before it is read, since only they tell a capture from a log, and a pipe cannot be read twice.
class InputFile
{
public:
    // beforeRead is called whenever reading the file may wait, so what was found goes out
    // first: a followed file shows its records at once.
    explicit InputFile(std::function<void()> beforeRead) : m_beforeRead(std::move(beforeRead)) {}

    // Returns why the file cannot be opened; nothing when it is open.
    std::optional<QString> open(const QString& name);

    // Reads the first `count` bytes (fewer when the file is shorter), once. They are read again
    // by what reads the file after. Returns why the file cannot be read.
    std::optional<QString> peek(qsizetype count);
    QByteArrayView peeked() const { return m_front; }

    // Reads the file to its end in large blocks and hands each block over as it arrives.
    std::optional<QString> readBlocks(const std::function<void(QByteArrayView)>& take);

    // The file from its start as a stdio stream, for readers that want one. Closing the stream
    // leaves the file open; the stream must be closed before this object goes.
    std::FILE* stream();

private:
    // Reads what is left of the front first, then the file.
    qint64 read(char* to, qint64 most);
    qint64 readFile(char* to, qint64 most);
    static ssize_t readFromCookie(void* cookie, char* to, size_t most);

    std::function<void()> m_beforeRead;
    QFile m_file;
    QByteArray m_front;
    qsizetype m_frontRead = 0;      // how much of the front the reads have had again
    std::optional<QString> m_error; // why the file could not be read
};

} // namespace zkn::decodetool
