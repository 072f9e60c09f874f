#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace zkn {

class frmTerminal;

// "Debug Options": the live switches with which the operator tests the PBX's side of the LAN
// link. They are read from the store when the dialog loads and stored when it unloads (at the
// end of the run, or when closed with its close box); "Close" only hides it.
class FrmDebugOptions : public QDialog
{
    Q_OBJECT

public:
    explicit FrmDebugOptions(frmTerminal& main);

    void load();
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
    bool m_loaded = false;

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
