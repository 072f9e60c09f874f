// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/sequence_counter.h"

namespace zkn::link {

qint16 SequenceCounter::NextSequence()
{
    if (m_counter == 99)
        m_counter = -1;
    return ++m_counter;
}

} // namespace zkn::link
