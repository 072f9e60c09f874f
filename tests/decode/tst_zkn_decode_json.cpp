// zkn-decode's JSON line for a breakdown, against bytes written out by hand, and record texts
// with every kind of byte through a JSON parser and back.
#include "json_line.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace zkn;
using zkn::decode::Area;
using zkn::decode::Breakdown;
using zkn::decodetool::appendJsonLine;

class TestZknDecodeJson : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineWrittenOutByHand();
    void recordBytesSurvive_data();
    void recordBytesSurvive();
    void boxTextsSurvive_data();
    void boxTextsSurvive();
};

void TestZknDecodeJson::lineWrittenOutByHand()
{
    Breakdown window;
    window.caption = QStringLiteral("Format Message Information (KRA)");
    window.area(Area::CallingParty) = {
        false,
        30,
        QStringLiteral("Calling Party (Station)"),
        {{QStringLiteral("TN"), QString()}, {QStringLiteral("STN"), QString::fromLatin1("2\t0\"\xe9.")}}};
    window.area(Area::CallType) = {false,
                                   0,
                                   QStringLiteral("Call Type/Loop Number"),
                                   {{QStringLiteral("Loop No."), QStringLiteral("01")}}};
    window.messages = {
        {QStringLiteral("Unknown Call Type"), Operator::Icon::Critical, Operator::Buttons::Ok,
         QStringLiteral("ERROR")},
        {QStringLiteral("one\rtwo\\"), Operator::Icon::Critical, Operator::Buttons::Ok, QString()}};
    QByteArray line = "already there\n";
    appendJsonLine(line,
                   "\x02"
                   "0!J\x01\x1f\xe9\x03",
                   window);

    const QByteArray expected =
        "already there\n"
        R"j({"record":"\u00020!J\u0001\u001f)j"
        "\xc3\xa9"
        R"j(\u0003","caption":"Format Message Information (KRA)","areas":{"source":null,)j"
        R"j("calling":{"frame":30,"caption":"Calling Party (Station)","boxes":{"TN":"","STN":"2\t0\")j"
        "\xc3\xa9"
        R"j(."}},"called":null,"extended":null,)j"
        R"j("callType":{"frame":"FrmCallType","caption":"Call Type/Loop Number","boxes":{"Loop No.":"01"}},)j"
        R"j("ani":null},"messages":[{"title":"ERROR","text":"Unknown Call Type"},)j"
        R"j({"title":"ZKN-Control Tool","text":"one\rtwo\\"}]})j"
        "\n";
    QCOMPARE(line, expected);
}

void TestZknDecodeJson::recordBytesSurvive_data()
{
    QTest::addColumn<QByteArray>("record");
    QByteArray controls;
    QByteArray high;
    for (int c = 0; c < 0x20; ++c)
        controls += char(c);
    for (int c = 0x7f; c < 0x100; ++c)
        high += char(c);
    QTest::newRow("control characters") << "\x02" + controls + "\x03";
    QTest::newRow("Latin-1 beyond ASCII") << "\x02" + high + "\x03";
    QTest::newRow("quotes and backslashes") << QByteArray("\x02\"\\\\\"/\x03");
}

void TestZknDecodeJson::recordBytesSurvive()
{
    QFETCH(QByteArray, record);
    QByteArray line;
    appendJsonLine(line, record, Breakdown());
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(document.object().value(QStringLiteral("record")).toString().toLatin1(), record);
}

void TestZknDecodeJson::boxTextsSurvive_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("parsed");
    QTest::newRow("beyond Latin-1") << QStringLiteral("\u20ac 100") << QStringLiteral("\u20ac 100");
    QTest::newRow("beyond the basic plane")
        << QString::fromUcs4(U"\U0001F4DE") << QString::fromUcs4(U"\U0001F4DE");
    // A lone half of a pair is no character; it comes out as the replacement character.
    QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) + u'x' << QStringLiteral("\ufffdx");
}

void TestZknDecodeJson::boxTextsSurvive()
{
    QFETCH(QString, text);
    Breakdown window;
    window.area(Area::Ani) = {false, 61, QStringLiteral("ANI (Provided)"), {{QStringLiteral("ANI"), text}}};
    QByteArray line;
    appendJsonLine(line,
                   "\x02"
                   "0!J\x03",
                   window);
    const QJsonObject parsed = QJsonDocument::fromJson(line).object();
    QTEST(parsed["areas"]["ani"]["boxes"]["ANI"].toString(), "parsed");
}

QTEST_APPLESS_MAIN(TestZknDecodeJson)
#include "tst_zkn_decode_json.moc"
