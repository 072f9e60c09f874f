// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

#include <optional>

class QWidget;

namespace zkn {

// Places `window` at the centre of `over` (the main window), or of the screen without one.
void centreOver(QWidget* window, const QWidget* over);

// Where the main window `over` goes so that `window` stands beside it on the screen area `free`:
// the two side by side and centred, the main window narrowed to no less than `overLeast` where
// they would not fit otherwise. None when they do not fit even so.
std::optional<QRect> roomBeside(const QRect& free, const QRect& over, int overLeast, const QSize& window);

// Moves the main window `over`, and narrows it if it must, to where `roomBeside` puts it.
void makeRoomBeside(QWidget* over, const QWidget* window);

// Shows a window that is not modal and brings it forward: the first time centred over `over`,
// afterwards where the operator left it.
void showOver(QWidget* window, const QWidget* over);

// Shows a window watched together with `over`: the first time to its right (or left, where that
// hides less of it), kept there while its contents grow; afterwards where the operator left it.
void showBeside(QWidget* window, const QWidget* over);

} // namespace zkn
