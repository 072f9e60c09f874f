// SPDX-License-Identifier: GPL-3.0-or-later
#include "stream_reassembly.h"

namespace zkn::decodetool {

void StreamReassembly::syn(quint32 initialSequence)
{
    if (!m_start)
        m_start = initialSequence + 1; // the SYN takes one number itself
}

QByteArray StreamReassembly::segment(quint32 sequence, QByteArrayView payload)
{
    QByteArray out;
    if (payload.isEmpty())
        return out;
    if (!m_start)
        m_start = sequence;
    // Sequence numbers wrap: the distance to the next expected byte is signed and 32 bits wide.
    const qint64 offset = m_given + qint32(sequence - quint32(*m_start + quint32(m_given)));
    const qint64 end = offset + payload.size();
    if (end <= m_given)
        return out;
    if (offset > m_given) {
        QByteArray& held = m_held[offset];
        if (held.size() < payload.size()) {
            m_heldSize += payload.size() - held.size();
            held = payload.toByteArray();
        }
        return out;
    }
    out = payload.sliced(m_given - offset).toByteArray();
    m_given = end;
    drain(out);
    return out;
}

QByteArray StreamReassembly::skipGap()
{
    QByteArray out;
    if (!m_held.empty())
        m_given = m_held.begin()->first;
    drain(out);
    return out;
}

void StreamReassembly::drain(QByteArray& out)
{
    while (!m_held.empty() && m_held.begin()->first <= m_given) {
        const auto first = m_held.begin();
        const qint64 end = first->first + first->second.size();
        if (end > m_given) {
            out += QByteArrayView(first->second).sliced(m_given - first->first);
            m_given = end;
        }
        m_heldSize -= first->second.size();
        m_held.erase(first);
    }
}

} // namespace zkn::decodetool
