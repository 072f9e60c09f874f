// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace zkn::link {

// The link frame's own characters, its header and its port.
inline constexpr char STX = 0x02; // first character of a message text
inline constexpr char ETX = 0x03; // last character of a message text
inline constexpr char SYN = 0x16; // first byte of every link frame
// The PBX's port for the link over TCP; the tool connects to it, and a capture tells the sides
// apart by it.
inline constexpr quint16 kLinkPort = 60020;
// SYN, kind, three length digits: what a frame's length is known from.
inline constexpr qsizetype kFrameHeaderSize = 5;
// The kind of a frame that carries a call-information record.
inline constexpr char kRecordFrame = '2';

// The fields of the link frame at the front of received data, taken as the PBX sent them. The
// frame is the first n + 6 bytes; its fields come from it alone. Nothing here fails: a short
// frame gives short or empty fields, and the caller decides what they mean.
struct FrameHeader
{
    char kind = 0;                // position 2, 0 when absent
    QByteArray lengthField;       // positions 3 to 5 as received
    int length = 0;               // n: the length field's leading digits, 0 when it has none
    QByteArray deviceField;       // positions 6 and 7
    QByteArray sequenceField;     // positions 8 and 9
    int sequence = 0;             // the sequence field read as a number
    QByteArray frame;             // the first n + 6 bytes, or all there is
    quint8 receivedCheckByte = 0; // the frame's last byte
    bool parityGood = false;
    int responseCode = 0; // kind "3": position 10 read as a digit (0 when it is none)
};

FrameHeader readFrameHeader(QByteArrayView data, Parity parity);

// The data part of a frame, after SYN, kind, length, device and sequence: as long as its length
// field says, or what there is.
QByteArray frameData(const FrameHeader& frame);

// The record a record frame carries as the tool takes it: from its STX, as long as the frame's
// data; nothing when it has no STX or a length too short for its fields.
std::optional<QByteArray> recordText(const FrameHeader& frame);

// The words the tool shows for a response code of a kind "3" frame.
QByteArray responseText(int code);

} // namespace zkn::link
