// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/pbx_frames.h"

#include "link/frame_reader.h"

namespace zkn::pbxsim {

namespace {

// SYN, kind, the three-digit count of what follows up to the check byte, then the check byte.
QByteArray sealed(char kind, const QByteArray& counted, link::Parity parity)
{
    Q_ASSERT(counted.size() <= 999);
    QByteArray frame =
        QByteArray(1, link::SYN) + kind + QByteArray::number(counted.size()).rightJustified(3, '0');
    frame.append(counted);
    frame.append(static_cast<char>(link::ComputeParity(frame, parity)));
    return frame;
}

} // namespace

QByteArray sequenceText(int sequence)
{
    Q_ASSERT(sequence >= 0 && sequence <= 99);
    return QByteArray::number(sequence).rightJustified(2, '0');
}

QByteArray responseFrame(const QByteArray& deviceField, const QByteArray& sequenceField, int code,
                         link::Parity parity)
{
    Q_ASSERT(code >= 0 && code <= 9);
    return sealed('3', deviceField + sequenceField + char('0' + code), parity);
}

QByteArray recordFrame(const QByteArray& deviceField, int sequence, const QByteArray& text,
                       link::Parity parity)
{
    return sealed('2', deviceField + sequenceText(sequence) + text, parity);
}

QByteArray statusFrame(const QByteArray& deviceField, int sequence, link::Parity parity)
{
    return sealed('5', deviceField + sequenceText(sequence) + "00", parity);
}

QByteArray releaseFrame(const QByteArray& deviceField, int sequence, link::Parity parity)
{
    return sealed('6', deviceField + sequenceText(sequence), parity);
}

QByteArray withSequence(const QByteArray& frame, int sequence, link::Parity parity)
{
    Q_ASSERT(frame.size() >= 10);
    QByteArray text = frame.first(frame.size() - 1);
    text.replace(7, 2, sequenceText(sequence));
    return text + static_cast<char>(link::ComputeParity(text, parity));
}

} // namespace zkn::pbxsim
