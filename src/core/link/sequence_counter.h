// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace zkn::link {

// Numbers every frame the tool originates (kinds 1, 5 and 6 together): 0, 1, ..., 99, 0, ...
// The numbering lives for the whole run and goes on across connections.
class SequenceCounter
{
public:
    qint16 NextSequence();
    qint16 last() const { return m_counter; }

private:
    qint16 m_counter = -1; // so that the first frame carries "00"
};

} // namespace zkn::link
