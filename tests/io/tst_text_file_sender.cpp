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

#include <algorithm>
#include <memory>

#include <poll.h>
#include <unistd.h>

using zkn::Operator;
using zkn::SerialLine;
using zkn::TextFileSender;
using zkn::test::byteRun;

namespace {

constexpr int waitMs = 5000;
constexpr qsizetype blockSize = SerialLine::OutputBufferSize;

// Whether the line takes no more bytes now, as while the far end holds it with XOFF.
bool lineHeld(int fd)
{
    pollfd slave{fd, POLLOUT, 0};
    return ::poll(&slave, 1, 0) == 0;
}

} // namespace

class TestTextFileSender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void farEndGetsTheFileExactly_data();
    void farEndGetsTheFileExactly();
    void heldLineHoldsTheNextBlockAndCancelEndsAtOnce();
    void portClosingMidwayEndsWithError();
    void fileChoice_data();
    void fileChoice();

private:
    QString file(const QString& name, const QByteArray& bytes);
    // Adds what has reached the far end to m_received; returns how much it now holds.
    qsizetype readFarEnd();

    QTemporaryDir m_dir;
    std::unique_ptr<zkn::test::PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;
    std::unique_ptr<TextFileSender> m_sender;
    QByteArray m_received;
};

void TestTextFileSender::init()
{
    m_pty = std::make_unique<zkn::test::PtyPair>();
    QVERIFY(m_pty->isValid());
    m_line = std::make_unique<SerialLine>();
    m_line->setPortName(m_pty->devicePath());
    QCOMPARE(m_line->open(nullptr), SerialLine::OpenResult::Opened);
    m_sender = std::make_unique<TextFileSender>(*m_line);
    m_received.clear();
}

void TestTextFileSender::cleanup()
{
    m_sender.reset();
    m_line.reset();
    m_pty.reset();
}

QString TestTextFileSender::file(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    if (!zkn::test::writeFile(path, bytes))
        qFatal("cannot write the test file %s", qPrintable(path));
    return path;
}

qsizetype TestTextFileSender::readFarEnd()
{
    m_received += m_pty->readMaster();
    return m_received.size();
}

void TestTextFileSender::farEndGetsTheFileExactly_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("empty") << qsizetype(0);
    QTest::newRow("one full block") << blockSize;
    QTest::newRow("3 blocks and 7 bytes") << 3 * blockSize + 7;
}

void TestTextFileSender::farEndGetsTheFileExactly()
{
    QFETCH(qsizetype, size);
    const QByteArray bytes = byteRun(size);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    // What the port holds as each block is handed over: that block alone, once the one before
    // has left.
    QList<qint64> pending;
    connect(m_sender.get(), &TextFileSender::blockWritten, this,
            [&] { pending.append(m_line->bytesToWrite()); });
    QList<qint64> blocks;
    for (qsizetype left = size; left > 0; left -= blockSize)
        blocks.append(std::min(left, blockSize));

    // A file that cannot be read starts nothing, and leaves nothing behind to block the next one.
    QVERIFY(!m_sender->start(m_dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
    QVERIFY(!m_sender->isRunning());
    QCOMPARE(m_sender->start(file(QStringLiteral("sizes.txt"), bytes)), QString());
    QVERIFY(m_sender->isRunning());
    QVERIFY(finished.isEmpty()); // even an empty file ends from the event loop
    QVERIFY(QTest::qWaitFor([&] { return readFarEnd() == size && !finished.isEmpty(); }, waitMs));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString());
    QVERIFY(!m_sender->isRunning());
    QCOMPARE(m_received, bytes);
    QCOMPARE(pending, blocks);
}

// The far end holds the line with XOFF, so the first block stays in the port.
void TestTextFileSender::heldLineHoldsTheNextBlockAndCancelEndsAtOnce()
{
    const QByteArray bytes = byteRun(3 * blockSize);
    QVERIFY(m_line->setHandshaking(1, nullptr));
    QCOMPARE(::write(m_pty->master(), "\x13", 1), 1);
    QTRY_VERIFY_WITH_TIMEOUT(lineHeld(m_pty->slave()), waitMs);
    QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    QCOMPARE(m_sender->start(file(QStringLiteral("held.txt"), bytes)), QString());
    QVERIFY(blocks.wait(waitMs));
    QTest::qWait(100); // a block written before the port emptied would show here
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(m_line->bytesToWrite(), blockSize);

    m_sender->cancel();
    QCOMPARE(finished.size(), 1); // at once: it does not wait for the block in flight to leave
    QCOMPARE(finished.at(0).at(0).toString(), QString());
    QVERIFY(!m_sender->isRunning());

    // The block handed to the port still goes out whole; nothing follows it.
    QCOMPARE(::write(m_pty->master(), "\x11", 1), 1);
    QTRY_COMPARE_WITH_TIMEOUT(readFarEnd(), blockSize, waitMs);
    QTest::qWait(100); // a block written after the cancel would show here
    readFarEnd();
    QCOMPARE(m_received, bytes.left(blockSize));
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(finished.size(), 1);
}

void TestTextFileSender::portClosingMidwayEndsWithError()
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

// Names of files in the test folder, as the dialog returns them; an empty name is Cancel.
void TestTextFileSender::fileChoice_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("result");
    QTest::newRow("cancel") << QStringList{QString()} << QString();
    QTest::newRow("existing file") << QStringList{"letter.txt"} << "letter.txt";
    QTest::newRow("missing, then existing") << QStringList{"gone.txt", "letter.txt"} << "letter.txt";
}

void TestTextFileSender::fileChoice()
{
    QFETCH(QStringList, chosen);
    QFETCH(QString, result);
    file(QStringLiteral("letter.txt"), "text\r\n");
    zkn::test::ScriptedOperator op;
    // Relative to the working folder: the result is the file's absolute path.
    for (const QString& name : std::as_const(chosen))
        op.fileChoices.append(name.isEmpty()
                                  ? std::nullopt
                                  : std::optional(QDir::current().relativeFilePath(m_dir.filePath(name))));
    const QString startFolder = m_dir.filePath(QStringLiteral("start"));

    QStringList answers; // what the command was given: an empty entry for nothing
    zkn::chooseTextFileToSend(
        op, startFolder, [&](const std::optional<QString>& path) { answers << path.value_or(QString()); });

    QCOMPARE(answers, QStringList{result.isEmpty() ? QString() : m_dir.filePath(result)});
    QCOMPARE(op.fileDialogs.size(), chosen.size());
    for (const Operator::FileChoice& dialog : std::as_const(op.fileDialogs)) {
        QCOMPARE(dialog.title, QStringLiteral("Send Text File"));
        QCOMPARE(dialog.filter, QStringLiteral("Text Files (*.TXT *.txt);;All Files (*)"));
        QCOMPARE(dialog.startPath, startFolder);
    }
    const bool toldMissing = chosen.first() == QLatin1String("gone.txt");
    QCOMPARE(op.messages.size(), toldMissing ? 1 : 0);
    if (toldMissing) {
        QCOMPARE(op.messages.at(0).text,
                 m_dir.filePath(QStringLiteral("gone.txt")) + QStringLiteral(" not found!"));
        QCOMPARE(op.messages.at(0).icon, Operator::Icon::Exclamation);
    }
    QVERIFY(op.unexpected.isEmpty());
}

QTEST_GUILESS_MAIN(TestTextFileSender)
#include "tst_text_file_sender.moc"
