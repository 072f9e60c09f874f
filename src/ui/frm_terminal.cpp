#include "frm_terminal.h"

#include "app_identity.h"
#include "display/settings_panel.h"
#include "frm_about.h"
#include "frm_db_serial.h"
#include "frm_debug.h"
#include "frm_debug_options.h"
#include "frm_properties.h"
#include "indicator.h"
#include "open_log_command.h"
#include "operator/operator.h"
#include "pictures.h"
#include "terminal_view.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

namespace zkn {

namespace {

struct MenuItem
{
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
};

const Menu kMenus[] = {
    {"mnuFile",
     "&File",
     {{"mnuOpenLog", "&Open Log File..."},
      {"mnuCloseLog", "&Close Log File", false},
      {"M3", "-"},
      {"mnuSendText", "&Transmit Text File...", false},
      {"Bar2", "-"},
      {"mnuFileExit", "E&xit"}}},
    {"mnuConnection",
     "&Connection",
     {{"mnuOpen", "Port &Open", true, true}, {"MBar1", "-"}, {"mnuProperties", "Properties..."}}},
    {"mnuLoadTest",
     "&Load-Test",
     {{"mnuConfig", "&Configure"}, {"mnuStart", "&Start", false}, {"mnuStop", "S&top", false}}},
    {"mnuCMWL", "Lam&p-Test", {}}, // a command of its own on the menu bar
    {"mnuDisplay",
     "&Options",
     {{"mnuDisplayProperties", "&Debug-LAN"},
      {"mnuDebugSerial", "Debug-&Serial"},
      {"mnuFormat", "&Format", true, true}}},
    {"mnuHelp", "&Help", {{"mnuAbout", "&About"}}},
};

struct ToolButton
{
    const char* key;
    const char* description;
    const char* toolTip;
    bool enabled;
    bool groupEnds = false; // a separator follows
};

const ToolButton kToolButtons[] = {
    {"OpenLogFile", "Open Log File...", "Open Log File...", true},
    {"CloseLogFile", "Close Log File", "Close Log File", false, true},
    {"Properties", "Properties...", "Properties...", true},
    {"TransmitTextFile", "Transmit Text File...", "Transmit Text File...", false, true},
    {"TestConfig", "Configure MWL Test...", "Configure MWL Load Test", true},
    {"StartLoadTest", "Start Sending Messages...", "Start MWL load test", false},
    {"StopTest", "Stop Sending Messages", "Stop MWL load test", false, true},
    {"SingleStation", "Lamp Control...", "Control Message Waiting Lamp...", true, true},
    {"DelayValue", "Modify Inter-Message Delay", "Modify Inter-Message Delay...", true},
};

struct Panel
{
    const char* key;
    const char* text;
    const char* toolTip;
    int stretch;
};

const Panel kPanels[] = {
    {"Status", "Status:", "Connection Status", 2},
    {"Settings", "Settings:", "Connection Settings", 4},
    {"HealthChk", "", "Heath Check Timer Value", 1},
    {"ConnectTime", "", "Connect Time", 1},
};

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

frmTerminal::frmTerminal(Operator& op, QWidget* parent) : QMainWindow(parent), m_operator(op), m_log(op)
{
    setObjectName(QStringLiteral("frmTerminal"));
    setWindowTitle(QLatin1String(kApplicationTitle));
    setWindowIcon(QIcon(pictures::telephone(true, 64)));
    // The smallest window that still shows the tool bar, the indicators and some terminal.
    setMinimumSize(700, 250);
    resize(820, 520);

    buildMenus();
    buildToolBar();
    buildCentre();
    buildStatusBar();

    m_properties = new frmProperties(*this);
    m_debugOptions = new FrmDebugOptions(*this);
    m_lanDebug = new FrmDebug(*this);
    m_serialBuffer = new FrmDBSerial(*this);

    wireCommands();
    wireLink();
    applyConnectionType(m_connection.connectionType());
    applyFontStep(3);
}

frmTerminal::~frmTerminal() = default;

void frmTerminal::buildMenus()
{
    for (const Menu& menu : kMenus) {
        if (menu.items.size() == 0) {
            QAction* command = menuBar()->addAction(QString::fromLatin1(menu.caption));
            command->setObjectName(QLatin1String(menu.name));
            m_actions.insert(command->objectName(), command);
            continue;
        }
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(menu.caption));
        m->setObjectName(QLatin1String(menu.name));
        for (const MenuItem& item : menu.items) {
            QAction* a = QLatin1String(item.caption) == QLatin1String("-")
                             ? m->addSeparator()
                             : m->addAction(QString::fromLatin1(item.caption));
            a->setObjectName(QLatin1String(item.name));
            a->setEnabled(item.enabled);
            a->setCheckable(item.checkable);
            m_actions.insert(a->objectName(), a);
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
        m_actions.insert(a->objectName(), a);
        if (b.groupEnds)
            bar->addSeparator();
    }

    // The inter-message delay of the load test, in milliseconds.
    auto* frame = new QFrame(bar);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    m_delayLabel = new QLabel(QStringLiteral("300"), frame);
    m_delayLabel->setObjectName(QStringLiteral("Label1"));
    m_delayLabel->setMinimumWidth(m_delayLabel->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    m_delayLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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

    auto* link = new Indicator(QStringLiteral("imgConnected"), pictures::connection(true),
                               QStringLiteral("imgNotConnected"), pictures::connection(false), status);
    link->setToolTip(QStringLiteral("Connect or release the link"));
    link->setCursor(Qt::PointingHandCursor);
    m_indicators.insert(QStringLiteral("connection"), link);
    column->addWidget(link);

    const struct
    {
        const char* name;
        const char* caption;
        QColor colour;
    } lamps[] = {{"TxLED", "TX", QColor(0, 220, 0)},
                 {"RxLED", "RX", QColor(255, 170, 0)},
                 {"DsrLED", "DSR", QColor(255, 40, 30)}};
    for (const auto& lamp : lamps) {
        auto* line = new QHBoxLayout;
        auto* led = new Indicator(
            QLatin1String(lamp.name) + QStringLiteral("on"), pictures::lamp(lamp.colour, true),
            QLatin1String(lamp.name) + QStringLiteral("off"), pictures::lamp(lamp.colour, false), status);
        m_indicators.insert(QLatin1String(lamp.name), led);
        line->addWidget(led);
        line->addWidget(captionLabel(QLatin1String(lamp.caption), status), 1);
        column->addLayout(line);
    }
    column->addStretch(1);

    auto* fontCaption = captionLabel(QStringLiteral("Font si&ze"), status);
    m_fontStep = new QSpinBox(status);
    m_fontStep->setObjectName(QStringLiteral("UpDown1"));
    m_fontStep->setRange(1, 5);
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
    row->addWidget(status);
    row->addWidget(m_txtTerm, 1);
    setCentralWidget(centre);
}

void frmTerminal::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbrStatus"));
    bar->setSizeGripEnabled(true);
    for (const Panel& p : kPanels) {
        auto* label = new QLabel(QString::fromLatin1(p.text), bar);
        label->setObjectName(QLatin1String(p.key));
        label->setToolTip(QString::fromLatin1(p.toolTip));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(60);
        bar->addPermanentWidget(label, p.stretch);
        m_panels.insert(label->objectName(), label);
    }
}

void frmTerminal::wireCommands()
{
    const auto on = [this](const char* name, auto&& handler) {
        connect(m_actions.value(QLatin1String(name)), &QAction::triggered, this, handler);
    };
    on("mnuOpenLog", [this] { mnuOpenLog_Click(); });
    on("mnuCloseLog", [this] { mnuCloseLog_Click(); });
    on("mnuFileExit", [this] { close(); });
    on("mnuProperties", [this] { m_properties->showDialog(); });
    on("mnuDisplayProperties", [this] { m_debugOptions->showDialog(); });
    on("mnuDebugSerial", [this] { m_serialBuffer->showWindow(); });
    on("mnuAbout", [this] {
        if (!m_about)
            m_about = new frmAbout(*this);
        m_about->showDialog();
    });
    for (const ToolButton& b : kToolButtons) {
        const QString key = QLatin1String(b.key);
        connect(m_actions.value(key), &QAction::triggered, this, [this, key] { onToolButton(key); });
    }

    connect(m_txtTerm, &TerminalView::textWritten, &m_log, &LogFile::write);
    connect(&m_log, &LogFile::openChanged, this, &frmTerminal::showLogState);
    connect(m_fontStep, &QSpinBox::valueChanged, this, [this](int step) {
        applyFontStep(step);
        m_store.write(settings::Key::FontSize, QString::number(step));
    });
    connect(&m_connection, &ConnectionOptions::connectionTypeChanged, this,
            &frmTerminal::applyConnectionType);
    connect(m_properties, &frmProperties::portReopened, this, &frmTerminal::showPortOpen);
}

void frmTerminal::showPortOpen(bool open)
{
    m_actions.value(QStringLiteral("mnuOpen"))->setChecked(open);
    m_actions.value(QStringLiteral("mnuSendText"))->setEnabled(open);
    m_actions.value(QStringLiteral("TransmitTextFile"))->setEnabled(open);
}

void frmTerminal::onToolButton(const QString& key)
{
    if (key == QLatin1String("OpenLogFile"))
        mnuOpenLog_Click();
    else if (key == QLatin1String("CloseLogFile"))
        mnuCloseLog_Click();
    else if (key == QLatin1String("Properties"))
        m_actions.value(QStringLiteral("mnuProperties"))->trigger();
}

QAction* frmTerminal::action(const QString& name) const
{
    return m_actions.value(name);
}

void frmTerminal::setPanelText(const QString& key, const QString& text)
{
    if (QLabel* panel = m_panels.value(key))
        panel->setText(text);
}

QString frmTerminal::panelText(const QString& key) const
{
    const QLabel* panel = m_panels.value(key);
    return panel ? panel->text() : QString();
}

Indicator* frmTerminal::indicator(const QString& name) const
{
    return m_indicators.value(name);
}

void frmTerminal::WriteTerminal(const QByteArray& text)
{
    m_txtTerm->WriteTerminal(text);
}

void frmTerminal::UpdateSettingsPanel()
{
    setPanelText(QStringLiteral("Settings"),
                 display::settingsPanelText({m_connection.connectionType(), m_connection.remoteHost(),
                                             m_connection.deviceNumber(), m_connection.lanParity(),
                                             m_serial.settings()}));
}

void frmTerminal::applyFontStep(int step)
{
    if (step < 1 || step > 5)
        return;
    if (m_fontStep->value() != step) {
        // Only the operator's changes are stored; this one may come from the store itself.
        const QSignalBlocker quiet(m_fontStep);
        m_fontStep->setValue(step);
    }
    m_txtTerm->setPointSize(kFontSizes[step]);
    m_fontLabel->setText(QString::number(kFontSizes[step]));
}

void frmTerminal::applyConnectionType(const QString& type)
{
    const bool serial = type == QLatin1String("Serial");
    m_actions.value(QStringLiteral("mnuDisplayProperties"))->setEnabled(!serial);
    m_actions.value(QStringLiteral("mnuDebugSerial"))->setEnabled(serial);
}

void frmTerminal::mnuOpenLog_Click()
{
    openLogInteractively(m_log, m_operator);
}

void frmTerminal::mnuCloseLog_Click()
{
    m_log.close();
}

void frmTerminal::showLogState(bool open)
{
    m_actions.value(QStringLiteral("mnuOpenLog"))->setEnabled(!open);
    m_actions.value(QStringLiteral("OpenLogFile"))->setEnabled(!open);
    m_actions.value(QStringLiteral("mnuCloseLog"))->setEnabled(open);
    m_actions.value(QStringLiteral("CloseLogFile"))->setEnabled(open);
    setWindowTitle(open ? QLatin1String(kApplicationTitle) + QStringLiteral(" - ") +
                              QFileInfo(m_log.fileName()).fileName()
                        : QLatin1String(kApplicationTitle));
}

} // namespace zkn
