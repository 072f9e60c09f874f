// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

#include "app_identity.h"

#include <QCommandLineParser>

namespace zkn::decodetool {

namespace {

constexpr char kDescription[] =
    "Finds every call-information record (STX, three header characters of which the third is J,\n"
    "the body, ETX) in the files named, or in standard input when none is named or for \"-\", and\n"
    "decodes each as the ZKN-Control Tool's breakdown window does. Whatever lies between records,\n"
    "such as a log file's time stamps, is skipped; blanks may be shown as \".\". One result per\n"
    "record, in the order found.\n"
    "\n"
    "A packet capture (pcap or pcapng, told by its first bytes) gives the records the PBX sent: over\n"
    "TCP (IPv4 or IPv6 on Ethernet, VLAN-tagged or not, Linux cooked, loopback or raw IP) each\n"
    "connection is put back in order and its link frames are found, on the tool's serial capture\n"
    "the PBX's bytes are searched as a log is. --frames lists the link frames instead.\n"
    "\n"
    "The layout is KRA or OLV as --kra or --olv says; without either, as the tool's stored settings\n"
    "choose it: KRA when the connection method is LAN or the PBX type selects KRA\n"
    "(~/.config/ZKN-Control Tool/ZKN-Control Tool.ini; XDG_CONFIG_HOME moves it).\n"
    "\n"
    "Without --json each record gets a heading with the window's caption, then one line per filled\n"
    "box (\"Calling Party (Station)  STN: 2003....\") and one per message the decode raised.";

constexpr char kEpilogue[] =
    "\nWith --json, one object per record with the keys record (the text as found), caption, areas\n"
    "(source, calling, called, extended, callType, ani: null when empty, else the frame's number,\n"
    "caption and boxes by label) and messages (title and text of each box the decode raised).\n"
    "\nWith --frames, one line per link frame of a TCP capture: the time (UTC), the side that sent it,\n"
    "its kind, device and sequence, the check byte's verdict and its data. With --json too, one\n"
    "object per frame with time (seconds since the epoch), from (\"tool\" or \"pbx\"), kind, device,\n"
    "seq, check_good and data. The PBX is the end on port 60020; on another port, the end that\n"
    "answered the SYN; when the connection's start is not in the capture, the end on the lower port.\n"
    "\nExit status:\n"
    "  0  every record decoded without a message\n"
    "  1  a record raised a message (an unknown call type, an unknown party kind, ...)\n"
    "  2  a mistake on the command line, or a file that cannot be read\n"
    "\nExamples:\n"
    "  zkn-decode --kra zkn.log\n"
    "  zkn-decode --kra --json zkn.log | jq -r .areas.calling.boxes.STN\n"
    "  zkn-decode --frames --json link.pcap | jq -c 'select(.check_good | not)'\n";

} // namespace

std::variant<DecodeConfig, InfoText, UsageError> parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption kra(QStringLiteral("kra"),
                                 QStringLiteral("Decode in the KRA (sectioned) layout."));
    const QCommandLineOption olv(QStringLiteral("olv"), QStringLiteral("Decode in the OLV (fixed) layouts."));
    const QCommandLineOption json(
        QStringLiteral("json"), QStringLiteral("Print one JSON object per record (or frame), one per line."));
    const QCommandLineOption frames(QStringLiteral("frames"),
                                    QStringLiteral("List a capture's link frames instead of its records."));
    const QCommandLineOption parity(
        QStringLiteral("parity"),
        QStringLiteral("Judge the frames' check bytes under odd (default) or even "
                       "parity."),
        QStringLiteral("odd|even"), QStringLiteral("odd"));
    parser.addOptions({kra, olv, json, frames, parity});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A file to read, \"-\" for standard input (default)."),
                                 QStringLiteral("[FILE...]"));

    if (!parser.parse(arguments))
        return UsageError{parser.errorText()};
    if (parser.isSet(help))
        return InfoText{parser.helpText() + QString::fromLatin1(kEpilogue)};
    if (parser.isSet(version))
        return InfoText{QStringLiteral("zkn-decode %1\n").arg(QLatin1StringView(kVersion))};
    if (parser.isSet(kra) && parser.isSet(olv))
        return UsageError{QStringLiteral("--kra and --olv exclude each other")};
    const QString parityName = parser.value(parity);
    if (parityName != QLatin1String("odd") && parityName != QLatin1String("even"))
        return UsageError{QStringLiteral("--parity is odd or even, not \"%1\"").arg(parityName)};

    DecodeConfig config;
    if (parser.isSet(kra))
        config.format = decode::RecordFormat::Kra;
    else if (parser.isSet(olv))
        config.format = decode::RecordFormat::Olv;
    config.json = parser.isSet(json);
    config.frames = parser.isSet(frames);
    config.parity = parityName == QLatin1String("odd") ? link::Parity::Odd : link::Parity::Even;
    config.inputs = parser.positionalArguments();
    if (config.inputs.isEmpty())
        config.inputs.append(QStringLiteral("-"));
    return config;
}

} // namespace zkn::decodetool
