// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-monitor's relay over loopback, as a process of its own with its lines going to /dev/null:
//  - the time a request and its answer take there and back, direct to a PBX that answers at once
//    and through the relay, alternately, in one run: the latency the relay adds per frame is half
//    the difference (each round trip is two frames through it);
//  - the CPU the monitor takes while 1 000 frames a second pass through it;
//  - how far the monitor's answer times are from zkn-run's, for a load test against the simulator
//    through the relay.
// Run: build/bench/bench/bench_relay [round trips]
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRequest = 12; // a status frame
constexpr int kAnswer = 11;  // a response

int listener(quint16& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(fd, 4);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return fd;
}

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

bool readFrame(int fd, char* frame, int size)
{
    for (int got = 0; got < size;) {
        const ssize_t n = ::recv(fd, frame + got, std::size_t(size - got), 0);
        if (n <= 0)
            return false;
        got += int(n);
    }
    return true;
}

char checkByte(const char* frame, int size)
{
    quint8 x = 0;
    for (int i = 1; i < size; ++i)
        x ^= quint8(frame[i]);
    return char(~x);
}

// A PBX that answers every status frame at once with code 0, on each connection it accepts.
void answerEveryFrame(int listening)
{
    for (;;) {
        const int fd = ::accept(listening, nullptr, nullptr);
        if (fd < 0)
            return;
        std::thread([fd] {
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            char frame[kRequest];
            while (readFrame(fd, frame, kRequest)) {
                char answer[kAnswer] = {'\x16', '3', '0', '0', '5', '0', '1', frame[7], frame[8], '0', 0};
                answer[10] = checkByte(answer, 10);
                ::send(fd, answer, kAnswer, MSG_NOSIGNAL);
            }
            ::close(fd);
        }).detach();
    }
}

void statusFrame(char* frame, int sequence)
{
    const char text[] = {
        '\x16', '5', '0', '0', '6', '0', '1', char('0' + sequence / 10 % 10), char('0' + sequence % 10),
        '0',    '0'};
    std::copy(text, text + 11, frame);
}

double roundTripUs(int fd, int sequence)
{
    char frame[kRequest];
    statusFrame(frame, sequence);
    frame[11] = checkByte(frame, 11);
    const auto start = Clock::now();
    ::send(fd, frame, kRequest, MSG_NOSIGNAL);
    char answer[kAnswer];
    readFrame(fd, answer, kAnswer);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double at(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(q * double(values.size())))];
}

double cpuSeconds(qint64 pid)
{
    FILE* stat = std::fopen(QByteArray("/proc/" + QByteArray::number(pid) + "/stat").constData(), "r");
    if (!stat)
        return 0;
    char buffer[1024] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, stat);
    std::fclose(stat);
    const QList<QByteArray> fields = QByteArray(buffer, qsizetype(n)).split(' ');
    return (fields.value(13).toDouble() + fields.value(14).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// zkn-monitor relaying to `pbxPort`: its port, once it says it.
quint16 startRelay(QProcess& monitor, quint16 pbxPort)
{
    monitor.setStandardOutputFile(QProcess::nullDevice());
    monitor.setReadChannel(QProcess::StandardError);
    monitor.start(QStringLiteral(ZKN_MONITOR_PATH),
                  {"--relay", "127.0.0.1:0", "--pbx", QStringLiteral("127.0.0.1:%1").arg(pbxPort)});
    QByteArray said;
    static const QRegularExpression relaying(QStringLiteral("relaying 127\\.0\\.0\\.1 port (\\d+)"));
    while (monitor.waitForReadyRead(5000)) {
        said += monitor.readAllStandardError();
        if (const auto m = relaying.match(QString::fromLatin1(said)); m.hasMatch())
            return quint16(m.captured(1).toUInt());
    }
    return 0;
}

// A load test of zkn-run against the simulator through the relay: the median answer time each
// gives, in ms (the monitor's from its summary, zkn-run's from its report).
std::pair<double, double> answerMedians()
{
    // A free port for the simulator, whose trace of every frame goes nowhere (unread, it would
    // fill its pipe and stop it).
    quint16 pbxPort = 0;
    ::close(listener(pbxPort));
    QProcess simulator;
    simulator.setStandardOutputFile(QProcess::nullDevice());
    simulator.setStandardErrorFile(QProcess::nullDevice());
    simulator.start(QStringLiteral(PBXSIM_PATH),
                    {"--listen", QStringLiteral("127.0.0.1:%1").arg(pbxPort), "--lamp-delay", "5"});
    simulator.waitForStarted();
    QThread::msleep(300);
    QProcess monitor;
    const quint16 relayPort = startRelay(monitor, pbxPort);
    QTemporaryDir dir;
    QFile plan(dir.filePath(QStringLiteral("plan.json")));
    if (!relayPort || !plan.open(QIODevice::WriteOnly))
        return {-1, -1};
    plan.write(QStringLiteral(R"({"link": {"lan": {"host": "127.0.0.1", "port": %1, "device": 1}},
 "steps": [{"connect": {"within_ms": 5000}},
           {"load_test": {"first": 1000, "last": 1099, "delay_ms": 1, "messages": 500}},
           {"release": {"within_ms": 3000}}]})")
                   .arg(relayPort)
                   .toLatin1());
    plan.close();
    QProcess run;
    run.start(QStringLiteral(ZKN_RUN_PATH),
              {plan.fileName(), "--json", dir.filePath(QStringLiteral("run.json"))});
    run.waitForFinished(120000);
    monitor.terminate();
    monitor.waitForFinished(5000);
    simulator.terminate();
    simulator.waitForFinished(5000);
    static const QRegularExpression lamps(QStringLiteral("lamp message: \\d+ answered, median ([0-9.]+) ms"));
    const auto m = lamps.match(QString::fromLatin1(monitor.readAllStandardError()));
    QFile report(dir.filePath(QStringLiteral("run.json")));
    if (!m.hasMatch() || !report.open(QIODevice::ReadOnly))
        return {-1, -1};
    const QJsonArray steps =
        QJsonDocument::fromJson(report.readAll()).object()[QLatin1String("steps")].toArray();
    return {m.captured(1).toDouble(),
            steps[1][QLatin1String("figures")][QLatin1String("median_answer_ms")].toDouble()};
}

} // namespace

