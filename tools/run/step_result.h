// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
    QDateTime started;
    qint64 ms = 0;
    QString message; // what failed, or the figures of a pass
    QList<RunEvent> events;
    int records = 0;         // records that arrived during the step
    QStringList recordTexts; // and what they were, as the terminal shows them
    int undecoded = 0;       // of them, those the decoder found faults in
    QList<std::pair<QString, qint64>> figures; // e.g. sent and answered of a lamps step

    QStringList eventTexts() const
    {
        QStringList texts;
        for (const RunEvent& event : events)
            texts.append(event.text);
        return texts;
    }
};

} // namespace zkn::run
