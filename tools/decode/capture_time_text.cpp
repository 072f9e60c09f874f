// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_time_text.h"

#include <QDateTime>
#include <QTimeZone>

namespace zkn::decodetool {

namespace {

QByteArray microseconds(CaptureTime time)
{
    return QByteArray::number(time % 1000000).rightJustified(6, '0');
}

} // namespace

QByteArray readableCaptureTime(CaptureTime time)
{
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(time / 1000000, QTimeZone::utc());
    return utc.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() + '.' + microseconds(time);
}

QByteArray jsonCaptureTime(CaptureTime time)
{
    return QByteArray::number(time / 1000000) + '.' + microseconds(time);
}

} // namespace zkn::decodetool
