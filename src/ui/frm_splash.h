// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace zkn {

// The window shown while the tool starts. A key or a click ends it at once; otherwise the
// start-up closes it. It deletes itself when closed. It takes the keyboard when shown (window
// managers give none to a splash-screen window, so it is an ordinary frameless one on top).
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Closes the window after `ms` unless the operator closed it before.
    void closeAfter(int ms);

Q_SIGNALS:
    // The window has been painted for the first time.
    void painted();

protected:
    void showEvent(class QShowEvent* event) override;
    void paintEvent(class QPaintEvent* event) override;
    void keyPressEvent(class QKeyEvent* event) override;
    void mouseReleaseEvent(class QMouseEvent* event) override;

private:
    bool m_painted = false;
};

} // namespace zkn
