// The simulator on real transports: loopback TCP with plain client sockets, a real pty, and the
// zkn-pbxsim command itself.
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zkn::pbxsim;
using zkn::link::Parity;

Q_DECLARE_METATYPE(zkn::link::Parity)

namespace {

constexpr int kWaitMs = 5000;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A bare POSIX client, so that an orderly close (read gives 0) and a reset (ECONNRESET) can be
// told apart, which a QTcpSocket does not do.
class RawClient
{
public:
    explicit RawClient(quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    }
    ~RawClient() { ::close(m_fd); }

    bool connected() const { return m_connected; }
    void send(const QByteArray& bytes)
    {
        QCOMPARE(::send(m_fd, bytes.constData(), bytes.size(), 0), bytes.size());
    }

    // Reads what has arrived; true once the connection has ended. The first ending is kept: after
    // a reset, the next read reports an orderly end.
    bool ended()
    {
        if (m_endError >= 0)
            return true;
        char chunk[1024];
        for (;;) {
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                m_received.append(chunk, n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return false;
            m_endError = n == 0 ? 0 : errno;
            return true;
        }
    }
    const QByteArray& received() const { return m_received; }
    qsizetype receivedSize()
    {
        ended();
        return m_received.size();
    }
    int endError() const { return m_endError; } // 0 for an orderly close

private:
    int m_fd = -1;
    bool m_connected = false;
    QByteArray m_received;
    int m_endError = -1;
};

// Reads a file descriptor without blocking; true when it has hung up.
bool readFd(int fd, QByteArray& into)
{
    char chunk[1024];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            into.append(chunk, n);
            continue;
        }
        return !(n < 0 && errno == EAGAIN);
    }
}

} // namespace

class TestPbxsimTransport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void answersOverLoopback_data();
    void answersOverLoopback();
    void splitFrameIsReassembled();
    void releaseIsAnsweredThenClosedWithFin();
    void resetArrivesAsConnectionReset_data();
    void resetArrivesAsConnectionReset();
    void secondConnectionIsClosed();
    void stopListeningClosesWithFin();
    void recordsArriveOverPtyAsTexts();
    void lampMessagesOverPtySetLamps();
    void hangingUpThePtyEndsTheToolsReads();
    void commandRunTracesFramesAndPrintsSummary();
    void helpNamesEveryOption();

private:
    std::unique_ptr<PbxSimulator> m_sim;
};

void TestPbxsimTransport::init()
{
    m_sim = std::make_unique<PbxSimulator>();
}

void TestPbxsimTransport::cleanup()
{
    m_sim.reset();
}

void TestPbxsimTransport::answersOverLoopback_data()
{
    QTest::addColumn<Parity>("parity");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("response");
    QTest::newRow("connect request even")
        << Parity::Even << hex("16 35303036 3031 3037 3030 05") << hex("16 33303035 3031 3037 30 30");
    QTest::newRow("connect request odd")
        << Parity::Odd << hex("16 35303036 3031 3037 3030 FA") << hex("16 33303035 3031 3037 30 CF");
    QTest::newRow("bad check byte odd")
        << Parity::Odd << hex("16 35303036 3031 3037 3030 05") << hex("16 33303035 3031 3037 31 CE");
}

void TestPbxsimTransport::answersOverLoopback()
{
    QFETCH(Parity, parity);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, response);

    m_sim->link().setParity(parity);
    QVERIFY(m_sim->listen(QHostAddress::LocalHost, 0));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, m_sim->serverPort());
    QVERIFY(client.waitForConnected(kWaitMs));
    client.write(request);
    QTRY_COMPARE_WITH_TIMEOUT(client.bytesAvailable(), response.size(), kWaitMs);
    QCOMPARE(client.readAll().toHex(' '), response.toHex(' '));
}

