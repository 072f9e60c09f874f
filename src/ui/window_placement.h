#pragma once

class QWidget;

namespace zkn {

// Places `window` at the centre of `over` (the main window), or of the screen without one.
void centreOver(QWidget* window, const QWidget* over);

// Shows a window that is not modal, centred over `over` when it appears, and brings it forward.
void showOver(QWidget* window, const QWidget* over);

} // namespace zkn
