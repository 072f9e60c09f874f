// Files on a real disk: the communications log, the load test's extensions file, and a text file
// sent over a real pseudo-terminal pair (the sender writes the slave side, the test reads what the
// far end got on the master side) with the file choice that comes before it.
#include "byte_files.h"
#include "extensions_file.h"
#include "log_file.h"
#include "pty_pair.h"
#include "scripted_operator.h"
#include "send_text_command.h"
#include "serial_line.h"
#include "text_file_sender.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <memory>

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace zkn;
using namespace zkn::test;

class TestLogFile : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    static constexpr qsizetype blockSize = SerialLine::OutputBufferSize;
    QTemporaryDir m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;
    std::unique_ptr<TextFileSender> m_sender;
    QByteArray m_farEnd; // what has reached the far end

    // Makes writes beyond `bytes` into any file fail; RLIM_INFINITY lifts the limit again.
    static bool limitFileSize(rlim_t bytes)
    {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = std::min(bytes, limit.rlim_max);
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QString file(const QString& name, const QByteArray& bytes)
    {
        writeFile(m_dir.filePath(name), bytes); // one not written fails to start
        return m_dir.filePath(name);
    }

    QByteArray farEnd() { return m_farEnd += m_pty->readMaster(); }

    // Runs what is due without waiting: a block the sender hands over too early shows after it.
    static void settle()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_pty->isValid());
        m_line = std::make_unique<SerialLine>();
        m_line->setPortName(m_pty->devicePath());
        QCOMPARE(m_line->open(nullptr), SerialLine::OpenResult::Opened);
        m_sender = std::make_unique<TextFileSender>(*m_line);
        m_farEnd.clear();
    }

    void cleanup()
    {
        m_sender.reset();
        m_line.reset();
        m_pty.reset();
    }

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
        QCOMPARE(changes, (QList<QVariantList>{{true}, {false}}));
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

    void farEndGetsTheFileExactly_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("one full block") << blockSize;
        QTest::newRow("3 blocks and 7 bytes") << 3 * blockSize + 7;
    }

    void farEndGetsTheFileExactly()
    {
        QFETCH(qsizetype, size);
        QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
        // What the port holds as each block is handed over: that block alone, once the one before
        // has left.
        QList<qint64> pending;
        connect(m_sender.get(), &TextFileSender::blockWritten, this,
                [&] { pending.append(m_line->bytesToWrite()); });
        QList<qint64> blocks;
        for (qsizetype left = size; left > 0; left -= blockSize)
            blocks.append(std::min(left, blockSize));

        // A file that cannot be read starts nothing, and leaves nothing behind to block the next.
        QVERIFY(!m_sender->start(m_dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
        QVERIFY(!m_sender->isRunning());
        QCOMPARE(m_sender->start(file(QStringLiteral("sizes.txt"), byteRun(size))), QString());
        QVERIFY(m_sender->isRunning());
        QVERIFY(finished.isEmpty()); // even an empty file ends from the event loop
        QVERIFY(QTest::qWaitFor([&] { return farEnd().size() == size && !finished.isEmpty(); }, waitMs));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toString(), QString());
        QVERIFY(!m_sender->isRunning());
        QCOMPARE(m_farEnd, byteRun(size));
        QCOMPARE(pending, blocks);
    }

    // The far end holds the line with XOFF, so the first block stays in the port.
    void heldLineHoldsTheNextBlockAndCancelEndsAtOnce()
    {
        QVERIFY(m_line->setHandshaking(1, nullptr));
        QCOMPARE(::write(m_pty->master(), "\x13", 1), 1);
        pollfd slave{m_pty->slave(), POLLOUT, 0};
        QTRY_VERIFY_WITH_TIMEOUT(::poll(&slave, 1, 0) == 0, waitMs); // the pty has taken the XOFF
        QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
        QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
        QCOMPARE(m_sender->start(file(QStringLiteral("held.txt"), byteRun(3 * blockSize))), QString());
        QVERIFY(blocks.wait(waitMs));
        settle();
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(m_line->bytesToWrite(), blockSize);

        m_sender->cancel();
        QCOMPARE(finished.size(), 1); // at once: it does not wait for the block in flight to leave
        QVERIFY(!m_sender->isRunning());
        // The block handed to the port still goes out whole; nothing follows it.
        QCOMPARE(::write(m_pty->master(), "\x11", 1), 1);
        QTRY_COMPARE_WITH_TIMEOUT(farEnd().size(), blockSize, waitMs);
        settle();
        QCOMPARE(farEnd(), byteRun(blockSize));
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(finished.size(), 1);
    }

    // A file that does not exist is told and the choice comes back; the command gets the absolute
    // path of an existing one, or nothing on Cancel.
    void fileChoiceComesBackUntilTheFileExists()
    {
        file(QStringLiteral("letter.txt"), "text\r\n");
        const auto relative = [&](const char* name) {
            return std::optional(QDir::current().relativeFilePath(m_dir.filePath(QLatin1String(name))));
        };
        ScriptedOperator op;
        op.fileChoices = {relative("gone.txt"), relative("letter.txt"), std::nullopt};
        QStringList answers;
        const auto chosen = [&](const std::optional<QString>& path) {
            answers << path.value_or("<nothing>");
        };
        const QString startFolder = m_dir.filePath(QStringLiteral("start"));
        chooseTextFileToSend(op, startFolder, chosen);
        chooseTextFileToSend(op, startFolder, chosen);

        QCOMPARE(answers, QStringList({m_dir.filePath(QStringLiteral("letter.txt")), "<nothing>"}));
        QCOMPARE(op.fileDialogs.size(), 3);
        QCOMPARE(op.fileDialogs.first().title, QStringLiteral("Send Text File"));
        QCOMPARE(op.fileDialogs.first().filter, QStringLiteral("Text Files (*.TXT *.txt);;All Files (*)"));
        QCOMPARE(op.fileDialogs.last().startPath, startFolder); // the choice comes back there too
        QCOMPARE(op.messages.size(), 1);
        QCOMPARE(op.messages.at(0).text,
                 m_dir.filePath(QStringLiteral("gone.txt")) + QStringLiteral(" not found!"));
        QCOMPARE(op.messages.at(0).icon, Operator::Icon::Exclamation);
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
