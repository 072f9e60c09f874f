// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "operator/operator.h"

#include <QPointer>
#include <QWidget>

#include <deque>

class QDialog;
class QMessageBox;

namespace zkn {

// The operator at the screen: message boxes and file dialogs over the given window, or over a
// window the tool keeps on top while one is shown. They are modal for every window but never wait:
// each reports when it is closed, and the next one asked is shown then.
class WidgetOperator : public Operator
{
public:
    explicit WidgetOperator(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

    void show(const Message& message, std::function<void(Answer)> answered = {}) override;
    void chooseFile(const FileChoice& choice, std::function<void(std::optional<QString>)> chosen) override;

private:
    // Makes the dialog and wires its end; nothing more is shown until it has ended.
    using Opener = std::function<QDialog*()>;
    void enqueue(Opener open);
    void showNext();
    void ended();
    QWidget* dialogParent() const;

    QPointer<QWidget> m_parent;
    std::deque<Opener> m_waiting;
    QPointer<QDialog> m_shown;
    // Ends the dialogs' connections to this operator with it.
    QObject m_lifetime;
};

} // namespace zkn
