// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp_tally.h"

#include "link/frame_reader.h"

namespace zkn::run {

void LampTally::sending(const QString& station)
{
    m_station = station;
    ++m_sent;
}

void LampTally::answered(int code)
{
    if (code == 0) {
        ++m_well;
        return;
    }
    ++m_refused;
    wentWrong(QStringLiteral("code %1 %2").arg(code).arg(QString::fromLatin1(link::responseText(code))));
}

void LampTally::unanswered()
{
    ++m_unanswered;
    wentWrong(QStringLiteral("unanswered"));
}

void LampTally::wentOut()
{
    ++m_well;
}

void LampTally::notSent(const QString& why)
{
    wentWrong(why);
}

void LampTally::wentWrong(const QString& what)
{
    if (m_wrong.size() < kStationsNamed)
        m_wrong.append(m_station + QStringLiteral(": ") + what);
    else
        ++m_wrongLeftOut;
}

QString LampTally::text(bool answersCome) const
{
    QString text;
    if (!answersCome) {
        text = allWell() ? QStringLiteral("%1 sent").arg(m_sent)
                         : QStringLiteral("%1 of %2 sent").arg(m_well).arg(m_sent);
    } else {
        QStringList parts{QStringLiteral("%1 ok").arg(m_well)};
        if (m_refused > 0)
            parts.append(QStringLiteral("%1 refused").arg(m_refused));
        if (m_unanswered > 0)
            parts.append(QStringLiteral("%1 unanswered").arg(m_unanswered));
        text = QStringLiteral("%1 sent, %2 answered: %3")
                   .arg(m_sent)
                   .arg(m_well + m_refused)
                   .arg(parts.join(QStringLiteral(", ")));
    }
    if (!m_wrong.isEmpty())
        text += QStringLiteral("; ") + m_wrong.join(QStringLiteral("; "));
    if (m_wrongLeftOut > 0)
        text += QStringLiteral("; and %1 more").arg(m_wrongLeftOut);
    return text;
}

QList<std::pair<QString, qint64>> LampTally::figures(bool answersCome) const
{
    if (!answersCome)
        return {{QStringLiteral("sent"), m_sent}, {QStringLiteral("out"), m_well}};
    return {{QStringLiteral("sent"), m_sent},
            {QStringLiteral("answered"), m_well + m_refused},
            {QStringLiteral("ok"), m_well},
            {QStringLiteral("refused"), m_refused},
            {QStringLiteral("unanswered"), m_unanswered}};
}

} // namespace zkn::run
