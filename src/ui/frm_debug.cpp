#include "frm_debug.h"

#include "frm_terminal.h"
#include "terminal_view.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace zkn {

FrmDebug::FrmDebug(frmTerminal& main)
    : QWidget(&main, Qt::Window), m_main(main), m_view(new TerminalView(this))
{
    setObjectName(QStringLiteral("FrmDebug"));
    setWindowTitle(QStringLiteral("ZKN-Control Tool - LAN Debug"));
    m_view->setObjectName(QStringLiteral("TxtDebug"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(560, 300);

    connect(&m_main.debugOptions(), &DebugOptions::hexViewChanged, this, [this](bool on) { setVisible(on); });
}

void FrmDebug::closeEvent(QCloseEvent* event)
{
    m_main.debugOptions().setHexView(false);
    event->accept();
}

} // namespace zkn
