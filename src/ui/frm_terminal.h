// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/decoding_boxes.h"
#include "decode/record_parts.h"
#include "link/link_output.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>

class QAction;
class QLabel;
class QSpinBox;

namespace zkn::lamp {
class LoadTestStats;
}

namespace zkn {

class ConnectionOptions;
enum class ConnectionType;
class DebugOptions;
class ExpansionOption;
class LoadTestOptions;
class Indicator;
class LinkCapture;
class LogFile;
class Operator;
class SerialLine;
class SerialPortRequests;
class TextFileSender;
class TerminalView;
class frmProperties;
class frmSingle;
class frmConfig;
class frmResults;
class frmLampLedger;
class FrmMonitor;
class ResyncOffer;
class StatusPanel;
class FrmBreakDown;
class FrmDebugOptions;
class FrmDebug;
class FrmDBSerial;
class frmAbout;
class frmCancelSend;
class frmSplash;
namespace settings {
class SettingsStore;
}

// What the main window shows and edits; the application owns it all.
struct MainWindowServices
{
    Operator& op;
    settings::SettingsStore& store;
    ConnectionOptions& connection;
    DebugOptions& debug;
    const SerialLine& serial;
    SerialPortRequests& port;
    LogFile& log;
    LinkCapture& capture;
    ExpansionOption& expansion;
    LoadTestOptions& loadTest;
};

// The windows opened from the main window, made by the application with it as their parent.
struct ToolWindows
{
    frmProperties* properties;
    FrmDebugOptions* debugOptions;
    FrmDebug* lanDebug;
    FrmDBSerial* serialBuffer;
    FrmBreakDown* breakDown;
    frmSingle* single;
    frmConfig* config;
    frmCancelSend* cancelSend;
    frmResults* results;
    frmLampLedger* lampLedger;
    FrmMonitor* monitor;
};

// The main window: menus, tool bar, indicators, terminal and status bar; the windows opened from
// them are given to it (adoptWindows). It shows what the link engine asks for and forwards the operator's
// link commands as signals; it runs the start-up with the splash window, and on a confirmed exit hands the
// shutdown to the application.
class frmTerminal : public QMainWindow
{
    Q_OBJECT

public:
    using Panel = link::LinkOutput::PanelId;

    // Every command of the menus and the tool bar; the menu items and tool-bar buttons carry the
    // names of the original window as object names.
    enum class Command
    {
        OpenLog,             // mnuOpenLog
        CloseLog,            // mnuCloseLog
        SendText,            // mnuSendText
        Exit,                // mnuFileExit
        Connect,             // mnuOpen
        Monitor,             // mnuMonitor
        Properties,          // mnuProperties
        LoadTestConfig,      // mnuConfig
        LoadTestStart,       // mnuStart
        LoadTestStop,        // mnuStop
        LoadTestResults,     // mnuResults
        LampTest,            // mnuCMWL
        DebugLan,            // mnuDisplayProperties
        DebugSerial,         // mnuDebugSerial
        Capture,             // mnuCapture
        SnapshotOnFault,     // mnuSnapshot
        Format,              // mnuFormat
        LampLedger,          // mnuLampLedger
        About,               // mnuAbout
        OpenLogButton,       // OpenLogFile
        CloseLogButton,      // CloseLogFile
        PropertiesButton,    // Properties
        SendTextButton,      // TransmitTextFile
        TestConfigButton,    // TestConfig
        StartTestButton,     // StartLoadTest
        StopTestButton,      // StopTest
        SingleStationButton, // SingleStation
        DelayButton,         // DelayValue
        Count
    };

    explicit frmTerminal(const MainWindowServices& services, QWidget* parent = nullptr);
    ~frmTerminal() override;

    // The windows its commands open and its link output feeds; given once, before startUp().
    void adoptWindows(const ToolWindows& windows);

