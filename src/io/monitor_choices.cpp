// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor_choices.h"

#include "settings/setting_text.h"

namespace zkn {

namespace {

using settings::Key;

int portOr(const settings::SettingsStore& store, Key key, int fallback)
{
    const std::optional<int> port = settings::parseInt(store.text(key));
    return port && *port >= 1 && *port <= 65535 ? *port : fallback;
}

} // namespace

MonitorChoices storedMonitorChoices(const settings::SettingsStore& store)
{
    MonitorChoices c;
    c.tap = store.text(Key::MonitorSource) == QLatin1String("Tap");
    c.listenAddress = store.nonEmptyText(Key::MonitorListenAddress);
    c.listenPort = portOr(store, Key::MonitorListenPort, c.listenPort);
    c.pbxHost = store.text(Key::MonitorPbxHost);
    c.pbxPort = portOr(store, Key::MonitorPbxPort, c.pbxPort);
    c.tapPbxPort = store.text(Key::MonitorTapPbxPort);
    c.tapMcPort = store.text(Key::MonitorTapMcPort);
    c.tapSettings = store.nonEmptyText(Key::MonitorTapSettings);
    c.tapKra = store.text(Key::MonitorTapFormat) != QLatin1String("OLV");
    c.parity =
        store.text(Key::MonitorParity) == QLatin1String("Even") ? link::Parity::Even : link::Parity::Odd;
    c.showHealth = store.text(Key::MonitorShowHealth) != QLatin1String("0");
    return c;
}

void storeMonitorChoices(settings::SettingsStore& store, const MonitorChoices& c)
{
    store.write(Key::MonitorSource, c.tap ? QStringLiteral("Tap") : QStringLiteral("Relay"));
    store.write(Key::MonitorListenAddress, c.listenAddress);
    store.write(Key::MonitorListenPort, QString::number(c.listenPort));
    store.write(Key::MonitorPbxHost, c.pbxHost);
    store.write(Key::MonitorPbxPort, QString::number(c.pbxPort));
    store.write(Key::MonitorTapPbxPort, c.tapPbxPort);
    store.write(Key::MonitorTapMcPort, c.tapMcPort);
    store.write(Key::MonitorTapSettings, c.tapSettings);
    store.write(Key::MonitorTapFormat, c.tapKra ? QStringLiteral("KRA") : QStringLiteral("OLV"));
    store.write(Key::MonitorParity,
                c.parity == link::Parity::Even ? QStringLiteral("Even") : QStringLiteral("Odd"));
    store.write(Key::MonitorShowHealth, settings::checkStateText(c.showHealth));
}

std::variant<TcpRelay::Options, QString> relayOptions(const MonitorChoices& c)
{
    TcpRelay::Options options;
    if (!options.listenAddress.setAddress(c.listenAddress.trimmed()))
        return QStringLiteral("\"%1\" is not an address to listen on.").arg(c.listenAddress);
    if (c.pbxHost.trimmed().isEmpty())
        return QStringLiteral("Name the PBX's host.");
    options.listenPort = quint16(c.listenPort);
    options.pbxPort = quint16(c.pbxPort);
    return options;
}

std::variant<settings::LineParameters, QString> tapParameters(const MonitorChoices& c)
{
    if (c.tapPbxPort.trimmed().isEmpty() || c.tapMcPort.trimmed().isEmpty())
        return QStringLiteral("Name both tap ports.");
    if (c.tapPbxPort.trimmed() == c.tapMcPort.trimmed())
        return QStringLiteral("The two tap ports must differ.");
    if (const std::optional<settings::LineParameters> parameters =
            settings::LineParameters::parse(c.tapSettings))
        return *parameters;
    return QStringLiteral("\"%1\" are not line settings (speed,parity,data bits,stop bits).")
        .arg(c.tapSettings);
}

} // namespace zkn
