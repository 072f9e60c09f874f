// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_terminal.h"
#include "stored_settings.h"

#include "app_identity.h"
#include "display/font_steps.h"
#include "display/settings_panel.h"
#include "frm_about.h"
#include "frm_break_down.h"
#include "frm_cancel_send.h"
#include "frm_config.h"
#include "frm_db_serial.h"
#include "frm_debug.h"
#include "frm_debug_options.h"
#include "frm_lamp_ledger.h"
#include "frm_monitor.h"
#include "frm_properties.h"
#include "frm_results.h"
#include "frm_single.h"
#include "indicator.h"
#include "link_capture.h"
#include "log_file.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/load_test_options.h"
#include "open_log_command.h"
#include "operator/operator.h"
#include "pictures.h"
#include "resync_offer.h"
#include "serial_line.h"
#include "serial_port_requests.h"
#include "settings/settings_store.h"
#include "status_panel.h"
#include "terminal_view.h"
#include "text_file_sender.h"
#include "window_placement.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

namespace zkn {

namespace {

using Command = frmTerminal::Command;

struct MenuItem
{
    Command command;
    const char* name;
    const char* caption; // "-" for a separator
    bool enabled = true;
    bool checkable = false;
};

struct Menu
{
    const char* name;
    const char* caption;
    std::initializer_list<MenuItem> items;
    Command command = Command::Count; // a command on the menu bar itself, without items
};

// A separator has no command of its own.
constexpr Command kSeparator = Command::Count;

const Menu kMenus[] = {
    {"mnuFile",
     "&File",
     {{Command::OpenLog, "mnuOpenLog", "&Open Log File..."},
      {Command::CloseLog, "mnuCloseLog", "&Close Log File", false},
      {kSeparator, "M3", "-"},
      {Command::SendText, "mnuSendText", "&Transmit Text File...", false},
      {kSeparator, "Bar2", "-"},
      {Command::Exit, "mnuFileExit", "E&xit"}}},
    {"mnuConnection",
     "&Connection",
     {{Command::Connect, "mnuOpen", "Port &Open", true, true},
      {Command::Monitor, "mnuMonitor", "&Monitor a Message Centre..."},
      {kSeparator, "MBar1", "-"},
      {Command::Properties, "mnuProperties", "&Properties..."}}},
    {"mnuLoadTest",
     "&Load-Test",
     {{Command::LoadTestConfig, "mnuConfig", "&Configure"},
      {Command::LoadTestStart, "mnuStart", "&Start", false},
      {Command::LoadTestStop, "mnuStop", "S&top", false},
      {kSeparator, "MBar2", "-"},
      {Command::LoadTestResults, "mnuResults", "&Results..."}}},
    {"mnuCMWL", "Lam&p-Test", {}, Command::LampTest},
    {"mnuDisplay",
     "&Options",
     {{Command::DebugLan, "mnuDisplayProperties", "&Debug-LAN"},
      {Command::DebugSerial, "mnuDebugSerial", "Debug-&Serial"},
      {Command::Capture, "mnuCapture", "&Capture to File...", true, true},
      {Command::SnapshotOnFault, "mnuSnapshot", "Sna&pshot on Fault", true, true},
      {Command::Format, "mnuFormat", "&Format", true, true},
      {kSeparator, "MBar3", "-"},
      {Command::LampLedger, "mnuLampLedger", "Lamp &Ledger..."}}},
    {"mnuHelp", "&Help", {{Command::About, "mnuAbout", "&About"}}},
};

struct ToolButton
{
    Command command;
    const char* key;
    const char* description;
    const char* toolTip;
    bool enabled;
    bool groupEnds = false; // a separator follows
};

const ToolButton kToolButtons[] = {
    {Command::OpenLogButton, "OpenLogFile", "Open Log File...", "Open Log File...", true},
    {Command::CloseLogButton, "CloseLogFile", "Close Log File", "Close Log File", false, true},
    {Command::PropertiesButton, "Properties", "Properties...", "Properties...", true},
    {Command::SendTextButton, "TransmitTextFile", "Transmit Text File...", "Transmit Text File...", false,
     true},
    {Command::TestConfigButton, "TestConfig", "Configure MWL Test...", "Configure MWL Load Test", true},
    {Command::StartTestButton, "StartLoadTest", "Start Sending Messages...", "Start MWL load test", true},
    {Command::StopTestButton, "StopTest", "Stop Sending Messages", "Stop MWL load test", false, true},
    {Command::SingleStationButton, "SingleStation", "Lamp Control...", "Control Message Waiting Lamp...",
     true, true},
    {Command::DelayButton, "DelayValue", "Modify Inter-Message Delay", "Modify Inter-Message Delay...", true},
};

struct PanelLook
{
    const char* key;
    const char* text;
    const char* toolTip;
    int stretch;
};

// In the order of the engine's panels. Each is as wide as its text; the room left over goes to the
// settings.
const PanelLook kPanels[] = {
    {"Status", "Status:", "Connection Status", 0},
    {"Settings", "Settings:", "Connection Settings", 1},
    {"HealthChk", "", "Heath Check Timer Value", 0},
    {"ConnectTime", "", "Connect Time", 0},
};

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

frmTerminal::frmTerminal(const MainWindowServices& services, QWidget* parent)
    : QMainWindow(parent), m_operator(services.op), m_store(services.store),
      m_connection(services.connection), m_debug(services.debug), m_serial(services.serial),
      m_port(services.port), m_log(services.log), m_capture(services.capture),
      m_expansion(services.expansion), m_loadTest(services.loadTest)
{
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QLatin1String(kApplicationTitle));
    // The smallest window that still shows the tool bar, the indicators and some terminal.
    setMinimumSize(700, 250);
    resize(960, 520);

