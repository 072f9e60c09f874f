#include "display/visible_text.h"

namespace zkn::display {

QString visibleText(const QByteArray& bytes)
{
    QString shown;
    shown.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<uchar>(bytes[i]);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue; // the LF that follows breaks the line
        if (c == '\n')
            shown.append(QLatin1Char('\n'));
        else if (c < 0x20)
            shown.append(QChar(0x2400 + c));
        else if (c == 0x7F)
            shown.append(QChar(0x2421));
        else
            shown.append(QChar(c));
    }
    return shown;
}

} // namespace zkn::display
