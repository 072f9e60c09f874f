// The texts the settings and the properties dialog convert (host addresses, serial line
// parameters, ports, stored booleans and numbers, the record format), then the settings store
// against a real INI file in a temporary configuration folder.
#include "settings/com_ports.h"
#include "settings/format_ip.h"
#include "settings/record_format.h"
#include "settings/serial_settings.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace zkn::settings;

namespace {

// Speed, parity item, data bits and stop bits as the dialog's boxes get them.
QString split(const char* text)
{
    const SerialSettingsFields f = splitSerialSettings(QLatin1String(text));
    return QStringList{f.speed, parityItemForLetter(f.parityLetter), f.dataBits, f.stopBits}.join('|');
}

// The parameters as the port reports them, or "refused"; they read back the same.
QString lineParameters(const char* text)
{
    const auto parsed = LineParameters::parse(QLatin1String(text));
    if (!parsed)
        return QStringLiteral("refused");
    return LineParameters::parse(parsed->toText()) == parsed ? parsed->toText() : QStringLiteral("changed");
}

// The COM port of a device path, 0 for none; the port names the same device.
QString portOfDevice(const char* device)
{
    const int port = comPortOfDevice(QLatin1String(device)).value_or(0);
    return port && comPortDevice(port) != QLatin1String(device) ? QStringLiteral("other device")
                                                                : QString::number(port);
}

// A stored boolean, or "none"; it is stored again as it reads.
QString storedBool(const char* text)
{
    const auto value = parseBool(QLatin1String(text));
    if (!value)
        return QStringLiteral("none");
    return parseBool(boolText(*value)) == value ? QString::number(*value) : QStringLiteral("changed");
}

QString storedInt(const char* text)
{
    const auto value = parseInt(QLatin1String(text));
    return value ? QString::number(*value) : QStringLiteral("none");
}

// KRA or OLV for the stored CType and PBXType; the CType reads back as the dialog writes it.
QString format(const char* cType, const char* pbxType)
{
    const zkn::ConnectionType type = zkn::connectionTypeFromText(QLatin1String(cType));
    return (recordFormatIsKra(type, pbxTypeSelectsKra(QLatin1String(pbxType))) ? "KRA " : "OLV ") +
           zkn::connectionTypeText(type);
}

} // namespace

Q_DECLARE_METATYPE(zkn::settings::Key)

class TestSettingsStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString iniPath() const
    {
        return m_dir->path() + QStringLiteral("/ZKN-Control Tool/ZKN-Control Tool.ini");
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
        // QSettings looks the user folder up once per process; point it at this test's folder.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    }

    void texts_data();
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void tableIsInKeyOrderWithUniqueNames()
    {
        QSet<QString> paths;
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            QCOMPARE(static_cast<std::size_t>(kKeys[i].key), i);
            QVERIFY(kKeys[i].name && kKeys[i].section && kKeys[i].fallback);
            paths.insert(QLatin1String(kKeys[i].section) + QLatin1Char('/') + QLatin1String(kKeys[i].name));
        }
        QCOMPARE(paths.size(), qsizetype(kKeys.size()));
    }

    void emptyStoreGivesEveryDefault()
    {
        // clang-format off
        const std::pair<Key, const char*> defaults[] = {
            {Key::Settings, ""}, {Key::CommPort, ""}, {Key::PortName, ""}, {Key::Handshaking, ""}, {Key::Echo, ""},
            {Key::CType, "Serial"}, {Key::DevID, "0"}, {Key::LANParity, "Odd"}, {Key::PBXType, "True"},
            {Key::RemoteHost, "0.0.0.0"}, {Key::StnA, "1000"}, {Key::StnB, " "}, {Key::StartSTN, "1000"},
            {Key::EndSTN, "1000"}, {Key::FontSize, "3"}, {Key::Detail, "1"}, {Key::Hex, "0"},
            {Key::TogglePty, "0"}, {Key::StopHC, "0"}, {Key::IgnorePty, "0"}, {Key::RespNorm, "True"},
            {Key::RespPtyErr, "False"}, {Key::RespTextErr, "False"}, {Key::HCinterval, "5"},
            {Key::HCValue, "5"}, {Key::ZKNexpansion, "0"}};
        // clang-format on
        SettingsStore store;
        for (const auto& [key, expected] : defaults) {
            QCOMPARE(store.text(key), QLatin1String(expected));
            QCOMPARE(store.nonEmptyText(key), QLatin1String(expected));
        }
        QVERIFY(!QFile::exists(iniPath()));
    }

    void storedEmptyTextDiffersFromNothingStored()
    {
        SettingsStore store;
        store.write(Key::CType, QString());
        store.write(Key::HCinterval, QString());
        QVERIFY(store.sync());
        SettingsStore reread;
        // A dialog loading its box gets what the operator left; start-up applies the default.
        QCOMPARE(reread.text(Key::HCinterval), QString());
        QCOMPARE(reread.nonEmptyText(Key::CType), QStringLiteral("Serial"));
    }

    void textsRoundTripExactly_data()
    {
        QTest::addColumn<Key>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("a lone blank") << Key::StnB << " ";
        QTest::newRow("blanks around") << Key::StnA << "  1000 ";
        QTest::newRow("serial settings with commas") << Key::Settings << "9600,n,8,1";
        QTest::newRow("stop bits 1.5") << Key::Settings << "9600,e,7,1.5";
        QTest::newRow("host as typed") << Key::RemoteHost << "010.1.002.3";
        QTest::newRow("device path with blanks") << Key::PortName << "/dev/serial/by-id/usb-FTDI Cable-if00";
        QTest::newRow("quotes and semicolons") << Key::StnA << "\"1;2\"=3";
        QTest::newRow("Latin-1 text") << Key::HCinterval << QString::fromLatin1("\xe4\xfc");
        QTest::newRow("True") << Key::RespNorm << "True";
    }

    void textsRoundTripExactly()
    {
        QFETCH(Key, key);
        QFETCH(QString, value);
        {
            SettingsStore store;
            store.write(key, value);
            QVERIFY(store.sync());
            QCOMPARE(store.fileName(), iniPath());
        }
        QVERIFY(QFile::exists(iniPath()));
        QCOMPARE(SettingsStore().text(key), value);
    }

    void handEditedUnquotedListReadsAsText()
    {
        QDir().mkpath(m_dir->path() + QStringLiteral("/ZKN-Control Tool"));
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Properties]\nSettings=19200,e,7,2\nCType=LAN\n[Debug]\nHCinterval=7\n");
        file.close();
        SettingsStore store;
        QCOMPARE(store.text(Key::Settings), QStringLiteral("19200,e,7,2"));
        QCOMPARE(store.text(Key::CType), QStringLiteral("LAN"));
        QCOMPARE(store.text(Key::HCinterval), QStringLiteral("7"));
    }
};

using Cases = std::initializer_list<std::pair<const char*, const char*>>;

// One row for each case: what `convert` makes of the text, and what it should.
template <typename Convert>
void rows(const char* what, Convert convert, Cases cases)
{
    for (const auto& [text, expected] : cases)
        QTest::addRow("%s \"%s\"", what, text) << QString(convert(text)) << QString::fromLatin1(expected);
}