    // Start-up: the splash window; once it is painted, the stored settings and the hidden windows;
    // then, once the splash is gone (a key, a click or `splashMs`), `ready` runs (it normally
    // shows this window). It returns before the settings are applied.
    void startUp(std::function<void()> ready, int splashMs = 10000);

    QAction* action(Command command) const { return m_actions[static_cast<std::size_t>(command)]; }
    TerminalView* terminal() const { return m_txtTerm; }
    frmLampLedger* lampLedgerWindow() const { return m_lampLedger; }
    FrmMonitor* monitorWindow() const { return m_monitor; }
    ResyncOffer* resyncOffer() const { return m_resyncOffer; }
    // A resynchronisation of the lamps runs (`progress`: how far) or ended (`progress`: its summary).
    void showResyncProgress(bool running, const QString& progress);
    frmProperties* properties() const { return m_properties; }
    FrmDebugOptions* debugOptionsWindow() const { return m_debugOptions; }
    FrmDebug* lanDebugWindow() const { return m_lanDebug; }
    FrmBreakDown* breakDownWindow() const { return m_breakDown; }
    frmSingle* singleStationWindow() const { return m_single; }
    frmConfig* loadTestConfigWindow() const { return m_config; }

    void mnuOpen_Click();
    void mnuOpenLog_Click();
    void mnuCloseLog_Click();
    void mnuSendText_Click();
    // Capture to File...: checked, it asks for the file; unchecked, the capture ends.
    void mnuCapture_Click(bool checked);
    // Captures the link to `path` from now on; a file that cannot be created is said in a box.
    void captureTo(const QString& path);

    // The end of the exit: the windows are unloaded and this one closes.
    void unloadWindows();
    void closeAfterShutdown();

    // What the link asks to be shown.
    void WriteTerminal(const QByteArray& text);
    void setPanelText(Panel panel, const QString& text);
    void UpdateSettingsPanel();
    void showConnected(bool connected);      // the connection picture
    void setConnectChecked(bool checked);    // the connect menu item
    void setSendTextEnabled(bool enabled);   // transmit text file, menu and button
    void setPropertiesEnabled(bool enabled); // properties, menu and button
    void setDebugLanEnabled(bool enabled);   // the LAN debug options item
    void setTxLamp(bool on);
    void setRxLamp(bool on);
    void setDsrIndicator(bool on);
    void showWaitWindow(bool shown);
    void showProperties();
    // The LAN debug window's traces of a received chunk and of a frame that left, when it is shown.
    void DebugPacket(const QByteArray& data);
    void traceSentFrame(const QByteArray& frame);
    // The serial buffer window's gauge, when it is shown.
    void showSerialBufferLevel();
    // A record the PBX sent, for the breakdown window's time and, when it wants it, decoding.
    void recordArrived(const QByteArray& record, bool parityGood, const QDateTime& when);
    void showLoadTestPhase(link::LoadTestPhase phase);
    void showLoadTestFigures(const lamp::LoadTestStats& figures, bool answersExpected);

Q_SIGNALS:
    // The connect command (menu item or the not-connected picture) and a click on the connected
    // picture, for the link engine.
    void connectCommand();
    void connectedPictureClicked();
    // The link stands (the PBX took the connect request, or the serial port is open with DSR),
    // and the link is shown down (also when it never came up).
    void linkEstablished();
    void linkEnded();
    // The operator confirmed the exit: the application shuts the link down, then calls
    // unloadWindows() and closeAfterShutdown().
    void exitConfirmed();
    // The load test's start and stop commands (menu items and tool-bar buttons).
    void loadTestStartCommand();
    void loadTestStopCommand();
    // Characters typed on the terminal, for the serial line.
    void keysTyped(const QByteArray& characters);
    // A block of the text file being sent went to the serial line.
    void textBlockWritten();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildCentre();
    void buildStatusBar();
    void wireCommands();
    void applyFontStep(int step);
    void showLogState(bool open);
    void showPortOpen(bool open);
    void applyConnectionType(ConnectionType type);
    void continueStartUp(int splashMs);
    void applyStoredSettings();
    void finishStartUp();
    void decodeIntoWindow(const QByteArray& record, bool messagesLater);
    void showDecodingBoxes(const QList<Operator::Message>& messages);
    void decodingBoxClosed(Operator::Answer answer);
    void decodeDoubleClicked(const QByteArray& word);
    void sendTextFile(const std::optional<QString>& path);
    void endTextTransmission(const QString& error);
    void refreshLoadTestFigures();
    QString fileDialogFolder() const;
    void loadTestConfigured(bool fullMode);
    // While a message centre is watched, the tool's own link waits: Port Open, Send and Start
    // are off, and the status bar says why.
    void showMonitoring(bool on);
    void decodeWatchedRecord(const QByteArray& record, bool parityGood, decode::RecordFormat format);
    // The load test's Start (menu item, button) as the test and its configuration offer it; held
    // back while a message centre is watched.
    void offerLoadTestStart(bool offered);
    void showLoadTestStart();

