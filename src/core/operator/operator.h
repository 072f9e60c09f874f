// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zkn {

// Every message box, question and file choice the tool puts to the operator goes through this
// interface: the windows answer with dialogs that do not wait, tests with a script.
class Operator
{
public:
    enum class Icon
    {
        None,
        Information,
        Exclamation,
        Critical,
        Question
    };
    enum class Buttons
    {
        Ok,
        YesNo,
        YesNoCancel,
        RetryCancel
    };
    enum class Answer
    {
        Ok,
        Yes,
        No,
        Cancel,
        Retry
    };

    struct Message
    {
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QString title; // empty: the application title
    };

    struct FileChoice
    {
        QString title;
        QString filter; // "Log Files (*.txt *.TXT);;All Files (*)"
        QString startPath;
        bool mustExist = true; // false: a new file name may be typed (a log to create)
    };

    virtual ~Operator() = default;

    // Shows the message without waiting for it; boxes and file dialogs come one at a time, in
    // the order asked. `answered`, when given, gets the button the operator chose once he has
    // (an operator that answers at once, a script, calls it before returning).
    virtual void show(const Message& message, std::function<void(Answer)> answered = {}) = 0;

    // Lets the operator choose a file, in turn with the boxes; `chosen` gets nothing when the
    // choice was cancelled.
    virtual void chooseFile(const FileChoice& choice, std::function<void(std::optional<QString>)> chosen) = 0;

    // A box with only an OK button; nothing waits for it.
    void tell(const QString& text, Icon icon, const QString& title = {})
    {
        show(Message{text, icon, Buttons::Ok, title});
    }
};

} // namespace zkn
