// Texts the settings and the properties dialog convert: host addresses, serial line parameters,
// stored booleans and numbers, and the record format they select.
#include "settings/com_ports.h"
#include "settings/format_ip.h"
#include "settings/record_format.h"
#include "settings/serial_settings.h"
#include "settings/setting_text.h"

#include <QTest>

using namespace zkn::settings;
using zkn::connectionTypeFromText;
using zkn::connectionTypeText;

class TestSettingTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatIp_data();
    void formatIp();
    void splitSerialSettings_data();
    void splitSerialSettings();
    void joinSerialSettingsTakesTheParityLetter();
    void lineParameters_data();
    void lineParameters();
    void comPortNames_data();
    void comPortNames();
    void comPortDevices_data();
    void comPortDevices();
    void storedBooleans_data();
    void storedBooleans();
    void storedNumbers_data();
    void storedNumbers();
    void recordFormat_data();
    void recordFormat();
};

void TestSettingTexts::formatIp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pad");
    QTest::addColumn<QString>("expected");
    QTest::newRow("leading zeros go") << "010.1.002.3" << false << "10.1.2.3";
    QTest::newRow("three parts completed") << "192.168.1" << false << "192.168.1.0";
    QTest::newRow("empty") << "" << false << "0.0.0.0";
    QTest::newRow("no dot") << "17" << false << "17.0.0.0";
    QTest::newRow("padded") << "10.1.2.3" << true << "010.001.002.003";
    QTest::newRow("above 255 passes") << "300.1.2.999" << false << "300.1.2.999";
    QTest::newRow("non-numeric parts are 0") << "host.name.x.y" << false << "0.0.0.0";
    QTest::newRow("leading digits count") << "12ab.3 4.5" << false << "12.34.5.0";
    QTest::newRow("blanks skipped") << " 1. 2 .3 . 4" << false << "1.2.3.4";
    QTest::newRow("fourth part keeps the rest") << "1.2.3.4.9" << false << "1.2.3.5";
    QTest::newRow("fourth part rounds down") << "1.2.3.4.4" << false << "1.2.3.4";
    QTest::newRow("fourth part with text after") << "1.2.3.4.x" << false << "1.2.3.4";
    QTest::newRow("rounding carries") << "1.2.3.99.7" << false << "1.2.3.100";
    QTest::newRow("letters before the dot") << "1.2.3.x.9" << false << "1.2.3.0";
    QTest::newRow("HostName placeholder") << "HostName" << false << "0.0.0.0";
}

void TestSettingTexts::formatIp()
{
    QFETCH(QString, text);
    QFETCH(bool, pad);
    QTEST(FormatIP(text, pad), "expected");
}

void TestSettingTexts::splitSerialSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("parityItem");
    QTest::addColumn<QString>("dataBits");
    QTest::addColumn<QString>("stopBits");
    QTest::newRow("9600,n,8,1") << "9600,n,8,1"
                                << "9600"
                                << "None"
                                << "8"
                                << "1";
    QTest::newRow("odd") << "9600,o,8,1"
                         << "9600"
                         << "Odd"
                         << "8"
                         << "1";
    QTest::newRow("mark") << "9600,m,8,1"
                          << "9600"
                          << "Mark"
                          << "8"
                          << "1";
    QTest::newRow("stop bits 1.5") << "9600,e,7,1.5"
                                   << "9600"
                                   << "Even"
                                   << "7"
                                   << "1.5";
    QTest::newRow("six-digit speed") << "115200,s,8,2"
                                     << "115200"
                                     << "Space"
                                     << "8"
                                     << "2";
    QTest::newRow("three-digit speed") << "110,n,7,2"
                                       << "110"
                                       << "None"
                                       << "7"
                                       << "2";
    QTest::newRow("unknown letter") << "9600,x,8,1"
                                    << "9600"
                                    << ""
                                    << "8"
                                    << "1";
    QTest::newRow("too short") << "8,1"
                               << ""
                               << ""
                               << "8"
                               << "1";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << ""
                           << "";
}

void TestSettingTexts::splitSerialSettings()
{
    QFETCH(QString, text);
    const SerialSettingsFields f = zkn::settings::splitSerialSettings(text);
    QTEST(f.speed, "speed");
    QTEST(parityItemForLetter(f.parityLetter), "parityItem");
    QTEST(f.dataBits, "dataBits");
    QTEST(f.stopBits, "stopBits");
}

void TestSettingTexts::joinSerialSettingsTakesTheParityLetter()
{
    QCOMPARE(joinSerialSettings(QStringLiteral(" 9600 "), QStringLiteral("None"), QStringLiteral("8 "),
                                QStringLiteral(" 1")),
             QStringLiteral("9600,N,8,1"));
    QCOMPARE(joinSerialSettings(QStringLiteral("19200"), QStringLiteral("Even"), QStringLiteral("7"),
                                QStringLiteral("1.5")),
             QStringLiteral("19200,E,7,1.5"));
}

