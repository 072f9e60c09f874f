// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's capture command: what goes over the link kept in a file that packet
// analysers open, under a name kept between runs.
#include "frm_terminal.h"

#include "link_capture.h"
#include "model/connection_options.h"
#include "operator/operator.h"
#include "stored_settings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace zkn {

void frmTerminal::mnuCapture_Click(bool checked)
{
    QAction* item = action(Command::Capture);
    if (!checked) {
        m_capture.stop();
        return;
    }
    // Checked only once a file has been chosen and created.
    item->setChecked(false);
    const QString stored = storedCaptureFile(m_store);
    Operator::FileChoice choice;
    choice.title = QStringLiteral("Capture to File");
    choice.filter = QStringLiteral("Captures (*.pcap);;All Files (*)");
    choice.startPath =
        stored.isEmpty() ? QDir(fileDialogFolder()).filePath(QStringLiteral("zkn-link.pcap")) : stored;
    choice.mustExist = false;
    m_operator.chooseFile(choice, [this](const std::optional<QString>& path) {
        if (path)
            captureTo(*path);
    });
}

void frmTerminal::captureTo(const QString& path)
{
    if (const QString error = m_capture.start(path, m_connection.isLan()); !error.isEmpty()) {
        m_operator.tell(QStringLiteral("The capture file cannot be written:\r\n") + path +
                            QStringLiteral("\r\n") + error,
                        Operator::Icon::Exclamation);
        return;
    }
    storeCaptureFile(m_store, path);
    m_lastFolder = QFileInfo(path).absolutePath();
    action(Command::Capture)->setChecked(true);
}

} // namespace zkn
