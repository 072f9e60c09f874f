#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zkn {

// Every message box, question and file choice the tool puts to the operator goes through this
// interface: the windows answer with modal dialogs, tests with a script.
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

    // Shows the message and returns the button the operator chose.
    virtual Answer ask(const Message& message) = 0;

    // Shows the message without waiting for it: `answered` gets the button the operator chose,
    // once he has. An operator that answers at once (a script) may call it before returning.
    virtual void show(const Message& message, std::function<void(Answer)> answered)
    {
        answered(ask(message));
    }

    // Lets the operator choose a file to open; nothing when the choice was cancelled.
    virtual std::optional<QString> chooseFile(const FileChoice& choice) = 0;

    // A box with only an OK button.
    void tell(const QString& text, Icon icon, const QString& title = {})
    {
        ask(Message{text, icon, Buttons::Ok, title});
    }
};

} // namespace zkn
