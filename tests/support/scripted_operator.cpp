// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripted_operator.h"

namespace zkn::test {

void ScriptedOperator::show(const Message& message, std::function<void(Answer)> answered)
{
    messages.append(message);
    if (whileShown)
        whileShown(message);
    Answer answer = Answer::Ok;
    if (message.buttons != Buttons::Ok && !answers.isEmpty()) {
        answer = answers.takeFirst();
    } else if (message.buttons != Buttons::Ok) {
        // Unforeseen: the safe answer, Cancel where there is one.
        unexpected.append(message.text);
        answer = message.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    if (keepOpen)
        m_open.append([answered, answer] {
            if (answered)
                answered(answer);
        });
    else if (answered)
        answered(answer);
}

bool ScriptedOperator::closeBox()
{
    if (m_open.isEmpty())
        return false;
    m_open.takeFirst()();
    return true;
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
