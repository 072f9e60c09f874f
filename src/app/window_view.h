// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link_view.h"

namespace zkn {

class frmTerminal;

// The link shown in the main window and the windows it opened.
class WindowView : public LinkView
{
public:
    explicit WindowView(frmTerminal& window) : m_window(window) {}
    void show(const link::LinkOutput& output) override;

private:
    frmTerminal& m_window;
};

} // namespace zkn
