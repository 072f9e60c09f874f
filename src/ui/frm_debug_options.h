#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace zkn {

class frmTerminal;

// "Debug Options": the live switches with which the operator tests the PBX's side of the LAN
// link. The store is read once, at start-up; from then on the switches are the truth, as the link
// changes them too (a forced answer falls back to normal). They are stored when the dialog
// unloads: closed with its close box, and always at the end of the run. "Close" only hides it.
class FrmDebugOptions : public QDialog
{
    Q_OBJECT

public:
    explicit FrmDebugOptions(frmTerminal& main);

    // Reads the switches from the store.
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

    frmTerminal& m_main;

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
