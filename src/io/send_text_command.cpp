#include "send_text_command.h"

#include "operator/operator.h"

#include <QFileInfo>

namespace zkn {

std::optional<QString> chooseTextFileToSend(Operator& op, const QString& startFolder)
{
    const Operator::FileChoice dialog{QStringLiteral("Send Text File"),
                                      QStringLiteral("Text Files (*.TXT *.txt);;All Files (*)"), startFolder,
                                      true};
    for (;;) {
        const std::optional<QString> chosen = op.chooseFile(dialog);
        if (!chosen)
            return std::nullopt;
        const QFileInfo file(*chosen);
        if (file.exists())
            return file.absoluteFilePath();
        op.tell(file.absoluteFilePath() + QStringLiteral(" not found!"), Operator::Icon::Exclamation);
    }
}

} // namespace zkn
