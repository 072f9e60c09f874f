// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-decode: the tool's record decoder on the command line, for log files and captures.
#include "capture_decoder.h"
#include "capture_reader.h"
#include "command_line.h"
#include "input_file.h"
#include "record_finder.h"
#include "stored_layout.h"

#include <QCoreApplication>

#include <cstdio>

using namespace zkn::decodetool;

namespace {

// Exit statuses.
constexpr int kClean = 0;
constexpr int kMessages = 1;
constexpr int kFailure = 2;

const char* layoutName(zkn::decode::RecordFormat format)
{
    return format == zkn::decode::RecordFormat::Kra ? "KRA" : "OLV";
}

void printError(const QString& message)
{
    std::fprintf(stderr, "zkn-decode: %s\n", qPrintable(message));
}

// Reads one input to its end, a capture or a log as its first bytes tell. Returns why it could
// not be read.
std::optional<QString> decodeInput(const QString& name, const DecodeTargets& targets, OutputBuffer& output)
{
    InputFile input([&output] { output.flush(); });
    if (auto failure = input.open(name))
        return failure;
    if (auto failure = input.peek(kCaptureMagicSize))
        return failure;
    if (isCapture(input.peeked()))
        return decodeCapture(input.stream(), targets);
    if (!targets.records)
        return std::nullopt; // a log holds no frames
    // A record never runs from one file into the next.
    RecordFinder finder([&targets](QByteArrayView record) { targets.records->print(record); });
    return input.readBlocks([&finder](QByteArrayView block) { finder.feed(block); });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkn-decode"));

    const auto parsed = parseCommandLine(QCoreApplication::arguments());
    if (const auto* info = std::get_if<InfoText>(&parsed)) {
        std::fputs(info->text.toUtf8().constData(), stdout);
        return kClean;
    }
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        printError(error->message + QStringLiteral("\nTry 'zkn-decode --help'."));
        return kFailure;
    }
    const DecodeConfig& config = std::get<DecodeConfig>(parsed);

    // The settings are read only when no option chose the layout.
    const zkn::decode::RecordFormat format =
        config.format ? *config.format : storedRecordFormat(zkn::settings::SettingsStore());
    const OutputStyle style = config.json ? OutputStyle::JsonLines : OutputStyle::Readable;
    OutputBuffer output(stdout);
    RecordPrinter records(format, style, output);
    FramePrinter frames(style, output);
    const DecodeTargets targets{config.frames ? nullptr : &records, config.frames ? &frames : nullptr,
                                config.parity};
    int status = kClean;
    for (const QString& input : config.inputs) {
        const int before = records.count();
        if (const auto failure = decodeInput(input, targets, output)) {
            printError(QStringLiteral("%1: %2").arg(input, *failure));
            status = kFailure;
        } else if (!config.frames && records.count() == before) {
            // Not an error, but worth a word: the wrong file, or a capture of another link.
            printError(QStringLiteral("%1: no record in it (records would be read in the %2 layout)")
                           .arg(input, QLatin1String(layoutName(records.format()))));
        }
    }
    if (!output.flush()) {
        printError(QStringLiteral("cannot write the output"));
        return kFailure;
    }
    return status == kClean && records.anyMessage() ? kMessages : status;
}