    buildMenus();
    buildToolBar();
    buildCentre();
    buildStatusBar();

    // Through the link, which owns the port.
    m_textSender = new TextFileSender(
        m_serial, [this](const QByteArray& block) { return m_port.writeTextBlock(block); }, this);

    wireCommands();
    applyConnectionType(m_connection.connectionType());
    applyFontStep(display::kDefaultFontStep);
}

frmTerminal::~frmTerminal() = default;

void frmTerminal::adoptWindows(const ToolWindows& windows)
{
    Q_ASSERT(!m_properties);
    m_properties = windows.properties;
    m_debugOptions = windows.debugOptions;
    m_lanDebug = windows.lanDebug;
    m_serialBuffer = windows.serialBuffer;
    m_breakDown = windows.breakDown;
    m_single = windows.single;
    m_config = windows.config;
    m_cancelSend = windows.cancelSend;
    m_results = windows.results;
    m_lampLedger = windows.lampLedger;
    m_monitor = windows.monitor;
    m_monitor->setToolLinkOpen([this] { return action(Command::Connect)->isChecked(); });
    connect(m_monitor, &FrmMonitor::monitoringChanged, this, &frmTerminal::showMonitoring);
    connect(m_monitor, &FrmMonitor::recordSeen, this, &frmTerminal::decodeWatchedRecord);
    connect(m_cancelSend, &frmCancelSend::cancelClicked, m_textSender, &TextFileSender::cancel);
    connect(m_config, &frmConfig::configured, this, &frmTerminal::loadTestConfigured);
    connect(m_breakDown, &FrmBreakDown::closedByOperator, this,
            [this] { action(Command::Format)->setChecked(false); });
    connect(m_lanDebug->view(), &TerminalView::textWritten, &m_log, &LogFile::write);
    connect(m_properties, &frmProperties::portReopened, this, &frmTerminal::showPortOpen);
}

void frmTerminal::buildMenus()
{
    for (const Menu& menu : kMenus) {
        if (menu.items.size() == 0) {
            QAction* command = menuBar()->addAction(QString::fromLatin1(menu.caption));
            command->setObjectName(QLatin1String(menu.name));
            m_actions[static_cast<std::size_t>(menu.command)] = command;
            continue;
        }
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(menu.caption));
        m->setObjectName(QLatin1String(menu.name));
        for (const MenuItem& item : menu.items) {
            QAction* a = item.command == kSeparator ? m->addSeparator()
                                                    : m->addAction(QString::fromLatin1(item.caption));
            a->setObjectName(QLatin1String(item.name));
            a->setEnabled(item.enabled);
            a->setCheckable(item.checkable);
            if (item.command != kSeparator)
                m_actions[static_cast<std::size_t>(item.command)] = a;
        }
    }
}

