// The load test's file of extensions on a real disk: where it lies, reading it whole, and creating
// it empty for the editor.
#include "extensions_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using zkn::ensureFileExists;
using zkn::extensionsFilePath;
using zkn::readExtensionsFile;

namespace {

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray everyByteValue()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

} // namespace

class TestExtensionsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathFollowsTheDataHome();
    void readingGivesTheBytesExactly_data();
    void readingGivesTheBytesExactly();
    void unreadablePathGivesNothingAndTheReason_data();
    void unreadablePathGivesNothingAndTheReason();
    void missingFileIsCreatedEmpty();
    void existingFileIsLeftAsItIs();
    void folderThatCannotBeMadeIsReported();

private:
    QTemporaryDir m_dir;
};

void TestExtensionsFile::pathFollowsTheDataHome()
{
    for (const char* home : {"first", "second"}) {
        const QString data = m_dir.filePath(QLatin1String(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        QCOMPARE(extensionsFilePath(), data + QStringLiteral("/ZKN-Control Tool/Extensions.dat"));
    }
}

void TestExtensionsFile::readingGivesTheBytesExactly_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("CR LF lines") << QByteArray("1000\r\n1001\r\n2#5\r\n");
    QTest::newRow("LF lines, no newline at the end") << QByteArray("1000\n 1001\n*77");
    QTest::newRow("every byte value") << everyByteValue();
    QTest::newRow("larger than a read buffer") << QByteArray("12345678\r\n").repeated(20000);
}

void TestExtensionsFile::readingGivesTheBytesExactly()
{
    QFETCH(QByteArray, content);
    const QString path = m_dir.filePath(QStringLiteral("Extensions.dat"));
    QVERIFY(writeFile(path, content));
    QString error = QStringLiteral("untouched");
    const std::optional<QByteArray> read = readExtensionsFile(path, &error);
    QVERIFY(read.has_value());
    QCOMPARE(*read, content);
}

void TestExtensionsFile::unreadablePathGivesNothingAndTheReason_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "no-such/Extensions.dat";
    QTest::newRow("a folder") << ".";
}

void TestExtensionsFile::unreadablePathGivesNothingAndTheReason()
{
    QFETCH(QString, name);
    QString error;
    QVERIFY(!readExtensionsFile(m_dir.filePath(name), &error).has_value());
    QVERIFY2(!error.isEmpty(), "the system's reason is given");
}

void TestExtensionsFile::missingFileIsCreatedEmpty()
{
    const QString path = m_dir.filePath(QStringLiteral("new/ZKN-Control Tool/Extensions.dat"));
    QCOMPARE(ensureFileExists(path), QString());
    QVERIFY(QFile::exists(path));
    QCOMPARE(readAll(path), QByteArray());
}

void TestExtensionsFile::existingFileIsLeftAsItIs()
{
    const QString path = m_dir.filePath(QStringLiteral("kept.dat"));
    QVERIFY(writeFile(path, "1000\r\n1001\r\n"));
    QCOMPARE(ensureFileExists(path), QString());
    QCOMPARE(readAll(path), QByteArray("1000\r\n1001\r\n"));
}

void TestExtensionsFile::folderThatCannotBeMadeIsReported()
{
    // A regular file stands where the folder would go.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    QVERIFY(writeFile(blocker, "x"));
    const QString path = blocker + QStringLiteral("/ZKN-Control Tool/Extensions.dat");
    QVERIFY(!ensureFileExists(path).isEmpty());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(readAll(blocker), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestExtensionsFile)
#include "tst_extensions_file.moc"
