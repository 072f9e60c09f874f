// The load test's file of extensions on a real disk: where it lies, creating it empty for the
// editor, and reading it whole.
#include "byte_files.h"
#include "extensions_file.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zkn;
using namespace zkn::test;

class TestExtensionsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void createdEmptyInTheDataHomeThenReadWhole()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path()));
        const QString path = extensionsFilePath();
        QCOMPARE(path, m_dir.path() + QStringLiteral("/ZKN-Control Tool/Extensions.dat"));
        QCOMPARE(ensureFileExists(path), QString()); // with its folder
        QCOMPARE(readExtensionsFile(path, nullptr).value_or("<nothing>"), QByteArray());

        const QByteArray content = byteRun(100000); // larger than any read buffer
        QVERIFY(writeFile(path, content));
        QCOMPARE(ensureFileExists(path), QString()); // an existing file is left as it is
        QCOMPARE(readExtensionsFile(path, nullptr).value_or("<nothing>"), content);
    }

    void failuresGiveTheReason()
    {
        QString error;
        QVERIFY(!readExtensionsFile(m_dir.filePath(QStringLiteral("missing.dat")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!readExtensionsFile(m_dir.filePath(QStringLiteral("missing.dat")), nullptr));

        // A regular file stands where the folder would go.
        const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
        QVERIFY(writeFile(blocker, "x"));
        QVERIFY(!ensureFileExists(blocker + QStringLiteral("/ZKN-Control Tool/Extensions.dat")).isEmpty());
        QCOMPARE(readFile(blocker), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(TestExtensionsFile)
#include "tst_extensions_file.moc"
