// The settings store against a real INI file in a temporary configuration folder.
#include "settings/settings_store.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace zkn::settings;

Q_DECLARE_METATYPE(zkn::settings::Key)

class TestSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void tableIsInKeyOrderWithUniqueNames();
    void emptyStoreGivesEveryDefault_data();
    void emptyStoreGivesEveryDefault();
    void storedEmptyTextDiffersFromNothingStored();
    void textsRoundTripExactly_data();
    void textsRoundTripExactly();
    void handEditedUnquotedListReadsAsText();

private:
    QString iniPath() const
    {
        return m_dir->path() + QStringLiteral("/ZKN-Control Tool/ZKN-Control Tool.ini");
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    // QSettings looks the user folder up once per process; point it at this test's folder.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
}

void TestSettingsStore::tableIsInKeyOrderWithUniqueNames()
{
    QSet<QString> paths;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        QCOMPARE(static_cast<std::size_t>(kKeys[i].key), i);
        QVERIFY(kKeys[i].name && kKeys[i].section && kKeys[i].fallback);
        paths.insert(QLatin1String(kKeys[i].section) + QLatin1Char('/') + QLatin1String(kKeys[i].name));
    }
    QCOMPARE(paths.size(), qsizetype(kKeys.size()));
}

void TestSettingsStore::emptyStoreGivesEveryDefault_data()
{
    QTest::addColumn<Key>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Settings: port keeps its design") << Key::Settings << "";
    QTest::newRow("CommPort") << Key::CommPort << "";
    QTest::newRow("PortName") << Key::PortName << "";
    QTest::newRow("Handshaking") << Key::Handshaking << "";
    QTest::newRow("Echo: off") << Key::Echo << "";
    QTest::newRow("CType") << Key::CType << "Serial";
    QTest::newRow("DevID") << Key::DevID << "0";
    QTest::newRow("LANParity") << Key::LANParity << "Odd";
    QTest::newRow("PBXType: KRA") << Key::PBXType << "True";
    QTest::newRow("RemoteHost") << Key::RemoteHost << "0.0.0.0";
    QTest::newRow("StnA") << Key::StnA << "1000";
    QTest::newRow("StnB: one blank") << Key::StnB << " ";
    QTest::newRow("StartSTN") << Key::StartSTN << "1000";
    QTest::newRow("EndSTN") << Key::EndSTN << "1000";
    QTest::newRow("FontSize") << Key::FontSize << "3";
    QTest::newRow("Detail: on") << Key::Detail << "1";
    QTest::newRow("Hex") << Key::Hex << "0";
    QTest::newRow("TogglePty") << Key::TogglePty << "0";
    QTest::newRow("StopHC") << Key::StopHC << "0";
    QTest::newRow("IgnorePty") << Key::IgnorePty << "0";
    QTest::newRow("RespNorm") << Key::RespNorm << "True";
    QTest::newRow("RespPtyErr") << Key::RespPtyErr << "False";
    QTest::newRow("RespTextErr") << Key::RespTextErr << "False";
    QTest::newRow("HCinterval") << Key::HCinterval << "5";
    QTest::newRow("ZKNexpansion: off") << Key::ZKNexpansion << "0";
}

void TestSettingsStore::emptyStoreGivesEveryDefault()
{
    QFETCH(Key, key);
    QFETCH(QString, expected);
    SettingsStore store;
    QCOMPARE(store.text(key), expected);
    QCOMPARE(store.nonEmptyText(key), expected);
    QVERIFY(!QFile::exists(iniPath()));
}

void TestSettingsStore::storedEmptyTextDiffersFromNothingStored()
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

void TestSettingsStore::textsRoundTripExactly_data()
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

void TestSettingsStore::textsRoundTripExactly()
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
    SettingsStore reread;
    QCOMPARE(reread.text(key), value);
}

void TestSettingsStore::handEditedUnquotedListReadsAsText()
{
    QDir().mkpath(m_dir->path() + QStringLiteral("/ZKN-Control Tool"));
    QFile file(iniPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Properties]\nSettings=19200,e,7,2\nCType=LAN\n");
    file.close();
    SettingsStore store;
    QCOMPARE(store.text(Key::Settings), QStringLiteral("19200,e,7,2"));
    QCOMPARE(store.text(Key::CType), QStringLiteral("LAN"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
