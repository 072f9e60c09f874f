// The decoder's fuzz rule on many generated texts in every run: record-like texts of both layouts,
// cut short, run long, with sections and party kinds of every value, digits, dots and blanks.
// The libFuzzer target in fuzz/ searches further.
#include "decode_property.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

char pick(QRandomGenerator& r, const char* from)
{
    return from[r.bounded(static_cast<int>(qstrlen(from)))];
}

// A KRA-like body: sections of an identifier, a length that may lie, and digits.
QByteArray kraBody(QRandomGenerator& r)
{
    QByteArray body;
    for (int sections = r.bounded(0, 8); sections > 0; --sections) {
        const QByteArray data = QByteArray(r.bounded(0, 40), '0').replace('0', pick(r, "0123456789. "));
        QByteArray section = QByteArray::number(r.bounded(0, 9)).rightJustified(2, '0');
        section += QByteArray::number(r.bounded(3) == 0 ? r.bounded(0, 99) : int(data.size()) + 4)
                       .rightJustified(2, '0');
        body += section + data;
    }
    return body;
}

QByteArray randomText(QRandomGenerator& r)
{
    QByteArray body;
    if (r.bounded(2)) {
        body = kraBody(r);
    } else {
        // The fixed layouts are told apart by length: stay around theirs.
        body.resize(r.bounded(20, 140));
        for (char& c : body)
            c = pick(r, "0123456789012345678901234567890123. ");
    }
    QByteArray text = QByteArray("\x02") + pick(r, "0J") + pick(r, "!J") + pick(r, "JJJA") + body;
    if (r.bounded(4))
        text += '\x03';
    if (r.bounded(10) == 0)
        text.truncate(r.bounded(int(text.size()) + 1));
    return text;
}

} // namespace

class TestDecodeFuzzReplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void generatedTextsKeepTheRule()
    {
        QRandomGenerator random(246);
        for (int i = 0; i < 20000; ++i) {
            const QByteArray text = randomText(random);
            if (!zkn::fuzz::checkDecodeProperty(text))
                QFAIL(qPrintable(QStringLiteral("rule broken for ") + QString::fromLatin1(text.toHex(' '))));
        }
    }
};

QTEST_APPLESS_MAIN(TestDecodeFuzzReplay)
#include "tst_decode_fuzz_replay.moc"
