// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_info.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace zkn {

namespace {

QStringList systemInfoPrograms()
{
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("lshw-gtk")};
}

} // namespace

bool StartSysInfo()
{
    for (const QString& program : systemInfoPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return QProcess::startDetached(path, {});
    }
    return false;
}

} // namespace zkn
