// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace zkn::run {

// What became of a lamps step's messages, in the words every report uses: "answered" (a response
// came, whatever its code), "ok" (code 0), "refused" (another code), "unanswered" (none within
// 10 s). On the serial line no answer comes: a message either went out or the tool said why not.
class LampTally
{
public:
    // The message for `station` ("1000", or "1000-1009" for a range) is sent.
    void sending(const QString& station);
    void answered(int code);
    void unanswered();
    void wentOut();
    void notSent(const QString& why);

    bool allWell() const { return m_well == m_sent; }
    // "2 sent, 2 answered: 1 ok, 1 refused; 1001: code 3 ** INCORRECT TEXT RECV'd **"; over the
    // serial line "2 sent" or "1 of 2 sent; 1001: why". The first 20 stations that went wrong are
    // named, then how many more.
    QString text(bool answersCome) const;
    QList<std::pair<QString, qint64>> figures(bool answersCome) const;

private:
    void wentWrong(const QString& what);

    static constexpr int kStationsNamed = 20;
    QString m_station;
    int m_sent = 0;
    int m_well = 0; // ok, or out on the serial line
    int m_refused = 0;
    int m_unanswered = 0;
    QStringList m_wrong;
    int m_wrongLeftOut = 0;
};

} // namespace zkn::run
