#include "scripted_operator.h"

namespace zkn::test {

namespace {

Operator::Answer safeAnswer(Operator::Buttons buttons)
{
    switch (buttons) {
    case Operator::Buttons::Ok:
        return Operator::Answer::Ok;
    case Operator::Buttons::YesNo:
        return Operator::Answer::No;
    case Operator::Buttons::YesNoCancel:
    case Operator::Buttons::RetryCancel:
        return Operator::Answer::Cancel;
    }
    return Operator::Answer::Cancel;
}

} // namespace

Operator::Answer ScriptedOperator::ask(const Message& message)
{
    messages.append(message);
    if (whileShown)
        whileShown(message);
    if (message.buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers.isEmpty()) {
        unexpected.append(message.text);
        return safeAnswer(message.buttons);
    }
    return answers.takeFirst();
}

std::optional<QString> ScriptedOperator::chooseFile(const FileChoice& choice)
{
    fileDialogs.append(choice);
    if (fileChoices.isEmpty()) {
        unexpected.append(choice.title);
        return std::nullopt;
    }
    return fileChoices.takeFirst();
}

} // namespace zkn::test
