// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "first_and_last.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace zkn::run {

// A box the tool would have shown, "title: text", and when.
struct RunEvent
{
    QDateTime at;
    QString text;
};

// How one step of a plan went, as the reports give it.
struct StepResult
{
    QString name;
    bool passed = false;
    bool skipped = false; // never run: the link never came up
    QDateTime started;
    qint64 ms = 0;
    QString message; // what failed, or the figures of a pass
    FirstAndLast<RunEvent> events;
    int records = 0;                           // records that arrived during the step
    FirstAndLast<QString> recordTexts;         // and what they were, as the terminal shows them
    int undecoded = 0;                         // of them, those the decoder found faults in
    QList<std::pair<QString, qint64>> figures; // e.g. sent and answered of a lamps step

    // The texts of the events kept, with a line for those left out between them.
    QStringList eventTexts() const
    {
        QStringList texts;
        const QList<RunEvent> kept = events.kept();
        for (qsizetype i = 0; i < kept.size(); ++i) {
            if (i == FirstAndLast<RunEvent>::kEach && events.leftOut() > 0)
                texts.append(QStringLiteral("... %1 more events ...").arg(events.leftOut()));
            texts.append(kept[i].text);
        }
        return texts;
    }
};

} // namespace zkn::run
