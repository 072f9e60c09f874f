#pragma once

#include "link/link_engine.h"
#include "link_timer_driver.h"
#include "link_wiring.h"
#include "log_file.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "serial_line.h"
#include "settings/settings_store.h"
#include "shutdown_sequence.h"
#include "system_clock.h"
#include "tcp_link.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QSpinBox;

namespace zkn {

class Indicator;
class Operator;
class TerminalView;
class frmProperties;
class FrmDebugOptions;
class FrmDebug;
class FrmDBSerial;
class frmAbout;
class frmSplash;

// The main window, and the program: it owns the settings, the live options, the transports, the
// log and every other window, runs the start-up and the shutdown, and carries the commands in its
// menus and tool bar.
class frmTerminal : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmTerminal(Operator& op, QWidget* parent = nullptr);
    ~frmTerminal() override;

    // Start-up: the splash window; once it is painted, the stored settings and the hidden windows;
    // then, once the splash is gone (a key, a click or `splashMs`), `ready` runs (it normally
    // shows this window). It returns before the settings are applied.
    void startUp(std::function<void()> ready, int splashMs = 10000);

    // The terminal font sizes in points, by spinner step; step 0 is never used.
    static constexpr int kFontSizes[6] = {0, 5, 6, 9, 12, 14};

    settings::SettingsStore& store() { return m_store; }
    ConnectionOptions& connection() { return m_connection; }
    DebugOptions& debugOptions() { return m_debug; }
    SerialLine& serial() { return m_serial; }
    TcpLink& socket() { return m_socket; }
    link::LinkEngine& engine() { return *m_engine; }
    LogFile& log() { return m_log; }
    Operator& op() { return m_operator; }
    TerminalView* terminal() const { return m_txtTerm; }
    frmProperties* properties() const { return m_properties; }
    FrmDebugOptions* debugOptionsWindow() const { return m_debugOptions; }
    FrmDebug* lanDebugWindow() const { return m_lanDebug; }

    // A menu item or tool-bar button by its name (menu items "mnu...", buttons by their key).
    QAction* action(const QString& name) const;
    void setPanelText(const QString& key, const QString& text);
    QString panelText(const QString& key) const;
    Indicator* indicator(const QString& name) const;

    // Appends a line to the terminal; the open log gets the same bytes.
    void WriteTerminal(const QByteArray& text);
    void UpdateSettingsPanel();
    // The small window shown while the PBX releases the link.
    void showWaitWindow(bool shown);

    void mnuOpenLog_Click();
    void mnuCloseLog_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildCentre();
    void buildStatusBar();
    void wireCommands();
    void onToolButton(const QString& key);
    void applyFontStep(int step);
    void showLogState(bool open);
    void showPortOpen(bool open);
    void applyConnectionType(const QString& type);
    void continueStartUp(int splashMs);
    void applyStoredSettings();
    void finishStartUp();
    void unloadWindows();
    void wireLink();
    void prepareShutdown();
    void releaseLinkForShutdown(ShutdownSequence::Next next);
    void waitForLinkClosed(ShutdownSequence::Next next);

    Operator& m_operator;
    settings::SettingsStore m_store;
    ConnectionOptions m_connection;
    DebugOptions m_debug;
    SerialLine m_serial;
    TcpLink m_socket;
    LogFile m_log;
    ShutdownSequence m_shutdown;
    SystemClock m_clock;

    TerminalView* m_txtTerm = nullptr;
    QSpinBox* m_fontStep = nullptr;
    QLabel* m_fontLabel = nullptr;
    QLabel* m_delayLabel = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QLabel*> m_panels;
    QHash<QString, Indicator*> m_indicators;

    frmProperties* m_properties = nullptr;
    FrmDebugOptions* m_debugOptions = nullptr;
    FrmDebug* m_lanDebug = nullptr;
    FrmDBSerial* m_serialBuffer = nullptr;
    QPointer<frmAbout> m_about;
    QPointer<frmSplash> m_splash;
    QPointer<QWidget> m_wait;
    // Declared last: they use the windows above.
    LinkWiring* m_wiring = nullptr;
    std::unique_ptr<link::LinkEngine> m_engine;
    LinkTimerDriver* m_driver = nullptr;
    std::function<void()> m_ready;
    bool m_mayClose = false;
};

} // namespace zkn
