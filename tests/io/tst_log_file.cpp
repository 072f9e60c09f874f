// SPDX-License-Identifier: GPL-3.0-or-later
// Files on a real disk: the communications log, the load test's extensions file, and the choice
// of a text file to send.
#include "byte_files.h"
#include "extensions_file.h"
#include "file_bytes.h"
#include "log_file.h"
#include "scripted_operator.h"
#include "send_text_command.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

#include <sys/resource.h>

using namespace zkn;
using namespace zkn::test;

class TestLogFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Makes writes beyond `bytes` into any file fail; RLIM_INFINITY lifts the limit again.
    static bool limitFileSize(rlim_t bytes)
    {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = std::min(bytes, limit.rlim_max);
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

    static bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private Q_SLOTS:
    // Every byte value, after what the file held; read through another handle while the log is
    // still open: nothing waits in a buffer.
    void appendsEveryByteAtOnce()
    {
        const QString path = m_dir.filePath(QStringLiteral("append.txt"));
        QVERIFY(writeFile(path, "old line\r\n"));
        ScriptedOperator op;
        LogFile log(op);
        QSignalSpy changes(&log, &LogFile::openChanged);
        QCOMPARE(log.open(path), QString());
        log.write(byteRun(256));
        log.write("!"); // a write of one byte is whole too
        QCOMPARE(test::fileBytes(path), "old line\r\n" + byteRun(256) + '!');
        log.close();
        log.write("not kept\r\n");
        QCOMPARE(test::fileBytes(path).size(), 10 + 257);

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
        QTEST(test::fileBytes(path), "logged");
    }

    // While the operator is asked, at most a megabyte waits; what the terminal shows beyond it is
    // not kept, and one line in the log says how much is missing there, however little.
    void waitingTextIsBounded_data()
    {
        QTest::addColumn<QList<QByteArray>>("notKept");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("two lines") << QList<QByteArray>{"not kept\r\n", "nor this\r\n"}
                                   << QByteArray("20 bytes");
        QTest::newRow("one byte") << QList<QByteArray>{"x"} << QByteArray("1 bytes");
    }

    void waitingTextIsBounded()
    {
        QFETCH(QList<QByteArray>, notKept);
        QFETCH(QByteArray, said);
        const QString path = m_dir.filePath(QStringLiteral("bounded.txt"));
        ScriptedOperator op;
        op.keepOpen = true;
        LogFile log(op);
        QCOMPARE(log.open(path), QString());
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(limitFileSize(0));
        log.write("first\r\n");
        limitFileSize(RLIM_INFINITY);
        QCOMPARE(op.openBoxes(), 1);
        const QByteArray kept(LogFile::kMostWaiting - 7, 'k');
        log.write(kept);
        for (const QByteArray& text : notKept)
            log.write(text);
        op.answers = {Operator::Answer::Retry};
        QVERIFY(op.closeBox());
        log.write("after\r\n");
        const QByteArray logged = test::fileBytes(path);
        QVERIFY(logged.startsWith("first\r\n" + kept + "<->:"));
        QVERIFY(logged.endsWith(": " + said +
                                " shown while the log could not be written are not in it\r\nafter\r\n"));
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

    // A file that does not exist is told and the choice comes back; the command gets the absolute
    // path of an existing one, or nothing on Cancel.
    void fileChoiceComesBackUntilTheFileExists()
    {
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("letter.txt")), "text\r\n"));
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
        QVERIFY(op.fileDialogs.first().mustExist);              // a file to send, not one to make
        QCOMPARE(op.messages.size(), 1);
        QCOMPARE(op.messages.at(0).text,
                 m_dir.filePath(QStringLiteral("gone.txt")) + QStringLiteral(" not found!"));
        QCOMPARE(op.messages.at(0).icon, Operator::Icon::Exclamation);
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
