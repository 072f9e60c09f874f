#pragma once

// A tool started as the operator starts it, over a settings store in a folder of its own.
#include "frm_terminal.h"
#include "scripted_operator.h"
#include "tool_application.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace zkn::test {

struct ToolFixture
{
    QTemporaryDir configDir;
    ScriptedOperator op;
    std::unique_ptr<ToolApplication> app;
    std::unique_ptr<frmTerminal> window;
    bool ready = false;

    ToolFixture() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir.path()); }

    static std::unique_ptr<QSettings> ini()
    {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QStringLiteral("ZKN-Control Tool"),
                                           QStringLiteral("ZKN-Control Tool"));
    }

    // Values stored by an earlier run, as section/key -> text.
    void storeBefore(const QList<std::pair<QString, QString>>& values)
    {
        const auto store = ini();
        for (const auto& [path, text] : values)
            store->setValue(path, text);
        store->sync();
    }

    QString stored(const QString& path) const { return ini()->value(path).toString(); }

    bool storedAnything(const QString& path) const { return ini()->contains(path); }

    // Runs the start-up with a splash that goes at once; true when the window is up.
    bool start()
    {
        app = std::make_unique<ToolApplication>(op);
        window = std::make_unique<frmTerminal>(app->windowServices());
        app->attach(*window);
        window->startUp(
            [this] {
                ready = true;
                window->show();
            },
            0);
        return QTest::qWaitFor([this] { return ready; }, 5000);
    }

    QAction* action(const char* name) const { return find<QAction>(name); }

    template <typename T> T* find(const char* name) const
    {
        return window->findChild<T*>(QLatin1String(name));
    }
};

} // namespace zkn::test
