// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/sequence_counter.h"

#include <QtGlobal>

#include <array>
#include <optional>

namespace zkn::link {

// The tool's requests that the PBX answers with a response (kind 3), in the order a response is
// matched against them.
enum class Request
{
    Connect,
    Release,
    Lamp,
    Health,
    Count
};

// Each request's last sequence number and whether its response is still awaited. A response
// matches the first awaited request with its sequence; what belongs to a connection that has
// ended can never be answered and is forgotten with it. Every wait is numbered, so work that
// waited behind a box can tell whether a request is still the one it was about.
class PendingRequests
{
public:
    // The request goes out with the next sequence number, returned, and its response is awaited.
    qint16 awaitNext(Request request)
    {
        const qint16 sequence = m_sequence.NextSequence();
        at(request) = {sequence, true, ++m_waits};
        return sequence;
    }
    bool awaited(Request request) const { return at(request).awaited; }
    qint16 sequence(Request request) const { return at(request).sequence; }
    // The number of the request's wait now, when it is awaited; 0 when not.
    quint64 wait(Request request) const { return at(request).awaited ? at(request).wait : 0; }

    // The request the response numbered `sequence` answers, no longer awaited, or nothing. The
    // connect response also ends the wait for everything else.
    std::optional<Request> match(qint16 sequence);
    void forgetAll();
    // Forgets the waits that `earlier` saw and that still go on; later ones stay.
    void forgetWaitsOf(const PendingRequests& earlier);

private:
    struct Entry
    {
        qint16 sequence = 0;
        bool awaited = false;
        quint64 wait = 0;
    };
    Entry& at(Request request) { return m_entries[static_cast<std::size_t>(request)]; }
    const Entry& at(Request request) const { return m_entries[static_cast<std::size_t>(request)]; }

    SequenceCounter m_sequence;
    std::array<Entry, static_cast<std::size_t>(Request::Count)> m_entries{};
    quint64 m_waits = 0;
};

} // namespace zkn::link
