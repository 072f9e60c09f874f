// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every value the tool keeps between runs is read and written here, and nowhere else: the
// windows and the link take and give options and texts, never keys.

#include "settings/settings_store.h"

#include <QString>

namespace zkn {

class ConnectionOptions;
class DebugOptions;
class ExpansionOption;
class SerialLine;
struct PropertiesForm;

// Gives the serial port the parameters, port and handshaking remembered from the last run.
// Returns the description of a refused line parameter or handshaking value, which ends the
// start-up's settings, or nothing. A stored port number the port cannot take is skipped silently
// and the port keeps its previous number.
QString applyStoredSerialSettings(const settings::SettingsStore& store, SerialLine& serial);

// The connection as the last run left it: echo, connection type, device, PBX type and host.
void loadConnectionOptions(const settings::SettingsStore& store, ConnectionOptions& options);
// What the properties dialog shows as stored: the connection type, device and LAN parity as
// their texts, and whether the KRA record format was chosen.
struct StoredProperties
{
    QString connectionType;
    QString device;
    QString lanParity;
    bool kra = true;
    bool reopenPort = false;
};
StoredProperties storedProperties(const settings::SettingsStore& store);
// The properties dialog's choices after OK, with the port's and the options' values as they
// now are.
void storeProperties(settings::SettingsStore& store, const PropertiesForm& form, const SerialLine& serial,
                     const ConnectionOptions& options, bool kraChosen);

// Whether the lamp ledger's lamps go out again by themselves whenever the link comes back.
bool storedResyncAfterReconnect(const settings::SettingsStore& store);
void storeResyncAfterReconnect(settings::SettingsStore& store, bool on);

// Snapshots on a fault: on or off, how many seconds each holds, how many are kept. Counts that
// are not a whole number from 1 up read as their default.
struct StoredSnapshots
{
    bool on = false;
    int seconds = 60;
    int keep = 20;
};
StoredSnapshots storedSnapshots(const settings::SettingsStore& store);
void storeSnapshotOnFault(settings::SettingsStore& store, bool on);

// The debug options. A stored text that does not convert leaves the option as it is; the stored
// hex view never opens the LAN debug window, so it is not read.
void loadDebugOptions(const settings::SettingsStore& store, DebugOptions& options);
void storeDebugOptions(settings::SettingsStore& store, const DebugOptions& options);

// The expansion option, shared by the two dialogs that show it: read each time one of them
// becomes active, stored each time one stops being active. A stored text that is not a number
// leaves the option as it is.
void loadExpansionOption(const settings::SettingsStore& store, ExpansionOption& expansion);
void storeExpansionOption(settings::SettingsStore& store, const ExpansionOption& expansion);

// The station boxes of the single-station dialog and of the load test's range, as typed.
struct StoredStations
{
    QString first;
    QString second;
};
StoredStations storedSingleStations(const settings::SettingsStore& store);
// What the single-station boxes hold before anything was stored.
StoredStations defaultSingleStations();
void storeSingleStations(settings::SettingsStore& store, const QString& first, const QString& second);
StoredStations storedLoadTestRange(const settings::SettingsStore& store);
void storeLoadTestRange(settings::SettingsStore& store, const QString& start, const QString& end);

// The terminal's font step as stored (its text; the window reads the step from it).
QString storedFontStep(const settings::SettingsStore& store);
void storeFontStep(settings::SettingsStore& store, int step);

// The file the last capture went to; empty when none was made yet.
QString storedCaptureFile(const settings::SettingsStore& store);
void storeCaptureFile(settings::SettingsStore& store, const QString& path);

} // namespace zkn
