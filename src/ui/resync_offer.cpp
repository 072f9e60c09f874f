// SPDX-License-Identifier: GPL-3.0-or-later
#include "resync_offer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace zkn {

ResyncOffer::ResyncOffer(QWidget* parent)
    : QWidget(parent), m_text(new QLabel(this)),
      m_button(new QPushButton(QStringLiteral("&Resynchronise"), this))
{
    setObjectName(QStringLiteral("ResyncOffer"));
    m_text->setObjectName(QStringLiteral("lblResyncOffer"));
    m_button->setObjectName(QStringLiteral("cmdResyncOffer"));
    m_button->setToolTip(QStringLiteral("Send every lamp of the ledger again, as it was asked for"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT accepted();
    });
    hide();
}

void ResyncOffer::offer(int lamps)
{
    m_text->setText(lamps == 1 ? QStringLiteral("The lamp ledger holds 1 lamp.")
                               : QStringLiteral("The lamp ledger holds %1 lamps.").arg(lamps));
    show();
}

} // namespace zkn
