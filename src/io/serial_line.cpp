// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_line.h"

#include "settings/com_ports.h"

#include "serial_port_parameters.h"

#include <QList>

#include <cerrno>
#include <linux/serial.h>
#include <optional>
#include <sys/ioctl.h>
#include <utility>

namespace zkn {

namespace {

constexpr int lineWatchIntervalMs = 100;

// The modem line bits, or nothing when the device has no modem lines at all (a
// pseudo-terminal). Any other failure reads as every line down.
std::optional<int> deviceModemLines(int fd)
{
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) == 0)
        return bits;
    if (errno == ENOTTY || errno == EINVAL)
        return std::nullopt;
    return 0;
}

QSerialPort::FlowControl flowFor(int handshaking)
{
    switch (handshaking) {
    case 1:
        return QSerialPort::SoftwareControl;
    case 2:
    // RTS with XON/XOFF: the port cannot do both at once, and RTS is the one that protects the
    // receiver, so it wins.
    case 3:
        return QSerialPort::HardwareControl;
    default:
        return QSerialPort::NoFlowControl;
    }
}

bool refuse(QString* error, const QString& description)
{
    if (error)
        *error = description;
    return false;
}

} // namespace

SerialLine::SerialLine(QObject* parent) : QObject(parent), m_modemLines(deviceModemLines)
{
    configure(m_parameters, m_handshaking);
    // While receiving is off no more than this is read ahead: the rest waits in the driver, which
    // holds the PBX back with RTS/CTS, or reports an overrun without it.
    m_port.setReadBufferSize(InputBufferSize);
    m_lineWatch.setInterval(lineWatchIntervalMs);
    connect(&m_lineWatch, &QTimer::timeout, this, &SerialLine::pollLines);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLine::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLine::onPortError);
    connect(&m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port.bytesToWrite() == 0)
            Q_EMIT allWritten();
    });
}

void SerialLine::setCommPort(int n)
{
    Q_ASSERT(n >= 1);
    m_commPort = n;
    m_portName.clear();
}

void SerialLine::setPortName(const QString& devicePath)
{
    m_portName = devicePath;
}

QString SerialLine::systemLocation() const
{
    if (m_portName.isEmpty())
        return settings::comPortDevice(m_commPort);
    if (m_portName.startsWith(QLatin1Char('/')))
        return m_portName;
    return QStringLiteral("/dev/") + m_portName;
}

bool SerialLine::setSettings(const QString& text, QString* error)
{
    const auto parameters = settings::LineParameters::parse(text);
    if (!parameters)
        return refuse(error, QStringLiteral("Invalid property value"));
    if (parameters->dataBits < 5)
        return refuse(error,
                      QStringLiteral("Invalid property value: serial ports here cannot use 4 data bits"));
    if (parameters->stopBits == QLatin1String("1.5"))
        return refuse(error,
                      QStringLiteral("Invalid property value: serial ports here cannot use 1.5 stop bits"));
    if (!apply(*parameters, m_handshaking, error))
        return false;
    m_parameters = *parameters;
    return true;
}

bool SerialLine::setHandshaking(int mode, QString* error)
{
    if (mode < 0 || mode > 3)
        return refuse(error, QStringLiteral("Invalid property value"));
    if (!apply(m_parameters, mode, error))
        return false;
    m_handshaking = mode;
    return true;
}

// A closed port only stores the values for open(); an open one changes at once.
bool SerialLine::configure(const settings::LineParameters& parameters, int handshaking)
{
    return applyLineParameters(m_port, parameters, flowFor(handshaking));
}

// On refusal the port gets the values in use back.
bool SerialLine::apply(const settings::LineParameters& parameters, int handshaking, QString* error)
{
    if (configure(parameters, handshaking))
        return true;
    refuse(error, m_port.errorString());
    m_port.clearError();
    configure(m_parameters, m_handshaking);
    return false;
}

