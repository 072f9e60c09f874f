// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "line_events.h"
#include "link/transport_states.h"
#include "settings/serial_settings.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace zkn {

// The serial side of the link: a port chosen as "COM n" or by device path, the classic line
// parameter text, handshaking modes, a receive switch, and line events found by polling the
// modem lines. It knows nothing of records; it moves bytes.
class SerialLine : public QObject
{
    Q_OBJECT

public:
    enum class OpenResult
    {
        Opened,
        NotFound,
        Failed
    };

    // The port's read buffer, and the scale of the input gauge: while receiving is off no more is
    // read ahead of the tool.
    static constexpr qint64 InputBufferSize = 4096;
    // The output buffer of the classic serial control. A text file goes out in blocks of this
    // size, each once the one before has left.
    static constexpr qint64 OutputBufferSize = 512;

    explicit SerialLine(QObject* parent = nullptr);

    // The port used by the next open(). COM n means /dev/ttyS(n-1). A device path (a USB
    // adapter, a pty) takes the place of the COM number, which is kept: setPortName({}) or
    // setCommPort() goes back to a COM port.
    void setCommPort(int n);
    void setPortName(const QString& devicePath);
    int commPort() const { return m_commPort; }
    // The device path chosen instead of a COM number; empty while COM n is in use.
    QString portName() const { return m_portName; }
    // The device that open() uses.
    QString systemLocation() const;

    // Takes e.g. "9600,n,8,1" in either letter case; an open port changes at once. On refusal
    // nothing changes and `error` (may be null) gets the reason.
    bool setSettings(const QString& text, QString* error);
    // The parameters in use, parity letter in lower case.
    QString settings() const { return m_parameters.toText(); }

    // 0 none, 1 XON/XOFF, 2 RTS (hardware), 3 RTS and XON/XOFF. An open port changes at once.
    bool setHandshaking(int mode, QString* error);
    int handshaking() const { return m_handshaking; }

    // NotFound: no such device (the serial control's error 8002). Failed: anything else,
    // including a device that refuses the parameters. `error` (may be null) gets the reason.
    OpenResult open(QString* error);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    // The far end's DSR. A device without modem lines (a pseudo-terminal) counts as holding it.
    bool dsrHolding() const;
    // The modem line bits (TIOCM_*) of the open device, nothing for one without modem lines.
    // Replaceable, as a pseudo-terminal's lines cannot be set: a test gives its far end's lines.
    using ModemLineReader = std::function<std::optional<int>(int fd)>;
    void setModemLineReader(ModemLineReader reader) { m_modemLines = std::move(reader); }

    // While off, received bytes wait in the port's buffer and dataArrived() is not emitted;
    // turning it on with bytes waiting emits dataArrived() from the event loop. Starts off.
    void setReceiveEnabled(bool enabled);
    bool receiveEnabled() const { return m_receiveEnabled; }
    QByteArray readAll();
    qint64 bytesWaiting() const { return m_port.bytesAvailable(); }
    qint64 inputBufferSize() const { return InputBufferSize; }

    // Hands the bytes to the port; they leave as the line takes them. Returns why nothing was
    // handed over (the port is closed, the device failed), else nothing.
    QString write(const QByteArray& bytes);
    qint64 bytesToWrite() const { return m_port.bytesToWrite(); }

Q_SIGNALS:
    void dataArrived();
    // A modem line changed (CTS, DSR, CD, ring) or the driver counted a line error (break,
    // framing, overrun, parity; real UARTs keep these counters, ptys do not).
    void lineEvent(link::SerialEvent event);
    // An open port was closed, by close() or because the device failed. Bytes it had not yet
    // handed to the device are dropped, so no allWritten() follows.
    void closed();
    // The port was closed because the device failed (e.g. a hung-up line); emitted once, after
    // closed(), with "Serial device <path> went away: <the system's reason>".
    void closedByError(const QString& description);
    // Everything written has left the port's buffer.
    void allWritten();
    // Bytes taken with readAll(), and bytes handed to the port by write(), as they went.
    void dataRead(const QByteArray& bytes);
    void dataWritten(const QByteArray& bytes);

private:
    LineSnapshot lineSnapshot(int lines) const;

    bool configure(const settings::LineParameters& parameters, int handshaking);
    bool apply(const settings::LineParameters& parameters, int handshaking, QString* error);
    void onReadyRead();
    void onPortError(QSerialPort::SerialPortError error);
    void pollLines();

    QSerialPort m_port;
    int m_commPort = 1;
    QString m_portName;
    settings::LineParameters m_parameters;
    int m_handshaking = 0;
    bool m_receiveEnabled = false;
    bool m_closingOnError = false;
    LineSnapshot m_lastSnapshot;
    QTimer m_lineWatch;
    ModemLineReader m_modemLines;
};

} // namespace zkn
