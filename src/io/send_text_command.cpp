// SPDX-License-Identifier: GPL-3.0-or-later
#include "send_text_command.h"

#include "operator/operator.h"

#include <QFileInfo>

namespace zkn {

void chooseTextFileToSend(Operator& op, const QString& startFolder,
                          std::function<void(const std::optional<QString>&)> chosen)
{
    const Operator::FileChoice dialog{QStringLiteral("Send Text File"),
                                      QStringLiteral("Text Files (*.TXT *.txt);;All Files (*)"), startFolder,
                                      true};
    op.chooseFile(dialog, [&op, startFolder, chosen = std::move(chosen)](const std::optional<QString>& path) {
        if (!path) {
            chosen(std::nullopt);
            return;
        }
        const QFileInfo file(*path);
        if (file.exists()) {
            chosen(file.absoluteFilePath());
            return;
        }
        op.tell(file.absoluteFilePath() + QStringLiteral(" not found!"), Operator::Icon::Exclamation);
        chooseTextFileToSend(op, startFolder, chosen);
    });
}

} // namespace zkn
