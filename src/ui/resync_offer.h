// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace zkn {

// In the status bar once the link is back: how many lamps the ledger holds, and a button that
// sends them again. Nothing goes out unless it is pressed.
class ResyncOffer : public QWidget
{
    Q_OBJECT

public:
    explicit ResyncOffer(QWidget* parent = nullptr);

    void offer(int lamps);
    void withdraw() { hide(); }

Q_SIGNALS:
    void accepted();

private:
    QLabel* m_text;
    QPushButton* m_button;
};

} // namespace zkn
