#pragma once

#include <QWidget>

namespace zkn {

class frmTerminal;
class TerminalView;

// "ZKN-Control Tool - LAN Debug": every TCP frame sent or received, in hexadecimal, while shown.
// Closing it clears the debug option that shows it.
class FrmDebug : public QWidget
{
    Q_OBJECT

public:
    explicit FrmDebug(frmTerminal& main);
    TerminalView* view() const { return m_view; }

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    frmTerminal& m_main;
    TerminalView* m_view;
};

} // namespace zkn
