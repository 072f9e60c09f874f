#pragma once

#include <QWidget>

namespace zkn {

// The window shown while the tool starts. A key or a click ends it at once; otherwise the
// start-up closes it. It deletes itself when closed.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Closes the window after `ms` unless the operator closed it before.
    void closeAfter(int ms);

protected:
    void keyPressEvent(class QKeyEvent* event) override;
    void mouseReleaseEvent(class QMouseEvent* event) override;
};

} // namespace zkn
