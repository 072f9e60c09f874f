// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace zkn {

// The load test's live configuration, edited by the configuration dialog and read by the link as
// it runs: the inter-message delay (shown by the main window), the range of the last OK, the
// file option, and the texts of the dialog's range boxes as they stand (the switch-off sweep
// goes by them when they hold a sound range).
class LoadTestOptions : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFirstDelay = 1;
    static constexpr int kLastDelay = 60000;
    static constexpr int kDefaultDelay = 300;

    using QObject::QObject;

    int delayMs() const { return m_delayMs; }
    qint32 startStation() const { return m_start; }
    qint32 endStation() const { return m_end; }
    bool useFile() const { return m_useFile; }
    QString startText() const { return m_startText; }
    QString endText() const { return m_endText; }

    // A delay outside 1 to 60000 ms is a caller's mistake: the dialog refuses it first.
    void setDelayMs(int ms);
    void setRange(qint32 start, qint32 end);
    void setUseFile(bool on) { m_useFile = on; }
    void setStartText(const QString& text) { m_startText = text; }
    void setEndText(const QString& text) { m_endText = text; }

Q_SIGNALS:
    void delayChanged(int ms);

private:
    int m_delayMs = kDefaultDelay;
    qint32 m_start = 0;
    qint32 m_end = 0;
    bool m_useFile = false;
    QString m_startText;
    QString m_endText;
};

} // namespace zkn
