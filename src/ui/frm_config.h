// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace zkn {

class ConnectionOptions;
class ExpansionBox;
class ExpansionOption;
class LoadTestOptions;
class Operator;
namespace settings {
class SettingsStore;
}

// "Lamp Test Configuration": the load test's stations (a range, or the extensions file) and the
// delay between its messages. It opens in full, or with only the delay offered while a test runs.
// The range boxes' texts go live into the options for the switch-off sweep; everything else
// reaches the options on OK, which also stores the boxes' texts for the next run. The expansion
// option is the live model the single-station lamp dialog shows too.
class frmConfig : public QDialog
{
    Q_OBJECT

public:
    frmConfig(QWidget* parent, settings::SettingsStore& store, const ConnectionOptions& connection,
              ExpansionOption& expansion, LoadTestOptions& options, Operator& op);

    // The stations remembered from the last run (start-up).
    void setStations(const QString& start, const QString& end);
    // Shows the dialog with the stations and the file offered.
    void showFullMode();
    // Shows the dialog with only the delay offered, its text selected for typing over.
    void showDelayOnly();
    // Shows the dialog as the last of the two left it; the first time centred over the main window.
    void showDialog();

Q_SIGNALS:
    // OK accepted the values: the stations and the delay (full), or the delay alone.
    void configured(bool fullMode);

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QWidget* buildRange();
    QWidget* buildFileChoice();
    QWidget* buildDelay();
    void setStationsOffered(bool offered);
    void stepDelay(int delta);
    int delayValue() const;
    void warnDelay();
    void txtDelay_Edited();
    void cmdOK_Click();
    void cmdEditFile_Click();

    settings::SettingsStore& m_store;
    const ConnectionOptions& m_connection;
    ExpansionOption& m_expansion;
    LoadTestOptions& m_options;
    Operator& m_operator;

    QLineEdit* m_start = nullptr;
    QLineEdit* m_end = nullptr;
    QLineEdit* m_delay = nullptr;
    QCheckBox* m_useFile = nullptr;
    QPushButton* m_editFile = nullptr;
    ExpansionBox* m_index246 = nullptr;
    QStackedWidget* m_stations = nullptr; // the range boxes, or the file's frame in their place
    QWidget* m_range = nullptr;
    QWidget* m_fileChoice = nullptr;
};

} // namespace zkn