int main(int argc, char* argv[])
{
    const int trips = argc > 1 ? std::atoi(argv[1]) : 2000;
    quint16 pbxPort = 0;
    const int listening = listener(pbxPort);
    std::thread(answerEveryFrame, listening).detach();

    QProcess monitor;
    const quint16 relayPort = startRelay(monitor, pbxPort);
    const int direct = connectTo(pbxPort);
    const int relayed = relayPort ? connectTo(relayPort) : -1;
    if (direct < 0 || relayed < 0) {
        std::fprintf(stderr, "bench_relay: no connection through the relay\n");
        return 1;
    }
    std::vector<double> directUs, relayedUs;
    for (int i = 0; i < trips; ++i) {
        directUs.push_back(roundTripUs(direct, i));
        relayedUs.push_back(roundTripUs(relayed, i));
    }
    const double addedMedian = (at(relayedUs, 0.5) - at(directUs, 0.5)) / 2 / 1000;
    const double addedP99 = (at(relayedUs, 0.99) - at(directUs, 0.99)) / 2 / 1000;
    std::printf(
        "ROW latency the relay adds per frame over loopback, median (round trips %.3f ms direct, %.3f "
        "ms relayed)|%.3f|ms|< 0.5|%s\n",
        at(directUs, 0.5) / 1000, at(relayedUs, 0.5) / 1000, addedMedian,
        addedMedian < 0.5 ? "met" : "NOT met");
    std::printf("ROW latency the relay adds per frame over loopback, p99|%.3f|ms|< 1|%s\n", addedP99,
                addedP99 < 1 ? "met" : "NOT met");

    // 1 000 frames a second for 5 s, each answered: the monitor's CPU meanwhile.
    const double cpuBefore = cpuSeconds(monitor.processId());
    const auto start = Clock::now();
    constexpr int kSeconds = 5;
    for (int i = 0; i < 1000 * kSeconds; ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(i * 1000));
        roundTripUs(relayed, i);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double share = (cpuSeconds(monitor.processId()) - cpuBefore) / wall * 100;
    // Each round trip is a request and its answer: 2 000 frames a second pass.
    std::printf(
        "ROW CPU of zkn-monitor relaying and watching 1 000 requests and 1 000 answers a second|%.1f|%% of a "
        "core|< 10|%s\n",
        share, share < 10 ? "met" : "NOT met");
    ::close(relayed);
    ::close(direct);
    monitor.terminate();
    monitor.waitForFinished(5000);

    // zkn-run times a lamp message from the moment it leaves the engine's pacing to its answer;
    // the monitor from when it passes the relay: the difference is the relay's hop and the tool's
    // own reading of the answer.
    const auto [monitorMs, runMs] = answerMedians();
    const double difference = runMs - monitorMs;
    std::printf(
        "ROW zkn-run's median lamp answer time less the monitor's, 500 messages through the relay, the PBX "
        "answering after 5 ms (%.3f ms, in whole ms, and %.3f ms)|%.3f|ms|< 1|%s\n",
        runMs, monitorMs, difference, monitorMs >= 0 && std::abs(difference) < 1 ? "met" : "NOT met");
    return 0;
}
