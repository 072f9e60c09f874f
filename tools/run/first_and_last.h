// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <deque>

namespace zkn::run {

// A list that keeps its first and last `kEach` items and counts the ones between, so a step that
// runs for days against a PBX that never stops keeps what a report shows, not everything.
template <typename T> class FirstAndLast
{
public:
    static constexpr qsizetype kEach = 20;

    void append(T item)
    {
        ++m_total;
        if (m_first.size() < kEach) {
            m_first.append(std::move(item));
            return;
        }
        m_last.push_back(std::move(item));
        if (qsizetype(m_last.size()) > kEach)
            m_last.pop_front();
    }
    bool isEmpty() const { return m_total == 0; }
    // Every item appended, kept or not.
    qsizetype size() const { return m_total; }
    const T& last() const { return m_last.empty() ? m_first.back() : m_last.back(); }
    // Those left out between the first and the last kept.
    qsizetype leftOut() const { return m_total - m_first.size() - qsizetype(m_last.size()); }
    // The items kept, in order.
    QList<T> kept() const
    {
        QList<T> items = m_first;
        items.append(QList<T>(m_last.begin(), m_last.end()));
        return items;
    }

private:
    QList<T> m_first;
    std::deque<T> m_last;
    qsizetype m_total = 0;
};

} // namespace zkn::run
