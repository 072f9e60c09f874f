// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/parity.h"

namespace zkn::link {

Parity parityFromText(const QString& text)
{
    return text == QLatin1String("Odd") ? Parity::Odd : Parity::Even;
}

quint8 ComputeParity(const QByteArray& frameText, Parity parity)
{
    quint8 value = 0;
    for (qsizetype i = 1; i < frameText.size(); ++i)
        value ^= static_cast<quint8>(frameText[i]);
    return parity == Parity::Odd ? static_cast<quint8>(~value) : value;
}

bool CheckParity(const QByteArray& frame, Parity parity)
{
    if (frame.isEmpty())
        return false;
    const quint8 received = static_cast<quint8>(frame.back());
    return ComputeParity(frame.first(frame.size() - 1), parity) == received;
}

} // namespace zkn::link
