// SPDX-License-Identifier: GPL-3.0-or-later
// What a box holds: the rest of the strand that raised it, nothing else.
#include "link/notice_hold.h"

#include <QStringList>
#include <QTest>

using zkn::link::NoticeHold;

class TestNoticeHold : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A handler opens a box and queues its rest; an input arriving then runs at once; a timer opens
    // a second box with its own rest. Each rest runs when its own box is closed, in whichever order,
    // and a box its rest opens holds only what follows it there.
    void aBoxHoldsOnlyTheRestOfItsStrand()
    {
        NoticeHold hold;
        QStringList ran;
        quint64 first = 0, second = 0, third = 0;
        hold.run([&] {
            ran << "at once";
            first = hold.open();
            hold.then([&] {
                ran << "rest of the first";
                third = hold.open();
                hold.then([&] { ran << "rest of the third"; });
            });
            hold.then([&] { ran << "end of the first"; });
        });
        hold.then([&] { ran << "input"; }); // outside any strand: a strand of its own
        hold.run([&] {
            second = hold.open();
            QVERIFY(hold.held());
            hold.then([&] { ran << "rest of the second"; });
        });
        QCOMPARE(ran, (QStringList{"at once", "input"}));

        hold.acknowledge(second);
        hold.acknowledge(second); // twice: nothing more
        QCOMPARE(ran, (QStringList{"at once", "input", "rest of the second"}));
        hold.acknowledge(first);
        QCOMPARE(ran, (QStringList{"at once", "input", "rest of the second", "rest of the first"}));
        hold.acknowledge(third);
        QCOMPARE(ran, (QStringList{"at once", "input", "rest of the second", "rest of the first",
                                   "rest of the third", "end of the first"}));
        QVERIFY(!hold.held());
    }

    // Work given to a lasting strand waits behind what its earlier work is held by, in order; a
    // hold acknowledged from inside the strand's own work lets it go straight on.
    void aLastingStrandKeepsItsOrder()
    {
        NoticeHold hold;
        const NoticeHold::StrandRef strand = NoticeHold::newStrand();
        QStringList ran;
        quint64 box = 0;
        hold.runOn(strand, [&] {
            ran << "chunk 1";
            box = hold.open();
            hold.then([&] { ran << "rest of chunk 1"; });
        });
        hold.runOn(strand, [&] { ran << "chunk 2"; });
        hold.run([&] { ran << "timer"; });
        QVERIFY(NoticeHold::isHeld(strand));
        QCOMPARE(ran, (QStringList{"chunk 1", "timer"}));
        hold.acknowledge(box);
        QCOMPARE(ran, (QStringList{"chunk 1", "timer", "rest of chunk 1", "chunk 2"}));

        hold.runOn(strand, [&] {
            const quint64 request = hold.open();
            hold.then([&] { ran << "after the answer"; });
            hold.acknowledge(request);
            ran << "answered";
        });
        QCOMPARE(ran.mid(4), (QStringList{"answered", "after the answer"}));
    }
};

QTEST_APPLESS_MAIN(TestNoticeHold)
#include "tst_notice_hold.moc"
