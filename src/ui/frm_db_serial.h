#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace zkn {

class frmTerminal;

// "ZKN-Tool - RS-232C Buffer Size (bytes)": how full the serial input buffer is.
class FrmDBSerial : public QWidget
{
    Q_OBJECT

public:
    explicit FrmDBSerial(frmTerminal& main);

    void showWindow();
    // The number of bytes waiting in the serial input buffer.
    void setLevel(qint64 bytes);

private:
    frmTerminal& m_main;
    QProgressBar* m_bar;
    QLabel* m_half;
    QLabel* m_full;
};

} // namespace zkn
