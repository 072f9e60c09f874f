// zkn-decode: the tool's record decoder on the command line, for log files and captures.
#include "block_reader.h"
#include "command_line.h"
#include "record_finder.h"
#include "record_printer.h"
#include "stored_layout.h"

#include <QCoreApplication>

#include <cstdio>

using namespace zkn::decodetool;

namespace {

// Exit statuses.
constexpr int kClean = 0;
constexpr int kMessages = 1;
constexpr int kFailure = 2;

void printError(const QString& message)
{
    std::fprintf(stderr, "zkn-decode: %s\n", qPrintable(message));
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
    RecordPrinter printer(
        format, config.json ? RecordPrinter::Style::JsonLines : RecordPrinter::Style::Readable, stdout);
    int status = kClean;
    for (const QString& input : config.inputs) {
        // A record never runs from one file into the next.
        RecordFinder finder([&printer](QByteArrayView record) { printer.print(record); });
        // What a block gave goes out before the next is read, so a followed log shows at once.
        const auto failure = readBlocks(input, [&](QByteArrayView block) {
            finder.feed(block);
            printer.flush();
        });
        if (failure) {
            printError(QStringLiteral("%1: %2").arg(input, *failure));
            status = kFailure;
        }
    }
    if (!printer.flush()) {
        printError(QStringLiteral("cannot write the output"));
        return kFailure;
    }
    return status == kClean && printer.anyMessage() ? kMessages : status;
}
