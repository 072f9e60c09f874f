// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_placement.h"

#include <QEvent>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace zkn {

namespace {

// The frame the window manager adds is not known before a window is shown: room is left for it.
constexpr QSize kFrame(16, 40);

} // namespace

std::optional<QRect> roomBeside(const QRect& free, const QRect& over, int overLeast, const QSize& window)
{
    const int overWidth = std::min(over.width(), free.width() - window.width() - 2 * kFrame.width());
    if (overWidth < overLeast || window.height() + kFrame.height() > free.height())
        return std::nullopt;
    const int pairWidth = overWidth + window.width() + 2 * kFrame.width();
    return QRect(free.left() + (free.width() - pairWidth) / 2, over.top(), overWidth, over.height());
}

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

namespace {

void bringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

// The place on the screen to the right or the left of `over`, tops level, where `window` hides
// the least of it: side by side, the menus and the status bar of `over` stay in view.
std::optional<QPoint> besidePosition(const QWidget* window, const QWidget* over)
{
    const QScreen* screen = over->screen();
    if (!screen)
        return std::nullopt;
    const QRect free = screen->availableGeometry();
    const QRect next = over->frameGeometry();
    const QSize size = window->size() + kFrame;
    if (size.width() > free.width() || size.height() > free.height())
        return std::nullopt;
    const auto onScreen = [&](QPoint at) {
        return QPoint(std::clamp(at.x(), free.left(), free.right() + 1 - size.width()),
                      std::clamp(at.y(), free.top(), free.bottom() + 1 - size.height()));
    };
    const QPoint right = onScreen({next.right() + 1, next.top()});
    const QPoint left = onScreen({next.left() - size.width(), next.top()});
    const auto hidden = [&](QPoint at) { return QRect(at, size).intersected(next).width(); };
    return hidden(left) < hidden(right) ? left : right;
}

constexpr char kPlacedBeside[] = "zknPlacedBeside";
constexpr char kPlacedOver[] = "zknPlacedOver";

// Keeps a window beside `over` while its contents still grow (a window filled on demand learns
// its size late), until the operator moves it.
class BesidePlacer : public QObject
{
public:
    BesidePlacer(QWidget* window, const QWidget* over) : QObject(window), m_window(window), m_over(over)
    {
        place();
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Resize) {
            if (m_window->pos() == m_placedAt)
                place();
            else
                deleteLater(); // moved by the operator: left where it is
        }
        return false;
    }

private:
    void place()
    {
        if (const auto position = m_over->isVisible() ? besidePosition(m_window, m_over) : std::nullopt)
            m_window->move(*position);
        else
            centreOver(m_window, m_over);
        m_placedAt = m_window->pos();
    }

    QWidget* m_window;
    const QWidget* m_over;
    QPoint m_placedAt;
};

} // namespace

void showBeside(QWidget* window, const QWidget* over)
{
    // Shown first, as only a shown window has its contents laid out.
    bringForward(window);
    if (over && !window->property(kPlacedBeside).toBool()) {
        window->setProperty(kPlacedBeside, true);
        new BesidePlacer(window, over);
    }
}

void makeRoomBeside(QWidget* over, const QWidget* window)
{
    const QScreen* screen = over->screen();
    if (!screen)
        return;
    if (const auto place =
            roomBeside(screen->availableGeometry(), QRect(over->frameGeometry().topLeft(), over->size()),
                       over->minimumWidth(), window->sizeHint())) {
        over->move(place->topLeft());
        over->resize(place->width(), over->height());
    }
}

void showOver(QWidget* window, const QWidget* over)
{
    // Placed once: a window the operator has moved comes back where they left it.
    if (!window->property(kPlacedOver).toBool()) {
        window->setProperty(kPlacedOver, true);
        centreOver(window, over);
    }
    bringForward(window);
}

} // namespace zkn
