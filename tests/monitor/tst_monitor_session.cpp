// SPDX-License-Identifier: GPL-3.0-or-later
// What zkn-monitor prints of what it watches: --quiet keeps faults only, --no-health leaves
// health checks and their answers out, a connection's end names who ended it and its device,
// and the exit status follows the faults.
#include "check_byte.h"
#include "monitor_session.h"

#include <QTemporaryFile>
#include <QTest>

using namespace zkn;
using monitor::Side;

namespace {

// The lines printed for a short session, their first seven words after the time: a connect request and a
// health check answered, a lamp message refused, the end.
QStringList session(const QStringList& args, bool reset, int* status = nullptr)
{
    auto parsed = monitortool::parseCommandLine(QStringList{"--read", "x"} + args);
    std::FILE* out = std::tmpfile();
    std::FILE* summary = std::tmpfile();
    {
        monitortool::MonitorSession s(std::get<monitortool::MonitorOptions>(parsed), out, summary);
        s.watcher().began(1, 1'000'000, QStringLiteral("192.0.2.7"));
        s.watcher().passed(1, 1'000'000, Side::Mc, test::linkFrame('5', "00", "00"));
        s.watcher().passed(1, 1'001'000, Side::Pbx, test::linkFrame('3', "00", "0"));
        s.watcher().passed(1, 2'000'000, Side::Mc, test::linkFrame('5', "01", "00"));
        s.watcher().passed(1, 2'001'000, Side::Pbx, test::linkFrame('3', "01", "0"));
        s.watcher().passed(1, 3'000'000, Side::Mc,
                           test::linkFrame('1', "02",
                                           "\x02"
                                           "0!A0101202041000\x03"));
        s.watcher().passed(1, 3'001'000, Side::Pbx, test::linkFrame('3', "02", "3"));
        s.watcher().ending(1, 4'000'000, reset ? Side::Mc : Side::Pbx, reset);
        const int exit = s.finish();
        if (status)
            *status = exit;
    }
    std::rewind(out);
    QByteArray text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, qsizetype(n));
    std::fclose(out);
    std::fclose(summary);
    QStringList lines;
    for (const QByteArray& line : text.split('\n'))
        if (!line.isEmpty())
            lines << QString::fromLatin1(line.mid(line.indexOf('#')))
                         .simplified()
                         .section(QLatin1Char(' '), 0, 6);
    return lines;
}

} // namespace

class TestMonitorSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("every frame")
            << QStringList{} << false
            << QStringList{"#1 <->: began from 192.0.2.7",     "#1 <- : kind 5 connect request",
                           "#1 ->: kind 3 response dev 01",    "#1 <- : kind 5 health check",
                           "#1 ->: kind 3 response dev 01",    "#1 <- : kind 1 lamp message",
                           "#1 ->: kind 3 response dev 01",    "#1 dev 01 FAULT a negative answer",
                           "#1 <->: closed by the PBX (device"};
        QTest::newRow("no health checks")
            << QStringList{"--no-health"} << true
            << QStringList{"#1 <->: began from 192.0.2.7",       "#1 <- : kind 5 connect request",
                           "#1 ->: kind 3 response dev 01",      "#1 <- : kind 1 lamp message",
                           "#1 ->: kind 3 response dev 01",      "#1 dev 01 FAULT a negative answer",
                           "#1 <->: reset by the message centre"};
        QTest::newRow("quiet") << QStringList{"--quiet"} << false
                               << QStringList{"#1 dev 01 FAULT a negative answer"};
    }
    void lines()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, reset);
        int status = -1;
        QTEST(session(args, reset, &status), "expected");
        QCOMPARE(status, 1); // the refusal is a fault
    }
};

QTEST_GUILESS_MAIN(TestMonitorSession)
#include "tst_monitor_session.moc"
