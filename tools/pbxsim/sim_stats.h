// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pbxsim/lamp_board.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

namespace zkn::pbxsim {

// What happened on the link over a whole run, for the summary and for tests.
struct SimStats
{
    QMap<QString, int> framesIn; // by kind: "1" to "6", "junk", "text"
    QMap<QString, int> framesOut;
    QMap<QString, int> answerCodes; // the code of each kind "4" answer the tool gave
    int checkByteFailures = 0;      // frames from the tool whose check byte was wrong
    int connections = 0;
    int lampControls = 0;
    int lampRejected = 0; // lamp messages answered with code 3
    int recordsSent = 0;
    int recordsAnswered = 0;
    int recordTimeouts = 0;    // records the tool did not answer in time
    int answerWrongDevice = 0; // answers whose device field differs from the record's
    int answerUnmatched = 0;   // answers whose sequence matches no record awaiting one
    // How many answers came after each number of milliseconds: a run of days keeps to the few
    // distinct times there are.
    QMap<qint64, int> answerLatencyCounts;

    static QString kindKey(char kind);

    QJsonObject toJson(const LampBoard& lamps) const;
};

} // namespace zkn::pbxsim
