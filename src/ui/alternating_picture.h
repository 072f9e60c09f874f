// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QStackedLayout;
class QTimer;

namespace zkn {

// Two pictures at the same place that take turns in front every 200 ms ("Image1", "Image2").
class AlternatingPicture : public QWidget
{
    Q_OBJECT

public:
    AlternatingPicture(const QPixmap& first, const QPixmap& second, QWidget* parent = nullptr);

private:
    QLabel* m_first;
    QLabel* m_second;
    QStackedLayout* m_stack;
    QTimer* m_timer;
    bool m_firstNext = true;
};

} // namespace zkn
