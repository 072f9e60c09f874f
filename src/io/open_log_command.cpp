// SPDX-License-Identifier: GPL-3.0-or-later
#include "open_log_command.h"

#include "log_file.h"
#include "operator/operator.h"

#include <QFile>
#include <QFileInfo>

namespace zkn {

namespace {

struct LogChoice
{
    LogFile& log;
    Operator& op;
    QString startFolder;
    std::function<void(const std::optional<QString>&)> opened;

    void chooseFile() const;
    void openChosen(const QString& path) const;
    void open(const QString& path) const;
};

void LogChoice::chooseFile() const
{
    const Operator::FileChoice dialog{QStringLiteral("Open Communications Log File"),
                                      QStringLiteral("Log Files (*.TXT *.txt);;All Files (*)"), startFolder,
                                      false};
    op.chooseFile(dialog, [choice = *this](const std::optional<QString>& chosen) {
        if (!chosen)
            choice.opened(std::nullopt);
        else
            choice.openChosen(QFileInfo(*chosen).absoluteFilePath());
    });
}

// An existing file is replaced (Yes) or appended to (No); Cancel goes back to the file dialog.
void LogChoice::openChosen(const QString& path) const
{
    if (!QFileInfo::exists(path)) {
        open(path);
        return;
    }
    op.show({QStringLiteral("Replace existing file - ") + path + QStringLiteral("?"),
             Operator::Icon::Question,
             Operator::Buttons::YesNoCancel,
             {}},
            [choice = *this, path](Operator::Answer answer) {
                if (answer == Operator::Answer::No) {
                    choice.open(path);
                    return;
                }
                if (answer != Operator::Answer::Yes) {
                    choice.chooseFile();
                    return;
                }
                QFile old(path);
                if (!old.remove()) {
                    choice.op.tell(old.errorString(), Operator::Icon::Exclamation);
                    choice.opened(std::nullopt);
                    return;
                }
                choice.open(path);
            });
}

void LogChoice::open(const QString& path) const
{
    const QString error = log.open(path);
    if (!error.isEmpty()) {
        op.tell(error, Operator::Icon::Exclamation);
        opened(std::nullopt);
        return;
    }
    opened(path);
}

} // namespace

void openLogInteractively(LogFile& log, Operator& op, const QString& startFolder,
                          std::function<void(const std::optional<QString>&)> opened)
{
    LogChoice{log, op, startFolder, std::move(opened)}.chooseFile();
}

} // namespace zkn
