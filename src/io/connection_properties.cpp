// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection_properties.h"

#include "stored_settings.h"

#include "model/connection_options.h"
#include "serial_line.h"
#include "settings/com_ports.h"
#include "settings/record_format.h"
#include "settings/serial_settings.h"

#include <QFile>

#include <sys/stat.h>

#include <cerrno>

namespace zkn {

namespace {

struct PortChoice
{
    int commPort;
    QString path;
    friend bool operator==(const PortChoice&, const PortChoice&) = default;
};

void selectPort(SerialLine& serial, const PortChoice& port)
{
    if (port.path.isEmpty())
        serial.setCommPort(port.commPort);
    else
        serial.setPortName(port.path);
}

// A typed name that is no device would only fail at the next connect, long after OK. A device path
// that is not there yet (an adapter to be plugged in) may be named: connecting says it is missing.
bool mayBeAPort(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT && path.startsWith(QLatin1String("/dev/"));
    return S_ISCHR(info.st_mode);
}

QString notAPort(const QString& text)
{
    return QStringLiteral("\"%1\" is not a serial port: choose COM1 to COM16 or type the path of a serial "
                          "device, such as /dev/ttyUSB0.")
        .arg(text);
}

// Switches to the new port; an open port is closed first and opened again on the new one. On
// failure the old port number comes back and a port closed here stays closed.
QString changePort(SerialLine& serial, const QString& text, PropertiesResult& result)
{
    const PortChoice old{serial.commPort(), serial.portName()};
    // COM n, or else a device path, which leaves the COM number as it is.
    const std::optional<int> number = settings::comPortNumber(text);
    const QString path = number ? QString() : text.trimmed();
    const PortChoice wanted{number.value_or(old.commPort), path};
    const bool blank = !number && path.isEmpty();
    result.portOpen = serial.isOpen();
    // Naming the port in use changes nothing, even for a device that has gone away since.
    if (!blank && wanted == old)
        return {};
    const bool reopen = serial.isOpen();
    if (reopen)
        serial.close();
    selectPort(serial, wanted);
    QString error;
    if (!number && (!path.startsWith(QLatin1Char('/')) || !mayBeAPort(serial.systemLocation()))) {
        error = notAPort(path);
    } else if (reopen) {
        const SerialLine::OpenResult opened = serial.open(&error);
        if (opened == SerialLine::OpenResult::NotFound)
            error = settings::portNotPresent(serial.systemLocation());
        else if (opened != SerialLine::OpenResult::Opened && error.isEmpty())
            error = QStringLiteral("The port could not be opened.");
    }
    result.portReopened = reopen;
    result.portOpen = serial.isOpen();
    if (!error.isEmpty())
        selectPort(serial, old);
    return error;
}

} // namespace

PropertiesResult applyConnectionProperties(const PropertiesForm& form, SerialLine& serial,
                                           ConnectionOptions& options, settings::SettingsStore& store)
{
    PropertiesResult result;
    result.kraChosen = form.kraChosen;
    options.setEcho(form.echoChoice);

    result.error = changePort(serial, form.portText, result);
    if (!result.error.isEmpty())
        return result;

    const QString line =
        settings::joinSerialSettings(form.speed, form.parityItem, form.dataBits, form.stopBits);
    if (!serial.setSettings(line, &result.error))
        return result;
    if (!serial.setHandshaking(form.flowChoice, &result.error))
        return result;

    options.setRemoteHost(form.hostText);
    options.setRecordFormatKra(settings::recordFormatIsKra(form.connectionType, form.kraChosen));
    if (form.connectionType == ConnectionType::Lan)
        result.kraChosen = true;

    storeProperties(store, form, serial, options, result.kraChosen);
    return result;
}

} // namespace zkn
