// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace zkn {

class Operator;

// "About ZKN-Control Tool": what the tool is, its version, its licence, and a way to the system
// information.
// It deletes itself when closed; the About command makes a new one.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    frmAbout(QWidget* parent, Operator& op);
    void showDialog();

private:
    void cmdSysInfo_Click();

    Operator& m_operator;
};

} // namespace zkn
