// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace zkn::pictures {

// A round lamp of the given colour, lit or dark.
QPixmap lamp(const QColor& colour, bool lit, int size = 14);

// The connection picture: two plugs joined (connected) or apart (not connected).
QPixmap connection(bool connected, int size = 40);

// Tool-bar pictures by button key ("OpenLogFile", "Properties", ...).
QIcon toolIcon(const QString& key);

// The two pictures that alternate on the splash and about windows: a telephone with its
// message-waiting lamp lit, and the same with the lamp dark.
QPixmap telephone(bool lampLit, int size = 64);

} // namespace zkn::pictures
