#include "open_log_command.h"

#include "log_file.h"
#include "operator/operator.h"

#include <QFile>
#include <QFileInfo>

namespace zkn {

namespace {

enum class Existing
{
    Append,
    Replace,
    ChooseAgain
};

Existing askAboutExisting(Operator& op, const QString& path)
{
    const Operator::Answer answer =
        op.ask({QStringLiteral("Replace existing file - ") + path + QStringLiteral("?"),
                Operator::Icon::Question,
                Operator::Buttons::YesNoCancel,
                {}});
    switch (answer) {
    case Operator::Answer::Yes:
        return Existing::Replace;
    case Operator::Answer::No:
        return Existing::Append;
    default:
        return Existing::ChooseAgain;
    }
}

} // namespace

std::optional<QString> openLogInteractively(LogFile& log, Operator& op, const QString& startFolder)
{
    const Operator::FileChoice dialog{QStringLiteral("Open Communications Log File"),
                                      QStringLiteral("Log Files (*.TXT *.txt);;All Files (*)"), startFolder,
                                      false};
    for (;;) {
        const std::optional<QString> chosen = op.chooseFile(dialog);
        if (!chosen)
            return std::nullopt;
        const QString path = QFileInfo(*chosen).absoluteFilePath();

        if (QFileInfo::exists(path)) {
            const Existing choice = askAboutExisting(op, path);
            if (choice == Existing::ChooseAgain)
                continue;
            if (choice == Existing::Replace) {
                QFile old(path);
                if (!old.remove()) {
                    op.tell(old.errorString(), Operator::Icon::Exclamation);
                    return std::nullopt;
                }
            }
        }

        const QString error = log.open(path);
        if (!error.isEmpty()) {
            op.tell(error, Operator::Icon::Exclamation);
            return std::nullopt;
        }
        return path;
    }
}

} // namespace zkn