void frmTerminal::buildToolBar()
{
    auto* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("tbrToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    for (const ToolButton& b : kToolButtons) {
        QAction* a =
            bar->addAction(pictures::toolIcon(QLatin1String(b.key)), QString::fromLatin1(b.description));
        a->setObjectName(QLatin1String(b.key));
        a->setToolTip(QString::fromLatin1(b.toolTip));
        a->setEnabled(b.enabled);
        m_actions[static_cast<std::size_t>(b.command)] = a;
        if (b.groupEnds)
            bar->addSeparator();
    }

    // The inter-message delay of the load test, in milliseconds.
    auto* frame = new QFrame(bar);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    m_delayLabel = new QLabel(QString::number(m_loadTest.delayMs()), frame);
    m_delayLabel->setObjectName(QStringLiteral("Label1"));
    m_delayLabel->setMinimumWidth(m_delayLabel->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    m_delayLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_delayLabel->setAccessibleName(QStringLiteral("Inter-message delay (ms)"));
    auto* unit = new QLabel(QStringLiteral("(ms)"), frame);
    unit->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(m_delayLabel);
    layout->addWidget(unit);
    bar->addWidget(frame);
}

void frmTerminal::buildCentre()
{
    auto* centre = new QWidget(this);
    auto* row = new QHBoxLayout(centre);
    row->setContentsMargins(4, 4, 4, 4);

    auto* status = new QFrame(centre);
    status->setObjectName(QStringLiteral("FrameStatus"));
    status->setFrameShape(QFrame::StyledPanel);
    status->setFixedWidth(92);
    auto* column = new QVBoxLayout(status);

    m_connectionPicture =
        new Indicator(QStringLiteral("imgConnected"), pictures::connection(true),
                      QStringLiteral("imgNotConnected"), pictures::connection(false), status);
    m_connectionPicture->setObjectName(QStringLiteral("connection"));
    m_connectionPicture->setToolTip(QStringLiteral("Connect or release the link"));
    m_connectionPicture->setCursor(Qt::PointingHandCursor);
    m_connectionPicture->describe(QStringLiteral("Link"), QStringLiteral("Connected"),
                                  QStringLiteral("Not connected"));
    column->addWidget(m_connectionPicture);

    const struct
    {
        Indicator** led;
        const char* name;
        const char* caption;
        const char* meaning;
        QColor colour;
    } lamps[] = {{&m_txLed, "TxLED", "TX", "Transmit lamp", QColor(0, 220, 0)},
                 {&m_rxLed, "RxLED", "RX", "Receive lamp", QColor(255, 170, 0)},
                 {&m_dsrLed, "DsrLED", "DSR", "DSR lamp", QColor(255, 40, 30)}};
    for (const auto& lamp : lamps) {
        auto* line = new QHBoxLayout;
        *lamp.led = new Indicator(
            QLatin1String(lamp.name) + QStringLiteral("on"), pictures::lamp(lamp.colour, true),
            QLatin1String(lamp.name) + QStringLiteral("off"), pictures::lamp(lamp.colour, false), status);
        (*lamp.led)->setObjectName(QLatin1String(lamp.name));
        (*lamp.led)->describe(QLatin1String(lamp.meaning), QStringLiteral("On"), QStringLiteral("Off"));
        line->addWidget(*lamp.led);
        line->addWidget(captionLabel(QLatin1String(lamp.caption), status), 1);
        column->addLayout(line);
    }
    column->addStretch(1);

    // Its access key must not be one of the menus' (&File would alternate with it).
    auto* fontCaption = captionLabel(QStringLiteral("Font si&ze"), status);
    m_fontStep = new QSpinBox(status);
    m_fontStep->setObjectName(QStringLiteral("UpDown1"));
    m_fontStep->setRange(display::kFirstFontStep, display::kLastFontStep);
    m_fontStep->setToolTip(QStringLiteral("Terminal font size"));
    fontCaption->setBuddy(m_fontStep);
    m_fontLabel = new QLabel(status);
    m_fontLabel->setObjectName(QStringLiteral("Label3"));
    m_fontLabel->setToolTip(QStringLiteral("Points"));
    auto* fontLine = new QHBoxLayout;
    fontLine->addWidget(m_fontStep);
    fontLine->addWidget(m_fontLabel);
    column->addWidget(fontCaption);
    column->addLayout(fontLine);

    m_txtTerm = new TerminalView(centre);
    m_txtTerm->setObjectName(QStringLiteral("txtTerm"));
    m_txtTerm->setAccessibleName(QStringLiteral("Terminal"));
    // The ledger's offer shows above the terminal, where it takes no room from the status bar.
    m_resyncOffer = new ResyncOffer(centre);
    auto* terminalColumn = new QVBoxLayout;
    terminalColumn->addWidget(m_resyncOffer);
    terminalColumn->addWidget(m_txtTerm, 1);
    row->addWidget(status);
    row->addLayout(terminalColumn, 1);
    setCentralWidget(centre);
}

void frmTerminal::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbrStatus"));
    bar->setSizeGripEnabled(true);
    static_assert(std::size(kPanels) == std::tuple_size_v<decltype(m_panels)>);
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        const PanelLook& p = kPanels[i];
        auto* panel = new StatusPanel(QString::fromLatin1(p.toolTip), QString::fromLatin1(p.text), bar);
        panel->setObjectName(QLatin1String(p.key));
        bar->addPermanentWidget(panel, p.stretch);
        m_panels[i] = panel;
    }
    // The load test's figures, between the status and the settings.
    m_loadTestFigures = new StatusPanel(QStringLiteral("Load test figures"), QString(), bar);
    m_loadTestFigures->setObjectName(QStringLiteral("LoadTestFigures"));
    m_loadTestFigures->setAccessibleName(QStringLiteral("Load test figures"));
    bar->insertPermanentWidget(1, m_loadTestFigures);
    m_loadTestFigures->hide();
    m_monitoringPanel = new StatusPanel(QStringLiteral("Monitoring"), QString(), bar);
    m_monitoringPanel->setObjectName(QStringLiteral("Monitoring"));
    bar->insertPermanentWidget(0, m_monitoringPanel, 1);
    m_monitoringPanel->hide();
    m_figuresRefresh.setSingleShot(true);
    m_figuresRefresh.setInterval(250);
    connect(&m_figuresRefresh, &QTimer::timeout, this, &frmTerminal::refreshLoadTestFigures);
}

