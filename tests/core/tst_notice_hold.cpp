// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which work held behind the operator's boxes runs.
#include "link/notice_hold.h"

#include <QStringList>
#include <QTest>

using zkn::link::NoticeHold;

class TestNoticeHold : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A handler opens a box and queues its rest; an input arrives; a timer opens a second box with its
    // own rest. Nothing runs until both are closed, in whichever order; then each handler's rest runs
    // before what came after it, and a box its rest opens holds what follows again.
    void heldWorkRunsInOrderOnceNoBoxIsOpen()
    {
        NoticeHold hold;
        QStringList ran;
        hold.then([&] { ran << "at once"; });
        const quint64 first = hold.open();
        quint64 third = 0;
        hold.then([&] {
            ran << "rest of the first";
            third = hold.open();
            hold.then([&] { ran << "rest of the third"; });
        });
        hold.then([&] { ran << "input"; });
        const quint64 second = hold.open();
        hold.then([&] { ran << "rest of the second"; });
        QCOMPARE(hold.opened(), quint64(2));

        hold.acknowledge(second);
        hold.acknowledge(second); // twice: nothing more
        QCOMPARE(ran, QStringList{"at once"});
        hold.acknowledge(first);
        QCOMPARE(ran, (QStringList{"at once", "rest of the first"}));
        QVERIFY(hold.held());
        hold.acknowledge(third);
        QCOMPARE(ran, (QStringList{"at once", "rest of the first", "rest of the third", "input",
                                   "rest of the second"}));
        QVERIFY(!hold.held());
    }
};

QTEST_APPLESS_MAIN(TestNoticeHold)
#include "tst_notice_hold.moc"
