#include "window_placement.h"

#include <QScreen>
#include <QWidget>

namespace zkn {

void centreOver(QWidget* window, const QWidget* over)
{
    window->adjustSize();
    QRect area;
    if (over && over->isVisible())
        area = over->frameGeometry();
    else if (const QScreen* screen = window->screen())
        area = screen->availableGeometry();
    if (area.isValid())
        window->move(area.center() - window->rect().center());
}

void showOver(QWidget* window, const QWidget* over)
{
    if (!window->isVisible())
        centreOver(window, over);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace zkn
