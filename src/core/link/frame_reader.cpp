// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_reader.h"

#include "text/numeric_prefix.h"

namespace zkn::link {

namespace {

// Up to `count` bytes of `data` from `from`, fewer where it ends.
QByteArrayView part(QByteArrayView data, qsizetype from, qsizetype count)
{
    return from >= data.size() ? QByteArrayView() : data.sliced(from, qMin(count, data.size() - from));
}

} // namespace

// Only the frame's own bytes are copied, whatever follows it in the data.
FrameHeader readFrameHeader(QByteArrayView data, Parity parity)
{
    FrameHeader h;
    if (data.size() > 1)
        h.kind = data[1];
    h.lengthField = part(data, 2, 3).toByteArray();
    h.length = text::leadingNumber(h.lengthField);
    h.frame = data.first(qMin<qsizetype>(data.size(), qsizetype(h.length) + 6)).toByteArray();
    // The fields are read from the frame alone, so a frame too short for them never takes bytes
    // of the next one, however the data was cut into reads.
    h.deviceField = h.frame.mid(5, 2);
    h.sequenceField = h.frame.mid(7, 2);
    h.sequence = text::leadingNumber(h.sequenceField);
    if (!h.frame.isEmpty())
        h.receivedCheckByte = static_cast<quint8>(h.frame.back());
    h.parityGood = CheckParity(h.frame, parity);
    h.responseCode = text::leadingNumber(h.frame.mid(9, 1));
    return h;
}

QByteArray frameData(const FrameHeader& frame)
{
    return frame.frame.mid(kFrameHeaderSize + 4, qMax(0, frame.length - 4));
}

std::optional<QByteArray> recordText(const FrameHeader& frame)
{
    const qsizetype stx = frame.frame.indexOf(STX);
    const int textLength = frame.length - 4;
    if (stx < 0 || textLength < 0)
        return std::nullopt;
    return frame.frame.mid(stx, textLength);
}

QByteArray responseText(int code)
{
    switch (code) {
    case 0:
        return "OK";
    case 1:
        return "** PARITY ERROR **";
    case 2:
        return "** DEVICE ID NOT DEFINED **";
    case 3:
        return "** INCORRECT TEXT RECV'd **";
    case 4:
        return "** DEVICE ALREADY IN USE **";
    default:
        return "** INVALID RESPONSE NUMBER (" + QByteArray::number(code) + ")";
    }
}

} // namespace zkn::link
