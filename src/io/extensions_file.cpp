// SPDX-License-Identifier: GPL-3.0-or-later
#include "extensions_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace zkn {

QString extensionsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ZKN-Control Tool/Extensions.dat");
}

std::optional<QByteArray> readExtensionsFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

QString ensureFileExists(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return {};
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 could not be created.").arg(QDir::toNativeSeparators(folder));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    return {};
}

} // namespace zkn
