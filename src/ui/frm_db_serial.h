// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace zkn {

class SerialLine;

// "ZKN-Tool - RS-232C Buffer Size (bytes)": how full the serial input buffer is.
class FrmDBSerial : public QWidget
{
    Q_OBJECT

public:
    FrmDBSerial(QWidget* parent, const SerialLine& serial);

    void showWindow();
    // Shows the number of bytes now waiting in the serial input buffer.
    void showLevel();

private:
    const SerialLine& m_serial;
    QProgressBar* m_bar;
    QLabel* m_half;
    QLabel* m_full;
};

} // namespace zkn
