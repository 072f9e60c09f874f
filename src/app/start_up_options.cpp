// SPDX-License-Identifier: GPL-3.0-or-later
#include "start_up_options.h"

#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_terminal.h"
#include "window_placement.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTime>
#include <QTimer>

#include <cstdio>

namespace zkn {

QStringList ownArguments(int argc, char* argv[])
{
    QStringList own{QString::fromLocal8Bit(argc > 0 ? argv[0] : "")};
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (!argument.startsWith("--") && argument != "-h" && argument != "-v")
            continue;
        own.append(QString::fromLocal8Bit(argv[i]));
        // The one option with a value given apart.
        if (argument == "--capture" && i + 1 < argc)
            own.append(QString::fromLocal8Bit(argv[++i]));
    }
    return own;
}

std::variant<StartUpOptions, int> readCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Test and control tool for the message-centre link of a PBX. The settings of the "
                       "last run are used; the options act on them once the main window is shown."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption connect(QStringLiteral("connect"),
                                     QStringLiteral("Open the link as the Connect command does."));
    const QCommandLineOption breakdown(QStringLiteral("breakdown"),
                                       QStringLiteral("Show the breakdown window, so records are decoded."));
    const QCommandLineOption loadTest(
        QStringLiteral("load-test"),
        QStringLiteral(
            "Start a lamp load test over the stored range a few seconds after the link comes up."));
    const QCommandLineOption capture(
        QStringLiteral("capture"),
        QStringLiteral("Capture the link to <file>, as Options > Capture to File does."),
        QStringLiteral("file"));
    parser.addOptions({connect, breakdown, loadTest, capture});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    StartUpOptions options;
    options.connect = parser.isSet(connect);
    options.breakdown = parser.isSet(breakdown);
    options.loadTest = parser.isSet(loadTest);
    options.capturePath = parser.value(capture);
    return options;
}

namespace {

void sayNotStarted(frmTerminal& window)
{
    window.WriteTerminal(display::terminalLine(display::marker::Local, QTime::currentTime(),
                                               "Load test not started: the link is not up"));
}

// The test starts a few seconds after the link first stands, so its own messages are seen first.
// A link that goes down before (refused, not reached, the port not opened) starts nothing, and
// the terminal says so.
void startLoadTestOnceTheLinkIsUp(frmTerminal& window, int pauseMs)
{
    using Command = frmTerminal::Command;
    QAction* link = window.action(Command::Connect);
    // Whichever comes first decides; the watch then ends with its connections.
    auto* watch = new QObject(&window);
    QObject::connect(&window, &frmTerminal::linkEstablished, watch, [&window, link, watch, pauseMs] {
        delete watch;
        QTimer::singleShot(pauseMs, &window, [&window, link] {
            QAction* start = window.action(Command::StartTestButton);
            if (!link->isChecked())
                sayNotStarted(window);
            else if (start->isEnabled())
                start->trigger();
        });
    });
    QObject::connect(&window, &frmTerminal::linkEnded, watch, [&window, watch] {
        delete watch;
        sayNotStarted(window);
    });
}

} // namespace

void applyStartUpOptions(const StartUpOptions& options, frmTerminal& window)
{
    using Command = frmTerminal::Command;
    if (options.breakdown) {
        makeRoomBeside(&window, window.breakDownWindow());
        window.action(Command::Format)->setChecked(true);
    }
    // Before the link opens, so its set-up is in the file.
    if (!options.capturePath.isEmpty())
        window.captureTo(options.capturePath);
    if (options.loadTest)
        startLoadTestOnceTheLinkIsUp(window, options.loadTestPauseMs);
    if (options.connect && !window.action(Command::Connect)->isChecked())
        window.action(Command::Connect)->trigger();
}

} // namespace zkn
