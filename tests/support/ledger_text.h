// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_ledger_file.h"

#include <QStringList>

namespace zkn::test {

// A ledger in one line, in station order: "1000 mw:on/confirmed/0 vmm:off/no-answer; 1001 ...".
inline QString ledgerText(const lamp::LampMap& stations)
{
    static const char* const kOutcomes[] = {"awaiting",   "confirmed", "refused",
                                            "unanswered", "no-answer", "not-sent"};
    QStringList out;
    for (auto it = stations.begin(); it != stations.end(); ++it) {
        QString s = QString::fromLatin1(it.key());
        for (const auto& [name, entry] : {std::pair{"mw", &it->mw}, std::pair{"vmm", &it->vmm}}) {
            if (!*entry)
                continue;
            s += QStringLiteral(" %1:%2/%3")
                     .arg(QLatin1String(name), (*entry)->on ? QStringLiteral("on") : QStringLiteral("off"),
                          QLatin1String(kOutcomes[int((*entry)->outcome)]));
            if ((*entry)->code >= 0)
                s += QLatin1Char('/') + QString::number((*entry)->code);
        }
        out.append(s);
    }
    return out.join(QStringLiteral("; "));
}

} // namespace zkn::test
