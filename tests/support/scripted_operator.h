#pragma once

#include "operator/operator.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace zkn::test {

// Answers the tool's questions from a script and records every message, so a test can check the
// exact texts and what the tool did with each answer. A question the script did not foresee is
// recorded in `unexpected` and answered with Cancel (or No, or OK).
class ScriptedOperator : public Operator
{
public:
    Answer ask(const Message& message) override;
    std::optional<QString> chooseFile(const FileChoice& choice) override;

    QList<Answer> answers; // taken from the front, one per question
    // Runs while a box is shown, as the event loop runs under a modal box.
    std::function<void(const Message&)> whileShown;
    QList<std::optional<QString>> fileChoices; // taken from the front, one per file dialog

    QList<Message> messages;
    QList<FileChoice> fileDialogs;
    QStringList unexpected;
};

} // namespace zkn::test
