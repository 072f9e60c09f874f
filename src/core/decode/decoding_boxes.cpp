// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/decoding_boxes.h"

namespace zkn::decode {

bool DecodingBoxes::admit(const QList<Operator::Message>& messages)
{
    if (messages.isEmpty())
        return true;
    if (m_open > 0) {
        m_notShown += int(messages.size());
        m_lastNotShown = messages.back();
        return false;
    }
    m_open = int(messages.size());
    return true;
}

std::optional<Operator::Message> DecodingBoxes::closed()
{
    if (m_open > 0)
        --m_open;
    if (m_open > 0 || m_notShown == 0)
        return std::nullopt;
    Operator::Message summary = m_lastNotShown;
    summary.text += QStringLiteral("\r\n\r\n%1 more decoding error%2 came while the box was open; the "
                                   "terminal lists them.")
                        .arg(m_notShown)
                        .arg(m_notShown == 1 ? QString() : QStringLiteral("s"));
    m_notShown = 0;
    m_open = 1;
    return summary;
}

} // namespace zkn::decode
