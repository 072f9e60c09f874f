#pragma once

#include "link/link_states.h"

#include <QByteArray>
#include <QString>

namespace zkn::link {

// The two transports as the link engine uses them: one TCP connection to the PBX and one serial
// port. The engine decides; the transports only carry out.
class LinkTransport
{
public:
    enum class PortToggle
    {
        Opened,
        Closed,
        NotFound,
        Failed
    };

    virtual ~LinkTransport() = default;

    // TCP. connectSocket returns the description of an immediate failure, else nothing.
    virtual QString connectSocket(const QString& host) = 0;
    virtual SocketState socketState() const = 0;

    // Serial. A toggle that fails for another reason than a missing device gives the reason.
    virtual PortToggle toggleSerialPort(QString* failure) = 0;
    virtual bool serialPortOpen() const = 0;
    virtual bool serialDsr() const = 0;
    virtual void setSerialReceive(bool on) = 0;
    virtual QByteArray readSerialInput() = 0;
    // Hands bytes to the port; returns why they were not taken (the port is closed), else nothing.
    virtual QString writeSerial(const QByteArray& bytes) = 0;
};

} // namespace zkn::link
