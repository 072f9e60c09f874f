// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/status_texts.h"

#include <QTime>

#include <iterator>

namespace zkn::link {

QString socketStateText(SocketState state)
{
    static const char* const texts[] = {"Socket Closed",
                                        "Socket Open",
                                        "Socket Listening...",
                                        "Socket Connection Pending...",
                                        "Socket Resolving Host...",
                                        "Socket Host Resolved",
                                        "Socket Connecting...",
                                        "Socket Connected",
                                        "Socket Closing...",
                                        "Socket Error"};
    const auto number = static_cast<std::size_t>(state);
    if (number >= std::size(texts))
        return QStringLiteral("Unknown Socket State");
    return QLatin1String(texts[number]);
}

QString lineEventText(SerialEvent event)
{
    switch (event) {
    case SerialEvent::CtsChange:
        return QStringLiteral("Change in CTS Detected");
    case SerialEvent::DsrChange:
        return QStringLiteral("Change in DSR Detected");
    case SerialEvent::CdChange:
        return QStringLiteral("Change in CD Detected");
    case SerialEvent::Ring:
        return QStringLiteral("The Phone is Ringing");
    case SerialEvent::EndOfFile:
        return QStringLiteral("End of File Detected");
    case SerialEvent::Break:
        return QStringLiteral("Break Received");
    case SerialEvent::CtsTimeout:
        return QStringLiteral("CTS Timeout");
    case SerialEvent::DsrTimeout:
        return QStringLiteral("DSR Timeout");
    case SerialEvent::FramingError:
        return QStringLiteral("Framing Error");
    case SerialEvent::OverrunError:
        return QStringLiteral("Overrun Error");
    case SerialEvent::CdTimeout:
        return QStringLiteral("Carrier Detect Timeout");
    case SerialEvent::ReceiveOverflow:
        return QStringLiteral("Receive Buffer Overflow");
    case SerialEvent::ParityError:
        return QStringLiteral("Parity Error");
    case SerialEvent::TransmitFull:
        return QStringLiteral("Transmit Buffer Full");
    case SerialEvent::ControlBlockError:
        return QStringLiteral("Error retrieving DCB");
    case SerialEvent::Send:
    case SerialEvent::Receive:
        break;
    }
    return QStringLiteral("Unknown error or event");
}

QString elapsedText(const QDateTime& since, const QDateTime& now)
{
    const qint64 ms = qMax<qint64>(0, since.msecsTo(now)) % (24LL * 3600 * 1000);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace zkn::link