    Operator& m_operator;
    settings::SettingsStore& m_store;
    ConnectionOptions& m_connection;
    DebugOptions& m_debug;
    const SerialLine& m_serial;
    SerialPortRequests& m_port;
    LogFile& m_log;
    LinkCapture& m_capture;
    ExpansionOption& m_expansion;
    LoadTestOptions& m_loadTest;

    TerminalView* m_txtTerm = nullptr;
    QSpinBox* m_fontStep = nullptr;
    QLabel* m_fontLabel = nullptr;
    QLabel* m_delayLabel = nullptr;
    std::array<QAction*, static_cast<std::size_t>(Command::Count)> m_actions{};
    std::array<StatusPanel*, 4> m_panels{};   // by Panel
    StatusPanel* m_loadTestFigures = nullptr; // shown from the first load test on
    link::LoadTestPhase m_loadTestPhase = link::LoadTestPhase::Idle;
    const lamp::LoadTestStats* m_figures = nullptr;
    bool m_figuresOverTcp = false;
    QTimer m_figuresRefresh;
    decode::DecodingBoxes m_decodingBoxes;
    Indicator* m_connectionPicture = nullptr;
    // Lit and put out as the link says: the transmit and receive lamps stay lit 50 ms after the
    // last frame, so a short piece of work still shows.
    Indicator* m_txLed = nullptr;
    Indicator* m_rxLed = nullptr;
    Indicator* m_dsrLed = nullptr;

    frmProperties* m_properties = nullptr;
    FrmDebugOptions* m_debugOptions = nullptr;
    FrmDebug* m_lanDebug = nullptr;
    FrmDBSerial* m_serialBuffer = nullptr;
    FrmBreakDown* m_breakDown = nullptr;
    frmSingle* m_single = nullptr;
    frmConfig* m_config = nullptr;
    frmResults* m_results = nullptr;
    frmLampLedger* m_lampLedger = nullptr;
    FrmMonitor* m_monitor = nullptr;
    StatusPanel* m_monitoringPanel = nullptr; // shown while a message centre is watched
    bool m_monitoring = false;
    std::array<bool, 2> m_startOffered{false, true}; // the menu item's, the button's, as first built
    ResyncOffer* m_resyncOffer = nullptr;
    QPointer<frmAbout> m_about;
    TextFileSender* m_textSender = nullptr;
    frmCancelSend* m_cancelSend = nullptr;
    bool m_portTakesText = false; // the serial port is open for a text file
    bool m_sendingText = false;   // from the file choice to the end of the transmission
    QString m_lastFolder;         // of the last file chosen in a file dialog, for this run
    QPointer<frmSplash> m_splash;
    QPointer<QWidget> m_wait;
    std::function<void()> m_ready;
    bool m_exitConfirmed = false;
    bool m_askingToExit = false;
    bool m_mayClose = false;
};

} // namespace zkn
