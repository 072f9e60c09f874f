// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace zkn {

class DebugOptions;
class TerminalView;

// "ZKN-Control Tool - LAN Debug": every TCP frame sent or received, in hexadecimal, while shown.
// Closing it clears the debug option that shows it.
class FrmDebug : public QWidget
{
    Q_OBJECT

public:
    FrmDebug(QWidget* parent, DebugOptions& debug);
    TerminalView* view() const { return m_view; }

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    DebugOptions& m_debug;
    TerminalView* m_view;
};

} // namespace zkn
