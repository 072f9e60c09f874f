#include "fake_link_host.h"

namespace zkn::test {

QString FakeLinkHost::connectSocket(const QString& host)
{
    connects.append(host);
    if (!connectFailure.isEmpty())
        return connectFailure;
    state = link::SocketState::Connecting;
    return {};
}

void FakeLinkHost::closeSocket()
{
    ++closes;
    state = link::SocketState::Closed;
}

link::LinkTransport::PortToggle FakeLinkHost::toggleSerialPort(QString*)
{
    if (portOpen) {
        portOpen = false;
        return PortToggle::Closed;
    }
    if (!portExists)
        return PortToggle::NotFound;
    portOpen = true;
    return PortToggle::Opened;
}

QByteArray FakeLinkHost::readSerialInput()
{
    return std::exchange(serialInput, {});
}

} // namespace zkn::test
