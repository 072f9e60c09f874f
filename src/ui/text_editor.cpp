// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_editor.h"

#include "extensions_file.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zkn {

namespace {

// The first of $VISUAL and $EDITOR that names a program found on the system, split into the
// program and its arguments ("emacs -nw"); empty when neither does.
QStringList consoleEditor()
{
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList command = QProcess::splitCommand(qEnvironmentVariable(variable));
        if (!command.isEmpty() && !QStandardPaths::findExecutable(command.first()).isEmpty())
            return command;
    }
    return {};
}

// A desktop without a handler for text files: a console editor in a terminal window.
QString openInTerminal(const QString& path)
{
    QStringList editor = consoleEditor();
    if (editor.isEmpty())
        return QStringLiteral("No text editor was found (set VISUAL or EDITOR).");
    const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    if (terminal.isEmpty())
        return QStringLiteral("No terminal was found to run the text editor in.");
    editor.prepend(QStringLiteral("-e"));
    editor.append(path);
    if (!QProcess::startDetached(terminal, editor))
        return QStringLiteral("The text editor could not be started.");
    return {};
}

} // namespace

QString openInTextEditor(const QString& path)
{
    if (const QString error = ensureFileExists(path); !error.isEmpty())
        return error;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return {};
    return openInTerminal(path);
}

} // namespace zkn
