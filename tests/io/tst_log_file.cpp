// The communications log on a real disk.
#include "byte_files.h"
#include "log_file.h"
#include "scripted_operator.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

using zkn::LogFile;
using zkn::Operator;
using zkn::test::readFile;

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
        const QByteArray logged = "old line\r\n" + zkn::test::byteRun(256);
        QVERIFY(zkn::test::writeFile(path, "old line\r\n"));
        zkn::test::ScriptedOperator op;
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
        zkn::test::ScriptedOperator op;
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
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
