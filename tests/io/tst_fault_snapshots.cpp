// SPDX-License-Identifier: GPL-3.0-or-later
// Snapshots on a fault, on a simulated clock: one pair of files per burst of faults, only the
// newest kept, and in them the last span of the terminal, each line behind its time, and the
// packets of the line in use.
#include "capture/capture_format.h"
#include "capture/fault_snapshot.h"
#include "fault_snapshots.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <pcap/pcap.h>

using zkn::FaultSnapshots;
namespace capture = zkn::capture;

namespace {

constexpr qint64 kStartUs = 1'796'000'000'000'000; // late in 2026
constexpr qint64 kSecond = 1'000'000;

QStringList snapshotFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("snapshot-*")}, QDir::Files, QDir::Name);
}

QByteArray textOf(const QString& folder, const QString& name)
{
    QFile file(QDir(folder).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The link type and the packets of a capture file.
std::pair<int, QList<QByteArray>> packetsOf(const QString& path)
{
    char error[PCAP_ERRBUF_SIZE];
    pcap_t* pcap = pcap_open_offline(path.toLocal8Bit().constData(), error);
    if (!pcap)
        return {-1, {}};
    QList<QByteArray> packets;
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    while (pcap_next_ex(pcap, &header, &data) == 1)
        packets.append(QByteArray(reinterpret_cast<const char*>(data), header->caplen));
    const int linkType = pcap_datalink(pcap);
    pcap_close(pcap);
    return {linkType, packets};
}

} // namespace

class TestFaultSnapshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onePairPerBurst_data()
    {
        QTest::addColumn<QList<qint64>>("faultsMs"); // after the start
        QTest::addColumn<int>("pairs");
        QTest::newRow("one fault") << QList<qint64>{0} << 1;
        QList<qint64> flood;
        for (int i = 0; i < 500; ++i)
            flood.append(i * 20);
        QTest::newRow("a flood of bad frames") << flood << 1;
        QTest::newRow("9.9 s apart: one burst") << QList<qint64>{0, 9900} << 1;
        QTest::newRow("10 s apart: two bursts") << QList<qint64>{0, 10000} << 2;
        QTest::newRow("every 5 s for two minutes: one burst")
            << QList<qint64>{0,     5000,  10000, 15000, 20000,  25000,  30000,  35000,
                             40000, 45000, 50000, 55000, 60000,  65000,  70000,  75000,
                             80000, 85000, 90000, 95000, 100000, 105000, 110000, 115000}
            << 1;
        QTest::newRow("three bursts") << QList<qint64>{0, 20, 30000, 30040, 45000} << 3;
    }
    void onePairPerBurst()
    {
        QFETCH(QList<qint64>, faultsMs);
        QTemporaryDir dir;
        FaultSnapshots snapshots(dir.path());
        QSignalSpy written(&snapshots, &FaultSnapshots::written);
        snapshots.setOn(true);
        for (const qint64 ms : std::as_const(faultsMs)) {
            snapshots.text("line\r\n", kStartUs + ms * 1000);
            snapshots.packet(capture::kLinkTypeSerial, "\x01x", kStartUs + ms * 1000);
            snapshots.fault(QStringLiteral("bad check byte in a record"), kStartUs + ms * 1000);
        }
        QFETCH(int, pairs);
        QCOMPARE(written.size(), pairs);
        const QStringList files = snapshotFiles(dir.path());
        QCOMPARE(files.size(), 2 * pairs);
        const QString first = files.first().chopped(5); // the .pcap sorts first
        QCOMPARE(written.first().first().toString(),
                 QStringLiteral("Snapshot on fault (bad check byte in a record): %1.txt and .pcap")
                     .arg(QDir(dir.path()).filePath(first)));
    }

    // The span before the fault, each line behind its time once, a line written in two pieces
    // included; the packets of the last line type only.
    void holdsTheLastSpan()
    {
        QTemporaryDir dir;
        FaultSnapshots snapshots(dir.path());
        snapshots.setSpanSeconds(30);
        snapshots.setOn(true);
        const auto at = [](qint64 ms) { return kStartUs + ms * 1000; };
        snapshots.text("too old\r\n", at(0));
        snapshots.packet(capture::kLinkTypeSerial, "\x01old", at(0));
        snapshots.text("LINK ", at(35'000)); // exactly the span before the fault: kept
        snapshots.text("RELEASED...\r\n", at(35'002));
        snapshots.packet(capture::kLinkTypeSerial, "\x01serial", at(35'010));
        snapshots.packet(capture::kLinkTypeRaw, "ip one", at(40'000));
        snapshots.text("->:  \x02record\x03\r\npart", at(50'000));
        snapshots.packet(capture::kLinkTypeRaw, "ip two", at(50'000));
        snapshots.fault(QStringLiteral("bad check byte in a record"), at(65'000));

        const QStringList files = snapshotFiles(dir.path());
        QCOMPARE(files.size(), 2);
        const QByteArray text = textOf(dir.path(), files.last());
        const auto clock = [&at](qint64 ms) {
            return QDateTime::fromMSecsSinceEpoch(at(ms) / 1000).toString(u"hh:mm:ss.zzz"_qs).toLatin1() +
                   "  ";
        };
        const QByteArray expected = "Snapshot on fault: bad check byte in a record\r\nat " +
                                    QDateTime::fromMSecsSinceEpoch(at(65'000) / 1000)
                                        .toString(u"yyyy-MM-dd hh:mm:ss.zzz"_qs)
                                        .toLatin1() +
                                    "\r\n\r\n" + clock(35'000) + "LINK RELEASED...\r\n" + clock(50'000) +
                                    "->:  \x02record\x03\r\n" + clock(50'000) + "part\r\n";
        QCOMPARE(text, expected);
        const auto [linkType, packets] = packetsOf(QDir(dir.path()).filePath(files.first()));
        QCOMPARE(linkType, DLT_RAW); // what libpcap calls LINKTYPE_RAW
        QCOMPARE(packets, (QList<QByteArray>{"ip one", "ip two"}));
    }

    void keepsTheNewest()
    {
        QTemporaryDir dir;
        QFile other(QDir(dir.path()).filePath(QStringLiteral("notes.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        FaultSnapshots snapshots(dir.path());
        snapshots.setKeep(3);
        snapshots.setOn(true);
        QStringList said;
        connect(&snapshots, &FaultSnapshots::written, this,
                [&said](const QString& line) { said.append(line); });
        for (int burst = 0; burst < 5; ++burst) {
            snapshots.packet(capture::kLinkTypeSerial, "\x01x", kStartUs + burst * 60 * kSecond);
            snapshots.fault(QStringLiteral("line lost"), kStartUs + burst * 60 * kSecond);
        }
        const QStringList files = snapshotFiles(dir.path());
        QCOMPARE(files.size(), 6);
        for (int burst = 2; burst < 5; ++burst)
            QVERIFY2(said[burst].contains(files[2 * (burst - 2)].chopped(5)), qPrintable(said[burst]));
        QVERIFY(other.exists());
    }

    // Off, nothing is kept: turned on after a fault, the next holds nothing from before.
    // A flood of tiny entries is held to the limit by what they take in memory, not by their bytes.
    void aFloodOfTinyEntriesKeepsToTheLimit()
    {
        using zkn::capture::FaultSnapshot;
        FaultSnapshot snapshot;
        for (int i = 0; i < 500'000; ++i)
            snapshot.add({1'000'000, FaultSnapshot::Entry::Kind::Text, 0, QByteArray(1, 'x')});
        QCOMPARE_LE(qsizetype(snapshot.recent().size()) * qsizetype(sizeof(FaultSnapshot::Entry) + 1),
                    FaultSnapshot::kMaxBytes);
        QCOMPARE(snapshot.recent().back().bytes, QByteArray("x"));
    }

    void offKeepsNothing()
    {
        QTemporaryDir dir;
        FaultSnapshots snapshots(dir.path());
        snapshots.text("before\r\n", kStartUs);
        snapshots.fault(QStringLiteral("line lost"), kStartUs);
        QVERIFY(snapshotFiles(dir.path()).isEmpty());
        snapshots.setOn(true);
        QSignalSpy written(&snapshots, &FaultSnapshots::written);
        snapshots.fault(QStringLiteral("line lost"), kStartUs + kSecond);
        const QStringList files = snapshotFiles(dir.path());
        QCOMPARE(files.size(), 1); // the text alone: there are no packets
        QCOMPARE(written.first().first().toString(), QStringLiteral("Snapshot on fault (line lost): %1")
                                                         .arg(QDir(dir.path()).filePath(files.first())));
        QVERIFY(!textOf(dir.path(), files.first()).contains("before"));
    }

    void saysWhenTheFolderCannotBeMade()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("Snapshots")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        FaultSnapshots snapshots(blocker.fileName());
        QSignalSpy failed(&snapshots, &FaultSnapshots::failed);
        snapshots.setOn(true);
        snapshots.fault(QStringLiteral("line lost"), kStartUs);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(),
                 QStringLiteral("Snapshot on fault could not be written to %1: the folder cannot be made")
                     .arg(blocker.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestFaultSnapshots)
#include "tst_fault_snapshots.moc"
