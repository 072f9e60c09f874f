// SPDX-License-Identifier: GPL-3.0-or-later
// The lamp ledger against the PBX simulator on a simulated clock: the lamps the tool switched,
// a PBX that forgot them all, and a resynchronisation that puts them back, or ends cleanly when
// it is stopped, the link goes or the tool exits.
#include "link_pair.h"

#include "lamp/single_station_request.h"

#include <QTest>

using namespace zkn;
using zkn::test::LinkPair;
using namespace Qt::StringLiterals;

namespace {

// Where the simulator's lamps differ from what the ledger asked for: "1002 mw" for each lamp.
QStringList outOfStep(const LinkPair& p)
{
    QStringList differ;
    const lamp::LampMap& ledger = p.engine.lamps().lampLedger().stations();
    for (auto it = ledger.begin(); it != ledger.end(); ++it) {
        const pbxsim::LampState board = p.lamps.state(it.key());
        if (it->mw && it->mw->on != board.mw)
            differ.append(QString::fromLatin1(it.key()) + u" mw"_s);
        if (it->vmm && it->vmm->on != board.vmm)
            differ.append(QString::fromLatin1(it.key()) + u" vmm"_s);
    }
    return differ;
}

int confirmed(const LinkPair& p)
{
    int count = 0;
    for (const lamp::StationLamps& lamps : p.engine.lamps().lampLedger().stations())
        for (const auto* entry : {&lamps.mw, &lamps.vmm})
            count += *entry && (*entry)->outcome == lamp::LampOutcome::Confirmed;
    return count;
}

// Lamps set from the single-station dialog (a range and one station) and by a short load test
// with its sweep: 1000-1004 MW on, 2000 VMM on, 3000-3002 VMM off.
void switchLamps(LinkPair& p)
{
    p.engine.singleStation().sendSingleStation(
        {"1000", "1004", lamp::LampAction::On, lamp::LampAction::NoChange});
    p.run(500);
    p.engine.singleStation().sendSingleStation(
        {"2000", " ", lamp::LampAction::NoChange, lamp::LampAction::On});
    p.run(500);
    p.loadTest.setRange(3000, 3002);
    p.loadTest.setStartText(u"3000"_s);
    p.loadTest.setEndText(u"3002"_s);
    p.loadTest.setDelayMs(10);
    p.engine.lamps().mnuStart_Click();
    p.run(1000);
    p.engine.lamps().mnuStop_Click();
    p.run(1000);
}

} // namespace

class TestLampResync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The PBX restarts and forgets every lamp; the resynchronisation sends each again.
    void resynchronisedAfterThePbxForgot()
    {
        LinkPair p(u"60"_s);
        p.connect();
        p.run(100);
        QVERIFY(p.linkUp());
        // An empty ledger has nothing to send, and says so as a run that ended, not one stopped.
        p.engine.lamps().resynchroniseLamps();
        p.run(100);
        QCOMPARE(p.host.resyncProgress,
                 u"Resynchronisation: 0 sent, 0 answered: 0 ok, 0 refused, 0 unanswered"_s);
        switchLamps(p);
        QCOMPARE(p.engine.lamps().lampLedger().stations().size(), 9);
        QCOMPARE(confirmed(p), 9);
        QCOMPARE(outOfStep(p), QStringList());

        p.pbx.forgetLampsAfterFrames(1);
        p.engine.singleStation().sendSingleStation(
            {"4000", " ", lamp::LampAction::On, lamp::LampAction::NoChange});
        p.run(500);
        QCOMPARE(outOfStep(p), (QStringList{u"1000 mw"_s, u"1001 mw"_s, u"1002 mw"_s, u"1003 mw"_s,
                                            u"1004 mw"_s, u"2000 vmm"_s, u"4000 mw"_s}));

        p.pbx.lampFaults().mute(*pbxsim::StationSet::parse(u"1002"_s));
        p.engine.lamps().resynchroniseLamps();
        p.run(100);
        QVERIFY(p.host.resyncRunning);
        p.run(30000);
        QVERIFY(!p.host.resyncRunning);
        QVERIFY2(p.host.resyncProgress.startsWith(
                     u"Resynchronisation: 10 sent, 9 answered: 9 ok, 0 refused, 1 unanswered; "_s),
                 qPrintable(p.host.resyncProgress));
        // Every lamp is back; the muted station's took its lamp but left it unconfirmed.
        QCOMPARE(outOfStep(p), QStringList());
        QCOMPARE(p.engine.lamps().lampLedger().stations().value("1002").mw->outcome,
                 lamp::LampOutcome::Unanswered);
        QCOMPARE(confirmed(p), 9);
        QVERIFY2(p.host.terminal.contains("Resynchronisation: 10 lamp messages to send"),
                 p.host.terminal.right(2000).constData());
        QVERIFY(p.host.terminal.contains(p.host.resyncProgress.toLatin1()));

        p.engine.lamps().switchAllLampsOff();
        p.run(30000);
        QVERIFY(!p.host.resyncRunning);
        // Both lamps of the muted station go unanswered.
        QVERIFY2(p.host.resyncProgress.startsWith(
                     u"Switch all off: 20 sent, 18 answered: 18 ok, 0 refused, 2 unanswered"_s),
                 qPrintable(p.host.resyncProgress));
        for (auto it = p.lamps.stations().begin(); it != p.lamps.stations().end(); ++it)
            QVERIFY2(!it->mw && !it->vmm, it.key().constData());
    }

    // Every way a resynchronisation can end before its last lamp: it ends at once, says how far it
    // got, keeps what was confirmed, and the link takes the next command.
    void endsCleanly_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stopped") << u"stop"_s;
        QTest::newRow("the PBX resets the link") << u"reset"_s;
        QTest::newRow("the tool exits") << u"exit"_s;
    }
    void endsCleanly()
    {
        QFETCH(QString, how);
        LinkPair p(u"60"_s);
        p.connect();
        p.run(100);
        switchLamps(p);
        // Slow answers, so a stop comes between them.
        p.pbx.lampFaults().setDelay(400, 0);
        p.engine.lamps().resynchroniseLamps();
        p.run(1100);
        QCOMPARE(p.host.resyncProgress, u"3 of 9 sent"_s);
        if (how == "stop"_L1)
            p.engine.lamps().stopResync();
        else if (how == "reset"_L1)
            p.pbx.resetAfterFrames(0);
        else
            p.engine.exit().releaseForExit();
        p.run(100);
        QVERIFY(!p.host.resyncRunning);
        // The third message's answer was still awaited.
        const QString summary = p.host.resyncProgress;
        QVERIFY2(summary.startsWith(
                     u"Resynchronisation: 3 sent, 2 answered: 2 ok, 0 refused, 0 unanswered; answer time "
                     "median 4"_s) &&
                     summary.endsWith(u"; stopped after 3 of 9"_s),
                 qPrintable(summary));
        QVERIFY(p.host.terminal.contains(summary.toLatin1()));
        const qsizetype framesOut = p.host.sent.size();
        p.run(30000); // nothing more is sent
        QCOMPARE(p.host.resyncProgress, summary);
        QVERIFY(p.host.sent.size() <= framesOut + 2); // a release at most
        QVERIFY(confirmed(p) >= 9 - 3);
        QCOMPARE(p.op.unexpected, QStringList());
    }
};

QTEST_APPLESS_MAIN(TestLampResync)
#include "tst_lamp_resync.moc"
