// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the link: indicators, panels, menu states, traces.
#include "frm_terminal.h"

#include "frm_lamp_ledger.h"
#include "resync_offer.h"
#include "status_panel.h"
#include "stored_settings.h"

#include "decode/decode_record.h"
#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_db_serial.h"
#include "frm_debug.h"
#include "frm_monitor.h"
#include "frm_properties.h"
#include "frm_results.h"
#include "indicator.h"
#include "lamp/load_test_stats.h"
#include "model/connection_options.h"
#include "model/expansion_option.h"
#include "operator/operator.h"
#include "terminal_view.h"

#include <QAction>
#include <QLabel>

namespace zkn {

void frmTerminal::WriteTerminal(const QByteArray& text)
{
    m_txtTerm->WriteTerminal(text);
}

void frmTerminal::setPanelText(Panel panel, const QString& text)
{
    m_panels[static_cast<std::size_t>(panel)]->setPanelText(text);
}

void frmTerminal::showConnected(bool connected)
{
    m_connectionPicture->setOn(connected);
}

void frmTerminal::setConnectChecked(bool checked)
{
    action(Command::Connect)->setChecked(checked);
    if (!checked)
        Q_EMIT linkEnded();
}

void frmTerminal::setPropertiesEnabled(bool enabled)
{
    action(Command::Properties)->setEnabled(enabled);
    action(Command::PropertiesButton)->setEnabled(enabled);
}

void frmTerminal::setDebugLanEnabled(bool enabled)
{
    action(Command::DebugLan)->setEnabled(enabled);
}

void frmTerminal::setTxLamp(bool on)
{
    m_txLed->setOn(on);
}

void frmTerminal::setRxLamp(bool on)
{
    m_rxLed->setOn(on);
}

void frmTerminal::setDsrIndicator(bool on)
{
    m_dsrLed->setOn(on);
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

void frmTerminal::showProperties()
{
    m_properties->showDialog();
}

void frmTerminal::DebugPacket(const QByteArray& data)
{
    if (m_lanDebug->isVisible())
        m_lanDebug->view()->WriteTerminal(display::receivedHexTrace(data));
}

void frmTerminal::traceSentFrame(const QByteArray& frame)
{
    if (m_lanDebug->isVisible())
        m_lanDebug->view()->WriteTerminal(display::sentHexTrace(frame));
}

void frmTerminal::showSerialBufferLevel()
{
    if (m_serialBuffer->isVisible())
        m_serialBuffer->showLevel();
}

void frmTerminal::recordArrived(const QByteArray& record, bool parityGood, const QDateTime& when)
{
    m_breakDown->setLastRecordTime(when);
    if (m_breakDown->isVisible() && !m_breakDown->onHold() && parityGood)
        decodeIntoWindow(record, true);
}

// The record's answer is being made while it arrives: a box the decode raises waits until the
// answer is on its way, so decoding never holds it up.
void frmTerminal::decodeIntoWindow(const QByteArray& record, bool messagesLater)
{
    const decode::Breakdown breakdown = decode::DecodeRecord(
        record, m_connection.recordFormatKra() ? decode::RecordFormat::Kra : decode::RecordFormat::Olv);
    m_breakDown->showBreakdown(breakdown);
    const bool expanded = breakdown.expansion == decode::ExpansionBox::Checked;
    if (breakdown.expansion != decode::ExpansionBox::Unchanged && expanded != m_expansion.isEnabled()) {
        // Stored as well: the lamp dialogs read the store as they become active, and must not
        // take back what the record showed.
        m_expansion.setEnabled(expanded);
        storeExpansionOption(m_store, m_expansion);
    }
    const auto tell = [this, messages = breakdown.messages] { showDecodingBoxes(messages); };
    if (messagesLater)
        QMetaObject::invokeMethod(this, tell, Qt::QueuedConnection);
    else
        tell();
}

// One record's boxes at a time: the faults of records decoded while they are open are said on the
// terminal, and counted in one more box after them.
void frmTerminal::showDecodingBoxes(const QList<Operator::Message>& messages)
{
    if (!m_decodingBoxes.admit(messages)) {
        for (const Operator::Message& message : messages)
            WriteTerminal(
                display::terminalLine(display::marker::Local, QTime::currentTime(),
                                      "Record not decoded: " + message.text.simplified().toLatin1()));
        return;
    }
    for (const Operator::Message& message : messages)
        m_operator.show(message, [this](Operator::Answer answer) { decodingBoxClosed(answer); });
}

// A box of OK alone is cancelled only when it is taken away with the window: nothing follows then.
void frmTerminal::decodingBoxClosed(Operator::Answer answer)
{
    if (answer == Operator::Answer::Cancel)
        return;
    if (const std::optional<Operator::Message> summary = m_decodingBoxes.closed())
        m_operator.show(*summary, [this](Operator::Answer next) { decodingBoxClosed(next); });
}

void frmTerminal::decodeDoubleClicked(const QByteArray& word)
{
    if (!m_breakDown->isVisible())
        return;
    const QByteArray record = word.trimmed();
    if (record.size() >= 4 && record.front() == '\x02' && record.back() == '\x03' && record[3] == 'J')
        decodeIntoWindow(record, false);
    else
        m_operator.tell(QStringLiteral("Invalid Record! You Idiot!!"), Operator::Icon::Exclamation);
}

// A record seen by the Monitor window: shown as the tool's own are, but the watched link's records
// never change the expansion option, and their faults are said on the Monitor's terminal.
void frmTerminal::decodeWatchedRecord(const QByteArray& record, bool parityGood, decode::RecordFormat format)
{
    m_breakDown->setLastRecordTime(QDateTime::currentDateTime());
    if (!m_breakDown->isVisible() || m_breakDown->onHold() || !parityGood)
        return;
    const decode::Breakdown breakdown = decode::DecodeRecord(record, format);
    m_breakDown->showBreakdown(breakdown);
    for (const Operator::Message& message : breakdown.messages)
        m_monitor->note(QStringLiteral("Record not decoded: ") + message.text.simplified());
}

void frmTerminal::showLoadTestPhase(link::LoadTestPhase phase)
{
    m_loadTestPhase = phase;
    const bool idle = phase == link::LoadTestPhase::Idle;
    const bool running = phase == link::LoadTestPhase::Running;
    for (const Command command : {Command::LoadTestConfig, Command::TestConfigButton})
        action(command)->setEnabled(idle);
    offerLoadTestStart(idle);
    action(Command::LoadTestStop)->setEnabled(running);
    action(Command::StopTestButton)->setEnabled(running);
    if (idle && m_figures)
        refreshLoadTestFigures(); // the final figures at once
}

void frmTerminal::showResyncProgress(bool running, const QString& progress)
{
    if (running)
        m_resyncOffer->withdraw();
    m_lampLedger->showResync(running, progress);
}

// Figures change with every message; the panel follows a few times a second, so a fast test
// does not spend its time redrawing the status bar.
void frmTerminal::showLoadTestFigures(const lamp::LoadTestStats& figures, bool answersExpected)
{
    m_figures = &figures;
    m_figuresOverTcp = answersExpected;
    if (!m_figuresRefresh.isActive())
        m_figuresRefresh.start();
    m_results->logChanged(answersExpected);
}

void frmTerminal::refreshLoadTestFigures()
{
    m_loadTestFigures->setPanelText(QString::fromLatin1(m_figures->panelText(m_figuresOverTcp)),
                                    QString::fromLatin1(m_figures->summary(m_figuresOverTcp)));
    m_loadTestFigures->show();
}

} // namespace zkn
