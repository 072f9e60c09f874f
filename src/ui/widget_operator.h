#pragma once

#include "operator/operator.h"

#include <QPointer>
#include <QWidget>

class QMessageBox;

namespace zkn {

// The operator at the screen: modal message boxes and file dialogs over the given window, or over
// a window the tool keeps on top while one is shown.
class WidgetOperator : public Operator
{
public:
    explicit WidgetOperator(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer ask(const Message& message) override;
    void show(const Message& message, std::function<void(Answer)> answered) override;
    std::optional<QString> chooseFile(const FileChoice& choice) override;

private:
    QWidget* dialogParent() const;
    QMessageBox* messageBox(const Message& message) const;

    QPointer<QWidget> m_parent;
};

} // namespace zkn
