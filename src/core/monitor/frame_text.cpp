// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/frame_text.h"

#include "display/terminal_line.h"
#include "lamp/lamp_message_reader.h"
#include "link/frame_reader.h"
#include "monitor/watch_figures.h"

#include <QDateTime>

namespace zkn::monitor {

namespace {

// What the text says after the frame's fields.
QByteArray details(const WatchedFrame& seen, ShowBytes show)
{
    if (seen.lamp)
        return lamp::describeLampCommand(*seen.lamp).toLatin1();
    if (seen.meaning == Meaning::Record)
        return show(seen.record);
    const QByteArray data = link::frameData(seen.frame);
    if (seen.meaning != Meaning::Response && seen.meaning != Meaning::RecordAnswer)
        return show(data);
    QByteArray text = "code " + show(data.left(1));
    if (seen.meaning == Meaning::Response)
        text += ' ' + link::responseText(seen.frame.responseCode);
    if (seen.answered)
        text += ", answers the " + QByteArray(meaningName(seen.answered->request)) + " in " +
                millisecondsText(seen.answered->afterUs) + (seen.answered->late ? " (late)" : "");
    return text;
}

QByteArray dotted(const QByteArray& bytes)
{
    return display::DotBlanks(bytes);
}

// The start of a line: marker, time, separator and the connection, if any.
QByteArray lineStart(const char* marker, qint64 timeUs, int connection)
{
    const QByteArray time = QDateTime::fromMSecsSinceEpoch(timeUs / 1000)
                                .time()
                                .toString(QStringLiteral("hh:mm:ss.zzz"))
                                .toLatin1();
    return marker + time + ": " +
           (connection > 0 ? '#' + QByteArray::number(connection) + ' ' : QByteArray());
}

} // namespace

QByteArray frameText(const WatchedFrame& seen, ShowBytes show)
{
    const QByteArray name = QByteArray(meaningName(seen.meaning)).leftJustified(15);
    if (seen.serial)
        return name + ' ' +
               (seen.lamp ? lamp::describeLampCommand(*seen.lamp).toLatin1() : show(seen.message));
    return "kind " + show(QByteArray(1, seen.frame.kind)) + ' ' + name + " dev " +
           show(seen.frame.deviceField) + " seq " + show(seen.frame.sequenceField) +
           (seen.frame.parityGood ? " check good  " : " check BAD   ") + details(seen, show);
}

QString sideWords(Side side)
{
    return side == Side::Pbx ? QStringLiteral("the PBX") : QStringLiteral("the message centre");
}

QString connectionEndText(Side by, bool reset, const QByteArray& device)
{
    return QStringLiteral("%1 by %2%3")
        .arg(reset ? QStringLiteral("reset") : QStringLiteral("closed"), sideWords(by),
             device.isEmpty() ? QString() : QStringLiteral(" (device %1)").arg(QString::fromLatin1(device)));
}

QByteArray frameTerminalLine(const WatchedFrame& frame)
{
    const char* marker = frame.from == Side::Pbx ? display::marker::Received : display::marker::Sent;
    return lineStart(marker, frame.timeUs, frame.serial ? 0 : frame.connection) + frameText(frame, dotted) +
           "\r\n";
}

QByteArray faultTerminalLine(const WatchFault& fault)
{
    return lineStart(display::marker::Local, fault.timeUs, fault.connection) +
           (fault.device.isEmpty() ? QByteArray() : "dev " + fault.device + ' ') + "FAULT " +
           fault.what.toLatin1() + "\r\n";
}

QByteArray eventTerminalLine(qint64 timeUs, int connection, const QString& event)
{
    return lineStart(display::marker::Local, timeUs, connection) + event.toLatin1() + "\r\n";
}

} // namespace zkn::monitor
