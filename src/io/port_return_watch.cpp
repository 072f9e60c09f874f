// SPDX-License-Identifier: GPL-3.0-or-later
#include "port_return_watch.h"

#include <QFile>

#include <sys/stat.h>

namespace zkn {

PortReturnWatch::PortReturnWatch(QObject* parent) : QObject(parent)
{
    m_poll.setInterval(500);
    connect(&m_poll, &QTimer::timeout, this, &PortReturnWatch::poll);
}

void PortReturnWatch::watch(const QString& path)
{
    m_path = path;
    m_poll.start();
}

void PortReturnWatch::stop()
{
    m_poll.stop();
}

void PortReturnWatch::poll()
{
    struct stat info = {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return;
    m_poll.stop();
    Q_EMIT returned(m_path);
}

} // namespace zkn
