#pragma once

// The whole tool as the operator starts it, over a settings store in a folder of its own.
#include "frm_terminal.h"
#include "scripted_operator.h"
#include "terminal_view.h"
#include "tool_application.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace zkn::test {

// Long enough for any exchange on a loaded machine; tests wait for conditions, never for time.
constexpr int kWait = 8000;

// Runs the events until `done` holds, looking every millisecond (QTest's waits look every 10 or
// 50 ms, which adds up over many short waits).
template <typename F> bool eventually(F done, int ms = kWait)
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

    ToolFixture() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir.path()); }

    static std::unique_ptr<QSettings> ini()
    {
        const QString name = QStringLiteral("ZKN-Control Tool");
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, name, name);
    }
    // Values stored by an earlier run, as section/key -> text.
    void storeBefore(const QList<std::pair<QString, QString>>& values)
    {
        const auto store = ini();
        for (const auto& [path, text] : values)
            store->setValue(path, text);
    }
    static QString stored(const QString& path) { return ini()->value(path).toString(); }
    static bool storedAnything(const QString& path) { return ini()->contains(path); }

    // Runs the start-up with a splash that goes at once; true when the window is up and active, so
    // that no late activation takes the focus from a window opened next.
    bool start()
    {
        app = std::make_unique<ToolApplication>(op);
        window = std::make_unique<frmTerminal>(app->windowServices());
        app->attach(*window);
        auto ready = std::make_shared<bool>(false);
        window->startUp(
            [this, ready] {
                *ready = true;
                window->show();
            },
            0);
        return eventually([&] { return *ready && QApplication::activeWindow() == window.get(); }, 5000);
    }

    QAction* action(const char* name) const { return in<QAction>(window.get(), name); }
    QWidget* find(const char* name) const { return in(window.get(), name); }
    QByteArray terminal() const { return window->terminal()->content(); }
};

} // namespace zkn::test
