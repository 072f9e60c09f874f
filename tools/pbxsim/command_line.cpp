// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/command_line.h"

#include "pbxsim/record_catalogue.h"

#include <QCommandLineParser>

namespace zkn::pbxsim {

namespace {

// Options of the form N or N:M, e.g. --split 3:200.
std::optional<std::pair<int, int>> numberPair(const QString& text, int defaultSecond)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 2)
        return std::nullopt;
    bool firstOk = false;
    bool secondOk = true;
    const int first = parts[0].toInt(&firstOk);
    const int second = parts.size() == 2 ? parts[1].toInt(&secondOk) : defaultSecond;
    if (!firstOk || !secondOk || first < 0)
        return std::nullopt;
    return std::pair{first, second};
}

std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 ? std::optional{value} : std::nullopt;
}

struct FaultOption
{
    const char* name;
    FrameFault::Type type;
    const char* valueName;
    const char* help;
    int defaultValue; // for the part after the colon; -1 when the option takes none
};

// clang-format off
const FaultOption kFaultOptions[] = {
    {"corrupt", FrameFault::Type::CorruptCheckByte, "K",
     "Corrupt the check byte of the K-th frame sent.", -1},
    {"wrong-seq", FrameFault::Type::WrongSequence, "K",
     "Give the K-th frame sent a wrong sequence number (50 off, check byte fitting).", -1},
    {"late", FrameFault::Type::Late, "K[:MS]",
     "Send the K-th frame MS milliseconds late (default 1000); later frames wait behind it.", 1000},
    {"split", FrameFault::Type::Split, "K[:MS]",
     "Split the K-th frame sent over two writes, MS milliseconds apart (default 200).", 200},
    {"coalesce", FrameFault::Type::Coalesce, "K[:C]",
     "Put the K-th frame sent and C - 1 records behind it in one write (C is 2 or 3, default 2).", 2},
    {"junk", FrameFault::Type::Junk, "K",
     "Send CR LF, which does not begin with SYN, just before the K-th frame.", -1},
    {"cut", FrameFault::Type::CutByReset, "K",
     "Send the first half of the K-th frame, then reset the connection with RST.", -1},
    {"release-behind", FrameFault::Type::ReleaseBehind, "K",
     "Send a release request right behind the K-th frame, in the same write.", -1},
    {"stray-answer", FrameFault::Type::StrayAnswer, "K",
     "Send a response that answers no request (code 0, sequence 50 off the frame's) right behind the K-th frame, in the same write.", -1},
};
// clang-format on

