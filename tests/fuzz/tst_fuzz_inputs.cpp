// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz targets' rules on their seeds (fuzz/corpus/) and on every input that once broke one
// (fuzz/regressions/), so a fault the fuzzer found stays found without clang; then a plain stream
// that the rule for received data must compare rather than pass over.
#include "capture_file_property.h"
#include "capture_stream_property.h"
#include "decode_property.h"
#include "extensions_property.h"
#include "frame_assembler_property.h"
#include "lamp_ledger_property.h"
#include "lamp_message_property.h"
#include "link_watch_property.h"
#include "paced_link_property.h"
#include "packet_property.h"
#include "pbx_side_property.h"
#include "record_finder_property.h"
#include "replay_property.h"
#include "run_plan_property.h"
#include "serial_receiver_property.h"
#include "setting_texts_property.h"
#include "terminal_filter_property.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>
#include <map>

namespace {

using Rule = std::function<bool(QByteArrayView)>;

using namespace zkn::fuzz;

// clang-format off
const std::map<QString, Rule> kRules{
    {"fuzz_process_packet", checkPacketInput}, {"fuzz_serial_receiver", checkSerialReceiverInput},
    {"fuzz_decode_record", checkDecodeProperty}, {"fuzz_record_finder", checkRecordFinderInput},
    {"fuzz_frame_assembler", checkFrameAssemblerInput}, {"fuzz_lamp_message", checkLampMessageInput},
    {"fuzz_setting_texts", checkSettingTextsInput}, {"fuzz_extensions", checkExtensionsInput},
    {"fuzz_capture_stream", checkCaptureStreamInput}, {"fuzz_terminal_filter", checkTerminalFilterInput},
    {"fuzz_ledger_json", checkLedgerJsonInput}, {"fuzz_lamp_map", checkLampMapInput},
    {"fuzz_run_plan", checkRunPlanInput}, {"fuzz_capture_file", checkCaptureFileInput},
    {"fuzz_replay", checkReplayInput}, {"fuzz_pbx_side", checkPbxSideInput},
    {"fuzz_paced_link", checkPacedLinkInput}, {"fuzz_link_watch", checkLinkWatchInput}};
// clang-format on

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
            for (const auto& [target, rule] : kRules) {
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
        QVERIFY(kRules.at(target)(file.readAll()));
    }

    void wholeAndByteByByteAgreeOnAPlainStream()
    {
        // Records and responses back to back: nothing is dropped, so every shape must agree.
        const QByteArray stream = QByteArray::fromHex("16 32 30 30 39 30 31 30 37 02 4A 20 31 03 A8"
                                                      "16 33 30 30 35 30 31 30 35 30 CD"
                                                      "16 32 30 30 39 30 31 30 38 02 4A 20 32 03 A4");
        const auto whole = feed(stream, {}, true);
        const auto bytes = feed(stream, everyByte(stream.size()), true);
        QCOMPARE(whole.sent.size(), 2);
        QCOMPARE(bytes.sent, whole.sent);
        QCOMPARE(bytes.terminal, whole.terminal);
        QCOMPARE(bytes.boxes, whole.boxes);
    }
};

QTEST_APPLESS_MAIN(TestFuzzInputs)
#include "tst_fuzz_inputs.moc"
