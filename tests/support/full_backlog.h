// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTcpServer>
#include <QTcpSocket>

namespace zkn::test {

// A listener that never takes a connection off its queue, which the filler's fills: the kernel
// then drops further SYNs, so a connect there never completes.
struct FullBacklog
{
    QTcpServer server;
    QTcpSocket filler;

    quint16 listen(int waitMs = 5000)
    {
        server.setMaxPendingConnections(0);
        server.setListenBacklogSize(0);
        if (!server.listen(QHostAddress::LocalHost, 0))
            return 0;
        filler.connectToHost(QHostAddress::LocalHost, server.serverPort());
        return filler.waitForConnected(waitMs) ? server.serverPort() : 0;
    }
};

} // namespace zkn::test
