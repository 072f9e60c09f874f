#pragma once

#include <QString>
#include <QStringList>

namespace zkn::run {

// How one step of a plan went, as the reports give it.
struct StepResult
{
    QString name;
    bool passed = false;
    qint64 ms = 0;
    QString message;   // what failed, or the figures of a pass
    QStringList events; // the boxes the tool would have shown, "title: text", in order
    int records = 0;    // records that arrived during the step
};

} // namespace zkn::run