void frmTerminal::wireCommands()
{
    const auto on = [this](Command command, auto&& handler) {
        connect(action(command), &QAction::triggered, this, handler);
    };
    on(Command::OpenLog, [this] { mnuOpenLog_Click(); });
    on(Command::OpenLogButton, [this] { mnuOpenLog_Click(); });
    on(Command::CloseLog, [this] { mnuCloseLog_Click(); });
    on(Command::CloseLogButton, [this] { mnuCloseLog_Click(); });
    on(Command::Exit, [this] { close(); });
    on(Command::SendText, [this] { mnuSendText_Click(); });
    on(Command::SendTextButton, [this] { mnuSendText_Click(); });
    connect(m_textSender, &TextFileSender::blockWritten, this, &frmTerminal::textBlockWritten);
    connect(m_textSender, &TextFileSender::finished, this, &frmTerminal::endTextTransmission);
    on(Command::Properties, [this] { m_properties->showDialog(); });
    on(Command::PropertiesButton, [this] { action(Command::Properties)->trigger(); });
    on(Command::DebugLan, [this] { m_debugOptions->showDialog(); });
    on(Command::DebugSerial, [this] { m_serialBuffer->showWindow(); });
    on(Command::Capture, [this](bool checked) { mnuCapture_Click(checked); });
    // A capture that could not go on has ended: the item says so.
    connect(&m_capture, &LinkCapture::failed, this,
            [this] { action(Command::Capture)->setChecked(m_capture.isOn()); });
    on(Command::LampTest, [this] { m_single->showDialog(); });
    on(Command::LoadTestConfig, [this] { m_config->showDialog(); });
    on(Command::TestConfigButton, [this] { m_config->showFullMode(); });
    on(Command::DelayButton, [this] { m_config->showDelayOnly(); });
    // A key with no character, so the terminal still types every control character to the line.
    QAction* delay = action(Command::DelayButton);
    delay->setShortcut(QKeySequence(Qt::Key_F2));
    delay->setToolTip(delay->toolTip() + QStringLiteral("\nShortcut: F2"));
    on(Command::LoadTestStart, [this] { Q_EMIT loadTestStartCommand(); });
    on(Command::StartTestButton, [this] { Q_EMIT loadTestStartCommand(); });
    on(Command::LoadTestStop, [this] { Q_EMIT loadTestStopCommand(); });
    on(Command::LoadTestResults, [this] { m_results->showWindow(); });
    on(Command::LampLedger, [this] { m_lampLedger->showWindow(); });
    on(Command::Monitor, [this] { m_monitor->showWindow(); });
    on(Command::StopTestButton, [this] { Q_EMIT loadTestStopCommand(); });
    on(Command::SingleStationButton, [this] { m_single->showDialog(); });
    connect(action(Command::Format), &QAction::toggled, this, [this](bool shown) {
        if (shown)
            showBeside(m_breakDown, this);
        else
            m_breakDown->hide();
    });
    connect(m_txtTerm, &TerminalView::wordDoubleClicked, this, &frmTerminal::decodeDoubleClicked);
    connect(m_txtTerm, &TerminalView::keysTyped, this, &frmTerminal::keysTyped);
    on(Command::About, [this] {
        if (!m_about)
            m_about = new frmAbout(this, m_operator);
        m_about->showDialog();
    });
    on(Command::Connect, [this] { mnuOpen_Click(); });
    connect(m_connectionPicture, &Indicator::clicked, this, [this](const QString& picture) {
        if (picture == QLatin1String("imgConnected"))
            Q_EMIT connectedPictureClicked();
        else if (!m_monitoring)
            Q_EMIT connectCommand();
    });

    connect(m_txtTerm, &TerminalView::textWritten, &m_log, &LogFile::write);
    connect(&m_log, &LogFile::openChanged, this, &frmTerminal::showLogState);
    connect(m_fontStep, &QSpinBox::valueChanged, this, [this](int step) {
        applyFontStep(step);
        storeFontStep(m_store, step);
    });
    connect(&m_loadTest, &LoadTestOptions::delayChanged, m_delayLabel,
            [this](int ms) { m_delayLabel->setText(QString::number(ms)); });
    connect(&m_connection, &ConnectionOptions::connectionTypeChanged, this,
            &frmTerminal::applyConnectionType);
}

