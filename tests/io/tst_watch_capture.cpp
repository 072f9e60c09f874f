// SPDX-License-Identifier: GPL-3.0-or-later
// The relay's capture cut into files of a size, the oldest deleted past the number kept; each
// file a capture of its own, a connection going on without its handshake.
#include "capture_reader.h"
#include "watch_capture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using zkn::WatchCapture;
using zkn::monitor::Side;

class TestWatchCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("third");
        QTest::newRow("with a suffix") << "/tmp/watch.pcap"
                                       << "/tmp/watch-3.pcap";
        QTest::newRow("without") << "/tmp/watch"
                                 << "/tmp/watch-3";
        QTest::newRow("a dot in the folder") << "/tmp/a.b/watch"
                                             << "/tmp/a.b/watch-3";
    }
    void names()
    {
        QFETCH(QString, path);
        QTEST(WatchCapture::rotatedName(path, 3), "third");
    }

    void rotatesAndKeepsTheNewest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("watch.pcap"));
        WatchCapture capture;
        QCOMPARE(capture.open(path, {2000, 2}), QString());
        const QHostAddress mc(QStringLiteral("192.0.2.7")), pbx(QStringLiteral("192.0.2.1"));
        capture.began(1, 1'000'000, mc, 40000, pbx, 60020);
        const QByteArray chunk(500, 'x');
        for (int i = 0; i < 12; ++i)
            capture.passed(1, 1'000'000 + i, i % 2 ? Side::Pbx : Side::Mc, chunk);
        capture.finished(1, 2'000'000);
        QCOMPARE(capture.failure(), QString());
        const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        qint64 payload = 0;
        for (const QString& file : files) {
            QVERIFY(QFileInfo(dir.filePath(file)).size() <= 2000 + 24);
            std::FILE* stream = std::fopen(dir.filePath(file).toLocal8Bit().constData(), "rb");
            QCOMPARE(zkn::decodetool::readCapture(stream, {[&](zkn::decodetool::CaptureTime,
                                                               const zkn::decodetool::TcpSegment& segment) {
                                                               payload += segment.payload.size();
                                                           },
                                                           {}}),
                     std::nullopt);
        }
        // Three chunks of 556 bytes a file (the first also holds the handshake): the newest two
        // hold the last six chunks; the first two files went.
        QCOMPARE(files, QStringList({"watch-3.pcap", "watch-4.pcap"}));
        QCOMPARE(payload, 6 * 500);
    }
};

QTEST_APPLESS_MAIN(TestWatchCapture)
#include "tst_watch_capture.moc"
