// SPDX-License-Identifier: GPL-3.0-or-later
#include "tab_order.h"

#include <QWidget>

namespace zkn {

void chainTabOrder(const QList<QWidget*>& order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace zkn
