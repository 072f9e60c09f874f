// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

namespace zkn::monitortool {

namespace {

// A port number; 0 (any free port) only where `anyFree`.
std::optional<quint16> portOf(const QString& text, bool anyFree = false)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || (port == 0 && !anyFree) || port > 65535)
        return std::nullopt;
    return quint16(port);
}

// "HOST:PORT", "HOST", "[IPV6]:PORT": the host and the port, when one is given.
std::pair<QString, std::optional<QString>> hostAndPort(const QString& text)
{
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        const QString host = text.mid(1, close - 1);
        if (close + 1 < text.size() && text[close + 1] == QLatin1Char(':'))
            return {host, text.mid(close + 2)};
        return {host, std::nullopt};
    }
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0 || text.count(QLatin1Char(':')) > 1)
        return {text, std::nullopt};
    return {text.left(colon), text.mid(colon + 1)};
}

std::optional<QString> readRelay(const QString& value, MonitorOptions::Relay& relay)
{
    // "PORT" alone listens on every IPv4 address.
    const bool portOnly = portOf(value, true).has_value();
    const auto [address, port] =
        portOnly ? std::pair<QString, std::optional<QString>>{QString(), value} : hostAndPort(value);
    if (!port || !portOf(*port, true))
        return QStringLiteral("--relay wants [ADDRESS:]PORT, not \"%1\"").arg(value);
    relay.listenPort = *portOf(*port, true);
    if (!address.isEmpty() && !relay.listenAddress.setAddress(address))
        return QStringLiteral("--relay: \"%1\" is no address of this machine's form (an IP address)")
            .arg(address);
    return std::nullopt;
}

std::optional<QString> readPbx(const QString& value, MonitorOptions::Relay& relay)
{
    const auto [host, port] = hostAndPort(value);
    if (host.isEmpty())
        return QStringLiteral("--pbx wants HOST[:PORT], not \"%1\"").arg(value);
    relay.pbxHost = host;
    if (port) {
        if (!portOf(*port))
            return QStringLiteral("--pbx: \"%1\" is no port").arg(*port);
        relay.pbxPort = *portOf(*port);
    }
    return std::nullopt;
}

} // namespace

std::variant<MonitorOptions, ShowHelp, UsageError> parseCommandLine(QStringList args)
{
    MonitorOptions options;
    MonitorOptions::Relay relay;
    bool relayAsked = false;
    std::optional<MonitorOptions::Tap> tap;
    std::optional<QString> tapSettings;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return ShowHelp{};
        const auto flag = [&](const char* name, bool& value) {
            if (arg != QLatin1String(name))
                return false;
            value = true;
            return true;
        };
        if (flag("--json", options.json) || flag("--no-health", options.noHealth) ||
            flag("--quiet", options.quiet))
            continue;
        if (arg == QLatin1String("--tap")) {
            if (args.size() < 2)
                return UsageError{
                    QStringLiteral("--tap wants two ports: the PBX's and the message centre's")};
            tap = MonitorOptions::Tap{args.takeFirst(), args.takeFirst(), {}};
            continue;
        }
        const QStringList takesValue = {
            QStringLiteral("--settings"), QStringLiteral("--relay"),  QStringLiteral("--pbx"),
            QStringLiteral("--allow"),    QStringLiteral("--read"),   QStringLiteral("--figures-every"),
            QStringLiteral("--lamps"),    QStringLiteral("--parity"), QStringLiteral("--capture"),
            QStringLiteral("--rotate"),   QStringLiteral("--keep")};
        if (!takesValue.contains(arg))
            return UsageError{QStringLiteral("unknown option \"%1\"").arg(arg)};
        if (args.isEmpty())
            return UsageError{QStringLiteral("%1 wants a value").arg(arg)};
        const QString value = args.takeFirst();
        std::optional<QString> wrong;
        if (arg == QLatin1String("--settings")) {
            tapSettings = value;
        } else if (arg == QLatin1String("--relay")) {
            relayAsked = true;
            wrong = readRelay(value, relay);
        } else if (arg == QLatin1String("--pbx")) {
            wrong = readPbx(value, relay);
        } else if (arg == QLatin1String("--allow")) {
            QHostAddress allowed;
            if (!allowed.setAddress(value))
                wrong = QStringLiteral("--allow wants an IP address, not \"%1\"").arg(value);
            relay.allowed.append(allowed);
        } else if (arg == QLatin1String("--read")) {
            options.readFile = value;
        } else if (arg == QLatin1String("--figures-every")) {
            bool ok = false;
            options.figuresEveryMinutes = value.toInt(&ok);
            if (!ok || options.figuresEveryMinutes < 1)
                wrong = QStringLiteral("--figures-every wants whole minutes, not \"%1\"").arg(value);
        } else if (arg == QLatin1String("--capture")) {
            options.captureFile = value;
        } else if (arg == QLatin1String("--rotate") || arg == QLatin1String("--keep")) {
            bool ok = false;
            const int number = value.toInt(&ok);
            (arg == QLatin1String("--rotate") ? options.rotateMegabytes : options.keepFiles) = number;
            if (!ok || number < 1)
                wrong = QStringLiteral("%1 wants a whole number above 0, not \"%2\"").arg(arg, value);
        } else if (arg == QLatin1String("--lamps")) {
            options.lampsFile = value;
        } else if (value == QLatin1String("odd") || value == QLatin1String("even")) { // --parity
            options.parity = value == QLatin1String("odd") ? link::Parity::Odd : link::Parity::Even;
        } else {
            wrong = QStringLiteral("--parity is odd or even, not \"%1\"").arg(value);
        }
        if (wrong)
            return UsageError{*wrong};
    }
    if (relayAsked && relay.pbxHost.isEmpty())
        return UsageError{
            QStringLiteral("--relay wants --pbx HOST[:PORT]: the PBX it passes connections to")};
    if (!relayAsked && (!relay.pbxHost.isEmpty() || !relay.allowed.isEmpty()))
        return UsageError{QStringLiteral("--pbx and --allow go with --relay")};
    if (int(relayAsked) + int(tap.has_value()) + int(!options.readFile.isEmpty()) != 1)
        return UsageError{QStringLiteral("watch one thing: --relay, --tap or --read")};
    if (!options.captureFile.isEmpty() && !options.readFile.isEmpty())
        return UsageError{QStringLiteral("--capture goes with --relay or --tap")};
    if ((options.rotateMegabytes > 0 || options.keepFiles > 0) && options.captureFile.isEmpty())
        return UsageError{QStringLiteral("--rotate and --keep go with --capture")};
    if (options.keepFiles > 0 && options.rotateMegabytes == 0)
        return UsageError{QStringLiteral("--keep goes with --rotate")};
    if (tapSettings && !tap)
        return UsageError{QStringLiteral("--settings goes with --tap")};
    if (tap) {
        const auto parameters =
            settings::LineParameters::parse(tapSettings.value_or(QStringLiteral("9600,n,8,1")));
        if (!parameters)
            return UsageError{
                QStringLiteral("--settings wants SPEED,PARITY,DATA,STOP as 9600,n,8,1, not \"%1\"")
                    .arg(*tapSettings)};
        tap->parameters = *parameters;
        options.tap = tap;
    }
    if (relayAsked)
        options.relay = relay;
    return options;
}

