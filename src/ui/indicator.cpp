// SPDX-License-Identifier: GPL-3.0-or-later
#include "indicator.h"

#include <QLabel>
#include <QMouseEvent>
#include <QStackedLayout>

namespace zkn {

namespace {

QLabel* picture(const QString& name, const QPixmap& pixmap, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(pixmap);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

Indicator::Indicator(const QString& onName, const QPixmap& onPicture, const QString& offName,
                     const QPixmap& offPicture, QWidget* parent)
    : QWidget(parent), m_on(picture(onName, onPicture, this)), m_off(picture(offName, offPicture, this)),
      m_stack(new QStackedLayout(this))
{
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_off);
    m_stack->addWidget(m_on);
    m_stack->setCurrentWidget(m_off);
}

void Indicator::setOn(bool on)
{
    // Painted with the next frame: a lamp is held lit long enough to be seen by whoever lights it.
    m_stack->setCurrentWidget(on ? m_on : m_off);
    setAccessibleDescription(on ? m_onText : m_offText);
}

bool Indicator::isOn() const
{
    return m_stack->currentWidget() == m_on;
}

void Indicator::describe(const QString& name, const QString& onText, const QString& offText)
{
    m_onText = onText;
    m_offText = offText;
    setAccessibleName(name);
    setAccessibleDescription(isOn() ? onText : offText);
}

void Indicator::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked(m_stack->currentWidget()->objectName());
}

} // namespace zkn
