#pragma once

#include <QMainWindow>

namespace zkn {

// The main window: menus, tool bar, terminal and status bar.
class frmTerminal : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmTerminal(QWidget* parent = nullptr);
};

} // namespace zkn
