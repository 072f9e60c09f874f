// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/record_parts.h"
#include "fault_snapshots.h"
#include "log_file.h"
#include "monitor_choices.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QHostAddress;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace zkn {

class LampTableModel;
class LinkWatcher;
class Operator;
class TerminalView;
namespace monitor {
struct WatchedFrame;
struct WatchFault;
} // namespace monitor

// "Monitor": a real message centre's link to the PBX watched, through a relay the message centre
// connects to instead of the PBX, or a tap on a serial line; the tool sends nothing. Its own
// terminal and log show both directions, frame by frame, with the faults found; the figures, the
// stations refused or unanswered and the lamps set are shown live and export as CSV. The choices
// are kept in the settings' own section.
class FrmMonitor : public QWidget
{
    Q_OBJECT

public:
    FrmMonitor(QWidget* parent, Operator& op, settings::SettingsStore& store);
    ~FrmMonitor() override;

    void showWindow();
    // Whether the tool's own link is open: the watch does not start while it is.
    void setToolLinkOpen(std::function<bool()> open) { m_toolLinkOpen = std::move(open); }
    bool isMonitoring() const { return m_running; }
    // Starts watching as the form says; why it cannot, said in the window as well.
    void startWatch();
    void stopWatch();
    // A line on its terminal, in the tool's local marker.
    void note(const QString& text);
    TerminalView* terminal() const { return m_terminal; }
    QSize sizeHint() const override { return {1120, 700}; }

Q_SIGNALS:
    // Watching began or ended: the tool's own link waits meanwhile.
    void monitoringChanged(bool on);
    // A record one side sent, for the breakdown window.
    void recordSeen(const QByteArray& record, bool parityGood, decode::RecordFormat format);

protected:
    void closeEvent(class QCloseEvent* event) override;

private:
    void buildForm();
    void buildLayout();
    void wireCommands();
    MonitorChoices choices() const;
    void applyChoices(const MonitorChoices& choices);
    void showRunning(bool running);
    // Said in the window when it is.
    bool toolLinkOpen();
    void say(const QString& state);
    void startRelay(const MonitorChoices& chosen);
    void relayTo(const MonitorChoices& chosen, const QHostAddress& pbx);
    void startTap(const MonitorChoices& chosen);
    std::unique_ptr<LinkWatcher> newWatcher(const MonitorChoices& chosen);
    void begin(const QString& state);
    void tapPacketsForSnapshots();
    void frameSeen(const monitor::WatchedFrame& frame);
    void faultSeen(LinkWatcher& seenBy, const monitor::WatchFault& fault);
    void refreshFigures();
    void chooseCapture(bool on);
    void exportTable();

    Operator& m_operator;
    settings::SettingsStore& m_store;
    LogFile m_log;
    FaultSnapshots m_snapshots;
    std::unique_ptr<LinkWatcher> m_watcher; // kept after a stop, for its figures and tables
    std::function<bool()> m_toolLinkOpen;
    bool m_running = false;
    bool m_showHealth = true;
    decode::RecordFormat m_recordFormat = decode::RecordFormat::Kra;
    int m_lookup = -1; // the PBX host's lookup under way
    qint64 m_lampChangesShown = -1;
    bool m_firstShow = true;
    QString m_captureFile;
    QString m_lastFolder;
    QTimer m_figuresEvery;

    QRadioButton* m_relay;
    QRadioButton* m_tap;
    QLineEdit* m_listenAddress;
    QSpinBox* m_listenPort;
    QLineEdit* m_pbxHost;
    QSpinBox* m_pbxPort;
    QComboBox* m_tapPbxPort;
    QComboBox* m_tapMcPort;
    QLineEdit* m_tapSettings;
    QComboBox* m_tapFormat;
    QComboBox* m_parity;
    QPushButton* m_start;
    QPushButton* m_stop;
    QCheckBox* m_showHealthBox;
    QCheckBox* m_capture;
    QCheckBox* m_snapshot;
    QPushButton* m_openLog;
    QPushButton* m_closeLog;
    QLabel* m_state;
    QLabel* m_faults;
    QLabel* m_figures;
    TerminalView* m_terminal;
    QTabWidget* m_tables;
    LampTableModel* m_troubleModel;
    LampTableModel* m_lampsModel;
    QTableView* m_troubleTable;
    QTableView* m_lampsTable;
    QPushButton* m_export;
    QPushButton* m_close;
};

} // namespace zkn
