#include "stored_serial_settings.h"

#include "serial_line.h"
#include "settings/com_ports.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"

namespace zkn {

namespace {

// Selects the stored port: a device path when one was chosen, else COM1 to COM16. Any other
// stored number, or a text that is none, is skipped like every bad value read before "Echo": the
// port keeps its number and the reading goes on.
void applyPort(const settings::SettingsStore& store, SerialLine& serial)
{
    const QString path = store.text(settings::Key::PortName);
    if (!path.isEmpty()) {
        serial.setPortName(path);
        return;
    }
    const auto port = settings::parseInt(store.text(settings::Key::CommPort));
    if (port && *port >= 1 && *port <= settings::kComPorts)
        serial.setCommPort(*port);
}

} // namespace

QString applyStoredSerialSettings(const settings::SettingsStore& store, SerialLine& serial)
{
    QString error;
    const QString line = store.text(settings::Key::Settings);
    if (!line.isEmpty() && !serial.setSettings(line, &error))
        return error;

    applyPort(store, serial);

    const QString handshaking = store.text(settings::Key::Handshaking);
    if (handshaking.isEmpty())
        return {};
    const auto mode = settings::parseInt(handshaking);
    if (!mode)
        return QStringLiteral("Invalid property value");
    if (!serial.setHandshaking(*mode, &error))
        return error;
    return {};
}

} // namespace zkn