void TestSettingTexts::lineParameters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("asThePortReportsIt"); // empty: rejected
    QTest::newRow("upper-case letter rendered lower") << "9600,N,8,1"
                                                      << "9600,n,8,1";
    QTest::newRow("stop bits 1.5") << "9600,E,7,1.5"
                                   << "9600,e,7,1.5";
    QTest::newRow("blanks") << " 19200 , o , 7 , 2 "
                            << "19200,o,7,2";
    QTest::newRow("four data bits") << "300,s,4,1"
                                    << "300,s,4,1";
    QTest::newRow("unknown parity") << "9600,x,8,1"
                                    << "";
    QTest::newRow("nine data bits") << "9600,n,9,1"
                                    << "";
    QTest::newRow("three stop bits") << "9600,n,8,3"
                                     << "";
    QTest::newRow("no speed") << ",n,8,1"
                              << "";
    QTest::newRow("negative speed") << "-9600,n,8,1"
                                    << "";
    QTest::newRow("speed 0") << "0,n,8,1"
                             << "";
    QTest::newRow("too few fields") << "9600,n,8"
                                    << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSettingTexts::lineParameters()
{
    QFETCH(QString, text);
    QFETCH(QString, asThePortReportsIt);
    const auto parsed = LineParameters::parse(text);
    QCOMPARE(parsed.has_value(), !asThePortReportsIt.isEmpty());
    if (parsed) {
        QCOMPARE(parsed->toText(), asThePortReportsIt);
        QCOMPARE(LineParameters::parse(parsed->toText()), parsed);
    }
}

void TestSettingTexts::comPortNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // 0: not a COM port
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM16") << "COM16" << 16;
    QTest::newRow("lower case") << "com3" << 3;
    QTest::newRow("blanks around") << " Com7 " << 7;
    QTest::newRow("COM0") << "COM0" << 0;
    QTest::newRow("COM17") << "COM17" << 0;
    QTest::newRow("leading zero") << "COM01" << 0;
    QTest::newRow("blank inside") << "COM 1" << 0;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("device path") << "/dev/ttyS0" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestSettingTexts::comPortNames()
{
    QFETCH(QString, text);
    QTEST(comPortNumber(text).value_or(0), "expected");
}

void TestSettingTexts::comPortDevices_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("port"); // 0: none of COM1 to COM16
    QTest::newRow("first") << "/dev/ttyS0" << 1;
    QTest::newRow("last") << "/dev/ttyS15" << 16;
    QTest::newRow("beyond the last") << "/dev/ttyS16" << 0;
    QTest::newRow("USB adapter") << "/dev/ttyUSB0" << 0;
    QTest::newRow("pseudo-terminal") << "/dev/pts/3" << 0;
    QTest::newRow("no folder") << "ttyS1" << 0;
}

void TestSettingTexts::comPortDevices()
{
    QFETCH(QString, device);
    QFETCH(int, port);
    QCOMPARE(comPortOfDevice(device).value_or(0), port);
    if (port != 0)
        QCOMPARE(comPortDevice(port), device);
}

void TestSettingTexts::storedBooleans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: does not convert
    QTest::newRow("True") << "True" << 1;
    QTest::newRow("False") << "False" << 0;
    QTest::newRow("lower case") << "true" << 1;
    QTest::newRow("number") << "-1" << 1;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("word") << "Yes" << -1;
}

void TestSettingTexts::storedBooleans()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto value = parseBool(text);
    QCOMPARE(value.has_value() ? int(*value) : -1, expected);
    if (value)
        QCOMPARE(parseBool(boolText(*value)), value);
}

void TestSettingTexts::storedNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "3" << true << 3;
    QTest::newRow("blanks") << " 12 " << true << 12;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("word") << "x" << false << 0;
    QTest::newRow("decimal") << "1.5" << false << 0;
}

void TestSettingTexts::storedNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, value);
    const auto parsed = parseInt(text);
    QCOMPARE(parsed.has_value(), converts);
    if (parsed)
        QCOMPARE(*parsed, value);
    QCOMPARE(checkStateText(true), QStringLiteral("1"));
    QCOMPARE(checkStateText(false), QStringLiteral("0"));
}

void TestSettingTexts::recordFormat_data()
{
    QTest::addColumn<QString>("storedCType");
    QTest::addColumn<QString>("storedPbxType");
    QTest::addColumn<bool>("kra");
    QTest::newRow("serial, True") << "Serial"
                                  << "True" << true;
    QTest::newRow("serial, False") << "Serial"
                                   << "False" << false;
    QTest::newRow("serial, lower-case true is OLV") << "Serial"
                                                    << "true" << false;
    QTest::newRow("serial, blank after True is OLV") << "Serial"
                                                     << "True " << false;
    QTest::newRow("LAN, False: always KRA") << "LAN"
                                            << "False" << true;
    QTest::newRow("LAN, True") << "LAN"
                               << "True" << true;
    // The dialog shows the LAN frame for any text but "Serial".
    QTest::newRow("other text is LAN") << "lan"
                                       << "False" << true;
}

void TestSettingTexts::recordFormat()
{
    QFETCH(QString, storedCType);
    QFETCH(QString, storedPbxType);
    QTEST(recordFormatIsKra(connectionTypeFromText(storedCType), pbxTypeSelectsKra(storedPbxType)), "kra");
    QCOMPARE(connectionTypeText(connectionTypeFromText(storedCType)),
             storedCType == QLatin1String("Serial") ? QStringLiteral("Serial") : QStringLiteral("LAN"));
}

QTEST_APPLESS_MAIN(TestSettingTexts)
#include "tst_setting_texts.moc"
