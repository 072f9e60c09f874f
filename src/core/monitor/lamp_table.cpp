// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/lamp_table.h"

#include "link/frame_reader.h"

namespace zkn::monitor {

QByteArray LampTable::stationsOf(const lamp::LampCommand& command)
{
    return command.secondStation.isEmpty() ? command.firstStation
                                           : command.firstStation + '-' + command.secondStation;
}

void LampTable::set(const lamp::LampCommand& command, qint64 timeUs)
{
    const QByteArray stations = stationsOf(command);
    const auto found = m_rows.find(stations);
    if (found == m_rows.end() && m_rows.size() >= kMostStations) {
        ++m_leftOut;
        return;
    }
    m_rows[stations] = {command.function, timeUs, std::nullopt, false};
    ++m_changes;
}

LampTable::Row* LampTable::rowSetAt(const lamp::LampCommand& command, qint64 setUs)
{
    const auto found = m_rows.find(stationsOf(command));
    if (found == m_rows.end() || found->second.setUs != setUs)
        return nullptr;
    return &found->second;
}

void LampTable::answered(const lamp::LampCommand& command, qint64 setUs, int code)
{
    if (Row* row = rowSetAt(command, setUs)) {
        row->code = code;
        ++m_changes;
    }
}

void LampTable::timeUp(const lamp::LampCommand& command, qint64 setUs)
{
    if (Row* row = rowSetAt(command, setUs)) {
        row->timeUp = true;
        ++m_changes;
    }
}

QByteArray LampTable::answerWords(const Row& row)
{
    if (!row.code)
        return row.timeUp ? "no answer" : "awaited";
    if (*row.code == 0)
        return "ok";
    return "code " + QByteArray::number(*row.code) + ' ' + link::responseText(*row.code);
}

namespace {

QByteArray secondsText(qint64 us)
{
    return QByteArray::number(us / 1'000'000) + '.' +
           QByteArray::number(us % 1'000'000).rightJustified(6, '0');
}

} // namespace

QByteArray LampTable::csv(bool troubleOnly) const
{
    QByteArray text = "station,function,set_at,answer\n";
    for (const auto& [stations, row] : m_rows)
        if (!troubleOnly || isTrouble(row))
            text += stations + ',' + lamp::functionWords(row.function).toLatin1() + ',' +
                    secondsText(row.setUs) + ",\"" + answerWords(row) + "\"\n";
    return text;
}

} // namespace zkn::monitor
