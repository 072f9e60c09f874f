// SPDX-License-Identifier: GPL-3.0-or-later
#include "widget_operator.h"

#include "app_identity.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include <algorithm>
#include <memory>
#include <utility>

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

void WidgetOperator::enqueue(Opener open)
{
    m_waiting.push_back(std::move(open));
    showNext();
}

void WidgetOperator::showNext()
{
    if (m_shown || m_waiting.empty())
        return;
    const Opener open = std::move(m_waiting.front());
    m_waiting.pop_front();
    QDialog* dialog = open();
    m_shown = dialog;
    keepOnTopWithParent(dialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    // A window on top may close, and delete its children, while one is up: that ends it too.
    QObject::connect(dialog, &QObject::destroyed, &m_lifetime, [this] { ended(); });
    dialog->show();
}

void WidgetOperator::ended()
{
    m_shown = nullptr;
    showNext();
}

void WidgetOperator::show(const Message& message, std::function<void(Answer)> answered)
{
    enqueue([this, message, answered = std::move(answered)]() -> QDialog* {
        const QString title = message.title.isEmpty() ? QLatin1String(kApplicationTitle) : message.title;
        auto* box = new QMessageBox(boxIcon(message.icon), title, message.text, boxButtons(message.buttons),
                                    dialogParent());
        // Answered once: when the operator closes it, or as cancelled when it is taken away.
        auto answer = std::make_shared<std::function<void(Answer)>>(answered);
        QObject::connect(box, &QDialog::finished, box, [box, answer](int result) {
            const QMessageBox::StandardButton button = box->standardButton(box->clickedButton());
            if (*answer)
                std::exchange(*answer, {})(answerOf(button == QMessageBox::NoButton ? result : button));
        });
        QObject::connect(box, &QObject::destroyed, [answer] {
            if (*answer)
                std::exchange(*answer, {})(Answer::Cancel);
        });
        return box;
    });
}

void WidgetOperator::chooseFile(const FileChoice& choice, std::function<void(std::optional<QString>)> chosen)
{
    enqueue([this, choice, chosen = std::move(chosen)]() -> QDialog* {
        auto* dialog = new QFileDialog(dialogParent(), choice.title, choice.startPath, choice.filter);
        if (choice.mustExist) {
            dialog->setFileMode(QFileDialog::ExistingFile);
        } else {
            // Open dialogs of some desktops offer only existing files, so a log to create needs a
            // save dialog; the tool itself asks before it replaces a file.
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
        }
        auto answer = std::make_shared<std::function<void(std::optional<QString>)>>(chosen);
        QObject::connect(dialog, &QDialog::finished, dialog, [dialog, answer](int result) {
            const QStringList files = result == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
            if (*answer)
                std::exchange(*answer,
                              {})(files.isEmpty() ? std::nullopt : std::optional(files.constFirst()));
        });
        QObject::connect(dialog, &QObject::destroyed, [answer] {
            if (*answer)
                std::exchange(*answer, {})(std::nullopt);
        });
        return dialog;
    });
}

} // namespace zkn