QList<QCommandLineOption> options()
{
    QList<QCommandLineOption> list{
        {"listen", "TCP: listen on HOST:PORT (default 127.0.0.1:60020; port 0 takes a free port).",
         "HOST:PORT", "127.0.0.1:60020"},
        {"pty", "Serial: create a pseudo-terminal and print the device path the tool opens."},
        {"serial", "Serial: use the serial device DEVICE.", "DEVICE"},
        {"settings", "Serial: line settings for --serial (default 9600,n,8,1).", "SETTINGS", "9600,n,8,1"},
        {"parity", "TCP: check-byte parity, odd or even (default odd).", "odd|even", "odd"},
        {"refuse", "TCP: answer connect requests with code 2 (device not defined) or 4 (already in use).",
         "CODE"},
        {"records", "Send N records, taken in turn from the catalogue.", "N", "0"},
        {"record-interval", "At most one record every MS milliseconds (default 1000).", "MS", "1000"},
        {"layout", "Records of LAYOUT: kra, olv6, olv8, olv6x, olv8x or all (default kra).", "LAYOUT", "kra"},
        {"answer-timeout",
         "TCP: wait at most MS milliseconds for the tool's answer to a record (default 2000).", "MS", "2000"},
        {"mute-health", "TCP: answer N health checks, then leave M unanswered (default: all the rest).",
         "N[:M]"},
        {"reset-after",
         "TCP: reset the connection with RST when the N-th frame arrives, instead of answering it.", "N"},
        {"release-after", "TCP: send a link-release request after answering the N-th frame received.", "N"},
        {"forget-lamps-after",
         "TCP: forget every lamp after answering the N-th frame received, as a PBX "
         "does when it restarts.",
         "N"},
        {"lamp-code",
         "TCP: answer lamp messages for STATIONS with CODE. STATIONS is a number, a range A-B, "
         "or a list of them joined by commas; may be repeated.",
         "STATIONS:CODE"},
        {"mute-lamps", "TCP: leave lamp messages for STATIONS unanswered; may be repeated.", "STATIONS"},
        {"lamp-delay", "TCP: answer every lamp message after MS milliseconds, plus up to JITTER at random.",
         "MS[:JITTER]"},
        {"seed", "The seed of the lamp answers' jitter (default 1).", "N", "1"},
        {"flood",
         "TCP: while the link is up, send KIND frames beside everything else: ignored (status "
         "frames the tool takes no action on), records (not waiting for their answers) or garbage "
         "(fragments that are no frame's); RATE frames a second, or max: as fast as the tool reads "
         "(the default).",
         "KIND[:RATE]"},
    };
    for (const FaultOption& fault : kFaultOptions)
        list.append(
            {fault.name, QString::fromLatin1(fault.help) + " TCP; may be repeated.", fault.valueName});
    list.append({
        {"hangup-after", "Serial: hang the line up after N records.", "N"},
        {"duration", "End after S seconds (otherwise at SIGINT or SIGTERM) and print the summary.", "S"},
        {"capture", "Keep what goes over the link in FILE, a capture that Wireshark opens.", "FILE"},
        {"replay",
         "TCP: play the PBX's side of the capture FILE to the tool, then report how the tool "
         "differed from it.",
         "FILE"},
        {"replay-speed", "Play the replay X times as fast (default 1).", "X", "1"},
        {"replay-timeout", "End the replay when nothing has come for MS milliseconds (default 10000).", "MS",
         "10000"},
        {"list-records", "Print the record catalogue and end."},
    });
    return list;
}

} // namespace