void frmTerminal::mnuOpen_Click()
{
    // The link, not the click, decides whether the item shows checked.
    QAction* item = action(Command::Connect);
    item->setChecked(!item->isChecked());
    Q_EMIT connectCommand();
}

// A new range or file: the test may start, unless one runs or is still sweeping (the running test
// keeps the stations it started with; the new ones are for the next Start).
void frmTerminal::loadTestConfigured(bool fullMode)
{
    if (!fullMode)
        return;
    offerLoadTestStart(m_loadTestPhase == link::LoadTestPhase::Idle);
    setPanelText(Panel::Status, QStringLiteral("Status: "));
}

void frmTerminal::offerLoadTestStart(bool offered)
{
    m_startOffered = {offered, offered};
    showLoadTestStart();
}

void frmTerminal::showLoadTestStart()
{
    action(Command::LoadTestStart)->setEnabled(m_startOffered[0] && !m_monitoring);
    action(Command::StartTestButton)->setEnabled(m_startOffered[1] && !m_monitoring);
}

void frmTerminal::showMonitoring(bool on)
{
    m_monitoring = on;
    action(Command::Connect)->setEnabled(!on);
    setSendTextEnabled(m_portTakesText);
    showLoadTestStart();
    m_monitoringPanel->setPanelText(
        on ? QStringLiteral("Monitoring a message centre: Port Open, Send and Start wait until it stops")
           : QString());
    m_monitoringPanel->setVisible(on);
}

void frmTerminal::showPortOpen(bool open)
{
    action(Command::Connect)->setChecked(open);
    setSendTextEnabled(open);
}

void frmTerminal::UpdateSettingsPanel()
{
    setPanelText(Panel::Settings,
                 display::settingsPanelText({m_connection.connectionType(), m_connection.remoteHost(),
                                             m_connection.deviceNumber(), m_connection.lanParity(),
                                             m_serial.settings()}));
}

void frmTerminal::applyFontStep(int step)
{
    if (step < display::kFirstFontStep || step > display::kLastFontStep)
        return;
    if (m_fontStep->value() != step) {
        // Only the operator's changes are stored; this one may come from the store itself.
        const QSignalBlocker quiet(m_fontStep);
        m_fontStep->setValue(step);
    }
    m_txtTerm->setPointSize(display::kFontSizes[step]);
    m_fontLabel->setText(QString::number(display::kFontSizes[step]));
}

void frmTerminal::applyConnectionType(ConnectionType type)
{
    const bool serial = type == ConnectionType::Serial;
    action(Command::DebugLan)->setEnabled(!serial);
    action(Command::DebugSerial)->setEnabled(serial);
}

void frmTerminal::mnuOpenLog_Click()
{
    openLogInteractively(m_log, m_operator, fileDialogFolder(), [this](const std::optional<QString>& path) {
        if (path)
            m_lastFolder = QFileInfo(*path).absolutePath();
    });
}

// The file dialogs start where the operator last chose a file, the home folder the first time.
QString frmTerminal::fileDialogFolder() const
{
    return m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
}

void frmTerminal::mnuCloseLog_Click()
{
    m_log.close();
}

void frmTerminal::showLogState(bool open)
{
    action(Command::OpenLog)->setEnabled(!open);
    action(Command::OpenLogButton)->setEnabled(!open);
    action(Command::CloseLog)->setEnabled(open);
    action(Command::CloseLogButton)->setEnabled(open);
    setWindowTitle(open ? QLatin1String(kApplicationTitle) + QStringLiteral(" - ") +
                              QFileInfo(m_log.fileName()).fileName()
                        : QLatin1String(kApplicationTitle));
}

} // namespace zkn
