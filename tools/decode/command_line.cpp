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
    "\nExit status:\n"
    "  0  every record decoded without a message\n"
    "  1  a record raised a message (an unknown call type, an unknown party kind, ...)\n"
    "  2  a mistake on the command line, or a file that cannot be read\n"
    "\nExamples:\n"
    "  zkn-decode --kra zkn.log\n"
    "  zkn-decode --kra --json zkn.log | jq -r .areas.calling.boxes.STN\n";

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
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object per record, one per line."));
    parser.addOptions({kra, olv, json});
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

    DecodeConfig config;
    if (parser.isSet(kra))
        config.format = decode::RecordFormat::Kra;
    else if (parser.isSet(olv))
        config.format = decode::RecordFormat::Olv;
    config.json = parser.isSet(json);
    config.inputs = parser.positionalArguments();
    if (config.inputs.isEmpty())
        config.inputs.append(QStringLiteral("-"));
    return config;
}

} // namespace zkn::decodetool
