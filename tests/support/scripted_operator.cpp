// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripted_operator.h"

namespace zkn::test {

void ScriptedOperator::show(const Message& message, std::function<void(Answer)> answered)
{
    messages.append(message);
    if (whileShown)
        whileShown(message);
    // A box kept open is answered when it is closed, from the answers given by then.
    const auto answerIt = [this, buttons = message.buttons, text = message.text, answered] {
        Answer answer = Answer::Ok;
        if (buttons != Buttons::Ok && !answers.isEmpty()) {
            answer = answers.takeFirst();
        } else if (buttons != Buttons::Ok) {
            // Unforeseen: the safe answer, Cancel where there is one.
            unexpected.append(text);
            answer = buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
        }
        if (answered)
            answered(answer);
    };
    if (keepOpen)
        m_open.append(answerIt);
    else
        answerIt();
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
