// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The whole tool as the operator runs it (ToolApplication and frmTerminal, offscreen) beside the
// PBX simulator in the same process, for the long-running and memory figures.
#include "frm_terminal.h"
#include "pbxsim/pbx_simulator.h"
#include "serial_line.h"
#include "tcp_link.h"
#include "tool_application.h"
#include "widget_operator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace zkn::bench {

inline void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Done> bool waitFor(Done done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        runEventLoop(5);
    return done();
}

// The offscreen platform says on every window resize that it cannot pass size hints on; over an
// hour that would bury the figures.
inline void dropOffscreenNotices()
{
    static const QtMessageHandler next = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.startsWith(QLatin1String("This plugin does not support")))
            next(type, context, text);
    });
}

// A figure in kB of a process's /proc status ("VmRSS:"), this one's unless `pid` is given, or -1
// where /proc cannot tell (the process is gone).
inline long statusKb(const QByteArray& field, const QString& pid = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

// This process's resident memory in kB, now and at its highest so far.
inline long residentKb()
{
    return statusKb("VmRSS:");
}
inline long peakResidentKb()
{
    return statusKb("VmHWM:");
}

// A settings store and a data folder of its own, set before the tool reads them, so no earlier
// run changes the figures.
struct FreshSettings
{
    QTemporaryDir folder;
    FreshSettings()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(QStringLiteral("data"))));
    }
};

struct WholeTool
{
    FreshSettings settings;
    WidgetOperator op;
    ToolApplication tool{op};
    frmTerminal window{tool.windowServices()};
    pbxsim::PbxSimulator sim;

    WholeTool()
    {
        tool.attach(window);
        window.show();
    }

    // Over loopback TCP, with health checks rare enough not to share the link's send spacing.
    bool connectTcp()
    {
        if (!sim.listen(QHostAddress::LocalHost, 0))
            return false;
        tool.connection().setConnectionType(ConnectionType::Lan);
        tool.connection().setRemoteHost(QStringLiteral("127.0.0.1"));
        tool.debugOptions().setHealthCheckIntervalText(QStringLiteral("180"));
        tool.socket().setRemotePort(sim.serverPort());
        window.action(frmTerminal::Command::Connect)->trigger();
        return waitFor([this] { return sim.link().isLinkUp(); }, 5000);
    }

    // Over a pty of the simulator in this process.
    bool connectPty() { return connectSerial(sim.openPty()); }

    bool connectSerial(const QString& device)
    {
        if (device.isEmpty())
            return false;
        tool.connection().setConnectionType(ConnectionType::Serial);
        tool.serial().setPortName(device);
        window.action(frmTerminal::Command::Connect)->trigger();
        return tool.serial().isOpen();
    }
};

} // namespace zkn::bench
