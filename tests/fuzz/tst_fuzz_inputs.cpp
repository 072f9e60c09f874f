// The fuzz targets' rules on their seeds (fuzz/corpus/) and on every input that once broke one
// (fuzz/regressions/), so a fault the fuzzer found stays found without clang; then the rules of
// received data and of the decoder on many generated inputs in every run.
#include "check_byte.h"
#include "decode_property.h"
#include "extensions_property.h"
#include "frame_assembler_property.h"
#include "lamp_message_property.h"
#include "packet_property.h"
#include "record_finder_property.h"
#include "serial_receiver_property.h"
#include "setting_texts_property.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <functional>
#include <map>

namespace {

using Rule = std::function<bool(QByteArrayView)>;

const std::map<QString, Rule>& rules()
{
    static const std::map<QString, Rule> byTarget{
        {QStringLiteral("fuzz_process_packet"), zkn::fuzz::checkPacketInput},
        {QStringLiteral("fuzz_serial_receiver"), zkn::fuzz::checkSerialReceiverInput},
        {QStringLiteral("fuzz_decode_record"), zkn::fuzz::checkDecodeProperty},
        {QStringLiteral("fuzz_record_finder"), zkn::fuzz::checkRecordFinderInput},
        {QStringLiteral("fuzz_frame_assembler"), zkn::fuzz::checkFrameAssemblerInput},
        {QStringLiteral("fuzz_lamp_message"), zkn::fuzz::checkLampMessageInput},
        {QStringLiteral("fuzz_setting_texts"), zkn::fuzz::checkSettingTextsInput},
        {QStringLiteral("fuzz_extensions"), zkn::fuzz::checkExtensionsInput},
    };
    return byTarget;
}

char pick(QRandomGenerator& r, const char* from)
{
    return from[r.bounded(static_cast<int>(qstrlen(from)))];
}

QByteArray number(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

// A link frame of any kind, its length sometimes wrong, the check byte under either parity.
QByteArray randomFrame(QRandomGenerator& r)
{
    const char kind = pick(r, "123456");
    QByteArray data;
    if (kind == '1' || kind == '2') {
        data.append('\x02');
        for (int length = r.bounded(40); length > 0; --length)
            data.append(static_cast<char>(r.bounded(32, 127)));
        data.append('\x03');
    } else if (kind == '3' || kind == '4') {
        data.append(static_cast<char>('0' + r.bounded(10)));
    }
    const QByteArray device = number(r.bounded(2), 2);
    const QByteArray sequence = number(r.bounded(100), 2);
    const int length = 4 + int(data.size()) + (r.bounded(10) == 0 ? r.bounded(-4, 5) : 0);
    const QByteArray frame = '\x16' + (kind + number(qMax(0, length), 3)) + device + sequence + data;
    return zkn::test::withCheckByte(frame, r.bounded(2) == 1);
}

// Frames cut short, corrupted, run together and mixed with stray bytes.
QByteArray randomInput(QRandomGenerator& r)
{
    QByteArray input;
    for (int frames = r.bounded(1, 6); frames > 0; --frames) {
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
        case 3: // a broken fragment before it: a header whose length claims more than follows
            frame.prepend(QByteArray("\x16"
                                     "2999"
                                     "01")
                              .left(r.bounded(1, 8)));
            break;
        }
        input.append(frame);
    }
    return input;
}

// A record-like text of either layout: KRA sections whose lengths may lie, or a body around the
// lengths that tell the fixed layouts apart; sometimes without its ETX or cut short.
QByteArray randomText(QRandomGenerator& r)
{
    QByteArray body;
    if (r.bounded(2)) {
        for (int sections = r.bounded(0, 8); sections > 0; --sections) {
            const QByteArray data = QByteArray(r.bounded(0, 40), '0').replace('0', pick(r, "0123456789. "));
            body += number(r.bounded(0, 9), 2);
            body += number(r.bounded(3) == 0 ? r.bounded(0, 99) : int(data.size()) + 4, 2) + data;
        }
    } else {
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

class TestFuzzInputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTargetHasARuleAndSeeds()
    {
        const QStringList sources =
            QDir(QStringLiteral(ZKN_FUZZ_DIR)).entryList({QStringLiteral("fuzz_*.cpp")}, QDir::Files);
        QCOMPARE(sources.size(), qsizetype(rules().size()));
        for (const QString& source : sources) {
            const QString target = source.chopped(4);
            QVERIFY2(rules().count(target), qPrintable(target));
            QVERIFY2(!QDir(QStringLiteral(ZKN_FUZZ_DIR "/corpus/") + target).isEmpty(), qPrintable(target));
        }
    }

    void inputKeepsTheRule_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        for (const char* folder : {"corpus", "regressions"}) {
            for (const auto& [target, rule] : rules()) {
                const QDir dir(QStringLiteral(ZKN_FUZZ_DIR "/%1/%2").arg(QLatin1String(folder), target));
                for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
                    QTest::addRow("%s/%s/%s", folder, qPrintable(target), qPrintable(name))
                        << target << dir.filePath(name);
            }
        }
    }

    void inputKeepsTheRule()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(rules().at(target)(file.readAll()));
    }

    void generatedInputsKeepTheRule()
    {
        QRandomGenerator random(60020);
        for (int i = 0; i < 1000; ++i) {
            const QByteArray input = randomInput(random);
            QVERIFY2(zkn::fuzz::checkPacketProperty(input, i % 2), input.toHex(' ').constData());
        }
        QRandomGenerator texts(246);
        for (int i = 0; i < 20000; ++i) {
            const QByteArray text = randomText(texts);
            QVERIFY2(zkn::fuzz::checkDecodeProperty(text), text.toHex(' ').constData());
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

QTEST_APPLESS_MAIN(TestFuzzInputs)
#include "tst_fuzz_inputs.moc"
