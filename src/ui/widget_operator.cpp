#include "widget_operator.h"

#include "app_identity.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zkn {

namespace {

QMessageBox::Icon boxIcon(Operator::Icon icon)
{
    switch (icon) {
    case Operator::Icon::Information:
        return QMessageBox::Information;
    case Operator::Icon::Exclamation:
        return QMessageBox::Warning;
    case Operator::Icon::Critical:
        return QMessageBox::Critical;
    case Operator::Icon::Question:
        return QMessageBox::Question;
    case Operator::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Operator::Buttons buttons)
{
    switch (buttons) {
    case Operator::Buttons::Ok:
        return QMessageBox::Ok;
    case Operator::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Operator::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Operator::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Operator::Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Operator::Answer::Yes;
    case QMessageBox::No:
        return Operator::Answer::No;
    case QMessageBox::Retry:
        return Operator::Answer::Retry;
    case QMessageBox::Ok:
        return Operator::Answer::Ok;
    default:
        return Operator::Answer::Cancel;
    }
}

} // namespace

WidgetOperator::WidgetOperator(QWidget* parent) : m_parent(parent) {}

Operator::Answer WidgetOperator::ask(const Message& message)
{
    const QString title = message.title.isEmpty() ? QLatin1String(kApplicationTitle) : message.title;
    QMessageBox box(boxIcon(message.icon), title, message.text, boxButtons(message.buttons), m_parent);
    return answerOf(box.exec());
}

std::optional<QString> WidgetOperator::chooseFile(const FileChoice& choice)
{
    QFileDialog dialog(m_parent, choice.title, choice.startPath, choice.filter);
    if (choice.mustExist) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // Open dialogs of some desktops offer only existing files, so a log to create needs a
        // save dialog; the tool itself asks before it replaces a file.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace zkn
