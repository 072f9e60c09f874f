// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_splash.h"

#include "alternating_picture.h"
#include "app_identity.h"
#include "pictures.h"
#include "window_placement.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include <utility>

namespace zkn {

namespace {

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QLatin1String(kApplicationTitle));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(20, 16, 20, 16);
    grid->setHorizontalSpacing(20);

    auto* product = label("lblProductName", QStringLiteral("ZKN-Tool"), frame);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);

    auto* picture =
        new AlternatingPicture(pictures::telephone(true, 96), pictures::telephone(false, 96), frame);
    picture->setAccessibleName(QStringLiteral("Telephone"));
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignCenter);
    grid->addWidget(label("lblCompany", QStringLiteral("Message-centre link test and control"), frame), 0, 1);
    grid->addWidget(product, 1, 1);
    grid->addWidget(label("lblVersion", QStringLiteral("Version ") + QLatin1String(kVersion), frame), 2, 1);
    grid->addWidget(label("lblPlatform", QStringLiteral("Linux"), frame), 3, 1);
    grid->addWidget(label("lblWarning", QStringLiteral(" "), frame), 4, 0, 1, 2);
    grid->addWidget(label("lblCopyright", QStringLiteral("Press any key or click to continue"), frame), 5, 0,
                    1, 2);
    grid->addWidget(label("lblLicenseTo", QStringLiteral("ZKN-Control Tool for Linux"), frame), 6, 0, 1, 2);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    centreOver(this, nullptr);
}

void frmSplash::closeAfter(int ms)
{
    QTimer::singleShot(ms, this, &QWidget::close);
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only the keyboard is asked for: it is on top already, and raising a window the window
    // manager has not yet placed made Qt take it to be at the screen's corner.
    activateWindow();
}

void frmSplash::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!std::exchange(m_painted, true))
        Q_EMIT painted();
}

void frmSplash::keyPressEvent(QKeyEvent*)
{
    close();
}

void frmSplash::mouseReleaseEvent(QMouseEvent*)
{
    close();
}

} // namespace zkn
