// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The whole tool as the operator starts it, over a settings store in a folder of its own.
#include "frm_properties.h"
#include "frm_splash.h"
#include "frm_terminal.h"
#include "scripted_operator.h"
#include "terminal_view.h"
#include "tool_application.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace zkn::test {

// Runs the events until `done` holds, looking every millisecond (QTest's waits look every 10 or
// 50 ms, which adds up over many short waits). The default is long enough for any exchange on a
// loaded machine; tests wait for conditions, never for time.
template <typename F> bool eventually(F done, int ms = 8000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

template <typename T = QWidget> T* in(const QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

struct ToolFixture
{
    QTemporaryDir configDir;
    ScriptedOperator op;
    std::unique_ptr<ToolApplication> app;
    std::unique_ptr<frmTerminal> window;
    QList<SerialPortFacts> ports;           // present, as the port box lists them
    std::optional<qsizetype> boxesAtSplash; // how many the operator had seen when the splash was painted

    // The settings and the data folder (the lamp ledger, the extensions file) of this test alone.
    ToolFixture()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(configDir.filePath(QStringLiteral("data"))));
    }

    // The tool's INI file, as the tool reads it and as an earlier run left it.
    static std::unique_ptr<QSettings> ini()
    {
        const QString name = QStringLiteral("ZKN-Control Tool");
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, name, name);
    }

    // Runs the start-up with a splash that goes at once; true when the window is up and active, so
    // that no late activation takes the focus from a window opened next.
    bool start()
    {
        app = std::make_unique<ToolApplication>(op);
        window = std::make_unique<frmTerminal>(app->windowServices());
        app->attach(*window);
        // The machine's own ports never show: a test lists the ports it wants present.
        window->properties()->setPortLister([this] { return ports; });
        auto ready = std::make_shared<bool>(false);
        window->startUp(
            [this, ready] {
                *ready = true;
                window->show();
            },
            0);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<frmSplash*>(w))
                QObject::connect(splash, &frmSplash::painted, window.get(),
                                 [this] { boxesAtSplash = op.messages.size(); });
        return eventually([&] { return *ready && QApplication::activeWindow() == window.get(); }, 5000);
    }

    QAction* action(const char* name) const { return in<QAction>(window.get(), name); }
    QByteArray terminal() const { return window->terminal()->content(); }
};

} // namespace zkn::test
