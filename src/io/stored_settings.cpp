// SPDX-License-Identifier: GPL-3.0-or-later
#include "stored_settings.h"

#include "connection_properties.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "serial_line.h"
#include "settings/com_ports.h"
#include "settings/record_format.h"
#include "settings/setting_text.h"

#include <utility>

namespace zkn {

namespace {

using Forced = DebugOptions::ForcedAnswer;
using settings::Key;

// Selects the stored port: a device path when one was chosen, else COM1 to COM16. Any other
// stored number, or a text that is none, is skipped like every bad value read before "Echo": the
// port keeps its number and the reading goes on.
void applyPort(const settings::SettingsStore& store, SerialLine& serial)
{
    const QString path = store.text(Key::PortName);
    if (!path.isEmpty()) {
        serial.setPortName(path);
        return;
    }
    const auto port = settings::parseInt(store.text(Key::CommPort));
    if (port && *port >= 1 && *port <= settings::kComPorts)
        serial.setCommPort(*port);
}

} // namespace

QString applyStoredSerialSettings(const settings::SettingsStore& store, SerialLine& serial)
{
    QString error;
    const QString line = store.text(Key::Settings);
    if (!line.isEmpty() && !serial.setSettings(line, &error))
        return error;

    applyPort(store, serial);

    const QString handshaking = store.text(Key::Handshaking);
    if (handshaking.isEmpty())
        return {};
    const auto mode = settings::parseInt(handshaking);
    if (!mode)
        return QStringLiteral("Invalid property value");
    if (!serial.setHandshaking(*mode, &error))
        return error;
    return {};
}

void loadDebugOptions(const settings::SettingsStore& store, DebugOptions& options)
{
    const auto checkState = [&](Key key, void (DebugOptions::*set)(bool)) {
        if (const auto state = settings::parseInt(store.text(key)))
            (options.*set)(*state != 0);
    };
    checkState(Key::Detail, &DebugOptions::setDetail);
    checkState(Key::TogglePty, &DebugOptions::setToggleParity);
    checkState(Key::StopHC, &DebugOptions::setStopHealth);
    checkState(Key::IgnorePty, &DebugOptions::setIgnoreParity);
    // A later option stored as selected wins, as selecting an option clears the others.
    const std::pair<Key, Forced> answers[] = {{Key::RespNorm, Forced::Normal},
                                              {Key::RespPtyErr, Forced::ParityError},
                                              {Key::RespTextErr, Forced::InvalidText}};
    for (const auto& [key, answer] : answers)
        if (settings::parseBool(store.text(key)).value_or(false))
            options.setForcedAnswer(answer);
    options.setHealthCheckIntervalText(store.text(Key::HCinterval));
}

void storeDebugOptions(settings::SettingsStore& store, const DebugOptions& options)
{
    store.write(Key::Detail, settings::checkStateText(options.detail()));
    store.write(Key::Hex, settings::checkStateText(options.hexView()));
    store.write(Key::TogglePty, settings::checkStateText(options.toggleParity()));
    store.write(Key::StopHC, settings::checkStateText(options.stopHealth()));
    store.write(Key::IgnorePty, settings::checkStateText(options.ignoreParity()));
    store.write(Key::HCValue, options.healthCheckIntervalText());
    store.write(Key::RespNorm, settings::boolText(options.forcedAnswer() == Forced::Normal));
    store.write(Key::RespPtyErr, settings::boolText(options.forcedAnswer() == Forced::ParityError));
    store.write(Key::RespTextErr, settings::boolText(options.forcedAnswer() == Forced::InvalidText));
    store.write(Key::HCinterval, options.healthCheckIntervalText());
    store.sync();
}

void loadExpansionOption(const settings::SettingsStore& store, ExpansionOption& expansion)
{
    if (const auto state = settings::parseInt(store.text(Key::ZKNexpansion)))
        expansion.setEnabled(*state != 0);
}

void storeExpansionOption(settings::SettingsStore& store, const ExpansionOption& expansion)
{
    store.write(Key::ZKNexpansion, settings::checkStateText(expansion.isEnabled()));
}

void loadConnectionOptions(const settings::SettingsStore& store, ConnectionOptions& options)
{
    options.setEcho(settings::parseBool(store.text(Key::Echo)).value_or(false));
    options.setConnectionType(connectionTypeFromText(store.nonEmptyText(Key::CType)));
    options.setDeviceNumber(store.nonEmptyText(Key::DevID));
    options.setKraSelected(settings::pbxTypeSelectsKra(store.nonEmptyText(Key::PBXType)));
    options.setRemoteHost(store.nonEmptyText(Key::RemoteHost));
}

StoredProperties storedProperties(const settings::SettingsStore& store)
{
    return {store.text(Key::CType), store.text(Key::DevID), store.text(Key::LANParity),
            settings::pbxTypeSelectsKra(store.nonEmptyText(Key::PBXType)),
            settings::parseBool(store.text(Key::ReopenPort)).value_or(false)};
}

bool storedResyncAfterReconnect(const settings::SettingsStore& store)
{
    return store.text(Key::ResyncAfterReconnect) == QLatin1String("1");
}

void storeResyncAfterReconnect(settings::SettingsStore& store, bool on)
{
    store.write(Key::ResyncAfterReconnect, on ? QStringLiteral("1") : QStringLiteral("0"));
}

StoredSnapshots storedSnapshots(const settings::SettingsStore& store)
{
    const auto count = [&store](Key key, int fallback) {
        bool ok = false;
        const int value = store.text(key).trimmed().toInt(&ok);
        return ok && value >= 1 ? value : fallback;
    };
    const StoredSnapshots defaults;
    return {store.text(Key::SnapshotOnFault) == QLatin1String("1"),
            count(Key::SnapshotSeconds, defaults.seconds), count(Key::SnapshotKeep, defaults.keep)};
}

void storeSnapshotOnFault(settings::SettingsStore& store, bool on)
{
    store.write(Key::SnapshotOnFault, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void storeProperties(settings::SettingsStore& store, const PropertiesForm& form, const SerialLine& serial,
                     const ConnectionOptions& options, bool kraChosen)
{
    store.write(Key::DevID, form.deviceNumber);
    store.write(Key::CType, connectionTypeText(form.connectionType));
    store.write(Key::LANParity, form.lanParity);
    store.write(Key::RemoteHost, options.remoteHost());
    store.write(Key::Settings, serial.settings());
    store.write(Key::CommPort, QString::number(serial.commPort()));
    store.write(Key::PortName, serial.portName());
    store.write(Key::Handshaking, QString::number(serial.handshaking()));
    store.write(Key::Echo, settings::boolText(options.echo()));
    store.write(Key::PBXType, settings::boolText(kraChosen));
    store.write(Key::ReopenPort, settings::boolText(form.reopenPort));
    store.sync();
}

StoredStations storedSingleStations(const settings::SettingsStore& store)
{
    return {store.nonEmptyText(Key::StnA), store.nonEmptyText(Key::StnB)};
}

StoredStations defaultSingleStations()
{
    return {QString::fromLatin1(settings::keyInfo(Key::StnA).fallback),
            QString::fromLatin1(settings::keyInfo(Key::StnB).fallback)};
}

void storeSingleStations(settings::SettingsStore& store, const QString& first, const QString& second)
{
    store.write(Key::StnA, first);
    store.write(Key::StnB, second);
}

StoredStations storedLoadTestRange(const settings::SettingsStore& store)
{
    return {store.nonEmptyText(Key::StartSTN), store.nonEmptyText(Key::EndSTN)};
}

void storeLoadTestRange(settings::SettingsStore& store, const QString& start, const QString& end)
{
    store.write(Key::StartSTN, start);
    store.write(Key::EndSTN, end);
}

QString storedFontStep(const settings::SettingsStore& store)
{
    return store.nonEmptyText(Key::FontSize);
}

void storeFontStep(settings::SettingsStore& store, int step)
{
    store.write(Key::FontSize, QString::number(step));
}

QString storedCaptureFile(const settings::SettingsStore& store)
{
    return store.text(Key::CaptureFile);
}

void storeCaptureFile(settings::SettingsStore& store, const QString& path)
{
    store.write(Key::CaptureFile, path);
}

} // namespace zkn
