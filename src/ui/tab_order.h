// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class QWidget;

namespace zkn {

// Tab visits the widgets in the order given (reading order), whatever order they were made in.
void chainTabOrder(const QList<QWidget*>& order);

} // namespace zkn
