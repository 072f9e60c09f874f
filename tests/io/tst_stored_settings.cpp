// SPDX-License-Identifier: GPL-3.0-or-later
// What the tool makes of stored values, hand-edited ones among them: the serial port and its line,
// the debug options, the expansion option, snapshots and the resynchronisation after a reconnect;
// each value out of bounds or no number falls back as the previous value or the default.
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "monitor_choices.h"
#include "serial_line.h"
#include "settings/settings_store.h"
#include "settings_folder.h"
#include "stored_settings.h"

#include <QTemporaryDir>
#include <QTest>

using zkn::DebugOptions;
using zkn::settings::Key;

using Stored = QList<std::pair<Key, QString>>;
Q_DECLARE_METATYPE(Stored)

namespace {

// The serial line as the stored values leave it, having been COM5 at 9600,n,8,1 without flow
// control: "COM5 9600,n,8,1 0", a device path instead of COM5, and the error, if any, after "|".
QString serialLine(const zkn::settings::SettingsStore& store)
{
    zkn::SerialLine serial;
    serial.setCommPort(5);
    const QString error = zkn::applyStoredSerialSettings(store, serial);
    const QString port =
        serial.portName().isEmpty() ? QStringLiteral("COM%1").arg(serial.commPort()) : serial.portName();
    return QStringList{port, serial.settings(), QString::number(serial.handshaking())}.join(' ') +
           (error.isEmpty() ? QString() : QStringLiteral(" | ") + error);
}

// The debug options: the switches set, the forced answer, the health-check interval.
QString debugOptions(const zkn::settings::SettingsStore& store)
{
    DebugOptions options;
    zkn::loadDebugOptions(store, options);
    QStringList on;
    for (const auto& [set, name] : {std::pair{options.detail(), "detail"},
                                    {options.toggleParity(), "toggle"},
                                    {options.stopHealth(), "stop"},
                                    {options.ignoreParity(), "ignore"}})
        if (set)
            on.append(QLatin1String(name));
    const char* forced[] = {"normal", "parity error", "invalid text"};
    return on.join(' ') + QStringLiteral(" | %1 | %2")
                              .arg(forced[int(options.forcedAnswer())])
                              .arg(options.healthCheckInterval());
}

QString others(const zkn::settings::SettingsStore& store)
{
    zkn::ExpansionOption expansion;
    zkn::loadExpansionOption(store, expansion);
    const zkn::StoredSnapshots snapshots = zkn::storedSnapshots(store);
    return QStringLiteral("expansion %1, snapshots %2 %3s %4 kept, resync %5")
        .arg(expansion.isEnabled())
        .arg(snapshots.on)
        .arg(snapshots.seconds)
        .arg(snapshots.keep)
        .arg(zkn::storedResyncAfterReconnect(store));
}

// The Monitor window's choices: "relay ADDRESS:PORT to HOST:PORT | tap PBX MC SETTINGS LAYOUT |
// PARITY, health shown or not".
QString monitorChoices(const zkn::settings::SettingsStore& store)
{
    const zkn::MonitorChoices c = zkn::storedMonitorChoices(store);
    return QStringLiteral("%1 %2:%3 to %4:%5 | tap %6 %7 %8 %9 | %10, health %11")
        .arg(c.tap ? "tap" : "relay", c.listenAddress)
        .arg(c.listenPort)
        .arg(c.pbxHost)
        .arg(c.pbxPort)
        .arg(c.tapPbxPort, c.tapMcPort, c.tapSettings, c.tapKra ? "KRA" : "OLV",
             c.parity == zkn::link::Parity::Even ? "even" : "odd", c.showHealth ? "shown" : "hidden");
}

} // namespace

class TestStoredSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<zkn::test::SettingsFolder> m_folder;

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<zkn::test::SettingsFolder>();
        QVERIFY(m_folder->dir.isValid());
    }

    void applied_data()
    {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("debug");
        QTest::addColumn<QString>("others");
        const QString serialDefault = QStringLiteral("COM5 9600,n,8,1 0");
        const QString debugDefault = QStringLiteral("detail | normal | 5");
        const QString othersDefault = QStringLiteral("expansion 0, snapshots 0 60s 20 kept, resync 0");
        const auto row = [&](const char* name, const Stored& stored, const QString& serial,
                             const QString& debug, const QString& others) {
            QTest::newRow(name) << stored << serial << debug << others;
        };
        row("nothing stored", {}, serialDefault, debugDefault, othersDefault);
        row("COM1", {{Key::CommPort, "1"}}, "COM1 9600,n,8,1 0", debugDefault, othersDefault);
        row("COM16", {{Key::CommPort, "16"}}, "COM16 9600,n,8,1 0", debugDefault, othersDefault);
        row("ports out of bounds keep the previous one", {{Key::CommPort, "17"}}, serialDefault, debugDefault,
            othersDefault);
        row("port 0", {{Key::CommPort, "0"}}, serialDefault, debugDefault, othersDefault);
        row("a port that is no number", {{Key::CommPort, "COM3"}}, serialDefault, debugDefault,
            othersDefault);
        row("a device path wins over the number", {{Key::CommPort, "3"}, {Key::PortName, "/dev/ttyUSB0"}},
            "/dev/ttyUSB0 9600,n,8,1 0", debugDefault, othersDefault);
        row("line and flow control", {{Key::Settings, "19200,e,7,2"}, {Key::Handshaking, "2"}},
            "COM5 19200,e,7,2 2", debugDefault, othersDefault);
        row("a line the port cannot take", {{Key::Settings, "fast"}, {Key::CommPort, "3"}},
            "COM5 9600,n,8,1 0 | Invalid property value", debugDefault, othersDefault);
        row("flow control no number", {{Key::Handshaking, "x"}}, "COM5 9600,n,8,1 0 | Invalid property value",
            debugDefault, othersDefault);
        row("flow control out of bounds", {{Key::Handshaking, "4"}},
            "COM5 9600,n,8,1 0 | Invalid property value", debugDefault, othersDefault);
        row("debug switches as check states",
            {{Key::Detail, "0"}, {Key::TogglePty, "1"}, {Key::StopHC, "2"}, {Key::IgnorePty, "x"}},
            serialDefault, "toggle stop | normal | 5", othersDefault);
        row("a later forced answer wins",
            {{Key::RespNorm, "True"}, {Key::RespPtyErr, "False"}, {Key::RespTextErr, "True"}}, serialDefault,
            "detail | invalid text | 5", othersDefault);
        row("a parity error forced", {{Key::RespPtyErr, "true"}}, serialDefault, "detail | parity error | 5",
            othersDefault);
        row("the health-check interval, at most 180", {{Key::HCinterval, "900"}}, serialDefault,
            "detail | normal | 180", othersDefault);
        row("the interval's leading digits", {{Key::HCinterval, "7 s"}}, serialDefault, "detail | normal | 7",
            othersDefault);
        row("expansion, snapshots and resync on",
            {{Key::ZKNexpansion, "1"},
             {Key::SnapshotOnFault, "1"},
             {Key::SnapshotSeconds, "5"},
             {Key::SnapshotKeep, " 3 "},
             {Key::ResyncAfterReconnect, "1"}},
            serialDefault, debugDefault, "expansion 1, snapshots 1 5s 3 kept, resync 1");
        row("counts of one", {{Key::SnapshotSeconds, "1"}, {Key::SnapshotKeep, "1"}}, serialDefault,
            debugDefault, "expansion 0, snapshots 0 1s 1 kept, resync 0");
        row("counts below one or no number fall back",
            {{Key::ZKNexpansion, "x"},
             {Key::SnapshotOnFault, "True"},
             {Key::SnapshotSeconds, "0"},
             {Key::SnapshotKeep, "many"},
             {Key::ResyncAfterReconnect, "True"}},
            serialDefault, debugDefault, othersDefault);
    }

    void applied()
    {
        QFETCH(Stored, stored);
        zkn::settings::SettingsStore store;
        for (const auto& [key, value] : stored)
            store.write(key, value);
        QTEST(serialLine(store), "serial");
        QTEST(debugOptions(store), "debug");
        QTEST(others(store), "others");
    }

    // Kept in a section of their own; a port out of bounds or no number falls back to 60020.
    void monitorChoices_data()
    {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<QString>("choices");
        QTest::newRow("nothing stored")
            << Stored{} << "relay 0.0.0.0:60020 to :60020 | tap   9600,n,8,1 KRA | odd, health shown";
        QTest::newRow("a tap, its ports at the bounds")
            << Stored{{Key::MonitorSource, "Tap"},
                      {Key::MonitorListenAddress, "127.0.0.1"},
                      {Key::MonitorListenPort, "1"},
                      {Key::MonitorPbxHost, "pbx"},
                      {Key::MonitorPbxPort, "65535"},
                      {Key::MonitorTapPbxPort, "/dev/ttyUSB0"},
                      {Key::MonitorTapMcPort, "/dev/ttyUSB1"},
                      {Key::MonitorTapSettings, "19200,e,7,1"},
                      {Key::MonitorTapFormat, "OLV"},
                      {Key::MonitorParity, "Even"},
                      {Key::MonitorShowHealth, "0"}}
            << "tap 127.0.0.1:1 to pbx:65535 | tap /dev/ttyUSB0 /dev/ttyUSB1 19200,e,7,1 OLV | even, health "
               "hidden";
        QTest::newRow("ports out of bounds, words unknown")
            << Stored{{Key::MonitorSource, "serial"}, {Key::MonitorListenPort, "0"},
                      {Key::MonitorPbxPort, "65536"}, {Key::MonitorListenAddress, ""},
                      {Key::MonitorTapFormat, "kra"}, {Key::MonitorParity, "odd"}}
            << "relay 0.0.0.0:60020 to :60020 | tap   9600,n,8,1 KRA | odd, health shown";
    }

    void monitorChoices()
    {
        QFETCH(Stored, stored);
        zkn::settings::SettingsStore store;
        for (const auto& [key, value] : stored)
            store.write(key, value);
        QTEST(::monitorChoices(store), "choices");
        // What is read is what is written back.
        const zkn::MonitorChoices read = zkn::storedMonitorChoices(store);
        zkn::storeMonitorChoices(store, read);
        QVERIFY(zkn::storedMonitorChoices(store) == read);
    }
};

QTEST_GUILESS_MAIN(TestStoredSettings)
#include "tst_stored_settings.moc"
