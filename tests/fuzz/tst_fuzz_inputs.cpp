// The fuzz targets' rules on their seeds (fuzz/corpus/) and on every input that once broke one
// (fuzz/regressions/), so a fault the fuzzer found stays found without clang; then the rule for
// received data on many generated inputs in every run.
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
    using namespace zkn::fuzz;
    // clang-format off
    static const std::map<QString, Rule> byTarget{
        {"fuzz_process_packet", checkPacketInput}, {"fuzz_serial_receiver", checkSerialReceiverInput},
        {"fuzz_decode_record", checkDecodeProperty}, {"fuzz_record_finder", checkRecordFinderInput},
        {"fuzz_frame_assembler", checkFrameAssemblerInput}, {"fuzz_lamp_message", checkLampMessageInput},
        {"fuzz_setting_texts", checkSettingTextsInput}, {"fuzz_extensions", checkExtensionsInput}};
    // clang-format on
    return byTarget;
}

QByteArray number(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

// A link frame of any kind, its length sometimes wrong, the check byte under either parity.
QByteArray randomFrame(QRandomGenerator& r)
{
    const char kind = "123456"[r.bounded(6)];
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
        const int shape = r.bounded(9);
        if (shape == 0)
            frame.truncate(r.bounded(int(frame.size())));
        else if (shape == 1)
            frame[r.bounded(int(frame.size()))] = static_cast<char>(r.bounded(256));
        else if (shape == 2)
            frame.prepend(static_cast<char>(r.bounded(256)));
        else if (shape == 3) // a broken fragment before it: a header whose length claims more than follows
            frame.prepend(QByteArray::fromHex("16 32393939 3031").left(r.bounded(1, 8)));
        input.append(frame);
    }
    return input;
}

} // namespace

class TestFuzzInputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
