#include "link/status_texts.h"

#include <QTime>

namespace zkn::link {

QString socketStateText(int state)
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
    if (state < 0 || state > 9)
        return QStringLiteral("Unknown Socket State");
    return QLatin1String(texts[state]);
}

LineEventText lineEventText(int code)
{
    switch (code) {
    case 3:
        return {QStringLiteral("Change in CTS Detected")};
    case 4:
        return {QStringLiteral("Change in DSR Detected")};
    case 5:
        return {QStringLiteral("Change in CD Detected")};
    case 6:
        return {QStringLiteral("The Phone is Ringing")};
    case 7:
        return {QStringLiteral("End of File Detected")};
    case 1001:
        return {QStringLiteral("Break Received"), true};
    case 1002:
        return {QStringLiteral("CTS Timeout"), true};
    case 1003:
        return {QStringLiteral("DSR Timeout"), true};
    case 1004:
        return {QStringLiteral("Framing Error"), true};
    case 1006:
        return {QStringLiteral("Overrun Error"), true};
    case 1007:
        return {QStringLiteral("Carrier Detect Timeout"), true};
    case 1008:
        return {QStringLiteral("Receive Buffer Overflow"), true};
    case 1009:
        return {QStringLiteral("Parity Error"), true};
    case 1010:
        return {QStringLiteral("Transmit Buffer Full"), true};
    case 1011:
        return {QStringLiteral("Error retrieving DCB"), true};
    default:
        return {QStringLiteral("Unknown error or event"), true};
    }
}

QString elapsedText(const QDateTime& since, const QDateTime& now)
{
    const qint64 ms = qMax<qint64>(0, since.msecsTo(now)) % (24LL * 3600 * 1000);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace zkn::link
