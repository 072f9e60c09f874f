// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "operator/operator.h"

#include <QList>

#include <optional>

namespace zkn::decode {

// The boxes of decoding faults come one record at a time. While the boxes of one record are open,
// the faults of the records behind it open none (the caller says each on the terminal); once the
// last open box is closed, one more box with the last such fault's text says how many were not
// shown. A flood of undecodable records is then one box and a count, never thousands of boxes.
class DecodingBoxes
{
public:
    // A record's decode said `messages`: true when they are to be shown now as boxes; false when
    // boxes are open, and they have been counted instead.
    bool admit(const QList<Operator::Message>& messages);
    // A box that was shown has been closed. When it was the last one open and faults were not
    // shown meanwhile, returns the box that says how many; it counts as open from now.
    std::optional<Operator::Message> closed();

private:
    int m_open = 0;
    int m_notShown = 0;
    Operator::Message m_lastNotShown;
};

} // namespace zkn::decode
