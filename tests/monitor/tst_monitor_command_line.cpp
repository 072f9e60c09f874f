// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-monitor's command line: what each form asks for, and the words for what it cannot take.
#include "command_line.h"

#include <QTest>

using namespace zkn::monitortool;

namespace {

// What the options ask for in a few words, or the usage error.
QString read(const QString& args)
{
    const auto parsed = parseCommandLine(args.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    if (std::holds_alternative<ShowHelp>(parsed))
        return QStringLiteral("help");
    if (const auto* wrong = std::get_if<UsageError>(&parsed))
        return QStringLiteral("error: ") + wrong->why;
    const MonitorOptions& o = std::get<MonitorOptions>(parsed);
    QStringList words;
    if (o.relay) {
        QStringList allowed;
        for (const QHostAddress& a : o.relay->allowed)
            allowed << a.toString();
        words << QStringLiteral("relay %1:%2 to %3:%4 allow [%5]")
                     .arg(o.relay->listenAddress.toString())
                     .arg(o.relay->listenPort)
                     .arg(o.relay->pbxHost)
                     .arg(o.relay->pbxPort)
                     .arg(allowed.join(QLatin1Char(',')));
    }
    if (o.tap)
        words
            << QStringLiteral("tap %1 %2 %3").arg(o.tap->pbxPort, o.tap->mcPort, o.tap->parameters.toText());
    if (!o.readFile.isEmpty())
        words << QStringLiteral("read %1").arg(o.readFile);
    if (o.json)
        words << QStringLiteral("json");
    if (o.noHealth)
        words << QStringLiteral("no-health");
    if (o.quiet)
        words << QStringLiteral("quiet");
    if (o.figuresEveryMinutes)
        words << QStringLiteral("figures %1").arg(o.figuresEveryMinutes);
    if (!o.lampsFile.isEmpty())
        words << QStringLiteral("lamps %1").arg(o.lampsFile);
    if (!o.captureFile.isEmpty())
        words
            << QStringLiteral("capture %1 %2 %3").arg(o.captureFile).arg(o.rotateMegabytes).arg(o.keepFiles);
    words << (o.parity == zkn::link::Parity::Odd ? QStringLiteral("odd") : QStringLiteral("even"));
    return words.join(QLatin1String("; "));
}

} // namespace

class TestMonitorCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void forms_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* args, const char* expected) {
            QTest::newRow(args) << QString::fromLatin1(args) << QString::fromUtf8(expected);
        };
        row("--relay 60020 --pbx pbx.example", "relay 0.0.0.0:60020 to pbx.example:60020 allow []; odd");
        row("--relay 192.0.2.5:61000 --pbx 192.0.2.1:61001 --allow 192.0.2.7 --allow 192.0.2.8",
            "relay 192.0.2.5:61000 to 192.0.2.1:61001 allow [192.0.2.7,192.0.2.8]; odd");
        row("--relay [::1]:0 --pbx [2001:db8::1]:60021", "relay ::1:0 to 2001:db8::1:60021 allow []; odd");
        row("--tap /dev/ttyUSB0 /dev/ttyUSB1", "tap /dev/ttyUSB0 /dev/ttyUSB1 9600,n,8,1; odd");
        row("--tap a b --settings 19200,E,7,2 --capture t.pcap",
            "tap a b 19200,e,7,2; capture t.pcap 0 0; odd");
        row("--read c.pcap --json --no-health --quiet --figures-every 5 --lamps l.csv --parity even",
            "read c.pcap; json; no-health; quiet; figures 5; lamps l.csv; even");
        row("--relay 1 --pbx h --capture w.pcap --rotate 10 --keep 3",
            "relay 0.0.0.0:1 to h:60020 allow []; capture w.pcap 10 3; odd");
        row("--json --help", "help");
        row("", "error: watch one thing: --relay, --tap or --read");
        row("--relay 1 --pbx h --read f", "error: watch one thing: --relay, --tap or --read");
        row("--relay 1", "error: --relay wants --pbx HOST[:PORT]: the PBX it passes connections to");
        row("--read f --pbx h", "error: --pbx and --allow go with --relay");
        row("--relay 65535 --pbx h:65535", "relay 0.0.0.0:65535 to h:65535 allow []; odd");
        row("--relay 70000 --pbx h", "error: --relay wants [ADDRESS:]PORT, not \"70000\"");
        row("--relay pbx:1 --pbx h",
            "error: --relay: \"pbx\" is no address of this machine's form (an IP address)");
        row("--relay 1 --pbx h:0", "error: --pbx: \"0\" is no port");
        row("--relay 1 --pbx h --allow somewhere", "error: --allow wants an IP address, not \"somewhere\"");
        row("--read f --figures-every 1", "read f; figures 1; odd");
        row("--read f --figures-every 0", "error: --figures-every wants whole minutes, not \"0\"");
        row("--read f --parity none", "error: --parity is odd or even, not \"none\"");
        row("--read f --capture c", "error: --capture goes with --relay or --tap");
        row("--relay 1 --pbx h --rotate 5", "error: --rotate and --keep go with --capture");
        row("--relay 1 --pbx h --capture c --keep 2", "error: --keep goes with --rotate");
        row("--relay 1 --pbx h --capture c --rotate x",
            "error: --rotate wants a whole number above 0, not \"x\"");
        row("--read f --settings 9600,n,8,1", "error: --settings goes with --tap");
        row("--tap a b --settings fast",
            "error: --settings wants SPEED,PARITY,DATA,STOP as 9600,n,8,1, not \"fast\"");
        row("--tap a", "error: --tap wants two ports: the PBX's and the message centre's");
        row("--read", "error: --read wants a value");
        row("--verbose", "error: unknown option \"--verbose\"");
    }
    void forms()
    {
        QFETCH(QString, args);
        QTEST(read(args), "expected");
    }
};

QTEST_APPLESS_MAIN(TestMonitorCommandLine)
#include "tst_monitor_command_line.moc"
