// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_sync.h"

#include "link/frame_reader.h"

namespace zkn::link {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool digitsAt(QByteArrayView data, qsizetype from, qsizetype count)
{
    for (qsizetype i = from; i < from + count; ++i)
        if (!isDigit(data[i]))
            return false;
    return true;
}

// The frame starting at `at` when it is whole and shaped as its kind requires: the fields that
// are numbers in digits, the length its kind has, a text from STX to ETX.
std::optional<qsizetype> soundFrameEnd(QByteArrayView data, qsizetype at)
{
    constexpr qsizetype kFieldsEnd = 9; // SYN, kind, length, device, sequence
    if (data.size() - at < kFieldsEnd + 1 || data[at] != SYN || !frontCanBeFrame(data.sliced(at)) ||
        !digitsAt(data, at + 5, 4))
        return std::nullopt;
    const qsizetype end = at + claimedFrameEnd(data.sliced(at));
    const qsizetype length = end - at - 6;
    if (end > data.size())
        return std::nullopt;
    // The kind is "1" to "6" here: texts, responses and answers, status frames, releases.
    const char kind = data[at + 1];
    bool shaped = length == (kind == '5' ? 6 : 4);
    if (kind == '1' || kind == '2')
        shaped = length >= 6 && data[at + kFieldsEnd] == STX && data[end - 2] == ETX;
    else if (kind == '3' || kind == '4')
        shaped = length == 5 && isDigit(data[at + kFieldsEnd]);
    return shaped ? std::optional(end) : std::nullopt;
}

} // namespace

bool frontCanBeFrame(QByteArrayView data)
{
    if (data.size() > 1 && (data[1] < '1' || data[1] > '6'))
        return false;
    for (qsizetype i = 2; i < qMin<qsizetype>(data.size(), 5); ++i)
        if (!isDigit(data[i]))
            return false;
    return true;
}

qsizetype claimedFrameEnd(QByteArrayView data)
{
    if (data.size() < kFrameHeaderSize)
        return data.size();
    return (data[2] - '0') * 100 + (data[3] - '0') * 10 + (data[4] - '0') + 6;
}

std::optional<qsizetype> soundFrameInside(QByteArrayView data, qsizetype limit)
{
    std::optional<qsizetype> found;
    qsizetype foundEnd = limit + 1;
    const QByteArrayView inside = data.first(qMin(limit, data.size()));
    for (qsizetype at = inside.indexOf(SYN, 1); at != -1; at = inside.indexOf(SYN, at + 1)) {
        const std::optional<qsizetype> end = soundFrameEnd(inside, at);
        if (end && *end < foundEnd) {
            found = at;
            foundEnd = *end;
        }
    }
    return found;
}

} // namespace zkn::link