SerialLine::OpenResult SerialLine::open(QString* error)
{
    if (isOpen()) {
        refuse(error, QStringLiteral("Port already open"));
        return OpenResult::Failed;
    }
    m_port.setPortName(systemLocation());
    if (!m_port.open(QIODevice::ReadWrite)) {
        const bool notFound = m_port.error() == QSerialPort::DeviceNotFoundError;
        refuse(error, m_port.errorString());
        m_port.clearError();
        return notFound ? OpenResult::NotFound : OpenResult::Failed;
    }
    m_closingOnError = false;
    // Only a device with modem lines has line events to watch for.
    if (const auto lines = m_modemLines(m_port.handle())) {
        m_lastSnapshot = lineSnapshot(*lines);
        m_lineWatch.start();
    }
    return OpenResult::Opened;
}

void SerialLine::close()
{
    m_closingOnError = false;
    m_lineWatch.stop();
    if (!isOpen())
        return;
    m_port.close();
    Q_EMIT closed();
}

bool SerialLine::dsrHolding() const
{
    if (!isOpen())
        return false;
    const auto lines = m_modemLines(m_port.handle());
    return !lines || (*lines & TIOCM_DSR);
}

void SerialLine::setReceiveEnabled(bool enabled)
{
    m_receiveEnabled = enabled;
    // From the event loop, so that a receive handler turning receive back on does not recurse.
    if (enabled && bytesWaiting() > 0)
        QMetaObject::invokeMethod(this, &SerialLine::onReadyRead, Qt::QueuedConnection);
}

QString SerialLine::write(const QByteArray& bytes)
{
    if (!isOpen() || m_closingOnError)
        return QStringLiteral("The serial port is not open.");
    if (m_port.write(bytes) != bytes.size())
        return m_port.errorString();
    Q_EMIT dataWritten(bytes);
    return {};
}

QByteArray SerialLine::readAll()
{
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        Q_EMIT dataRead(bytes);
    return bytes;
}

void SerialLine::onReadyRead()
{
    if (m_receiveEnabled && !m_closingOnError && bytesWaiting() > 0)
        Q_EMIT dataArrived();
}

void SerialLine::onPortError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!isOpen() || m_closingOnError)
        return;
    // A hung-up device keeps reporting the error for as long as it stays open, so the first one
    // closes it. The port is closed from the event loop: it is in the middle of its own read.
    m_closingOnError = true;
    QString reason = m_port.errorString();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
        reason = error == QSerialPort::ResourceError ? QStringLiteral("the device is no longer available")
                                                     : QStringLiteral("reading from the device failed");
    const QString description =
        QStringLiteral("Serial device %1 went away: %2").arg(systemLocation(), reason);
    QMetaObject::invokeMethod(
        this,
        [this, description] {
            if (!m_closingOnError)
                return;
            close();
            Q_EMIT closedByError(description);
        },
        Qt::QueuedConnection);
}

// The driver's counters of line errors; devices that keep none leave them at zero.
LineSnapshot SerialLine::lineSnapshot(int lines) const
{
    LineSnapshot snapshot;
    snapshot.lines = lines;
    serial_icounter_struct counts{};
    if (ioctl(m_port.handle(), TIOCGICOUNT, &counts) == 0) {
        snapshot.breaks = counts.brk;
        snapshot.framing = counts.frame;
        snapshot.overruns = counts.overrun + counts.buf_overrun;
        snapshot.parity = counts.parity;
    }
    return snapshot;
}

void SerialLine::pollLines()
{
    const auto lines = m_modemLines(m_port.handle());
    if (!lines)
        return;
    const LineSnapshot now = lineSnapshot(*lines);
    const LineSnapshot before = std::exchange(m_lastSnapshot, now);
    const QList<link::SerialEvent> events = lineEventsBetween(before, now);
    for (const link::SerialEvent event : events) {
        if (!isOpen()) // a handler closed the port
            return;
        Q_EMIT lineEvent(event);
    }
}

} // namespace zkn
