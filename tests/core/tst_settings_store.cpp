// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the settings and the properties dialog convert (host addresses, serial line parameters,
// ports, stored booleans and numbers, the record format), then the settings store against a real
// INI file in a temporary configuration folder.
#include "display/record_time.h"
#include "display/settings_panel.h"
#include "settings/com_ports.h"
#include "settings/format_ip.h"
#include "settings/record_format.h"
#include "settings/serial_settings.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"
#include "settings_folder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zkn::display;
using namespace zkn::settings;
using zkn::ConnectionType;

class TestSettingsStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<zkn::test::SettingsFolder> m_folder;

    QString iniPath() const { return m_folder->iniPath(); }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<zkn::test::SettingsFolder>();
        QVERIFY(m_folder->dir.isValid());
    }

    void texts_data();
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void emptyStoreGivesEveryDefault()
    {
        SettingsStore store;
        QStringList texts;
        for (int key = 0; key <= int(Key::ZKNexpansion); ++key) {
            texts.append(store.text(Key(key)));
            QCOMPARE(store.nonEmptyText(Key(key)), texts.last());
        }
        // In the order of the keys, Settings to ZKNexpansion.
        QCOMPARE(
            texts.join(QLatin1Char('|')),
            QStringLiteral(
                "|||||Serial|0|Odd|True|0.0.0.0|1000| |1000|1000|3|False|1|0|0|0|0|True|False|False|5|5|0"));
        QVERIFY(!QFile::exists(iniPath()));
    }

    // A hand-edited file may hold a list unquoted. What the operator leaves in a box comes back
    // exactly, however the INI file quotes it; a text stored empty reads empty, though start-up
    // applies the default to it.
    void textsRoundTripExactly()
    {
        QDir().mkpath(m_folder->dir.path() + QStringLiteral("/ZKN-Control Tool"));
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Properties]\nSettings=19200,e,7,2\nCType=LAN\n[Debug]\nHCinterval=7\n");
        file.close();
        // clang-format off
        const std::pair<Key, QString> values[] = {
            {Key::StnB, " "}, {Key::StnA, "  1000 "}, {Key::Settings, "9600,e,7,1.5"}, {Key::RespNorm, "True"},
            {Key::PortName, "/dev/serial/by-id/usb-FTDI Cable-if00"}, {Key::RemoteHost, "010.1.002.3"},
            {Key::HCinterval, QString::fromLatin1("\xe4\xfc")}, {Key::EndSTN, "\"1;2\"=3"}, {Key::CType, ""}};
        // clang-format on
        {
            SettingsStore store;
            QCOMPARE(store.text(Key::Settings), QStringLiteral("19200,e,7,2"));
            QCOMPARE(store.text(Key::CType), QStringLiteral("LAN"));
            QCOMPARE(store.text(Key::HCinterval), QStringLiteral("7"));
            for (const auto& [key, value] : values)
                store.write(key, value);
            QVERIFY(store.sync());
            QCOMPARE(store.fileName(), iniPath());
        }
        SettingsStore reread;
        for (const auto& [key, value] : values)
            QCOMPARE(reread.text(key), value);
        QCOMPARE(reread.nonEmptyText(Key::CType), QStringLiteral("Serial"));
    }
};

using Cases = std::initializer_list<std::pair<const char*, const char*>>;

// One row for each case: what `convert` makes of the text, and what it should.
template <typename Convert> void rows(const char* what, Convert convert, Cases cases)
{
    for (const auto& [text, expected] : cases)
        QTest::addRow("%s \"%s\"", what, text) << QString(convert(text)) << QString::fromUtf8(expected);
}

