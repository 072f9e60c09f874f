// SPDX-License-Identifier: GPL-3.0-or-later
// The lamp ledger on disk: written and read back, never half-written when the writer is killed,
// and a file that cannot be read set aside and said, not written over.
#include "file_bytes.h"
#include "lamp_ledger_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

using namespace zkn;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kAt(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);

lamp::LampMap lamps(int count, bool on)
{
    lamp::LampMap stations;
    for (int i = 0; i < count; ++i)
        stations[QByteArray::number(1000 + i)].vmm =
            lamp::LampEntry{on, kAt, lamp::LampOutcome::Confirmed, 0};
    return stations;
}

} // namespace

class TestLampLedgerStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder.emplace();
        QVERIFY(m_folder->isValid());
    }

    // Written when the ledger changed, once for a burst of changes, and read back by the next run.
    void keptBetweenRuns()
    {
        const QString file = path(u"share/ZKN-Control Tool/LampLedger.json"_s);
        lamp::LampLedger ledger;
        {
            LampLedgerStore store(file);
            QString said;
            QCOMPARE(store.load(&said), lamp::LampMap());
            QCOMPARE(said, QString());
            ledger.asked({"1000", "1001"}, lamp::LampFunction::MwOn, kAt, true);
            store.changed(ledger);
            ledger.answered(0);
            store.changed(ledger);
            QVERIFY(!QFile::exists(file)); // not at every change of a long test
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), 3000);
            ledger.asked({"1002"}, lamp::LampFunction::VmmOn, kAt, false);
            store.changed(ledger);
        } // the rest is written on the way out
        LampLedgerStore next(file);
        QString said;
        QCOMPARE(next.load(&said), ledger.stations());
        QCOMPARE(said, QString());
    }

    // The writer killed at any moment leaves the old ledger or the new one, whole.
    void neverHalfWritten()
    {
        const QString file = path(u"LampLedger.json"_s);
        const lamp::LampMap old = lamps(3, false);
        const lamp::LampMap large = lamps(20000, true);
        QCOMPARE(LampLedgerStore::write(file, old), QString());
        for (const int afterUs : {0, 300, 1000, 3000, 10000, 30000}) {
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                for (;;)
                    LampLedgerStore::write(file, large);
            }
            usleep(useconds_t(afterUs));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            const auto read = lamp::readLedgerJson(test::fileBytes(file));
            const lamp::LampMap* stations = std::get_if<lamp::LampMap>(&read);
            QVERIFY2(stations, qPrintable(stations ? QString() : std::get<QString>(read)));
            QVERIFY(*stations == old || *stations == large);
        }
    }

    void unreadableSetAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("why");
        QTest::newRow("cut short") << "{\"version\":1,\"stations\":{\"10"_ba
                                   << "not JSON: unterminated string at byte 29";
        QTest::newRow("another program's file") << "<ledger/>"_ba
                                                << "not JSON: illegal value at byte 1";
    }
    void unreadableSetAside()
    {
        QFETCH(QByteArray, content);
        const QString file = path(u"LampLedger.json"_s);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        LampLedgerStore store(file);
        QString said;
        QCOMPARE(store.load(&said), lamp::LampMap());
        const QStringList aside = QDir(m_folder->path()).entryList({u"LampLedger.json.unreadable-*"_s});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(test::fileBytes(path(aside.first())), content);
        QFETCH(QString, why);
        QCOMPARE(
            said,
            u"The lamp ledger %1 could not be read (%2); it was set aside as %3 and a new ledger begun"_s.arg(
                file, why, aside.first()));
        // The new ledger takes the name; what was set aside stays as it was.
        lamp::LampLedger ledger;
        ledger.asked({"1000"}, lamp::LampFunction::MwOff, kAt, false);
        store.changed(ledger);
        store.flush();
        QCOMPARE(std::get<lamp::LampMap>(lamp::readLedgerJson(test::fileBytes(file))), ledger.stations());
        QCOMPARE(test::fileBytes(path(aside.first())), content);
    }

    // A folder that cannot be written: said once, however often the ledger changes.
    void writeFailureSaidOnce()
    {
        QFile blocker(path(u"blocked"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        LampLedgerStore store(path(u"blocked/LampLedger.json"_s));
        QStringList failures;
        connect(&store, &LampLedgerStore::failed, this, [&](const QString& why) { failures.append(why); });
        lamp::LampLedger ledger;
        for (int i = 0; i < 3; ++i) {
            ledger.asked({"1000"}, lamp::LampFunction::MwOn, kAt, false);
            store.changed(ledger);
            store.flush();
        }
        QCOMPARE(failures,
                 QStringList{u"The lamp ledger could not be written to %1: its folder cannot be made"_s.arg(
                     path(u"blocked/LampLedger.json"_s))});
    }

private:
    QString path(const QString& name) const { return m_folder->filePath(name); }

    std::optional<QTemporaryDir> m_folder; // a fresh one for each test
};

QTEST_GUILESS_MAIN(TestLampLedgerStore)
#include "tst_lamp_ledger_store.moc"
