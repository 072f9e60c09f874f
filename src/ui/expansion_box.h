// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>
#include <QList>

class QLineEdit;

namespace zkn {

class ConnectionOptions;
class ExpansionOption;
namespace settings {
class SettingsStore;
}

// "ZKN Expansion Enabled (Index 246 bit-3)" in a lamp dialog: a view of the one expansion option
// the two lamp dialogs share. It follows the option both ways and sizes the dialog's station boxes
// by it (6 characters, a longer text cut, or 8). As its dialog becomes active it takes the stored
// state and is offered only for an OLV PBX; as the dialog stops being active the state is stored.
class ExpansionBox : public QCheckBox
{
    Q_OBJECT

public:
    ExpansionBox(const QString& caption, ExpansionOption& option, settings::SettingsStore& store,
                 const ConnectionOptions& connection, QWidget* parent);

    void setStationBoxes(const QList<QLineEdit*>& boxes) { m_boxes = boxes; }
    void dialogActivationChanged(bool active);

private:
    void apply(bool expanded);

    ExpansionOption& m_option;
    settings::SettingsStore& m_store;
    const ConnectionOptions& m_connection;
    QList<QLineEdit*> m_boxes;
};

} // namespace zkn