void TestSettingsStore::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    // clang-format off
    const auto row = [](const char* name, const QString& actual, const QString& expected) {
        QTest::newRow(name) << actual << expected;
    };
    // Speed, parity item, data bits and stop bits as the dialog's boxes get them.
    const auto split = [](const char* text) {
        const SerialSettingsFields f = splitSerialSettings(QLatin1String(text));
        return QStringList{f.speed, parityItemForLetter(f.parityLetter), f.dataBits, f.stopBits}.join('|');
    };
    // The parameters as the port reports them, or "refused"; they read back the same.
    const auto lineParameters = [](const char* text) {
        const auto parsed = LineParameters::parse(QLatin1String(text));
        return !parsed ? "refused"
                       : LineParameters::parse(parsed->toText()) == parsed ? parsed->toText() : "changed";
    };
    // The COM port of a device path, 0 for none; the port names the same device.
    const auto portOfDevice = [](const char* device) {
        const int port = comPortOfDevice(QLatin1String(device)).value_or(0);
        return port && comPortDevice(port) != QLatin1String(device) ? "other" : QString::number(port);
    };
    // KRA or OLV for the stored CType and PBXType; the CType reads back as the dialog writes it.
    const auto format = [](const char* cType, const char* pbxType) {
        const zkn::ConnectionType type = zkn::connectionTypeFromText(QLatin1String(cType));
        return (recordFormatIsKra(type, pbxTypeSelectsKra(QLatin1String(pbxType))) ? "KRA " : "OLV ") +
               zkn::connectionTypeText(type);
    };
    // Leading digits count; the fourth part keeps what follows its dot and rounds by it.
    rows("IP", [](const char* t) { return FormatIP(t, false); },
         {{"010.1.002.3", "10.1.2.3"}, {"192.168.1", "192.168.1.0"}, {"", "0.0.0.0"}, {"17", "17.0.0.0"},
          {"300.1.2.999", "300.1.2.999"}, {"host.name.x.y", "0.0.0.0"}, {"12ab.3 4.5", "12.34.5.0"},
          {" 1. 2 .3 . 4", "1.2.3.4"}, {"1.2.3.4.9", "1.2.3.5"}, {"1.2.3.4.5", "1.2.3.5"},
          {"1.2.3.4.", "1.2.3.4"}, {"1.2.3.4.4", "1.2.3.4"},
          {"1.2.3.4.x", "1.2.3.4"}, {"1.2.3.99.7", "1.2.3.100"}, {"1.2.3.x.9", "1.2.3.0"},
          {"HostName", "0.0.0.0"}});
    rows("padded IP", [](const char* t) { return FormatIP(t, true); }, {{"10.1.2.3", "010.001.002.003"}});
    rows("split", split,
         {{"9600,n,8,1", "9600|None|8|1"}, {"9600,o,8,1", "9600|Odd|8|1"}, {"9600,m,8,1", "9600|Mark|8|1"},
          {"9600,e,7,1.5", "9600|Even|7|1.5"}, {"115200,s,8,2", "115200|Space|8|2"},
          {"110,n,7,2", "110|None|7|2"}, {"9600,x,8,1", "9600||8|1"}, {"8,1", "||8|1"}, {"", "|||"}});
    row("join", joinSerialSettings(" 9600 ", "None", "8 ", " 1"), "9600,N,8,1");
    row("join 1.5", joinSerialSettings("19200", "Even", "7", "1.5"), "19200,E,7,1.5");
    rows("line", lineParameters,
         {{"9600,N,8,1", "9600,n,8,1"}, {"9600,E,7,1.5", "9600,e,7,1.5"},
          {" 19200 , o , 7 , 2 ", "19200,o,7,2"}, {"300,s,4,1", "300,s,4,1"}, {"1,m,8,1", "1,m,8,1"},
          {"9600,x,8,1", "refused"}, {"9600,en,8,1", "refused"}, {"9600,n,3,1", "refused"},
          {"9600,n,9,1", "refused"}, {"9600,n,8,3", "refused"}, {",n,8,1", "refused"},
          {"-9600,n,8,1", "refused"}, {"0,n,8,1", "refused"}, {"9600,n,8", "refused"},
          {"9600,n,8,1,1", "refused"}, {"", "refused"}});
    rows("COM", [](const char* t) { return QString::number(comPortNumber(t).value_or(0)); },
         {{"COM1", "1"}, {"COM16", "16"}, {"com3", "3"}, {" Com7 ", "7"}, {"COM0", "0"}, {"COM17", "0"},
          {"COM01", "0"}, {"COM 1", "0"}, {"COM", "0"}, {"/dev/ttyS0", "0"}, {"", "0"}});
    rows("device", portOfDevice,
         {{"/dev/ttyS0", "1"}, {"/dev/ttyS15", "16"}, {"/dev/ttyS16", "0"}, {"/dev/ttyUSB0", "0"},
          {"/dev/pts/3", "0"}, {"ttyS1", "0"}});
    row("COM port name", comPortName(16), "COM16");
    // A stored boolean or number, or "none".
    rows("bool", [](const char* t) { return parseBool(t) ? QByteArray::number(*parseBool(t)) : "none"; },
         {{"True", "1"}, {"False", "0"}, {"true", "1"}, {" false ", "0"}, {"-1", "1"}, {"0", "0"},
          {"", "none"}, {"Yes", "none"}});
    rows("int", [](const char* t) { return parseInt(t) ? QByteArray::number(*parseInt(t)) : "none"; },
         {{"3", "3"}, {" 12 ", "12"}, {"", "none"}, {"x", "none"}, {"1.5", "none"}});
    // PBXType "True" exactly chooses KRA on a serial link; a LAN link, any CType but "Serial", is KRA.
    rows("serial", [&](const char* t) { return format("Serial", t); },
         {{"True", "KRA Serial"}, {"False", "OLV Serial"}, {"true", "OLV Serial"}, {"True ", "OLV Serial"}});
    rows("LAN", [&](const char* t) { return format(t, "False"); }, {{"LAN", "KRA LAN"}, {"lan", "KRA LAN"}});
    row("LAN, True", format("LAN", "True"), "KRA LAN");
    const ConnectionSummary lan{ConnectionType::Lan, "10.1.2.3", "1", "Odd", "9600,n,8,1"};
    ConnectionSummary serial = lan;
    serial.connectionType = ConnectionType::Serial;
    row("settings panel, LAN", settingsPanelText(lan), "Host:  10.1.2.3      Device:  1      Parity:  Odd");
    row("settings panel, serial", settingsPanelText(serial), "Settings: 9600,n,8,1");
    // The record's time in the locale's short date and long time, with seconds.
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 3, 59));
    rows("record time", [&](const char* l) { return recordTimeText(when, QLocale(QLatin1String(l))); },
         {{"en_US", "12/6/26 2:03:59 PM"}, {"de_DE", "06.12.26 14:03:59"},
          {"ja_JP", "2026/12/06 14時03分59秒"}});
    // clang-format on
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
