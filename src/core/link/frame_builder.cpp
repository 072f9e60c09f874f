// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_builder.h"

#include "link/frame_reader.h"

#include <QtGlobal>

namespace zkn::link {

namespace {

QByteArray sequenceDigits(int sequence)
{
    Q_ASSERT(sequence >= 0 && sequence <= 99);
    return QByteArray::number(sequence).rightJustified(2, '0');
}

// SYN, kind and length, then everything the length counts, then the check byte over all but SYN.
QByteArray sealedFrame(char kind, const QByteArray& counted, Parity parity)
{
    Q_ASSERT(counted.size() <= 999);
    QByteArray frame;
    frame.reserve(counted.size() + 6);
    frame.append(SYN).append(kind).append(QByteArray::number(counted.size()).rightJustified(3, '0'));
    frame.append(counted);
    frame.append(static_cast<char>(ComputeParity(frame, parity)));
    return frame;
}

QByteArray originatedFrame(char kind, const QByteArray& deviceNumber, int sequence, const QByteArray& data,
                           Parity parity)
{
    return sealedFrame(kind, '0' + deviceNumber + sequenceDigits(sequence) + data, parity);
}

} // namespace

QByteArray buildStatusFrame(const QByteArray& deviceNumber, int sequence, Parity parity)
{
    return originatedFrame('5', deviceNumber, sequence, "00", parity);
}

QByteArray buildReleaseFrame(const QByteArray& deviceNumber, int sequence, Parity parity)
{
    return originatedFrame('6', deviceNumber, sequence, {}, parity);
}

QByteArray buildTextFrame(const QByteArray& deviceNumber, int sequence, const QByteArray& message,
                          Parity parity)
{
    return originatedFrame('1', deviceNumber, sequence, message, parity);
}

QByteArray buildRecordAnswer(const QByteArray& deviceField, const QByteArray& sequenceField, AnswerCode code,
                             Parity parity)
{
    const QByteArray counted =
        twoDigitField(deviceField) + twoDigitField(sequenceField) + static_cast<char>(code);
    // The length field always reads "005": a record's fields are two characters each.
    QByteArray frame = QByteArray(1, SYN) + "4005" + counted;
    frame.append(static_cast<char>(ComputeParity(frame, parity)));
    return frame;
}

QByteArray twoDigitField(const QByteArray& field)
{
    const QByteArray trimmed = field.trimmed();
    bool numeric = !trimmed.isEmpty();
    for (const char c : trimmed)
        numeric = numeric && c >= '0' && c <= '9';
    if (!numeric)
        return field;
    return QByteArray::number(trimmed.toLongLong()).rightJustified(2, '0');
}

} // namespace zkn::link
