// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/extensions.h"

namespace zkn::lamp {

std::optional<qint32> stationNumber(QByteArrayView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    for (const char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    bool ok = false;
    const qint32 number = text.toInt(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

Extensions parseExtensions(const QByteArray& content)
{
    Extensions found;
    QList<QByteArray> lines = content.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (const std::optional<qint32> number = stationNumber(line))
            found.stations.append(*number);
        else
            found.skipped.append({int(i + 1), line});
    }
    return found;
}

} // namespace zkn::lamp
