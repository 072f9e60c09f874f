// End to end: the tool writes its log while the PBX simulator sends its whole catalogue over
// loopback TCP; zkn-decode then finds every record in that log, in the order sent, and decodes
// each exactly as the tool's decoder decodes the text the tool received.
#include "tool_fixture.h"

#include "decode/decode_record.h"
#include "decode_process.h"
#include "display/terminal_line.h"
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"
#include "terminal_view.h"

#include <QJsonArray>

using namespace zkn;
using zkn::decode::Area;
using zkn::decode::Breakdown;
using zkn::decode::RecordFormat;
using zkn::pbxsim::CatalogueRecord;
using zkn::pbxsim::PbxSimulator;
using zkn::pbxsim::RecordLayout;
using zkn::test::DecodeRun;
using zkn::test::ToolFixture;

namespace {

constexpr int kWait = 20000;

// What differs between a JSON line and the breakdown it should show; empty when nothing does.
QString mismatch(const QJsonObject& line, const Breakdown& expected)
{
    const std::pair<QString, Area> areas[] = {
        {"source", Area::SourceDestination}, {"calling", Area::CallingParty},
        {"called", Area::CalledParty},       {"extended", Area::ExtendedCallingParty},
        {"callType", Area::CallType},        {"ani", Area::Ani}};
    if (line["caption"].toString() != expected.caption)
        return QStringLiteral("caption");
    const QJsonObject shown = line["areas"].toObject();
    if (shown.size() != std::ssize(areas))
        return QStringLiteral("areas");
    for (const auto& [key, area] : areas) {
        const decode::AreaView& view = expected.area(area);
        if (view.plain) {
            if (!shown[key].isNull())
                return key;
            continue;
        }
        QJsonObject boxes;
        for (const decode::BoxText& box : view.boxes)
            boxes[box.label] = box.text;
        const QJsonValue frame =
            area == Area::CallType ? QJsonValue("FrmCallType") : QJsonValue(view.subFrame);
        if (shown[key].toObject() !=
            QJsonObject{{"frame", frame}, {"caption", view.caption}, {"boxes", boxes}})
            return key;
    }
    QJsonArray messages;
    for (const Operator::Message& message : expected.messages)
        messages.append(QJsonObject{{"title", message.title.isEmpty() ? "ZKN-Control Tool" : message.title},
                                    {"text", message.text}});
    return line["messages"].toArray() == messages ? QString() : QStringLiteral("messages");
}

} // namespace

class TestZknDecodeLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueFromTheToolsLog();
};

void TestZknDecodeLog::catalogueFromTheToolsLog()
{
    ToolFixture tool;
    PbxSimulator sim;
    QVERIFY(tool.start());
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    ConnectionOptions& connection = tool.app->connection();
    connection.setConnectionType(ConnectionType::Lan);
    connection.setRemoteHost(QStringLiteral("127.0.0.1"));
    connection.setDeviceNumber(QStringLiteral("1"));
    tool.app->debugOptions().setHealthCheckIntervalText(QStringLiteral("30"));
    tool.app->socket().setRemotePort(sim.serverPort());
    const QString log = tool.configDir.filePath(QStringLiteral("zkn.log"));
    QCOMPARE(tool.app->log().open(log), QString());

    tool.action("mnuOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(tool.window->terminal()->content().contains("Connect Message Rcv'd: OK"), kWait);
    // Every layout over the one link: the tool's log keeps them all, whatever it decodes.
    const QList<CatalogueRecord>& catalogue = pbxsim::recordCatalogue();
    const QList<QByteArray> texts = pbxsim::catalogueTexts(std::nullopt);
    sim.link().startRecords(texts, int(texts.size()), 10);
    QTRY_COMPARE_WITH_TIMEOUT(sim.stats().recordsAnswered, int(texts.size()), kWait);
    QCOMPARE(sim.stats().recordsSent, int(texts.size()));
    tool.app->log().close();

    // One run per layout family: each record is checked in the run of its own layout; both runs
    // find every record.
    const DecodeRun kra = test::runDecode({"--json", "--kra", log}, {}, tool.configDir.path());
    const DecodeRun olv = test::runDecode({"--json", "--olv", log}, {}, tool.configDir.path());
    QVERIFY(kra.finished && olv.finished);
    QCOMPARE(kra.err + olv.err, QByteArray());
    const QList<QJsonObject> kraLines = kra.jsonLines();
    const QList<QJsonObject> olvLines = olv.jsonLines();
    QCOMPARE(kraLines.size(), texts.size());
    QCOMPARE(olvLines.size(), texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const bool sectioned = catalogue[i].layout == RecordLayout::Kra;
        const QJsonObject& line = sectioned ? kraLines[i] : olvLines[i];
        // The tool shows, logs and decodes a record with its blanks as dots.
        const QByteArray received = display::DotBlanks(texts[i]);
        QCOMPARE(line["record"].toString().toLatin1(), received);
        QCOMPARE(line["messages"].toArray(), QJsonArray());
        const Breakdown expected =
            decode::DecodeRecord(received, sectioned ? RecordFormat::Kra : RecordFormat::Olv);
        QVERIFY2(mismatch(line, expected).isEmpty(),
                 qPrintable(catalogue[i].description + ": " + mismatch(line, expected)));
    }
    QCOMPARE(kra.exitCode, 1); // the OLV records make no sense as sections
    QCOMPARE(olv.exitCode, 1); // nor the sectioned ones in the fixed layouts
}

QTEST_MAIN(TestZknDecodeLog)
#include "tst_zkn_decode_log.moc"
