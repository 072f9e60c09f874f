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

void ScriptedOperator::show(const Message& message, std::function<void(Answer)> answered)
{
    messages.append(message);
    if (whileShown)
        whileShown(message);
    Answer answer = Answer::Ok;
    if (message.buttons != Buttons::Ok) {
        if (answers.isEmpty())
            unexpected.append(message.text);
        answer = answers.isEmpty() ? safeAnswer(message.buttons) : answers.takeFirst();
    }
    if (answered)
        answered(answer);
}

void ScriptedOperator::chooseFile(const FileChoice& choice,
                                  std::function<void(std::optional<QString>)> chosen)
{
    fileDialogs.append(choice);
    if (fileChoices.isEmpty())
        unexpected.append(choice.title);
    chosen(fileChoices.isEmpty() ? std::nullopt : fileChoices.takeFirst());
}

} // namespace zkn::test
