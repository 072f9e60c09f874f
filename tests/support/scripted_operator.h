// SPDX-License-Identifier: GPL-3.0-or-later
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
    // Both answer before they return.
    void show(const Message& message, std::function<void(Answer)> answered = {}) override;
    void chooseFile(const FileChoice& choice, std::function<void(std::optional<QString>)> chosen) override;

    // Closes the box shown longest ago of those kept open; false when none is.
    bool closeBox();
    qsizetype openBoxes() const { return m_open.size(); }

    // While true, boxes stay open until closeBox(), as an operator who has not read them yet.
    bool keepOpen = false;
    QList<Answer> answers; // taken from the front, one per question
    // Runs while a box is shown, before it is answered.
    std::function<void(const Message&)> whileShown;
    QList<std::optional<QString>> fileChoices; // taken from the front, one per file dialog

    QList<Message> messages;
    QList<FileChoice> fileDialogs;
    QStringList unexpected;

private:
    QList<std::function<void()>> m_open;
};

} // namespace zkn::test
