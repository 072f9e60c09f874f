// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

namespace zkn::link {

// Cuts what arrives on the serial line into what the terminal shows: records from STX to ETX
// (blanks shown as ".") and, outside them, single characters, with CR dropped and LF shown as a
// line break. A record may span any number of reads, up to kLongestRecord bytes: one that has
// no ETX by then is given as it is and the receiver waits for the next STX.
class SerialReceiver
{
public:
    static constexpr qsizetype kLongestRecord = 4096;

    struct Sink
    {
        std::function<void(const QByteArray& text)> character; // a character or a line break
        std::function<void(const QByteArray& record)> record;  // a whole record, STX to ETX
        std::function<void(const QByteArray& record)> cut;     // kLongestRecord bytes, no ETX
    };

    explicit SerialReceiver(Sink sink) : m_sink(std::move(sink)) {}

    void receive(const QByteArray& bytes);
    // Drops a half-received record (a carrier change, the port opened or closed).
    void reset();

private:
    Sink m_sink;
    QByteArray m_recordText;
    bool m_waitingForStx = true;
};

} // namespace zkn::link
