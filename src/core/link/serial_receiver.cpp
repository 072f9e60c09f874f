// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/serial_receiver.h"

#include "link/frame_reader.h"

#include <utility>

namespace zkn::link {

void SerialReceiver::receive(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (m_waitingForStx) {
            m_recordText.clear();
            if (c == STX) {
                m_waitingForStx = false;
                m_recordText.append(c);
            } else if (c == '\n') {
                m_sink.character("\r\n");
            } else if (c != '\r') {
                m_sink.character(QByteArray(1, c));
            }
            continue;
        }
        m_recordText.append(c == ' ' ? '.' : c);
        if (c == ETX || m_recordText.size() == kLongestRecord) {
            const QByteArray record = std::exchange(m_recordText, {});
            m_waitingForStx = true;
            (c == ETX ? m_sink.record : m_sink.cut)(record);
        }
    }
}

void SerialReceiver::reset()
{
    m_recordText.clear();
    m_waitingForStx = true;
}

} // namespace zkn::link
