#pragma once

#include "link/link_transport.h"

namespace zkn {

class SerialLine;
class TcpLink;

// The link engine's transports on the real TCP socket and serial port.
class LinkTransports : public link::LinkTransport
{
public:
    LinkTransports(TcpLink& socket, SerialLine& serial) : m_socket(socket), m_serial(serial) {}

    QString connectSocket(const QString& host) override;
    link::SocketState socketState() const override;

    PortToggle toggleSerialPort(QString* failure) override;
    bool serialPortOpen() const override;
    bool serialDsr() const override;
    void setSerialReceive(bool on) override;
    QByteArray readSerialInput() override;
    QString writeSerial(const QByteArray& bytes) override;

private:
    TcpLink& m_socket;
    SerialLine& m_serial;
};

} // namespace zkn
