// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a log of the given size as the tool writes one over a LAN link: every KRA record of the
// simulator's catalogue in turn, each received line followed by a health check, with time stamps
// running on. zkn-decode's speed is measured on it. Run: make_decode_log FILE MEGABYTES
#include "display/terminal_line.h"
#include "pbxsim/record_catalogue.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: make_decode_log FILE MEGABYTES\n");
        return 2;
    }
    QFile log(QString::fromLocal8Bit(argv[1]));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    const qint64 size = qint64(std::atoi(argv[2])) * 1024 * 1024;
    const QList<QByteArray> records = zkn::pbxsim::catalogueTexts(zkn::pbxsim::RecordLayout::Kra);
    QTime time(8, 0, 0);
    qint64 written = 0;
    for (qsizetype n = 0; written < size; ++n) {
        using namespace zkn::display;
        written += log.write(terminalLine(marker::Received, time, DotBlanks(records[n % records.size()])));
        written += log.write(
            terminalLine(marker::Sent, time, '(' + QByteArray::number(n % 100) + ") Health Check..."));
        time = time.addSecs(1);
    }
    return 0;
}
