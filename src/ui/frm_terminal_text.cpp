// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's text-file command: a file chosen, sent over the serial line block by block
// while the cancel window offers to stop it.
#include "frm_terminal.h"

#include "frm_cancel_send.h"
#include "operator/operator.h"
#include "send_text_command.h"
#include "text_file_sender.h"

#include <QAction>
#include <QFileInfo>

namespace zkn {

void frmTerminal::setSendTextEnabled(bool enabled)
{
    m_portTakesText = enabled;
    // Never a second transmission while one runs, nor while its file is being chosen.
    const bool offered = enabled && !m_sendingText && !m_monitoring;
    action(Command::SendText)->setEnabled(offered);
    action(Command::SendTextButton)->setEnabled(offered);
}

void frmTerminal::mnuSendText_Click()
{
    m_sendingText = true;
    setSendTextEnabled(m_portTakesText);
    chooseTextFileToSend(m_operator, fileDialogFolder(),
                         [this](const std::optional<QString>& path) { sendTextFile(path); });
}

void frmTerminal::sendTextFile(const std::optional<QString>& path)
{
    if (!path) {
        endTextTransmission({});
        return;
    }
    m_lastFolder = QFileInfo(*path).absolutePath();
    const QString error = m_textSender->start(*path);
    if (!error.isEmpty()) {
        endTextTransmission(error);
        return;
    }
    m_cancelSend->showSending(*path);
}

void frmTerminal::endTextTransmission(const QString& error)
{
    m_cancelSend->hide();
    m_sendingText = false;
    setSendTextEnabled(m_portTakesText);
    if (!error.isEmpty())
        m_operator.tell(error, Operator::Icon::Exclamation);
}

} // namespace zkn
