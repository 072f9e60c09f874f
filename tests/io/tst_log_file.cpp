// The communications log and the load test's file of extensions on a real disk.
#include "byte_files.h"
#include "extensions_file.h"
#include "log_file.h"
#include "scripted_operator.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

using namespace zkn;
using namespace zkn::test;

namespace {

// Makes writes beyond `bytes` into any file fail; RLIM_INFINITY lifts the limit again.
bool limitFileSize(rlim_t bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = std::min(bytes, limit.rlim_max);
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace

class TestLogFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void appendsEveryByteAtOnce()
    {
        const QString path = m_dir.filePath(QStringLiteral("append.txt"));
        const QByteArray logged = "old line\r\n" + byteRun(256);
        QVERIFY(writeFile(path, "old line\r\n"));
        ScriptedOperator op;
        LogFile log(op);
        QSignalSpy changes(&log, &LogFile::openChanged);
        QCOMPARE(log.open(path), QString());
        log.write(logged.mid(10));
        // Read through another handle while the log is still open: nothing waits in a buffer.
        QCOMPARE(readFile(path), logged);
        log.close();
        log.write("not kept\r\n");
        QCOMPARE(readFile(path), logged);

        QVERIFY(!log.open(m_dir.path()).isEmpty()); // a folder cannot be a log
        QVERIFY(!log.isOpen());
        QCOMPARE(log.fileName(), QString());
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
        QVERIFY(op.messages.isEmpty());
    }

    void failedWriteAsksRetryOrCancel_data()
    {
        QTest::addColumn<Operator::Answer>("answer");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("retry goes on where it stopped, then the waiting lines")
            << Operator::Answer::Retry << QByteArray("0123456789A\r\nB\r\nC\r\n");
        QTest::newRow("cancel closes the log, the waiting lines with it")
            << Operator::Answer::Cancel << QByteArray("01234C\r\n");
    }

    // The terminal goes on writing while the operator is asked: those lines wait their turn and
    // are never asked about on their own.
    void failedWriteAsksRetryOrCancel()
    {
        QFETCH(Operator::Answer, answer);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        ScriptedOperator op;
        LogFile log(op);
        op.answers = {answer};
        op.whileShown = [&](const Operator::Message&) {
            log.write("A\r\n");
            log.write("B\r\n");
            limitFileSize(RLIM_INFINITY);
        };
        QCOMPARE(log.open(path), QString());
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(limitFileSize(5)); // the first line fails half-way
        log.write("0123456789");
        limitFileSize(RLIM_INFINITY);

        QCOMPARE(op.messages.size(), 1);
        QCOMPARE(op.messages.at(0).buttons, Operator::Buttons::RetryCancel);
        QCOMPARE(op.messages.at(0).icon, Operator::Icon::Critical);
        QVERIFY2(!op.messages.at(0).text.isEmpty(), "the box names the system's error");
        QCOMPARE(log.isOpen(), answer == Operator::Answer::Retry);
        // Opened again, the log writes a line whole: nothing of the failure is left over.
        QCOMPARE(log.open(path), QString());
        log.write("C\r\n");
        QTEST(readFile(path), "logged");
    }

    // Where it lies, created empty for the editor with its folder, then read whole.
    void extensionsFileCreatedEmptyInTheDataHomeThenReadWhole()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path()));
        const QString path = extensionsFilePath();
        QCOMPARE(path, m_dir.path() + QStringLiteral("/ZKN-Control Tool/Extensions.dat"));
        QCOMPARE(ensureFileExists(path), QString());
        QCOMPARE(readExtensionsFile(path, nullptr).value_or("<nothing>"), QByteArray());

        const QByteArray content = byteRun(100000); // larger than any read buffer
        QVERIFY(writeFile(path, content));
        QCOMPARE(ensureFileExists(path), QString()); // an existing file is left as it is
        QCOMPARE(readExtensionsFile(path, nullptr).value_or("<nothing>"), content);
    }

    void extensionsFileFailuresGiveTheReason()
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

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
