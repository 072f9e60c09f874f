// A text file sent over a real pseudo-terminal pair: the sender writes the slave side, the test
// reads what the far end got on the master side. Then the file choice that comes before it.
#include "pty_pair.h"
#include "scripted_operator.h"
#include "send_text_command.h"
#include "serial_line.h"
#include "text_file_sender.h"

#include <QDir>
#include <QFile>
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
using zkn::test::ScriptedOperator;

namespace {

constexpr int waitMs = 5000;
constexpr qsizetype blockSize = SerialLine::OutputBufferSize;

// Every byte value in turn, over and over: a byte changed, added or lost on the way shows.
QByteArray fileContent(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 256);
    return bytes;
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
    void nextBlockWaitsForThePortToEmpty();
    void cancelStopsAfterTheBlockInFlight();
    void portClosingMidwayEndsWithError_data();
    void portClosingMidwayEndsWithError();
    void unreadableFileStartsNothing_data();
    void unreadableFileStartsNothing();
    void fileChoice_data();
    void fileChoice();

private:
    QString writeFile(const QString& name, const QByteArray& bytes);
    // Adds what has reached the far end to m_received; returns how much it now holds.
    qsizetype readFarEnd();
    // Whether the line would take more bytes now (not while the far end holds it with XOFF).
    bool slaveWritable() const;

    QTemporaryDir m_dir;
    std::unique_ptr<zkn::test::PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;
    std::unique_ptr<TextFileSender> m_sender;
    QByteArray m_received;
};

void TestTextFileSender::init()
{
    QVERIFY(m_dir.isValid());
    m_pty = std::make_unique<zkn::test::PtyPair>();
    QVERIFY(m_pty->isValid());
    m_line = std::make_unique<SerialLine>();
    m_line->setPortName(m_pty->devicePath());
    QString error;
    QVERIFY2(m_line->setSettings(QStringLiteral("9600,n,8,1"), &error), qPrintable(error));
    QCOMPARE(m_line->open(&error), SerialLine::OpenResult::Opened);
    m_sender = std::make_unique<TextFileSender>(*m_line);
    m_received.clear();
}

void TestTextFileSender::cleanup()
{
    m_sender.reset();
    m_line.reset();
    m_pty.reset();
}

QString TestTextFileSender::writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file %s", qPrintable(path));
    return path;
}

qsizetype TestTextFileSender::readFarEnd()
{
    m_received += m_pty->readMaster();
    return m_received.size();
}

bool TestTextFileSender::slaveWritable() const
{
    pollfd slave{m_pty->slave(), POLLOUT, 0};
    return ::poll(&slave, 1, 0) == 1 && (slave.revents & POLLOUT);
}

void TestTextFileSender::farEndGetsTheFileExactly_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("empty") << qsizetype(0);
    QTest::newRow("1 byte") << qsizetype(1);
    QTest::newRow("511 bytes, one short block") << qsizetype(511);
    QTest::newRow("512 bytes, one full block") << qsizetype(512);
    QTest::newRow("513 bytes, a block and one byte") << qsizetype(513);
    QTest::newRow("3 blocks and 7 bytes") << qsizetype(3 * 512 + 7);
    QTest::newRow("20000 bytes, every byte value") << qsizetype(20000);
}

void TestTextFileSender::farEndGetsTheFileExactly()
{
    QFETCH(qsizetype, size);
    const QByteArray bytes = fileContent(size);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    // What the port holds as each block is handed over: that block alone, once the one before
    // has left.
    QList<qint64> pending;
    connect(m_sender.get(), &TextFileSender::blockWritten, this,
            [&] { pending.append(m_line->bytesToWrite()); });
    QList<qint64> blocks;
    for (qsizetype left = size; left > 0; left -= blockSize)
        blocks.append(std::min(left, blockSize));

    QCOMPARE(m_sender->start(writeFile(QStringLiteral("sizes.txt"), bytes)), QString());
    QVERIFY(m_sender->isRunning());
    QVERIFY(finished.isEmpty()); // even an empty file ends from the event loop
    QVERIFY(QTest::qWaitFor(
        [&] {
            readFarEnd();
            return !finished.isEmpty();
        },
        waitMs));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString());
    QVERIFY(!m_sender->isRunning());

    QTRY_COMPARE_WITH_TIMEOUT(readFarEnd(), bytes.size(), waitMs);
    QCOMPARE(m_received, bytes);
    QCOMPARE(pending, blocks);
}

// The far end holds the line with XOFF, so the first block stays in the port.
void TestTextFileSender::nextBlockWaitsForThePortToEmpty()
{
    const QByteArray bytes = fileContent(3 * blockSize);
    QVERIFY(m_line->setHandshaking(1, nullptr));
    QCOMPARE(::write(m_pty->master(), "\x13", 1), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!slaveWritable(), waitMs);
    QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    QCOMPARE(m_sender->start(writeFile(QStringLiteral("held.txt"), bytes)), QString());

    QVERIFY(blocks.wait(waitMs));
    QTest::qWait(200); // a block written before the port emptied would show here
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(m_line->bytesToWrite(), blockSize);
    QVERIFY(finished.isEmpty());

    QCOMPARE(::write(m_pty->master(), "\x11", 1), 1);
    QTRY_COMPARE_WITH_TIMEOUT(readFarEnd(), bytes.size(), waitMs);
    QCOMPARE(m_received, bytes);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, waitMs);
    QCOMPARE(blocks.size(), 3);
}

