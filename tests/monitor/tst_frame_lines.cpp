// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-monitor's lines, for people and as JSON, byte for byte: frames over TCP with what they
// answer, a serial message, a fault with its connection's device.
#include "check_byte.h"
#include "frame_lines.h"
#include "link/frame_reader.h"

#include <QTest>

#include <ctime>

using namespace zkn;
using monitor::Meaning;
using monitor::Side;

namespace {

constexpr qint64 kAt = 1'765'000'000'003'000; // 2025-12-06 05:46:40.003 UTC

monitor::WatchedFrame tcp(Side from, const QByteArray& bytes, Meaning meaning)
{
    monitor::WatchedFrame seen;
    seen.timeUs = kAt;
    seen.connection = 2;
    seen.from = from;
    seen.frame = link::readFrameHeader(bytes, link::Parity::Odd);
    seen.meaning = meaning;
    return seen;
}

} // namespace

class TestFrameLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    void lines_data()
    {
        QTest::addColumn<int>("frame"); // in m_frames
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("json");
        auto lamp = tcp(Side::Mc,
                        test::withCheckByte("\x16"
                                            "1022"
                                            "01"
                                            "07"
                                            "\x02"
                                            "0!A0101202041000\x03"),
                        Meaning::Lamp);
        lamp.lamp = lamp::parseLampMessage("\x02"
                                           "0!A0101202041000\x03");
        m_frames = {lamp};
        QTest::newRow("a lamp message")
            << 0
            << QByteArray("2025-12-06 05:46:40.003 #2 <- : kind 1 lamp message    dev 01 seq 07 check good  "
                          "VMM on 1000\n")
            << QByteArray("{\"time\":1765000000.003000,\"connection\":2,\"from\":\"mc\",\"kind\":\"1\","
                          "\"kind_name\":\"lamp message\","
                          "\"device\":\"01\",\"seq\":\"07\",\"check_good\":true,\"data\":\"\\u00020!"
                          "A0101202041000\\u0003\","
                          "\"lamp\":{\"function\":\"VMM on\",\"first\":\"1000\",\"second\":\"\"}}"
                          "\n");
        auto answer = tcp(Side::Pbx,
                          test::withCheckByte("\x16"
                                              "3005"
                                              "01"
                                              "07"
                                              "3"),
                          Meaning::Response);
        answer.answered = monitor::WatchedFrame::Answered{Meaning::Lamp, 1902, true, std::nullopt};
        m_frames.push_back(answer);
        QTest::newRow("a late refusal")
            << 1
            << QByteArray("2025-12-06 05:46:40.003 #2  ->: kind 3 response        dev 01 seq 07 check good  "
                          "code 3 ** "
                          "INCORRECT TEXT RECV'd **, answers the lamp message in 1.902 ms (late)\n")
            << QByteArray("{\"time\":1765000000.003000,\"connection\":2,\"from\":\"pbx\",\"kind\":\"3\","
                          "\"kind_name\":\"response\","
                          "\"device\":\"01\",\"seq\":\"07\",\"check_good\":true,\"data\":\"3\",\"code\":3,"
                          "\"answers\":\"lamp message\","
                          "\"answer_ms\":1.902,\"late\":true}"
                          "\n");
        auto bad = tcp(Side::Pbx,
                       QByteArray("\x16"
                                  "2012"
                                  "01"
                                  "12"
                                  "\x02"
                                  "0!J1 2\x03"
                                  "\x00",
                                  18),
                       Meaning::Record);
        bad.record = "\x02"
                     "0!J1.2\x03";
        m_frames.push_back(bad);
        QTest::newRow("a record with a bad check byte")
            << 2
            << QByteArray("2025-12-06 05:46:40.003 #2  ->: kind 2 record          dev 01 seq 12 check BAD   "
                          "<02>0!J1.2<03>\n")
            << QByteArray(
                   "{\"time\":1765000000.003000,\"connection\":2,\"from\":\"pbx\",\"kind\":\"2\",\"kind_"
                   "name\":\"record\","
                   "\"device\":\"01\",\"seq\":\"12\",\"check_good\":false,\"data\":\"\\u00020!J1 2\\u0003\","
                   "\"record\":\"\\u00020!J1.2\\u0003\"}"
                   "\n");
        monitor::WatchedFrame serial;
        serial.timeUs = kAt;
        serial.from = Side::Pbx;
        serial.serial = true;
        serial.message = "\x02"
                         "0!J9\x03";
        serial.record = serial.message;
        serial.meaning = Meaning::Record;
        m_frames.push_back(serial);
        QTest::newRow("a serial message")
            << 3 << QByteArray("2025-12-06 05:46:40.003  ->: record          <02>0!J9<03>\n")
            << QByteArray("{\"time\":1765000000.003000,\"from\":\"pbx\",\"kind_name\":\"record\",\"data\":"
                          "\"\\u00020!J9\\u0003\","
                          "\"record\":\"\\u00020!J9\\u0003\"}"
                          "\n");
    }
    void lines()
    {
        QFETCH(int, frame);
        QTEST(monitortool::frameLine(m_frames[std::size_t(frame)], false), "text");
        QTEST(monitortool::frameLine(m_frames[std::size_t(frame)], true), "json");
    }

    void faults()
    {
        const monitor::WatchFault fault{kAt, 2, "01", QStringLiteral("a response to nothing: seq \"7\"")};
        QCOMPARE(monitortool::faultLine(fault, false),
                 QByteArray("2025-12-06 05:46:40.003 #2 dev 01 FAULT a response to nothing: seq \"7\"\n"));
        QCOMPARE(monitortool::faultLine(fault, true),
                 QByteArray("{\"time\":1765000000.003000,\"connection\":2,\"device\":\"01\",\"fault\":\"a "
                            "response to nothing: seq \\\"7\\\"\"}"
                            "\n"));
    }

private:
    std::vector<monitor::WatchedFrame> m_frames;
};

QTEST_APPLESS_MAIN(TestFrameLines)
#include "tst_frame_lines.moc"
