// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A plan for zkn-run: the link to test, and the steps to take on it, read from JSON. Unknown
// keys are errors, so a typo is never silently ignored.

#include "lamp/lamp_function.h"
#include "link/frame_reader.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace zkn::run {

struct LanLink
{
    QString host;
    quint16 port = link::kLinkPort;
    int device = 0;
    bool oddParity = true;
};

struct SerialLink
{
    QString port;
    QString settings; // e.g. "9600,n,8,1"; empty: the stored ones
};

// The connection to test; none: the one the tool stored.
using LinkChoice = std::variant<std::monostate, LanLink, SerialLink>;

struct Step
{
    enum class Kind
    {
        Connect,  // the connect request answered with code 0 within `withinMs`
        Lamps,    // every lamp message answered with code 0 (on a serial line: sent)
        Records,  // at least `atLeast` records within `forMs`
        Release,  // the release answered and the connection closed within `withinMs`
        LoadTest, // the tool's load test over `range` (or `stationsFile`) for `messages` or `forMs`, then its
                  // sweep
        Resync    // the ledger's lamps sent again (or all off) within `withinMs`, within the limits
    };
    Kind kind = Kind::Connect;
    int withinMs = 10000;
    // Lamps: one message per station, or one for the range first to last.
    QList<qint32> stations;
    std::optional<std::pair<qint32, qint32>> range;
    lamp::LampFunction function = lamp::LampFunction::MwOn;
    int forMs = 0;
    int atLeast = 1;
    // Load test: its delay, how long it runs, and the limits it must keep.
    int delayMs = 300;
    int messages = 0;     // 0: for `forMs`
    QString stationsFile; // one station per line, in place of the range; relative to the plan's folder
    std::optional<int> maxUnanswered, maxRefused, maxAnswerMs;
    bool allOff = false; // resync: every lamp of the ledger switched off instead
};

struct Plan
{
    LinkChoice link;
    QList<Step> steps;
    bool stopOnFailure = false;
};

// The link as the reports name it: "lan 127.0.0.1:60020 device 1 odd", "serial /dev/ttyUSB0", "stored".
QString linkText(const LinkChoice& link);

// The name a step is reported under.
QString stepName(Step::Kind kind);

// The plan, or what is wrong with it: the file, the key and what was expected.
std::variant<Plan, QString> readPlan(const QByteArray& json, const QString& fileName);

} // namespace zkn::run
