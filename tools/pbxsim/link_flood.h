// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace zkn::pbxsim {

// A hostile PBX's flood, for rehearsing a tool that cannot keep up: frames of one kind, at a
// rate, or as fast as the connection takes them. It decides only how many frames are due; its
// owner builds them.
class LinkFlood
{
public:
    enum class Kind
    {
        None,
        Ignored, // the PBX's own status frames, which the tool takes no action on
        Records, // records, not waiting for their answers
        Garbage, // fragments that begin with SYN but are no frame's
    };
    // At most this much waits unsent at the connection while flooding as fast as it can.
    static constexpr qint64 kMostUnsent = 16 * 1024;

    // "records", "records:40" (frames a second) or "records:max"; the rate is max when not given.
    static std::optional<LinkFlood> parse(const QString& text);

    Kind kind() const { return m_kind; }
    bool active() const { return m_kind != Kind::None; }

    // The flood begins (again) at `now`, as the link comes up.
    void begin(qint64 now)
    {
        m_startedAt = now;
        m_framesDue = 0;
    }
    // How many frames fall due at `now` with `unsent` bytes still waiting at the connection.
    int framesDue(qint64 now, qint64 unsent);
    // When the next frame falls due; as fast as it can, at once (0) unless the connection is
    // full: its owner looks again when bytes have left.
    std::optional<qint64> nextDue(qint64 unsent) const;

private:
    static constexpr int kBatch = 64; // frames at a time as fast as it can

    Kind m_kind = Kind::None;
    int m_perSecond = 0; // 0: as fast as it can
    qint64 m_startedAt = 0;
    qint64 m_framesDue = 0; // at the rate, since it began
};

} // namespace zkn::pbxsim
