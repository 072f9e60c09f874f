// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace zkn {

class ConnectionOptions;
class DebugOptions;
namespace settings {
class SettingsStore;
}

// "Debug Options": the live switches with which the operator tests the PBX's side of the LAN
// link. The store is read once, at start-up; from then on the switches are the truth, as the link
// changes them too (a forced answer falls back to normal). They are stored when the dialog
// unloads: closed with its close box, and always at the end of the run. "Close" only hides it.
class FrmDebugOptions : public QDialog
{
    Q_OBJECT

public:
    FrmDebugOptions(QWidget* parent, DebugOptions& debug, ConnectionOptions& connection,
                    settings::SettingsStore& store);

    // Reads the switches from the store (once, at start-up).
    void load();
    // Stores the switches as they are now.
    void unload();
    void showDialog();

protected:
    void closeEvent(class QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void showOptions();
    void stepInterval(int delta);

    DebugOptions& m_debug;
    ConnectionOptions& m_connection;
    settings::SettingsStore& m_store;

    QCheckBox* m_detail = nullptr;
    QCheckBox* m_hex = nullptr;
    QCheckBox* m_toggleParity = nullptr;
    QCheckBox* m_ignoreParity = nullptr;
    QCheckBox* m_stopHealth = nullptr;
    QRadioButton* m_normal = nullptr;
    QRadioButton* m_parityError = nullptr;
    QRadioButton* m_invalidText = nullptr;
    QLineEdit* m_interval = nullptr;
};

} // namespace zkn
