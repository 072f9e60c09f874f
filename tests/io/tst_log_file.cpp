// The communications log on a real disk, and on a device that refuses every write.
#include "log_file.h"
#include "scripted_operator.h"

#include <QSignalSpy>

#include <csignal>

#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>

using zkn::LogFile;
using zkn::Operator;
using zkn::test::ScriptedOperator;

namespace {

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

class TestLogFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendsAfterExistingContentByteForByte();
    void eachWriteReachesTheFileAtOnce();
    void writesAfterCloseLeaveTheFileUnchanged();
    void openFailureReportsAndStaysClosed();
    void failedWriteAsksRetryThenCancelCloses();
    void writesWhileAskingWaitForTheAnswer_data();
    void writesWhileAskingWaitForTheAnswer();

private:
    QTemporaryDir m_dir;
};

void TestLogFile::appendsAfterExistingContentByteForByte()
{
    const QString path = m_dir.filePath(QStringLiteral("append.txt"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old line\r\n");
    }
    ScriptedOperator op;
    LogFile log(op);
    QSignalSpy changes(&log, &LogFile::openChanged);
    QCOMPARE(log.open(path), QString());
    QVERIFY(log.isOpen());
    log.write(" ->:10:00:00: \x02J.1\x03\r\n");
    log.write(everyByteValue());
    log.close();
    QCOMPARE(readAll(path), QByteArray("old line\r\n ->:10:00:00: \x02J.1\x03\r\n") + everyByteValue());
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes[0][0].toBool(), true);
    QCOMPARE(changes[1][0].toBool(), false);
    QVERIFY(op.messages.isEmpty());
}

void TestLogFile::eachWriteReachesTheFileAtOnce()
{
    const QString path = m_dir.filePath(QStringLiteral("flush.txt"));
    ScriptedOperator op;
    LogFile log(op);
    QCOMPARE(log.open(path), QString());
    log.write("<- :10:00:01: first\r\n");
    // Read through another handle while the log is still open: nothing waits in a buffer.
    QCOMPARE(readAll(path), QByteArray("<- :10:00:01: first\r\n"));
}

void TestLogFile::writesAfterCloseLeaveTheFileUnchanged()
{
    const QString path = m_dir.filePath(QStringLiteral("closed.txt"));
    ScriptedOperator op;
    LogFile log(op);
    QCOMPARE(log.open(path), QString());
    log.write("kept\r\n");
    log.close();
    log.write("not kept\r\n");
    QVERIFY(!log.isOpen());
    QCOMPARE(readAll(path), QByteArray("kept\r\n"));
}

void TestLogFile::openFailureReportsAndStaysClosed()
{
    ScriptedOperator op;
    LogFile log(op);
    QSignalSpy changes(&log, &LogFile::openChanged);
    QVERIFY(!log.open(m_dir.path()).isEmpty()); // a folder cannot be a log
    QVERIFY(!log.open(m_dir.filePath(QStringLiteral("missing/folder/log.txt"))).isEmpty());
    QVERIFY(!log.isOpen());
    QCOMPARE(changes.size(), 0);
}

void TestLogFile::failedWriteAsksRetryThenCancelCloses()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full on this system");
    ScriptedOperator op;
    op.answers = {Operator::Answer::Retry, Operator::Answer::Cancel};
    LogFile log(op);
    QSignalSpy changes(&log, &LogFile::openChanged);
    QCOMPARE(log.open(QStringLiteral("/dev/full")), QString());

    log.write("a line the disk cannot take\r\n");

    QCOMPARE(op.messages.size(), 2); // asked, retried, failed again, asked again
    for (const Operator::Message& m : op.messages) {
        QCOMPARE(m.buttons, Operator::Buttons::RetryCancel);
        QCOMPARE(m.icon, Operator::Icon::Critical);
        QVERIFY2(!m.text.isEmpty(), "the box names the system's error");
    }
    QVERIFY(!log.isOpen());
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.last()[0].toBool(), false);
    QVERIFY(op.unexpected.isEmpty());

    log.write("after cancel nothing is asked\r\n");
    QCOMPARE(op.messages.size(), 2);
}

void TestLogFile::writesWhileAskingWaitForTheAnswer_data()
{
    QTest::addColumn<Operator::Answer>("answer");
    QTest::addColumn<QByteArray>("logged");
    QTest::newRow("retry writes them after the line")
        << Operator::Answer::Retry << QByteArray("0123456789A\r\nB\r\n");
    QTest::newRow("cancel drops them with the log") << Operator::Answer::Cancel << QByteArray("01234");
}

// The question runs the event loop, so the terminal may write again before it is answered: those
// lines wait their turn and are never asked about on their own.
void TestLogFile::writesWhileAskingWaitForTheAnswer()
{
    QFETCH(Operator::Answer, answer);
    const QString path = m_dir.filePath(QStringLiteral("limited.txt"));
    QFile::remove(path);
    // A file size limit of five bytes makes the first line fail half-way, until it is lifted.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlim_t unlimited = limit.rlim_cur;
    limit.rlim_cur = 5;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);

    ScriptedOperator op;
    op.answers = {answer};
    LogFile log(op);
    op.whileShown = [&](const Operator::Message&) {
        log.write("A\r\n");
        log.write("B\r\n");
        limit.rlim_cur = unlimited;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    QCOMPARE(log.open(path), QString());
    log.write("0123456789");
    limit.rlim_cur = unlimited;
    setrlimit(RLIMIT_FSIZE, &limit);

    QCOMPARE(op.messages.size(), 1);
    QVERIFY(op.unexpected.isEmpty());
    QCOMPARE(log.isOpen(), answer == Operator::Answer::Retry);
    log.close();
    QTEST(readAll(path), "logged");
}

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
