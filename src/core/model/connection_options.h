// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/connection_type.h"

#include <QObject>
#include <QString>

namespace zkn {

// The live connection choices of the properties dialog, read by the link at the moment it needs
// them: the dialog edits them as the operator types, before OK, and the debug options flip the
// LAN parity. The socket's remote host and the echo and record-format flags change only on OK.
class ConnectionOptions : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    ConnectionType connectionType() const { return m_connectionType; }
    bool isLan() const { return m_connectionType == ConnectionType::Lan; }
    QString deviceNumber() const { return m_deviceNumber; }
    QString lanParity() const { return m_lanParity; }
    QString hostField() const { return m_hostField; }
    QString remoteHost() const { return m_remoteHost; }
    bool kraSelected() const { return m_kraSelected; }
    bool echo() const { return m_echo; }
    bool recordFormatKra() const { return m_recordFormatKra; }

    void setConnectionType(ConnectionType type);
    void setDeviceNumber(const QString& number);
    void setLanParity(const QString& parity);
    void toggleLanParity();
    void setHostField(const QString& host);
    void setRemoteHost(const QString& host) { m_remoteHost = host; }
    void setKraSelected(bool kra);
    void setEcho(bool on) { m_echo = on; }
    void setRecordFormatKra(bool kra) { m_recordFormatKra = kra; }

Q_SIGNALS:
    void connectionTypeChanged(ConnectionType type);
    void deviceNumberChanged(const QString& number);
    void lanParityChanged(const QString& parity);
    void hostFieldChanged(const QString& host);
    void kraSelectedChanged(bool kra);

private:
    ConnectionType m_connectionType = ConnectionType::Serial;
    QString m_deviceNumber = QStringLiteral("0");
    QString m_lanParity = QStringLiteral("Odd");
    QString m_hostField;                              // text of the host box
    QString m_remoteHost = QStringLiteral("0.0.0.0"); // the socket's remote host, set by OK
    bool m_kraSelected = true;                        // the KRA record format option
    bool m_echo = false;                              // local echo of typed characters
    bool m_recordFormatKra = true;                    // records use the KRA layout
};

} // namespace zkn
