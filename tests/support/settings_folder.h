// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace zkn::test {

// A configuration folder of the test's own, so the developer's settings never count.
struct SettingsFolder
{
    QTemporaryDir dir;

    SettingsFolder()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        // QSettings looks the user folder up once per process; point it at this folder.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }
    QString iniPath() const { return dir.path() + QStringLiteral("/ZKN-Control Tool/ZKN-Control Tool.ini"); }
};

} // namespace zkn::test
