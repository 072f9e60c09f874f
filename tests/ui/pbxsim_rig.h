#pragma once

// The whole tool against the PBX simulator, over real loopback TCP or a real pseudo-terminal.
#include "tool_fixture.h"

#include "pbxsim/pbx_simulator.h"
#include "terminal_view.h"

namespace zkn::test {

// Long enough for any exchange on a loaded machine; tests wait for conditions, never for time.
constexpr int kWait = 8000;

// Starts the tool and connects it over a pseudo-terminal the simulator made.
inline bool connectOverPty(ToolFixture& t, pbxsim::PbxSimulator& sim)
{
    const QString path = sim.openPty();
    if (!t.start() || path.isEmpty())
        return false;
    t.app->serial().setPortName(path);
    t.action("mnuOpen")->trigger();
    return t.app->serial().isOpen();
}

struct LanRig
{
    ToolFixture tool;
    pbxsim::PbxSimulator sim;
    QList<pbxsim::FrameInfo> in;
    QList<pbxsim::FrameInfo> out;

    bool start(const QString& interval = QStringLiteral("1"))
    {
        if (!tool.start() || !sim.listen(QHostAddress::LocalHost, 0))
            return false;
        QObject::connect(&sim, &pbxsim::PbxSimulator::frameIn,
                         [this](const pbxsim::FrameInfo& f) { in.append(f); });
        QObject::connect(&sim, &pbxsim::PbxSimulator::frameOut,
                         [this](const pbxsim::FrameInfo& f) { out.append(f); });
        ConnectionOptions& c = tool.app->connection();
        c.setConnectionType(ConnectionType::Lan);
        c.setRemoteHost(QStringLiteral("127.0.0.1"));
        c.setDeviceNumber(QStringLiteral("1"));
        tool.app->debugOptions().setHealthCheckIntervalText(interval);
        tool.app->socket().setRemotePort(sim.serverPort());
        return true;
    }
    QByteArray terminal() const { return tool.window->terminal()->content(); }
    QList<pbxsim::FrameInfo> framesIn(char kind) const
    {
        QList<pbxsim::FrameInfo> found;
        for (const pbxsim::FrameInfo& f : in)
            if (f.kind == kind)
                found.append(f);
        return found;
    }
    bool connectAndWaitForLink()
    {
        tool.action("mnuOpen")->trigger();
        return QTest::qWaitFor([this] { return terminal().contains("Connect Message Rcv'd: OK"); }, kWait);
    }
};

} // namespace zkn::test
