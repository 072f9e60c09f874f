// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;

namespace zkn {

// Shown while a text file goes out over the serial line, to stop it. The button, Enter, Escape
// and the window's close box all cancel; the owner hides the window (hide(), not close(), which
// would count as a cancel) when the transmission has ended.
class frmCancelSend : public QDialog
{
    Q_OBJECT

public:
    explicit frmCancelSend(QWidget* parent);

    void showSending(const QString& path);

    // The operator cancelled; the window is already hidden.
    void reject() override;

Q_SIGNALS:
    void cancelClicked();

private:
    QLabel* m_label;
};

} // namespace zkn
