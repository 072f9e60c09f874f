// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/terminal_line.h"

namespace zkn::display {

namespace {

QByteArray hexTrace(const char* prefix, const QByteArray& bytes, int width)
{
    QByteArray line(prefix);
    line.reserve(line.size() + bytes.size() * 3 + 2);
    for (const char c : bytes)
        line.append(QByteArray::number(static_cast<quint8>(c), 16).toUpper().rightJustified(width, '0'))
            .append(' ');
    return line.append("\r\n");
}

} // namespace

QByteArray terminalLine(const char* marker, QTime time, const QByteArray& text)
{
    return QByteArray(marker) + time.toString(QStringLiteral("hh:mm:ss")).toLatin1() + ": " + text + "\r\n";
}

QByteArray sentHexTrace(const QByteArray& frame)
{
    return hexTrace("<- : ", frame, 1);
}

QByteArray receivedHexTrace(const QByteArray& data)
{
    return hexTrace(" ->: ", data, 2);
}

QByteArray DotBlanks(QByteArray text)
{
    return text.replace(' ', '.');
}

} // namespace zkn::display
