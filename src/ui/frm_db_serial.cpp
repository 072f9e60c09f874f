// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_db_serial.h"

#include "serial_line.h"
#include "window_placement.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>

namespace zkn {

FrmDBSerial::FrmDBSerial(QWidget* parent, const SerialLine& serial)
    : QWidget(parent, Qt::Window), m_serial(serial), m_bar(new QProgressBar(this)), m_half(new QLabel(this)),
      m_full(new QLabel(this))
{
    setObjectName(QStringLiteral("FrmDBSerial"));
    setWindowTitle(QStringLiteral("ZKN-Tool - RS-232C Buffer Size (bytes)"));
    m_bar->setObjectName(QStringLiteral("PbarInBuffer"));
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("Bytes waiting in the input buffer"));
    m_bar->setMinimumWidth(320);
    auto* zero = new QLabel(QStringLiteral("0"), this);
    zero->setObjectName(QStringLiteral("Label2"));
    m_half->setObjectName(QStringLiteral("Label3"));
    m_half->setAlignment(Qt::AlignHCenter);
    m_full->setObjectName(QStringLiteral("Label4"));
    m_full->setAlignment(Qt::AlignRight);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_bar, 0, 0, 1, 3);
    grid->addWidget(zero, 1, 0, Qt::AlignLeft);
    grid->addWidget(m_half, 1, 1, Qt::AlignHCenter);
    grid->addWidget(m_full, 1, 2, Qt::AlignRight);

    // A window only to look at: Escape closes it, as it would a dialog.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

void FrmDBSerial::showWindow()
{
    const qint64 size = m_serial.inputBufferSize();
    m_bar->setMaximum(static_cast<int>(size));
    m_full->setText(QString::number(size));
    m_half->setText(QString::number(size / 2));
    showLevel();
    showOver(this, parentWidget());
}

void FrmDBSerial::showLevel()
{
    m_bar->setValue(static_cast<int>(qMin<qint64>(m_serial.bytesWaiting(), m_bar->maximum())));
}

} // namespace zkn
