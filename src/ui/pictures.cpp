// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace zkn::pictures {

namespace {

QPixmap canvas(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawPlug(QPainter& p, QRectF body, bool pinsRight)
{
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(body, 3, 3);
    const qreal pinX = pinsRight ? body.right() : body.left() - body.width() * 0.45;
    p.setBrush(QColor(200, 170, 60));
    p.drawRect(QRectF(pinX, body.top() + body.height() * 0.22, body.width() * 0.45, body.height() * 0.14));
    p.drawRect(QRectF(pinX, body.bottom() - body.height() * 0.36, body.width() * 0.45, body.height() * 0.14));
}

void drawPage(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 120, 140), 1));
    for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

} // namespace

QPixmap lamp(const QColor& colour, bool lit, int size)
{
    QPixmap pixmap = canvas(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, size - 2, size - 2);
    QRadialGradient glow(r.center() - QPointF(size / 6.0, size / 6.0), size / 1.6);
    const QColor base = lit ? colour : colour.darker(380);
    glow.setColorAt(0, lit ? base.lighter(170) : base.lighter(140));
    glow.setColorAt(1, base);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(glow);
    p.drawEllipse(r);
    return pixmap;
}

QPixmap connection(bool connected, int size)
{
    QPixmap pixmap = canvas(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    const qreal h = size * 0.36;
    const qreal w = size * 0.26;
    const qreal y = (size - h) / 2;
    const qreal gap = connected ? 0 : size * 0.16;
    const qreal mid = size / 2.0;
    drawPlug(p, QRectF(mid - w - size * 0.12 - gap, y, w, h), true);
    drawPlug(p, QRectF(mid + size * 0.12 + gap, y, w, h), false);
    p.setPen(QPen(connected ? QColor(0, 150, 0) : QColor(190, 0, 0), size * 0.06));
    p.drawLine(QPointF(0, mid), QPointF(mid - w - size * 0.12 - gap, mid));
    p.drawLine(QPointF(mid + size * 0.12 + gap + w, mid), QPointF(size, mid));
    return pixmap;
}

QIcon toolIcon(const QString& key)
{
    constexpr int s = 24;
    QPixmap pixmap = canvas(s, s);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(50, 50, 50), 1.2);
    p.setPen(outline);
    if (key == QLatin1String("OpenLogFile") || key == QLatin1String("CloseLogFile")) {
        drawPage(p, QRectF(5, 2, 13, 18));
        const bool open = key == QLatin1String("OpenLogFile");
        p.setPen(QPen(open ? QColor(0, 140, 0) : QColor(190, 0, 0), 2.2));
        if (open) {
            p.drawLine(QPointF(13, 17), QPointF(21, 17));
            p.drawLine(QPointF(17, 13), QPointF(17, 21));
        } else {
            p.drawLine(QPointF(13, 13), QPointF(21, 21));
            p.drawLine(QPointF(21, 13), QPointF(13, 21));
        }
    } else if (key == QLatin1String("Properties")) {
        p.setBrush(QColor(150, 150, 165));
        p.drawEllipse(QRectF(5, 5, 14, 14));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(9.5, 9.5, 5, 5));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(12, 12);
            p.rotate(i * 45);
            p.setBrush(QColor(150, 150, 165));
            p.drawRect(QRectF(-1.5, -10.5, 3, 4));
            p.restore();
        }
    } else if (key == QLatin1String("TransmitTextFile")) {
        drawPage(p, QRectF(2, 3, 12, 17));
        p.setPen(QPen(QColor(0, 90, 200), 2.2));
        p.drawLine(QPointF(12, 12), QPointF(22, 12));
        p.drawLine(QPointF(18, 8), QPointF(22, 12));
        p.drawLine(QPointF(18, 16), QPointF(22, 12));
    } else if (key == QLatin1String("TestConfig")) {
        p.drawPixmap(1, 6, lamp(QColor(255, 190, 0), true, 12));
        p.setPen(QPen(QColor(60, 60, 60), 2));
        for (int y : {6, 12, 18})
            p.drawLine(14, y, 22, y);
    } else if (key == QLatin1String("StartLoadTest")) {
        p.setBrush(QColor(0, 160, 0));
        p.drawPolygon(QPolygonF({QPointF(6, 4), QPointF(20, 12), QPointF(6, 20)}));
    } else if (key == QLatin1String("StopTest")) {
        p.setBrush(QColor(200, 0, 0));
        p.drawRect(QRectF(6, 6, 12, 12));
    } else if (key == QLatin1String("SingleStation")) {
        p.drawPixmap(5, 5, lamp(QColor(255, 60, 40), true, 14));
    } else if (key == QLatin1String("DelayValue")) {
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.setPen(QPen(QColor(30, 30, 30), 1.8));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.drawLine(QPointF(12, 12), QPointF(16, 14));
    }
    return QIcon(pixmap);
}

QPixmap telephone(bool lampLit, int size)
{
    QPixmap pixmap = canvas(size, size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(QPen(QColor(25, 25, 35), 1.5));
    // Base of the set.
    p.setBrush(QColor(60, 65, 80));
    QPainterPath base;
    base.moveTo(10, 58);
    base.lineTo(16, 30);
    base.lineTo(48, 30);
    base.lineTo(54, 58);
    base.closeSubpath();
    p.drawPath(base);
    // Handset on its cradle.
    p.setBrush(QColor(40, 42, 55));
    p.drawRoundedRect(QRectF(6, 18, 52, 9), 4, 4);
    p.drawRoundedRect(QRectF(4, 14, 12, 14), 4, 4);
    p.drawRoundedRect(QRectF(48, 14, 12, 14), 4, 4);
    // Keypad.
    p.setBrush(QColor(210, 210, 220));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(22 + col * 7, 35 + row * 6, 5, 4));
    // The message-waiting lamp.
    p.drawPixmap(QRectF(43, 34, 9, 9), lamp(QColor(255, 40, 30), lampLit, 18), QRectF(0, 0, 18, 18));
    return pixmap;
}

} // namespace zkn::pictures
