// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_panel.h"

#include <QPainter>
#include <QStyle>

namespace zkn {

StatusPanel::StatusPanel(const QString& purpose, const QString& text, QWidget* parent)
    : QLabel(parent), m_purpose(purpose)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setPanelText(text);
}

void StatusPanel::setPanelText(const QString& text, const QString& whole)
{
    setText(text);
    const QString said = whole.isEmpty() ? text : whole;
    setToolTip(said.trimmed().isEmpty() ? m_purpose : m_purpose + QLatin1Char('\n') + said);
}

QSize StatusPanel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(QStringLiteral("Status…")) + margins.left() + margins.right() +
                2 * margin(),
            QLabel::minimumSizeHint().height()};
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event); // the frame; the text is drawn here, cut to the room there is
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}

} // namespace zkn
