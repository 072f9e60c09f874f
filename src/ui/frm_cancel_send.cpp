// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_cancel_send.h"

#include "window_placement.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zkn {

// A tool window on top: it stays over the main window and goes with it when that is minimised.
frmCancelSend::frmCancelSend(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("frmCancelSend"));
    setWindowTitle(QStringLiteral("ZKN-Tool"));

    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAccessibleName(QStringLiteral("Transmission"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command1"));
    cancel->setAccessibleName(QStringLiteral("Cancel the transmission"));
    // Enter presses the default button; Escape and the close box reject the dialog.
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &frmCancelSend::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
}

void frmCancelSend::showSending(const QString& path)
{
    m_label->setText(QStringLiteral("Transmitting Text File - ") + path);
    showOver(this, parentWidget());
}

void frmCancelSend::reject()
{
    QDialog::reject();
    Q_EMIT cancelClicked();
}

} // namespace zkn
