// SPDX-License-Identifier: GPL-3.0-or-later
#include "pty_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace zkn::test {

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return; // both stay -1: openpty sets them only when it succeeds
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

QByteArray PtyPair::readMaster() const
{
    char buffer[512];
    QByteArray bytes;
    for (ssize_t n; (n = ::read(m_master, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    return bytes;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

} // namespace zkn::test
