// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <variant>

namespace zkn {

class frmTerminal;

// What the command line asks for once the main window is up: a launcher or a demonstration can
// open the link, show the breakdown window and run a load test without a click.
struct StartUpOptions
{
    bool connect = false;
    bool breakdown = false;
    bool loadTest = false;
    QString capturePath; // empty: no capture
    // From the link first standing to the load test's start.
    int loadTestPauseMs = 3000;
};

// The arguments that are the tool's own: its long options with their values, and -h and -v. Qt's
// options (-platform, -geometry) have one dash and are the window system's. Read before the window
// system is loaded, they answer the help, the version and a mistake without a display.
QStringList ownArguments(int argc, char* argv[]);

// Reads the command line before the window system is needed, so --help and --version work
// without a display. Either the options, or the status to end the program with at once, its
// text (the help, the version or the error) printed.
std::variant<StartUpOptions, int> readCommandLine(const QStringList& arguments);

// Carries the options out on the shown main window, through the same commands the operator
// gives. The load test starts a few seconds after the link first comes up, so the link's own
// messages are seen first.
void applyStartUpOptions(const StartUpOptions& options, frmTerminal& window);

} // namespace zkn
