// The fuzz targets' rules on their seeds (fuzz/corpus/) and on every input that once broke one
// (fuzz/regressions/), so a fault the fuzzer found stays found without clang.
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
};

QTEST_APPLESS_MAIN(TestFuzzInputs)
#include "tst_fuzz_inputs.moc"
