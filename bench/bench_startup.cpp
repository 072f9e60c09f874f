// SPDX-License-Identifier: GPL-3.0-or-later
// Time from the program's start to an idle main window, as the operator starts the tool (a fresh
// settings store, the splash dismissed at once): from entering main() until the event loop, with
// the main window shown, first has nothing left to do. Prints a ROW line for scripts/bench.
// Run: build/bench/bench/bench_startup
#include "frm_terminal.h"
#include "tool_application.h"
#include "widget_operator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());

    zkn::WidgetOperator op;
    zkn::ToolApplication app(op);
    zkn::frmTerminal window(app.windowServices());
    op.setParent(&window);
    app.attach(window);
    qint64 idleNs = -1;
    window.startUp(
        [&] {
            window.show();
            // A zero timer runs once the events queued by the start-up (paints included) are handled.
            QTimer::singleShot(0, &qapp, [&] {
                idleNs = sinceStart.nsecsElapsed();
                // Not quit(): that closes the main window first, which asks the operator.
                QCoreApplication::exit(0);
            });
        },
        0);
    QTimer::singleShot(10000, &qapp, [] { QCoreApplication::exit(1); }); // a start-up that never ends fails
    QApplication::exec();
    const double seconds = double(idleNs) / 1e9;
    std::printf("ROW start-up to an idle main window|%.3f|s|< 0.5|%s\n", seconds,
                idleNs >= 0 && seconds < 0.5 ? "met" : "NOT met");
    return idleNs >= 0 ? 0 : 1;
}
