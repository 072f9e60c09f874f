// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_log.h"

#include <QBuffer>
#include <QTemporaryFile>

namespace zkn::lamp {

namespace {

QByteArray numberOrEmpty(qint64 value)
{
    return value < 0 ? QByteArray() : QByteArray::number(value);
}

} // namespace

const char* lampFunctionName(LampFunction function)
{
    switch (function) {
    case LampFunction::MwOn:
        return "mw-on";
    case LampFunction::MwOff:
        return "mw-off";
    case LampFunction::VmmOn:
        return "vmm-on";
    case LampFunction::VmmOff:
        return "vmm-off";
    }
    return "";
}

LoadTestLog::LoadTestLog(std::size_t keptInMemory) : m_keptInMemory(keptInMemory) {}
LoadTestLog::~LoadTestLog() = default;
LoadTestLog::LoadTestLog(LoadTestLog&&) noexcept = default;
LoadTestLog& LoadTestLog::operator=(LoadTestLog&&) noexcept = default;

void LoadTestLog::start(const QDateTime& wallClock, qint64 nowUs)
{
    *this = LoadTestLog(m_keptInMemory);
    m_startWall = wallClock;
    m_startUs = nowUs;
}

void LoadTestLog::sent(qint64 nowUs, qint32 station, LampFunction function, int sequence)
{
    if (m_open)
        settle();
    m_open = LoadTestMessage{nowUs, station, function, sequence};
    ++m_count;
}

void LoadTestLog::answered(int code, qint64 answerMs)
{
    if (!m_open)
        return;
    m_open->code = code;
    m_open->answerMs = answerMs;
    settle();
}

void LoadTestLog::timedOut()
{
    if (!m_open)
        return;
    m_open->timedOut = true;
    settle();
}

void LoadTestLog::superseded()
{
    if (!m_open)
        return;
    m_open->superseded = true;
    settle();
}

LoadTestResults LoadTestLog::results() const
{
    return m_tally.results(m_open ? &*m_open : nullptr);
}

LoadTestChart LoadTestLog::chart(int bins) const
{
    return m_chart.chart(m_tally.answerTimes(), bins);
}

// Nothing more becomes of the last message sent.
void LoadTestLog::settle()
{
    const LoadTestMessage m = *std::exchange(m_open, std::nullopt);
    m_tally.add(m, sentAt(m));
    m_chart.add(m);
    keep(m);
}

void LoadTestLog::keep(const LoadTestMessage& m)
{
    if (m_kept.size() < m_keptInMemory)
        m_kept.push_back(m);
    else if (!m_unspilled.empty() || !spill(m))
        m_unspilled.push_back(m); // no room on disk: memory it is, rather than a lost row
}

bool LoadTestLog::spill(const LoadTestMessage& m)
{
    if (!m_spilled) {
        m_spilled = std::make_unique<QTemporaryFile>();
        if (!m_spilled->open()) {
            m_spilled.reset();
            return false;
        }
    }
    const QByteArray row = csvRow(m);
    return m_spilled->write(row) == row.size();
}

QDateTime LoadTestLog::sentAt(const LoadTestMessage& m) const
{
    return m_startWall.addMSecs((m.sentUs - m_startUs) / 1000);
}

QByteArray LoadTestLog::csvHeader()
{
    return "time_sent,station,function,sequence,code,answer_ms,timed_out,superseded\r\n";
}

QByteArray LoadTestLog::csvRow(const LoadTestMessage& m) const
{
    const QList<QByteArray> fields{sentAt(m).toString(Qt::ISODateWithMs).toLatin1(),
                                   QByteArray::number(m.station),
                                   lampFunctionName(m.function),
                                   numberOrEmpty(m.sequence),
                                   numberOrEmpty(m.code),
                                   numberOrEmpty(m.answerMs),
                                   m.timedOut ? "yes" : "no",
                                   m.superseded ? "yes" : "no"};
    // No field can hold a comma, a quote or a line end, so none needs quoting.
    return fields.join(',') + "\r\n";
}

bool LoadTestLog::writeCsvRows(QIODevice& to) const
{
    const auto writeRows = [&to, this](const std::vector<LoadTestMessage>& messages) {
        for (const LoadTestMessage& m : messages) {
            const QByteArray row = csvRow(m);
            if (to.write(row) != row.size())
                return false;
        }
        return true;
    };
    if (!writeRows(m_kept))
        return false;
    if (m_spilled) {
        if (!m_spilled->flush())
            return false;
        QFile spilled(m_spilled->fileName());
        if (!spilled.open(QIODevice::ReadOnly))
            return false;
        while (!spilled.atEnd()) {
            const QByteArray rows = spilled.read(1 << 16);
            if (rows.isEmpty() || to.write(rows) != rows.size())
                return false;
        }
    }
    if (!writeRows(m_unspilled))
        return false;
    return !m_open || writeRows({*m_open});
}

QByteArray LoadTestLog::csvRows() const
{
    QByteArray rows;
    QBuffer buffer(&rows);
    buffer.open(QIODevice::WriteOnly);
    writeCsvRows(buffer);
    return rows;
}

} // namespace zkn::lamp