void TestPbxsimTransport::splitFrameIsReassembled()
{
    QVERIFY(m_sim->listen(QHostAddress::LocalHost, 0));
    QSignalSpy frames(m_sim.get(), &PbxSimulator::frameIn);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, m_sim->serverPort());
    QVERIFY(client.waitForConnected(kWaitMs));

    const QByteArray request = hex("16 35303036 3031 3037 3030 FA");
    client.write(request.first(5));
    QVERIFY(client.waitForBytesWritten(kWaitMs));
    QTest::qWait(100);
    QCOMPARE(frames.size(), 0);
    client.write(request.mid(5));
    QTRY_COMPARE_WITH_TIMEOUT(client.bytesAvailable(), 11, kWaitMs);
    QCOMPARE(client.readAll().toHex(' '), hex("16 33303035 3031 3037 30 CF").toHex(' '));
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.front().front().value<FrameInfo>().bytes, request);
}

void TestPbxsimTransport::releaseIsAnsweredThenClosedWithFin()
{
    m_sim->link().setParity(Parity::Even);
    QVERIFY(m_sim->listen(QHostAddress::LocalHost, 0));
    RawClient client(m_sim->serverPort());
    QVERIFY(client.connected());
    client.send(hex("16 36303034 3031 3038 0B"));
    QTRY_VERIFY_WITH_TIMEOUT(client.ended(), kWaitMs);
    QCOMPARE(client.endError(), 0);
    QCOMPARE(client.received().toHex(' '), hex("16 33303035 3031 3038 30 3F").toHex(' '));
}

void TestPbxsimTransport::resetArrivesAsConnectionReset_data()
{
    QTest::addColumn<bool>("onCue");
    QTest::newRow("when the second frame arrives") << true;
    QTest::newRow("at once, between frames") << false;
}

void TestPbxsimTransport::resetArrivesAsConnectionReset()
{
    QFETCH(bool, onCue);
    QVERIFY(m_sim->listen(QHostAddress::LocalHost, 0));
    if (onCue)
        m_sim->link().resetAfterFrames(2);
    RawClient client(m_sim->serverPort());
    QVERIFY(client.connected());
    client.send(hex("16 35303036 3031 3037 3030 FA"));
    QTRY_COMPARE_WITH_TIMEOUT(client.receivedSize(), 11, kWaitMs);
    if (onCue)
        client.send(hex("16 35303036 3031 3039 3030 F4"));
    else
        m_sim->link().resetAfterFrames(0);
    QTRY_VERIFY_WITH_TIMEOUT(client.ended(), kWaitMs);
    QCOMPARE(client.endError(), ECONNRESET);
    QCOMPARE(client.received().size(), 11);
    QVERIFY(!m_sim->hasConnection());
}

void TestPbxsimTransport::secondConnectionIsClosed()
{
    QVERIFY(m_sim->listen(QHostAddress::LocalHost, 0));
    RawClient first(m_sim->serverPort());
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->hasConnection(), kWaitMs);
    RawClient second(m_sim->serverPort());
    QTRY_VERIFY_WITH_TIMEOUT(second.ended(), kWaitMs);
    QCOMPARE(second.endError(), 0);

    first.send(hex("16 35303036 3031 3037 3030 FA"));
    QTRY_COMPARE_WITH_TIMEOUT(first.receivedSize(), 11, kWaitMs);
    QVERIFY(!first.ended());
}

void TestPbxsimTransport::stopListeningClosesWithFin()
{
    QVERIFY(m_sim->listen(QHostAddress::LocalHost, 0));
    const quint16 port = m_sim->serverPort();
    RawClient client(port);
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->hasConnection(), kWaitMs);
    m_sim->stopListening();
    QTRY_VERIFY_WITH_TIMEOUT(client.ended(), kWaitMs);
    QCOMPARE(client.endError(), 0);
    QVERIFY(!RawClient(port).connected());
}

void TestPbxsimTransport::recordsArriveOverPtyAsTexts()
{
    const QString path = m_sim->openPty();
    QVERIFY2(!path.isEmpty(), qPrintable(m_sim->serialError()));
    // Asked for before the tool is there, the records wait for it.
    const QList<QByteArray> texts = catalogueTexts(RecordLayout::Olv8Expanded);
    for (const QByteArray& text : texts)
        m_sim->serial().sendRecord(text);
    QTest::qWait(100);
    QCOMPARE(m_sim->stats().recordsSent, 0);

    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((readFd(fd, received), received.size()), texts.join().size(), kWaitMs);
    QCOMPARE(received, texts.join());
    QCOMPARE(received.count('\x02'), texts.size());
    QCOMPARE(received.count('\x03'), texts.size());
    ::close(fd);
}