// clang-format off
void TestSettingsStore::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    // Leading digits count; the fourth part keeps what follows its dot and rounds by it.
    rows("IP", [](const char* t) { return FormatIP(t, false); },
         {{"010.1.002.3", "10.1.2.3"}, {"192.168.1", "192.168.1.0"}, {"", "0.0.0.0"}, {"17", "17.0.0.0"},
          {"300.1.2.999", "300.1.2.999"}, {"host.name.x.y", "0.0.0.0"}, {"12ab.3 4.5", "12.34.5.0"},
          {" 1. 2 .3 . 4", "1.2.3.4"}, {"1.2.3.4.9", "1.2.3.5"}, {"1.2.3.4.4", "1.2.3.4"}, {"1.2.3.4.x", "1.2.3.4"},
          {"1.2.3.99.7", "1.2.3.100"}, {"1.2.3.x.9", "1.2.3.0"}, {"HostName", "0.0.0.0"}});
    rows("padded IP", [](const char* t) { return FormatIP(t, true); }, {{"10.1.2.3", "010.001.002.003"}});
    rows("split", split,
         {{"9600,n,8,1", "9600|None|8|1"}, {"9600,o,8,1", "9600|Odd|8|1"}, {"9600,m,8,1", "9600|Mark|8|1"},
          {"9600,e,7,1.5", "9600|Even|7|1.5"}, {"115200,s,8,2", "115200|Space|8|2"}, {"110,n,7,2", "110|None|7|2"},
          {"9600,x,8,1", "9600||8|1"}, {"8,1", "||8|1"}, {"", "|||"}});
    QTest::newRow("join") << joinSerialSettings(" 9600 ", "None", "8 ", " 1") << "9600,N,8,1";
    QTest::newRow("join 1.5") << joinSerialSettings("19200", "Even", "7", "1.5") << "19200,E,7,1.5";
    rows("line", lineParameters,
         {{"9600,N,8,1", "9600,n,8,1"}, {"9600,E,7,1.5", "9600,e,7,1.5"}, {" 19200 , o , 7 , 2 ", "19200,o,7,2"},
          {"300,s,4,1", "300,s,4,1"}, {"1,m,8,1", "1,m,8,1"}, {"9600,x,8,1", "refused"}, {"9600,en,8,1", "refused"},
          {"9600,n,3,1", "refused"}, {"9600,n,9,1", "refused"}, {"9600,n,8,3", "refused"}, {",n,8,1", "refused"},
          {"-9600,n,8,1", "refused"}, {"0,n,8,1", "refused"}, {"9600,n,8", "refused"}, {"9600,n,8,1,1", "refused"},
          {"", "refused"}});
    rows("COM", [](const char* t) { return QString::number(comPortNumber(t).value_or(0)); },
         {{"COM1", "1"}, {"COM16", "16"}, {"com3", "3"}, {" Com7 ", "7"}, {"COM0", "0"}, {"COM17", "0"},
          {"COM01", "0"}, {"COM 1", "0"}, {"COM", "0"}, {"/dev/ttyS0", "0"}, {"", "0"}});
    rows("device", portOfDevice,
         {{"/dev/ttyS0", "1"}, {"/dev/ttyS15", "16"}, {"/dev/ttyS16", "0"}, {"/dev/ttyUSB0", "0"},
          {"/dev/pts/3", "0"}, {"ttyS1", "0"}});
    QTest::newRow("COM port name") << comPortName(16) << "COM16";
    rows("bool", storedBool,
         {{"True", "1"}, {"False", "0"}, {"true", "1"}, {" false ", "0"}, {"-1", "1"}, {"0", "0"}, {"", "none"},
          {"Yes", "none"}});
    rows("int", storedInt, {{"3", "3"}, {" 12 ", "12"}, {"", "none"}, {"x", "none"}, {"1.5", "none"}});
    QTest::newRow("check state on") << checkStateText(true) << "1";
    QTest::newRow("check state off") << checkStateText(false) << "0";
    // PBXType "True" exactly chooses KRA on a serial link; a LAN link, any CType but "Serial", is KRA.
    rows("serial", [](const char* t) { return format("Serial", t); },
         {{"True", "KRA Serial"}, {"False", "OLV Serial"}, {"true", "OLV Serial"}, {"True ", "OLV Serial"}});
    rows("LAN", [](const char* t) { return format(t, "False"); }, {{"LAN", "KRA LAN"}, {"lan", "KRA LAN"}});
    QTest::newRow("LAN, True") << format("LAN", "True") << "KRA LAN";
}
// clang-format on

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
