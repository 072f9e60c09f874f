// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_message_reader.h"

#include <QByteArray>
#include <QMap>

namespace zkn::pbxsim {

using lamp::LampCommand;
using lamp::LampFunction;

struct LampState
{
    bool mw = false;
    bool vmm = false;

    friend bool operator==(const LampState&, const LampState&) = default;
};

// The lamps of every station the tool has switched; a station never switched has both lamps off.
class LampBoard
{
public:
    // Applies a command to its station, or to each station of its range. A range whose end lies
    // before its start, or that holds more than `kLargestRange` stations, is refused (false) and
    // changes nothing.
    bool apply(const LampCommand& command);

    // Every lamp off, as after the PBX restarted.
    void clear() { m_stations.clear(); }

    LampState state(const QByteArray& station) const { return m_stations.value(station); }
    const QMap<QByteArray, LampState>& stations() const { return m_stations; }

    static constexpr qulonglong kLargestRange = 10000;

private:
    void set(const QByteArray& station, LampFunction function);

    QMap<QByteArray, LampState> m_stations;
};

} // namespace zkn::pbxsim
