// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/expansion_option.h"

namespace zkn {

void ExpansionOption::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Q_EMIT enabledChanged(enabled);
}

} // namespace zkn
