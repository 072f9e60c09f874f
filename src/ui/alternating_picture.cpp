// SPDX-License-Identifier: GPL-3.0-or-later
#include "alternating_picture.h"

#include <QLabel>
#include <QStackedLayout>
#include <QTimer>

namespace zkn {

AlternatingPicture::AlternatingPicture(const QPixmap& first, const QPixmap& second, QWidget* parent)
    : QWidget(parent), m_first(new QLabel(this)), m_second(new QLabel(this)),
      m_stack(new QStackedLayout(this)), m_timer(new QTimer(this))
{
    m_first->setObjectName(QStringLiteral("Image1"));
    m_first->setPixmap(first);
    m_second->setObjectName(QStringLiteral("Image2"));
    m_second->setPixmap(second);
    m_stack->addWidget(m_first);
    m_stack->addWidget(m_second);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(200);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_stack->setCurrentWidget(m_firstNext ? m_first : m_second);
        m_firstNext = !m_firstNext;
    });
    m_timer->start();
}

} // namespace zkn
