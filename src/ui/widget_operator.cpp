#include "widget_operator.h"

#include "app_identity.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>

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

bool keptOnTop(const QWidget* window)
{
    return window && window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// The active one first, so that a box asked while another box is up on top goes over that one.
QWidget* windowKeptOnTop()
{
    if (QWidget* active = QApplication::activeWindow(); keptOnTop(active))
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.cbegin(), windows.cend(), keptOnTop);
    return found == windows.cend() ? nullptr : *found;
}

// A dialog over a window on top must be on top itself, or that window still covers it.
void keepOnTopWithParent(QWidget* dialog)
{
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint, keptOnTop(dialog->parentWidget()));
}

} // namespace

WidgetOperator::WidgetOperator(QWidget* parent) : m_parent(parent) {}

// A dialog centred behind a window the tool keeps on top (the splash) is never seen, and the
// operator waits for a window that waits for him: while such a window is up, dialogs go over it.
QWidget* WidgetOperator::dialogParent() const
{
    QWidget* onTop = windowKeptOnTop();
    return onTop ? onTop : m_parent.data();
}

QMessageBox* WidgetOperator::messageBox(const Message& message) const
{
    const QString title = message.title.isEmpty() ? QLatin1String(kApplicationTitle) : message.title;
    auto* box = new QMessageBox(boxIcon(message.icon), title, message.text, boxButtons(message.buttons),
                                dialogParent());
    keepOnTopWithParent(box);
    return box;
}

// The dialogs live on the heap: a window on top may close, and delete its children, while one of
// them is up; that counts as cancelled.
Operator::Answer WidgetOperator::ask(const Message& message)
{
    const QPointer<QMessageBox> box = messageBox(message);
    const int button = box->exec();
    delete box;
    return answerOf(button);
}

// Modal for the whole application, as a box that waits is, but the event loop goes on: the box
// reports its answer when it is closed (also when its parent takes it away: cancelled).
void WidgetOperator::show(const Message& message, std::function<void(Answer)> answered)
{
    QMessageBox* box = messageBox(message);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, box, [box, answered = std::move(answered)](int result) {
        const QMessageBox::StandardButton button = box->standardButton(box->clickedButton());
        answered(answerOf(button == QMessageBox::NoButton ? result : button));
    });
    box->show();
}

std::optional<QString> WidgetOperator::chooseFile(const FileChoice& choice)
{
    const QPointer<QFileDialog> dialog =
        new QFileDialog(dialogParent(), choice.title, choice.startPath, choice.filter);
    keepOnTopWithParent(dialog);
    if (choice.mustExist) {
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        // Open dialogs of some desktops offer only existing files, so a log to create needs a
        // save dialog; the tool itself asks before it replaces a file.
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    const QStringList files = dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
    delete dialog;
    if (files.isEmpty())
        return std::nullopt;
    return files.constFirst();
}

} // namespace zkn
