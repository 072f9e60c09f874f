// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/pending_requests.h"

namespace zkn::link {

std::optional<Request> PendingRequests::match(qint16 sequence)
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& entry = m_entries[i];
        if (!entry.awaited || entry.sequence != sequence)
            continue;
        const auto request = static_cast<Request>(i);
        if (request == Request::Connect)
            forgetAll();
        entry.awaited = false;
        return request;
    }
    return std::nullopt;
}

void PendingRequests::forgetAll()
{
    for (Entry& entry : m_entries)
        entry.awaited = false;
}

void PendingRequests::forgetWaitsOf(const PendingRequests& earlier)
{
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (earlier.m_entries[i].awaited && m_entries[i].wait == earlier.m_entries[i].wait)
            m_entries[i].awaited = false;
}

} // namespace zkn::link
