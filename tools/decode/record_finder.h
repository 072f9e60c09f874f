// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace zkn::decodetool {

// Finds call-information records in a stream of bytes handed over in blocks of any size: STX,
// three header characters of which the third is "J", the body, ETX. Whatever lies between
// records (time stamps, direction markers, line ends, other messages) is skipped; a record
// holds no STX, so an STX that another STX follows before any ETX starts nothing. Lamp-control
// answers (STX "0!A") fail the "J" and are skipped with the rest. A text longer than the tool's
// longest record is none either, so an STX whose ETX never comes holds on to nothing.
class RecordFinder
{
public:
    // Called with each record, STX and ETX included, in the order found. The view lives only
    // for the call.
    using Handler = std::function<void(QByteArrayView record)>;

    explicit RecordFinder(Handler handler);

    // The next block of the stream. A record begun in one block is finished in a later one;
    // one still open when the stream ends is never reported.
    void feed(QByteArrayView block);

private:
    void offer(QByteArrayView text) const;

    // Keeps the text open, or only that it is too long to be a record.
    void keepOpen(QByteArrayView text);

    Handler m_handler;
    QByteArray m_open; // from the last STX not yet closed by an ETX; empty outside a record
    bool m_openTooLong = false;
};

} // namespace zkn::decodetool
