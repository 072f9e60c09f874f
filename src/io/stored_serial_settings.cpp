#include "stored_serial_settings.h"

#include "serial_line.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"

namespace zkn {

namespace {

// Selects the stored port: a device path when one was chosen, else COM1 to COM16.
QString applyPort(const settings::SettingsStore& store, SerialLine& serial)
{
    const QString path = store.text(settings::Key::PortName);
    const QString number = store.text(settings::Key::CommPort);
    if (!path.isEmpty()) {
        serial.setPortName(path);
        return {};
    }
    if (number.isEmpty())
        return {};
    const auto port = settings::parseInt(number);
    if (!port || *port < 1 || *port > 16)
        return QStringLiteral("Invalid port number");
    serial.setCommPort(*port);
    return {};
}

} // namespace

QString applyStoredSerialSettings(const settings::SettingsStore& store, SerialLine& serial)
{
    QString error;
    const QString line = store.text(settings::Key::Settings);
    if (!line.isEmpty() && !serial.setSettings(line, &error))
        return error;

    const QString portError = applyPort(store, serial);

    const QString handshaking = store.text(settings::Key::Handshaking);
    if (handshaking.isEmpty())
        return {};
    const auto mode = settings::parseInt(handshaking);
    if (!mode)
        return QStringLiteral("Invalid property value");
    if (!serial.setHandshaking(*mode, &error))
        return error;
    return portError;
}

} // namespace zkn
