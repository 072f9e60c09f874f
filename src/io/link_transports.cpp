#include "link_transports.h"

#include "serial_line.h"
#include "tcp_link.h"

namespace zkn {

QString LinkTransports::connectSocket(const QString& host)
{
    if (m_socket.state() != link::SocketState::Closed)
        return QStringLiteral("Invalid operation at current state");
    return m_socket.connectToHost(host);
}

link::SocketState LinkTransports::socketState() const
{
    return m_socket.state();
}

link::LinkTransport::PortToggle LinkTransports::toggleSerialPort(QString* failure)
{
    if (m_serial.isOpen()) {
        m_serial.close();
        return PortToggle::Closed;
    }
    switch (m_serial.open(failure)) {
    case SerialLine::OpenResult::Opened:
        return PortToggle::Opened;
    case SerialLine::OpenResult::NotFound:
        return PortToggle::NotFound;
    case SerialLine::OpenResult::Failed:
        break;
    }
    return PortToggle::Failed;
}

bool LinkTransports::serialPortOpen() const
{
    return m_serial.isOpen();
}

bool LinkTransports::serialDsr() const
{
    return m_serial.dsrHolding();
}

void LinkTransports::setSerialReceive(bool on)
{
    m_serial.setReceiveEnabled(on);
}

QByteArray LinkTransports::readSerialInput()
{
    return m_serial.readAll();
}

QString LinkTransports::writeSerial(const QByteArray& bytes)
{
    return m_serial.write(bytes);
}

} // namespace zkn
