// The main window's part in the link: transports and indicators wired to the link engine.
#include "frm_terminal.h"

#include "display/terminal_line.h"
#include "frm_db_serial.h"
#include "frm_debug.h"
#include "indicator.h"
#include "terminal_view.h"

#include <QAction>
#include <QLabel>

namespace zkn {

void frmTerminal::wireLink()
{
    m_wiring = new LinkWiring(*this, m_socket, m_serial);
    m_engine = std::make_unique<link::LinkEngine>(*m_wiring, m_operator, m_clock, m_connection, m_debug);
    m_driver = new LinkTimerDriver(*m_engine, m_clock, this);
    link::LinkEngine& engine = *m_engine;

    connect(m_actions.value(QStringLiteral("mnuOpen")), &QAction::triggered, this, [this, &engine] {
        // The link, not the click, decides whether the item shows checked.
        QAction* item = m_actions.value(QStringLiteral("mnuOpen"));
        item->setChecked(!item->isChecked());
        engine.mnuOpen_Click();
    });
    connect(m_indicators.value(QStringLiteral("connection")), &Indicator::clicked, this,
            [&engine](const QString& picture) {
                if (picture == QLatin1String("imgConnected"))
                    engine.imgConnected_Click();
                else
                    engine.mnuOpen_Click();
            });

    connect(&m_socket, &TcpLink::connected, this, [&engine] { engine.onSocketConnected(); });
    connect(&m_socket, &TcpLink::dataReceived, this, [this, &engine](const QByteArray& data) {
        if (m_lanDebug->isVisible())
            m_lanDebug->view()->WriteTerminal(display::receivedHexTrace(data));
        engine.onSocketData(data);
    });
    connect(&m_socket, &TcpLink::frameSent, this, [this, &engine](const QByteArray& frame) {
        if (m_lanDebug->isVisible())
            m_lanDebug->view()->WriteTerminal(display::sentHexTrace(frame));
        engine.onFrameSent(frame);
    });
    connect(&m_socket, &TcpLink::closedByPeer, this, [&engine] { engine.onSocketClosed(); });
    connect(&m_socket, &TcpLink::resetByPeer, this, [&engine] { engine.onSocketReset(); });
    connect(&m_socket, &TcpLink::errorOccurred, this,
            [&engine](int number, const QString& description) { engine.onSocketError(number, description); });
    connect(m_lanDebug->view(), &TerminalView::textWritten, &m_log, &LogFile::write);

    connect(&m_serial, &SerialLine::dataArrived, this, [this, &engine] {
        m_serialBuffer->setLevel(m_serial.bytesWaiting());
        engine.onSerialEvent(2);
        m_serialBuffer->setLevel(m_serial.bytesWaiting());
    });
    connect(&m_serial, &SerialLine::lineEvent, this, [&engine](int code) { engine.onSerialEvent(code); });
    connect(&m_serial, &SerialLine::closedByError, this,
            [&engine](const QString& description) { engine.onSerialClosedByError(description); });
}

void frmTerminal::showWaitWindow(bool shown)
{
    if (!shown) {
        if (m_wait)
            m_wait->close();
        return;
    }
    if (!m_wait) {
        auto* wait = new QLabel(QStringLiteral("Please wait for LINK to release..."), this,
                                Qt::Tool | Qt::FramelessWindowHint);
        wait->setObjectName(QStringLiteral("frmWait"));
        wait->setAttribute(Qt::WA_DeleteOnClose);
        wait->setFrameShape(QFrame::Box);
        wait->setMargin(18);
        m_wait = wait;
    }
    m_wait->adjustSize();
    m_wait->move(frameGeometry().center() - m_wait->rect().center());
    m_wait->show();
}

} // namespace zkn
