// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace zkn {

// "ZKN Expansion Enabled (Index 246 bit-3)": one live option that the single-station lamp dialog
// and the load-test configuration both show and edit, and that decoding an OLV record sets.
class ExpansionOption : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

Q_SIGNALS:
    void enabledChanged(bool enabled);

private:
    bool m_enabled = false;
};

} // namespace zkn