std::variant<SimConfig, QString> parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("zkn-pbxsim plays the PBX side of the ZKN link for the ZKN-Control Tool: over TCP it "
                       "answers connect requests, health checks, lamp-control frames and release requests, "
                       "sends records and checks their answers; over a serial line it sends records as bare "
                       "texts and reads lamp-control messages. Every frame in and out is printed, one line "
                       "each, and a JSON summary at the end.\n"
                       "Faults are cued by frame number: frames are counted over the whole run from 1, in "
                       "each direction, and the trace shows each frame's number after its direction."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(options());
    parser.process(arguments);

    SimConfig config;
    const auto fail = [](const QString& option, const QString& value) {
        return QStringLiteral("invalid value for --%1: \"%2\"").arg(option, value);
    };

    const QString listen = parser.value("listen");
    const qsizetype colon = listen.lastIndexOf(QLatin1Char(':'));
    const auto port = number(listen.mid(colon + 1));
    if (colon < 0 || !config.address.setAddress(listen.left(colon)) || !port || *port > 65535)
        return fail("listen", listen);
    config.port = quint16(*port);

    if (parser.isSet("pty") && parser.isSet("serial"))
        return QStringLiteral("--pty and --serial exclude each other");
    if (parser.isSet("pty"))
        config.transport = SimConfig::Transport::Pty;
    if (parser.isSet("serial")) {
        config.transport = SimConfig::Transport::Serial;
        config.device = parser.value("serial");
    }
    const auto line = settings::LineParameters::parse(parser.value("settings"));
    if (!line)
        return fail("settings", parser.value("settings"));
    config.lineParameters = *line;

    const QString parity = parser.value("parity");
    if (parity != QLatin1String("odd") && parity != QLatin1String("even"))
        return fail("parity", parity);
    config.parity = parity == QLatin1String("odd") ? link::Parity::Odd : link::Parity::Even;

    if (parser.isSet("refuse")) {
        const QString refuse = parser.value("refuse");
        if (refuse != QLatin1String("2") && refuse != QLatin1String("4"))
            return fail("refuse", refuse);
        config.refusal = refuse.toInt();
    }

    const QString layout = parser.value("layout");
    const auto chosen = layoutFromName(layout);
    if (!chosen && layout != QLatin1String("all"))
        return fail("layout", layout);
    config.recordTexts = catalogueTexts(chosen);

    const std::pair<const char*, int*> numbers[] = {
        {"records", &config.records},
        {"record-interval", &config.recordIntervalMs},
        {"answer-timeout", &config.answerTimeoutMs},
        {"reset-after", &config.resetAfter},
        {"release-after", &config.releaseAfter},
        {"forget-lamps-after", &config.forgetLampsAfter},
        {"hangup-after", &config.hangUpAfter},
        {"duration", &config.durationS},
        {"replay-timeout", &config.replayTimeoutMs},
    };
    for (const auto& [name, target] : numbers) {
        const QString text = parser.value(name);
        if (text.isEmpty())
            continue;
        const auto value = number(text);
        if (!value)
            return fail(name, text);
        *target = *value;
    }

    if (parser.isSet("mute-health")) {
        config.muteHealth = numberPair(parser.value("mute-health"), -1);
        if (!config.muteHealth)
            return fail("mute-health", parser.value("mute-health"));
    }

    for (const FaultOption& option : kFaultOptions) {
        for (const QString& value : parser.values(option.name)) {
            const auto pair = numberPair(value, option.defaultValue);
            const bool takesValue = option.defaultValue >= 0;
            const bool coalesce = option.type == FrameFault::Type::Coalesce;
            if (!pair || pair->first < 1 ||
                (takesValue ? pair->second < 0 : value.contains(QLatin1Char(':'))) ||
                (coalesce && (pair->second < 2 || pair->second > 3)))
                return fail(option.name, value);
            config.faults.append({pair->first, {option.type, pair->second}});
        }
    }
    for (const QString& value : parser.values("lamp-code")) {
        const auto stations = StationSet::parse(value.section(QLatin1Char(':'), 0, 0));
        bool ok = false;
        const int code = value.section(QLatin1Char(':'), 1).toInt(&ok);
        if (!stations || !ok || code < 0 || code > 9 || value.count(QLatin1Char(':')) != 1)
            return fail("lamp-code", value);
        config.lampFaults.addCode(*stations, code);
    }
    for (const QString& value : parser.values("mute-lamps")) {
        const auto stations = StationSet::parse(value);
        if (!stations)
            return fail("mute-lamps", value);
        config.lampFaults.mute(*stations);
    }
    if (parser.isSet("lamp-delay")) {
        const auto delay = numberPair(parser.value("lamp-delay"), 0);
        if (!delay || delay->second < 0)
            return fail("lamp-delay", parser.value("lamp-delay"));
        config.lampFaults.setDelay(delay->first, delay->second);
    }
    if (parser.isSet("flood")) {
        const auto flood = LinkFlood::parse(parser.value("flood"));
        if (!flood)
            return fail("flood", parser.value("flood"));
        config.flood = *flood;
    }
    const auto seed = number(parser.value("seed"));
    if (!seed)
        return fail("seed", parser.value("seed"));
    config.lampFaults.seed(unsigned(*seed));
    config.listRecords = parser.isSet("list-records");
    config.capturePath = parser.value("capture");
    config.replayPath = parser.value("replay");
    bool speedRead = false;
    config.replaySpeed = parser.value("replay-speed").toDouble(&speedRead);
    if (!speedRead || !(config.replaySpeed > 0) || config.replaySpeed > 1000)
        return fail("replay-speed", parser.value("replay-speed"));
    if (!config.replayPath.isEmpty() && config.transport != SimConfig::Transport::Tcp)
        return QStringLiteral("--replay plays a TCP capture: it does not go with --pty or --serial");
    return config;
}

} // namespace zkn::pbxsim
