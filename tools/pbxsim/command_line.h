// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"
#include "pbxsim/lamp_faults.h"
#include "pbxsim/link_flood.h"
#include "pbxsim/pbx_link.h"
#include "settings/serial_settings.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace zkn::pbxsim {

// Everything the command line asks of one run of zkn-pbxsim.
struct SimConfig
{
    enum class Transport
    {
        Tcp,
        Pty,
        Serial
    };

    struct CuedFault
    {
        int frame = 0; // number of the frame sent, from 1
        FrameFault fault;
    };

    Transport transport = Transport::Tcp;
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 60020;
    QString device;
    settings::LineParameters lineParameters;
    link::Parity parity = link::Parity::Odd;
    int refusal = 0;
    int records = 0;
    int recordIntervalMs = 1000;
    QList<QByteArray> recordTexts;
    int answerTimeoutMs = 2000;
    std::optional<std::pair<int, int>> muteHealth; // after, count (-1: all the rest)
    LampFaults lampFaults;
    int resetAfter = 0;
    int forgetLampsAfter = 0;
    int releaseAfter = 0;
    int hangUpAfter = 0;
    LinkFlood flood;
    QList<CuedFault> faults;
    int durationS = 0;
    QString capturePath; // empty: no capture
    QString replayPath;  // empty: the PBX's own logic answers, no replay
    double replaySpeed = 1.0;
    int replayTimeoutMs = 10000;
    bool listRecords = false;
};

// Reads the arguments (argv[0] first). --help and --version print and end the program as
// QCommandLineParser does; any other mistake comes back as a message.
std::variant<SimConfig, QString> parseCommandLine(const QStringList& arguments);

} // namespace zkn::pbxsim
