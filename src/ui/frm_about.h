#pragma once

#include <QDialog>

namespace zkn {

class frmTerminal;

// "About ZKN-Control Tool": what the tool is, its version, and a way to the system information.
// It deletes itself when closed; the About command makes a new one.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(frmTerminal& main);
    void showDialog();

private:
    void cmdSysInfo_Click();

    frmTerminal& m_main;
};

} // namespace zkn
