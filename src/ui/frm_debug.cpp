// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_debug.h"

#include "model/debug_options.h"
#include "terminal_view.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace zkn {

FrmDebug::FrmDebug(QWidget* parent, DebugOptions& debug)
    : QWidget(parent, Qt::Window), m_debug(debug), m_view(new TerminalView(this))
{
    setObjectName(QStringLiteral("FrmDebug"));
    setWindowTitle(QStringLiteral("ZKN-Control Tool - LAN Debug"));
    m_view->setObjectName(QStringLiteral("TxtDebug"));
    m_view->setAccessibleName(QStringLiteral("LAN debug trace"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(560, 300);

    connect(&m_debug, &DebugOptions::hexViewChanged, this, [this](bool on) { setVisible(on); });
}

void FrmDebug::closeEvent(QCloseEvent* event)
{
    m_debug.setHexView(false);
    event->accept();
}

} // namespace zkn
