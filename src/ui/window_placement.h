// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace zkn {

// Places `window` at the centre of `over` (the main window), or of the screen without one.
void centreOver(QWidget* window, const QWidget* over);

// Shows a window that is not modal and brings it forward: the first time centred over `over`,
// afterwards where the operator left it.
void showOver(QWidget* window, const QWidget* over);

// Shows a window watched together with `over`: the first time to its right (or left, where that
// hides less of it), kept there while its contents grow; afterwards where the operator left it.
void showBeside(QWidget* window, const QWidget* over);

} // namespace zkn
