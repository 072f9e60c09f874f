// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

#include <optional>

namespace zkn::decodetool {

// Whether packets of this link type (as libpcap names it) carry IP, with a link layer we can
// take off.
bool carriesIp(int linkType);

// The IP packet inside a packet of such a link type; none for anything else (ARP, say).
std::optional<QByteArrayView> ipPacket(int linkType, QByteArrayView packet);

} // namespace zkn::decodetool
