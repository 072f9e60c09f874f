// SPDX-License-Identifier: GPL-3.0-or-later
#include "record_finder.h"

#include "link/frame_reader.h"
#include "link/serial_receiver.h"

namespace zkn::decodetool {

namespace {

constexpr qsizetype kTypePosition = 3; // the third header character, after STX
constexpr char kCallRecordType = 'J';
constexpr qsizetype kLongestRecord = link::SerialReceiver::kLongestRecord;

} // namespace

RecordFinder::RecordFinder(Handler handler) : m_handler(std::move(handler)) {}

void RecordFinder::feed(QByteArrayView block)
{
    // Each ETX closes the text from the last STX before it; each byte is looked at by one
    // forward and at most one backward search, so the work stays linear in the input.
    qsizetype from = 0;
    while (from < block.size()) {
        const qsizetype etx = block.indexOf(link::ETX, from);
        const qsizetype end = etx < 0 ? block.size() : etx + 1;
        const QByteArrayView stretch = block.sliced(from, end - from);
        const qsizetype stx = stretch.lastIndexOf(link::STX);
        if (etx < 0) {
            if (stx >= 0) {
                m_open.clear();
                m_openTooLong = false;
                keepOpen(stretch.sliced(stx));
            } else if (!m_open.isEmpty()) {
                keepOpen(stretch);
            }
            return;
        }
        if (stx >= 0) {
            offer(stretch.sliced(stx));
        } else if (!m_open.isEmpty() && !m_openTooLong) {
            m_open.append(stretch);
            offer(m_open);
        }
        m_open.clear();
        m_openTooLong = false;
        from = end;
    }
}

void RecordFinder::keepOpen(QByteArrayView text)
{
    if (m_openTooLong)
        return;
    m_open.append(text);
    if (m_open.size() > kLongestRecord) {
        m_open = m_open.first(1); // still open, so its ETX closes it
        m_openTooLong = true;
    }
}

void RecordFinder::offer(QByteArrayView text) const
{
    if (text.size() > kTypePosition && text.size() <= kLongestRecord &&
        text[kTypePosition] == kCallRecordType)
        m_handler(text);
}

} // namespace zkn::decodetool
