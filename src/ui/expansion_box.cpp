// SPDX-License-Identifier: GPL-3.0-or-later
#include "expansion_box.h"
#include "stored_settings.h"

#include "model/connection_options.h"
#include "model/expansion_option.h"
#include "station_box.h"

#include <QLineEdit>

namespace zkn {

ExpansionBox::ExpansionBox(const QString& caption, ExpansionOption& option, settings::SettingsStore& store,
                           const ConnectionOptions& connection, QWidget* parent)
    : QCheckBox(caption, parent), m_option(option), m_store(store), m_connection(connection)
{
    setChecked(m_option.isEnabled());
    connect(this, &QCheckBox::toggled, &m_option, &ExpansionOption::setEnabled);
    connect(&m_option, &ExpansionOption::enabledChanged, this, &ExpansionBox::apply);
}

void ExpansionBox::apply(bool expanded)
{
    const QSignalBlocker quiet(this);
    setChecked(expanded);
    for (QLineEdit* box : std::as_const(m_boxes))
        applyExpansionLength(box, expanded);
}

void ExpansionBox::dialogActivationChanged(bool active)
{
    if (!active) {
        storeExpansionOption(m_store, m_option);
        return;
    }
    loadExpansionOption(m_store, m_option);
    // The option belongs to the OLV PBX; for a KRA PBX it is shown but not offered.
    const bool olv = !m_connection.kraSelected();
    setEnabled(olv);
    if (olv)
        apply(m_option.isEnabled());
}

} // namespace zkn
