// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_reader.h"

#include "text/numeric_prefix.h"

namespace zkn::link {

FrameHeader readFrameHeader(const QByteArray& data, Parity parity)
{
    FrameHeader h;
    if (data.size() > 1)
        h.kind = data[1];
    h.lengthField = data.mid(2, 3);
    h.length = text::leadingNumber(h.lengthField);
    h.frame = data.left(qMin<qsizetype>(data.size(), qsizetype(h.length) + 6));
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
