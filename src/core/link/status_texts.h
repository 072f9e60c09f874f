#pragma once

#include <QDateTime>
#include <QString>

namespace zkn::link {

// The words of the "Status" panel for a socket state number 0 to 9.
QString socketStateText(int state);

// The serial line event or error a code names, and whether it is an error (shown only when no
// event waits).
struct LineEventText
{
    QString text;
    bool isError = false;
};
LineEventText lineEventText(int code);

// The connect time shown: the time-of-day part of the time since the link came up, hh:mm:ss.
QString elapsedText(const QDateTime& since, const QDateTime& now);

} // namespace zkn::link
