// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/watched_frame.h"
#include "settings/serial_settings.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <optional>

namespace zkn {

// A tap on a serial link: two ports opened read-only, one on the PBX's transmit wire and one on
// the message centre's, never written. Flow control is off whatever the settings say (with
// Xon/Xoff the driver would send XOFF), and DTR and RTS are left as the open set them. The order
// between the two ports is the order in which their bytes reach this machine. A port that fails
// is closed and said; the other is still read.
class SerialTap : public QObject
{
    Q_OBJECT

public:
    SerialTap(const QString& pbxPort, const QString& mcPort, const settings::LineParameters& parameters,
              QObject* parent = nullptr);

    // Opens both ports: why each one that did not open did not; nothing for a port that did.
    struct Opened
    {
        std::optional<QString> pbx;
        std::optional<QString> mc;
    };
    Opened open();
    void close();

Q_SIGNALS:
    void received(qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    void failed(qint64 timeUs, monitor::Side side, const QString& why);

private:
    std::optional<QString> open(QSerialPort& port);
    void read(QSerialPort& port, monitor::Side side);
    void portError(QSerialPort& port, monitor::Side side, QSerialPort::SerialPortError error);

    settings::LineParameters m_parameters;
    QString m_pbxName; // as given
    QString m_mcName;
    bool m_pbxFailed = false; // said once, until the close queued for it
    bool m_mcFailed = false;
    QSerialPort m_pbx;
    QSerialPort m_mc;
};

} // namespace zkn
