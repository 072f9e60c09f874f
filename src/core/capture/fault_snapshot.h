// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <deque>
#include <optional>
#include <vector>

namespace zkn::capture {

// What the link did lately, kept for a snapshot when something goes wrong: the terminal's text
// and the link's packets of the last span, by wall-clock time. Faults that follow each other
// closely are one burst, and a burst gets one snapshot: a flood of bad frames is one file, not
// one per frame.
class FaultSnapshot
{
public:
    struct Entry
    {
        enum class Kind
        {
            Text,  // terminal text (or a frame's trace), as it was shown
            Packet // a packet of the capture, of `linkType`
        };
        qint64 epochUs = 0;
        Kind kind = Kind::Text;
        int linkType = 0;
        QByteArray bytes;
    };

    static constexpr qint64 kQuietUs = 10'000'000; // a burst ends after this long without a fault
    // A flood never takes more memory than this, counted with what each entry costs beside its bytes.
    static constexpr qsizetype kMaxBytes = 16 * 1024 * 1024;

    explicit FaultSnapshot(qint64 spanUs = 60'000'000) : m_spanUs(spanUs) {}
    void setSpanUs(qint64 spanUs) { m_spanUs = spanUs; }

    // Times never go back: an entry stamped before the last one is kept at the last one's time.
    void add(Entry entry);
    // A fault at `epochUs`; true when it begins a burst, and then recent() is the snapshot's.
    bool fault(qint64 epochUs);
    // What is kept, oldest first: the entries of the last span before the newest.
    const std::deque<Entry>& recent() const { return m_entries; }
    // The packets kept of the newest packet's link type: a capture file holds one line.
    std::vector<const Entry*> packets() const;
    void clear();

private:
    void forgetOld(qint64 nowUs);

    qint64 m_spanUs;
    std::deque<Entry> m_entries;
    qsizetype m_bytes = 0;
    std::optional<qint64> m_lastFaultUs;
};

// The snapshot as text: a heading that says what went wrong and when, then the text entries, each
// line behind its wall-clock time to the millisecond.
QByteArray snapshotText(const std::deque<FaultSnapshot::Entry>& entries, const QString& fault,
                        qint64 faultUs);

} // namespace zkn::capture
