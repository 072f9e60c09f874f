// A text file sent over a real pseudo-terminal pair: the sender writes the slave side, the test
// reads what the far end got on the master side. Then the file choice that comes before it.
#include "byte_files.h"
#include "pty_pair.h"
#include "scripted_operator.h"
#include "send_text_command.h"
#include "serial_line.h"
#include "text_file_sender.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <poll.h>
#include <unistd.h>

using zkn::Operator;
using zkn::SerialLine;
using zkn::TextFileSender;
using zkn::test::byteRun;

class TestTextFileSender : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    static constexpr qsizetype blockSize = SerialLine::OutputBufferSize;
    QTemporaryDir m_dir;
    std::unique_ptr<zkn::test::PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;
    std::unique_ptr<TextFileSender> m_sender;
    QByteArray m_farEnd; // what has reached the far end

    QString file(const QString& name, const QByteArray& bytes)
    {
        zkn::test::writeFile(m_dir.filePath(name), bytes); // one not written fails to start
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
        m_pty = std::make_unique<zkn::test::PtyPair>();
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

    void portClosingMidwayEndsWithError()
    {
        QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
        QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
        connect(m_sender.get(), &TextFileSender::blockWritten, this, [&] {
            if (blocks.size() == 2)
                m_line->close();
        });
        QCOMPARE(m_sender->start(file(QStringLiteral("closing.txt"), byteRun(4 * blockSize))), QString());
        QVERIFY(finished.wait(waitMs));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!finished.at(0).at(0).toString().isEmpty());
        QVERIFY(!m_sender->isRunning());
        QCOMPARE(blocks.size(), 2);
    }

    // A file that does not exist is told and the choice comes back; the command gets the absolute
    // path of an existing one, or nothing on Cancel.
    void fileChoiceComesBackUntilTheFileExists()
    {
        file(QStringLiteral("letter.txt"), "text\r\n");
        const auto relative = [&](const char* name) {
            return std::optional(QDir::current().relativeFilePath(m_dir.filePath(QLatin1String(name))));
        };
        zkn::test::ScriptedOperator op;
        op.fileChoices = {relative("gone.txt"), relative("letter.txt"), std::nullopt};
        QStringList answers;
        const auto chosen = [&](const std::optional<QString>& path) {
            answers << path.value_or("<nothing>");
        };
        const QString startFolder = m_dir.filePath(QStringLiteral("start"));
        zkn::chooseTextFileToSend(op, startFolder, chosen);
        zkn::chooseTextFileToSend(op, startFolder, chosen);

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

QTEST_GUILESS_MAIN(TestTextFileSender)
#include "tst_text_file_sender.moc"