QByteArray usageText()
{
    return "usage: zkn-monitor --relay [ADDRESS:]PORT --pbx HOST[:PORT] [--allow ADDRESS]... [OPTIONS]\n"
           "       zkn-monitor --tap PBX_PORT MC_PORT [--settings 9600,n,8,1] [OPTIONS]\n"
           "       zkn-monitor --read CAPTURE [OPTIONS]\n"
           "       zkn-monitor --help\n";
}

QByteArray helpText()
{
    return "zkn-monitor: watch the ZKN link between a PBX and a message centre, never sending a byte of\n"
           "its own: every frame both ways, decoded and timed, each request matched with its answer.\n\n" +
           usageText() +
           "\nWhat to watch:\n"
           "  --relay [ADDRESS:]PORT  listen here for the message centre, pointed at it instead of the PBX;\n"
           "                          PORT alone listens on every IPv4 address (0.0.0.0). The link's own\n"
           "                          port is 60020: --relay 60020 only when you ask for it. Port 0\n"
           "                          takes a free port, named on stderr.\n"
           "  --pbx HOST[:PORT]       the PBX each connection is passed to (port 60020 unless given)\n"
           "  --allow ADDRESS         only this message centre may connect (may be repeated)\n"
           "  --tap PBX_PORT MC_PORT  a serial link tapped: two ports read, never written, one on the\n"
           "                          PBX's transmit wire and one on the message centre's (a tap cable\n"
           "                          or two USB adapters), named by device or /dev/serial/by-id path.\n"
           "                          Flow control is off whatever the settings say. The order between\n"
           "                          the two is the order their bytes reach this machine.\n"
           "  --settings S            the tapped line's settings (9600,n,8,1 unless given)\n"
           "  --read CAPTURE          a capture taken elsewhere (pcap or pcapng: a mirror port, tcpdump,\n"
           "                          the tool's own captures)\n"
           "\nWhat to show:\n"
           "  --json                  JSON Lines instead of text\n"
           "  --no-health             leave health checks and their answers out of the lines\n"
           "  --quiet                 no line per frame: faults and the summary only\n"
           "  --figures-every MIN     the figures line every MIN minutes (and at SIGUSR1)\n"
           "  --lamps FILE            the lamps the message centre set, with the PBX's answers, as CSV\n"
           "                          at the end\n"
           "  --capture FILE          keep what is watched in FILE, a capture Wireshark opens\n"
           "  --rotate MB             cut the capture every MB megabytes: FILE watch.pcap gives\n"
           "                          watch-1.pcap, watch-2.pcap and so on\n"
           "  --keep N                keep only the newest N of them\n"
           "  --parity odd|even       the check bytes' parity (odd unless given)\n"
           "\nIt ends at SIGINT or SIGTERM, closing every relayed connection, and prints the summary to\n"
           "stderr. Exit status: 0 no fault seen, 1 a fault seen, 2 a usage error, 3 nothing to watch.\n";
}

} // namespace zkn::monitortool