void TestPbxsimTransport::lampMessagesOverPtySetLamps()
{
    const QString path = m_sim->openPty();
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    // Typed characters first, then a tagged message for a range, in two writes.
    const QByteArray bytes = "AT\r\n\x02"
                             "0!A010120204100003041002\x03";
    QCOMPARE(::write(fd, bytes.constData(), 10), 10);
    QTest::qWait(50);
    QCOMPARE(::write(fd, bytes.constData() + 10, size_t(bytes.size() - 10)), bytes.size() - 10);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->lamps().state("1002"), (LampState{false, true}), kWaitMs);
    QCOMPARE(m_sim->lamps().stations().size(), 3);
    QCOMPARE(m_sim->stats().lampControls, 1);
    ::close(fd);
}

void TestPbxsimTransport::hangingUpThePtyEndsTheToolsReads()
{
    const QString path = m_sim->openPty();
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    m_sim->serial().hangUpAfterRecords(1);
    m_sim->serial().sendRecord(catalogueTexts(RecordLayout::Olv6).front());
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT(readFd(fd, received), kWaitMs);
    QCOMPARE(received, catalogueTexts(RecordLayout::Olv6).front());
    QVERIFY(!m_sim->hasLine());
    ::close(fd);
}

void TestPbxsimTransport::commandRunTracesFramesAndPrintsSummary()
{
    QProcess sim;
    sim.start(QStringLiteral(PBXSIM_PATH), {"--listen", "127.0.0.1:0", "--parity", "even"});
    QVERIFY(sim.waitForStarted(kWaitMs));
    QByteArray output;
    QRegularExpressionMatch listening;
    QTRY_VERIFY_WITH_TIMEOUT((output += sim.readAllStandardOutput(),
                              listening = QRegularExpression("listening on 127.0.0.1:(\\d+)").match(output))
                                 .hasMatch(),
                             kWaitMs);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, listening.captured(1).toUShort());
    QVERIFY(client.waitForConnected(kWaitMs));
    client.write(hex("16 35303036 3031 3037 3030 05"));
    QTRY_COMPARE_WITH_TIMEOUT(client.bytesAvailable(), 11, kWaitMs);

    sim.terminate();
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitCode(), 0);
    output += sim.readAllStandardOutput();
    QVERIFY2(
        output.contains(" in  #1    kind 5 seq 07 | 16 35 30 30 36 30 31 30 37 30 30 05 | connect request, "
                        "accepted\n"),
        output.constData());
    QVERIFY2(
        output.contains(" out #1    kind 3 seq 07 | 16 33 30 30 35 30 31 30 37 30 30 | response code 0\n"),
        output.constData());
    const QJsonObject summary = QJsonDocument::fromJson(output.mid(output.indexOf("\n{") + 1)).object();
    QCOMPARE(summary["frames_in"].toObject()["5"].toInt(), 1);
    QCOMPARE(summary["frames_out"].toObject()["3"].toInt(), 1);
    QCOMPARE(summary["connections"].toInt(), 1);
}

void TestPbxsimTransport::helpNamesEveryOption()
{
    QProcess sim;
    sim.start(QStringLiteral(PBXSIM_PATH), {"--help"});
    QVERIFY(sim.waitForFinished(kWaitMs));
    const QByteArray help = sim.readAllStandardOutput();
    for (const char* option :
         {"--listen",       "--pty",         "--serial",          "--settings",     "--parity",
          "--refuse",       "--records",     "--record-interval", "--layout",       "--answer-timeout",
          "--mute-health",  "--reset-after", "--release-after",   "--hangup-after", "--duration",
          "--list-records", "--corrupt",     "--wrong-seq",       "--late",         "--split",
          "--coalesce",     "--junk"})
        QVERIFY2(help.contains(option), option);
}

QTEST_GUILESS_MAIN(TestPbxsimTransport)
#include "tst_pbxsim_transport.moc"