void TestTextFileSender::cancelStopsAfterTheBlockInFlight()
{
    const QByteArray bytes = fileContent(20 * blockSize);
    QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    QCOMPARE(m_sender->start(writeFile(QStringLiteral("cancel.txt"), bytes)), QString());
    QVERIFY(blocks.wait(waitMs));

    m_sender->cancel();
    // At once: it does not wait for the block in flight to leave.
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString());
    QVERIFY(!m_sender->isRunning());

    // The blocks handed to the port still go out whole; nothing follows them.
    const qsizetype sent = blocks.size() * blockSize;
    QVERIFY(sent < bytes.size());
    QTRY_COMPARE_WITH_TIMEOUT(readFarEnd(), sent, waitMs);
    QTest::qWait(200); // a block written after the cancel would show here
    readFarEnd();
    QCOMPARE(m_received, bytes.left(sent));
    QCOMPARE(blocks.size() * blockSize, sent);
    QCOMPARE(finished.size(), 1);
}

void TestTextFileSender::portClosingMidwayEndsWithError_data()
{
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("the tool closes the port") << false;
    QTest::newRow("the far end hangs up") << true;
}

void TestTextFileSender::portClosingMidwayEndsWithError()
{
    QFETCH(bool, hangUp);
    const QByteArray bytes = fileContent(40 * blockSize);
    QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    connect(m_sender.get(), &TextFileSender::blockWritten, this, [&] {
        if (blocks.size() != 2)
            return;
        if (hangUp)
            m_pty->closeMaster();
        else
            m_line->close();
    });
    QCOMPARE(m_sender->start(writeFile(QStringLiteral("closing.txt"), bytes)), QString());

    QVERIFY(finished.wait(waitMs));
    QCOMPARE(finished.size(), 1);
    QVERIFY(!finished.at(0).at(0).toString().isEmpty());
    QVERIFY(!m_sender->isRunning());
    QVERIFY(!m_line->isOpen());
    QCOMPARE(blocks.size(), 2);
}

void TestTextFileSender::unreadableFileStartsNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("no-such-file.txt"));
    QTest::newRow("a folder") << m_dir.path();
}

void TestTextFileSender::unreadableFileStartsNothing()
{
    QFETCH(QString, path);
    QSignalSpy blocks(m_sender.get(), &TextFileSender::blockWritten);
    QSignalSpy finished(m_sender.get(), &TextFileSender::finished);
    QVERIFY(!m_sender->start(path).isEmpty());
    QVERIFY(!m_sender->isRunning());
    QTest::qWait(100); // a transmission started anyway would show here
    QCOMPARE(blocks.size() + finished.size(), 0);
    QCOMPARE(m_pty->readMaster(), QByteArray());

    // Nothing of the failed start is left over to block the next one.
    QCOMPARE(m_sender->start(writeFile(QStringLiteral("after.txt"), "x")), QString());
    QVERIFY(finished.wait(waitMs));
    QTRY_COMPARE_WITH_TIMEOUT(readFarEnd(), 1, waitMs);
    QCOMPARE(m_received, QByteArray("x"));
}

// Names of files in the test folder, as the dialog returns them; an empty name is Cancel.
void TestTextFileSender::fileChoice_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("relative"); // chosen as paths relative to the working folder
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("toldMissing");
    QTest::newRow("cancel") << QStringList{QString()} << false << QString() << QStringList();
    QTest::newRow("existing file") << QStringList{"letter.txt"} << false << "letter.txt" << QStringList();
    QTest::newRow("existing file, relative path")
        << QStringList{"letter.txt"} << true << "letter.txt" << QStringList();
    QTest::newRow("missing, then cancel")
        << QStringList{"gone.txt", QString()} << false << QString() << QStringList{"gone.txt"};
    QTest::newRow("missing twice, then existing")
        << QStringList{"gone.txt", "gone.TXT", "letter.txt"} << false << "letter.txt"
        << QStringList{"gone.txt", "gone.TXT"};
}

void TestTextFileSender::fileChoice()
{
    QFETCH(QStringList, chosen);
    QFETCH(bool, relative);
    QFETCH(QString, result);
    QFETCH(QStringList, toldMissing);
    writeFile(QStringLiteral("letter.txt"), "text\r\n");
    ScriptedOperator op;
    for (const QString& name : std::as_const(chosen)) {
        if (name.isEmpty())
            op.fileChoices.append(std::nullopt);
        else if (relative)
            op.fileChoices.append(QDir::current().relativeFilePath(m_dir.filePath(name)));
        else
            op.fileChoices.append(m_dir.filePath(name));
    }
    const QString startFolder = m_dir.filePath(QStringLiteral("start"));

    const std::optional<QString> path = zkn::chooseTextFileToSend(op, startFolder);

    QCOMPARE(path.has_value(), !result.isEmpty());
    if (path)
        QCOMPARE(*path, m_dir.filePath(result));
    QCOMPARE(op.fileDialogs.size(), chosen.size());
    for (const Operator::FileChoice& dialog : std::as_const(op.fileDialogs)) {
        QCOMPARE(dialog.title, QStringLiteral("Send Text File"));
        QCOMPARE(dialog.filter, QStringLiteral("Text Files (*.TXT *.txt);;All Files (*)"));
        QCOMPARE(dialog.startPath, startFolder);
    }
    QCOMPARE(op.messages.size(), toldMissing.size());
    for (qsizetype i = 0; i < toldMissing.size(); ++i) {
        QCOMPARE(op.messages.at(i).text, m_dir.filePath(toldMissing.at(i)) + QStringLiteral(" not found!"));
        QCOMPARE(op.messages.at(i).icon, Operator::Icon::Exclamation);
    }
    QVERIFY(op.unexpected.isEmpty());
}

QTEST_GUILESS_MAIN(TestTextFileSender)
#include "tst_text_file_sender.moc"
