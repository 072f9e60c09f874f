// The fuzz rule for received TCP data, on many generated inputs: frames built whole, cut short,
// corrupted, run together and mixed with stray bytes. Runs in every test pass; the libFuzzer
// target in fuzz/ searches further.
#include "check_byte.h"
#include "packet_property.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray randomFrame(QRandomGenerator& r)
{
    static const char kinds[] = "123456";
    QByteArray body;
    const char kind = kinds[r.bounded(6)];
    body.append(kind);
    QByteArray data;
    if (kind == '2' || kind == '1') {
        data.append('\x02');
        const int length = r.bounded(40);
        for (int i = 0; i < length; ++i)
            data.append(static_cast<char>(r.bounded(32, 127)));
        data.append('\x03');
    } else if (kind == '3' || kind == '4') {
        data.append(static_cast<char>('0' + r.bounded(10)));
    }
    const QByteArray device = "0" + QByteArray::number(r.bounded(2));
    const QByteArray sequence = QByteArray::number(r.bounded(100)).rightJustified(2, '0');
    const int length = 4 + int(data.size()) + (r.bounded(10) == 0 ? r.bounded(-4, 5) : 0);
    body.append(QByteArray::number(qMax(0, length)).rightJustified(3, '0'))
        .append(device)
        .append(sequence)
        .append(data);
    return zkn::test::withCheckByte('\x16' + body, r.bounded(2) == 1);
}

QByteArray randomInput(QRandomGenerator& r)
{
    QByteArray input;
    const int frames = r.bounded(1, 6);
    for (int i = 0; i < frames; ++i) {
        QByteArray frame = randomFrame(r);
        switch (r.bounded(9)) {
        case 0:
            frame.truncate(r.bounded(int(frame.size())));
            break;
        case 1:
            frame[r.bounded(int(frame.size()))] = static_cast<char>(r.bounded(256));
            break;
        case 2:
            frame.prepend(static_cast<char>(r.bounded(256)));
            break;
        case 3:
            // A broken fragment before it: a header whose length claims more than follows.
            frame.prepend(QByteArray("\x16"
                                     "2999"
                                     "01")
                              .left(r.bounded(1, 8)));
            break;
        default:
            break;
        }
        input.append(frame);
    }
    return input;
}

} // namespace

class TestPacketFuzzReplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void generatedInputsKeepTheRule()
    {
        QRandomGenerator random(60020);
        for (int i = 0; i < 1000; ++i) {
            const QByteArray input = randomInput(random);
            if (!zkn::fuzz::checkPacketProperty(input, i % 2))
                QFAIL(qPrintable(QStringLiteral("rule broken for ") + QString::fromLatin1(input.toHex(' '))));
        }
    }

    void wholeAndByteByByteAgreeOnAPlainStream()
    {
        // Records and responses back to back: nothing is dropped, so every shape must agree.
        const QByteArray stream = QByteArray::fromHex("16 32 30 30 39 30 31 30 37 02 4A 20 31 03 A8"
                                                      "16 33 30 30 35 30 31 30 35 30 CD"
                                                      "16 32 30 30 39 30 31 30 38 02 4A 20 32 03 A4");
        const auto whole = zkn::fuzz::feed(stream, {}, true);
        QList<qsizetype> cuts;
        for (qsizetype i = 1; i < stream.size(); ++i)
            cuts.append(i);
        const auto bytes = zkn::fuzz::feed(stream, cuts, true);
        QCOMPARE(whole.sent.size(), 2);
        QCOMPARE(bytes.sent, whole.sent);
        QCOMPARE(bytes.terminal, whole.terminal);
        QCOMPARE(bytes.boxes, whole.boxes);
    }
};

QTEST_APPLESS_MAIN(TestPacketFuzzReplay)
#include "tst_packet_fuzz_replay.moc"
