// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_monitor.h"

#include "lamp_table_model.h"
#include "link_watcher.h"
#include "monitor/frame_text.h"
#include "open_log_command.h"
#include "operator/operator.h"
#include "serial_port_list.h"
#include "stored_settings.h"
#include "tab_order.h"
#include "terminal_view.h"
#include "window_placement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zkn {

namespace {

template <typename W> W* named(W* widget, const char* name, const QString& tip = {})
{
    widget->setObjectName(QLatin1String(name));
    if (!tip.isEmpty())
        widget->setToolTip(tip);
    return widget;
}

QSpinBox* portBox(QWidget* parent, const char* name)
{
    auto* box = named(new QSpinBox(parent), name);
    box->setRange(1, 65535);
    return box;
}

// An editable list of serial ports; a typed device path is taken as it is.
QComboBox* serialPortBox(QWidget* parent, const char* name)
{
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(16);
    return box;
}

// The ports present now (an adapter may have been plugged in since), what was typed kept.
void listPresentPorts(QComboBox* box, const QList<SerialPortFacts>& present)
{
    const QString typed = box->currentText();
    box->clear();
    for (const SerialPortFacts& port : present)
        box->addItem(port.byId.isEmpty() ? port.device : port.byId);
    box->setCurrentText(typed);
}

QTableView* lampTable(QWidget* parent, const char* name, LampTableModel* model)
{
    auto* table = named(new QTableView(parent), name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false); // Tab goes on to the next control
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QLabel* buddyLabel(const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

FrmMonitor::FrmMonitor(QWidget* parent, Operator& op, settings::SettingsStore& store)
    : QWidget(parent, Qt::Window), m_operator(op), m_store(store), m_log(op), m_lastFolder(QDir::homePath())
{
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(QStringLiteral("ZKN-Control Tool - Monitor"));
    setMinimumSize(720, 520);
    buildForm();
    buildLayout();
    wireCommands();
    applyChoices(storedMonitorChoices(m_store));
    const StoredSnapshots snapshots = storedSnapshots(m_store);
    m_snapshots.setSpanSeconds(snapshots.seconds);
    m_snapshots.setKeep(snapshots.keep);
    m_figuresEvery.setInterval(1000);
    connect(&m_figuresEvery, &QTimer::timeout, this, &FrmMonitor::refreshFigures);
    showRunning(false);
    refreshFigures();
    say(QStringLiteral(
        "Not monitoring. Point the message centre at this machine and Start, or tap its serial "
        "line."));
}

FrmMonitor::~FrmMonitor() = default;

void FrmMonitor::buildForm()
{
    m_relay =
        named(new QRadioButton(QStringLiteral("&Relay (TCP)"), this), "optRelay",
              QStringLiteral("The message centre connects here; each connection is passed on to the PBX"));
    m_tap = named(new QRadioButton(QStringLiteral("&Tap (serial)"), this), "optTap",
                  QStringLiteral("Two ports read the PBX's and the message centre's transmit wires"));
    m_listenAddress = named(new QLineEdit(this), "txtListenAddress",
                            QStringLiteral("The address the relay listens on; 0.0.0.0 for every one"));
    m_listenPort = portBox(this, "txtListenPort");
    m_listenPort->setAccessibleName(QStringLiteral("Listen port"));
    m_pbxHost = named(new QLineEdit(this), "txtPbxHost", QStringLiteral("The PBX's host name or address"));
    m_pbxPort = portBox(this, "txtPbxPort");
    m_pbxPort->setAccessibleName(QStringLiteral("PBX port"));
    m_tapPbxPort = serialPortBox(this, "cboTapPbxPort");
    m_tapMcPort = serialPortBox(this, "cboTapMcPort");
    m_tapSettings = named(new QLineEdit(this), "txtTapSettings",
                          QStringLiteral("Speed, parity, data bits, stop bits, e.g. 9600,n,8,1"));
    m_tapFormat =
        named(new QComboBox(this), "cboTapFormat",
              QStringLiteral("How the tapped line's records are laid out, for the breakdown window"));
    m_tapFormat->addItems({QStringLiteral("KRA"), QStringLiteral("OLV")});
    m_parity = named(new QComboBox(this), "cboParity", QStringLiteral("The parity of the link's check byte"));
    m_parity->addItems({QStringLiteral("Odd"), QStringLiteral("Even")});
    m_start = named(new QPushButton(QStringLiteral("&Start"), this), "cmdStart");
    m_stop = named(new QPushButton(QStringLiteral("St&op"), this), "cmdStop");
    m_showHealthBox =
        named(new QCheckBox(QStringLiteral("Show &health checks"), this), "chkShowHealth",
              QStringLiteral("Health checks and their answers in the terminal; they are counted either way"));
    m_capture = named(new QCheckBox(QStringLiteral("Ca&pture to File..."), this), "chkCapture",
                      QStringLiteral("Keep what is watched in a capture file, from the next Start"));
    m_snapshot =
        named(new QCheckBox(QStringLiteral("Snapshot on &Fault"), this), "chkSnapshot",
              QStringLiteral("On a fault, write the last seconds of the terminal and the link to files"));
    m_openLog = named(new QPushButton(QStringLiteral("&Log to File..."), this), "cmdOpenLog");
    m_closeLog = named(new QPushButton(QStringLiteral("Close Lo&g"), this), "cmdCloseLog");
    m_state = named(new QLabel(this), "lblState");
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_faults = named(new QLabel(this), "lblFaults");
    m_figures = named(new QLabel(this), "lblFigures");
    m_figures->setWordWrap(true);
    m_figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_terminal = named(new TerminalView(this), "txtMonitor");
    m_terminal->setPointSize(9);
    // A frame a line: long lines scroll sideways rather than break.
    m_terminal->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_troubleModel = new LampTableModel(true, this);
    m_lampsModel = new LampTableModel(false, this);
    m_troubleTable = lampTable(this, "tblTrouble", m_troubleModel);
    m_lampsTable = lampTable(this, "tblLamps", m_lampsModel);
    m_tables = named(new QTabWidget(this), "tabTables");
    m_tables->addTab(m_troubleTable, QStringLiteral("Refused or &unanswered"));
    m_tables->addTab(m_lampsTable, QStringLiteral("L&amps set"));
    m_export = named(new QPushButton(QStringLiteral("&Export CSV..."), this), "cmdExport",
                     QStringLiteral("Write the table shown as CSV (station,function,set_at,answer)"));
    m_close = named(new QPushButton(QStringLiteral("&Close"), this), "cmdClose");
}

void FrmMonitor::buildLayout()
{
    auto* relayBox = new QGroupBox(this);
    auto* relayForm = new QFormLayout(relayBox);
    // An address, then its port.
    const auto addressRow = [this](QLineEdit* address, QSpinBox* port) {
        auto* row = new QHBoxLayout;
        row->addWidget(address, 1);
        row->addWidget(buddyLabel(QStringLiteral("port"), port, this));
        row->addWidget(port);
        return row;
    };
    relayForm->addRow(buddyLabel(QStringLiteral("Listen o&n:"), m_listenAddress, this),
                      addressRow(m_listenAddress, m_listenPort));
    relayForm->addRow(buddyLabel(QStringLiteral("PB&X host:"), m_pbxHost, this),
                      addressRow(m_pbxHost, m_pbxPort));

    auto* tapBox = new QGroupBox(this);
    auto* tapForm = new QFormLayout(tapBox);
    tapForm->addRow(buddyLabel(QStringLiteral("PBX's &wire:"), m_tapPbxPort, this), m_tapPbxPort);
    tapForm->addRow(buddyLabel(QStringLiteral("&Message centre's wire:"), m_tapMcPort, this), m_tapMcPort);
    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(m_tapSettings, 1);
    lineRow->addWidget(buddyLabel(QStringLiteral("Recor&ds:"), m_tapFormat, this));
    lineRow->addWidget(m_tapFormat);
    tapForm->addRow(buddyLabel(QStringLiteral("L&ine settings:"), m_tapSettings, this), lineRow);

    auto* sourceRow = new QHBoxLayout;
    for (const auto& [choice, box] : {std::pair{m_relay, relayBox}, std::pair{m_tap, tapBox}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(choice);
        column->addWidget(box);
        sourceRow->addLayout(column, 1);
    }
    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(buddyLabel(QStringLiteral("Check-&byte parity:"), m_parity, this));
    commandRow->addWidget(m_parity);
    commandRow->addStretch(1);
    commandRow->addWidget(m_start);
    commandRow->addWidget(m_stop);

    auto* tablesSide = new QWidget(this);
    auto* tablesColumn = new QVBoxLayout(tablesSide);
    tablesColumn->setContentsMargins(0, 0, 0, 0);
    tablesColumn->addWidget(m_tables, 1);
    auto* exportRow = new QHBoxLayout;
    exportRow->addStretch(1);
    exportRow->addWidget(m_export);
    tablesColumn->addLayout(exportRow);
    // Both tabs' titles in view, whatever the splitter is set to.
    tablesSide->setMinimumWidth(m_tables->tabBar()->sizeHint().width() + 16);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    split->addWidget(m_terminal);
    split->addWidget(tablesSide);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);

    auto* switchRow = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_showHealthBox, m_capture, m_snapshot, m_openLog, m_closeLog})
        switchRow->addWidget(w);
    switchRow->addStretch(1);
    switchRow->addWidget(m_faults);
    switchRow->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sourceRow);
    layout->addLayout(commandRow);
    layout->addWidget(m_state);
    layout->addWidget(split, 1);
    layout->addWidget(m_figures);
    layout->addLayout(switchRow);
    chainTabOrder({m_relay,         m_listenAddress, m_listenPort,  m_pbxHost,      m_pbxPort,    m_tap,
                   m_tapPbxPort,    m_tapMcPort,     m_tapSettings, m_tapFormat,    m_parity,     m_start,
                   m_stop,          m_terminal,      m_tables,      m_troubleTable, m_lampsTable, m_export,
                   m_showHealthBox, m_capture,       m_snapshot,    m_openLog,      m_closeLog,   m_close});
}

void FrmMonitor::wireCommands()
{
    connect(m_relay, &QRadioButton::toggled, this, [this] { showRunning(m_running); });
    connect(m_start, &QPushButton::clicked, this, &FrmMonitor::startWatch);
    connect(m_stop, &QPushButton::clicked, this, &FrmMonitor::stopWatch);
    connect(m_showHealthBox, &QCheckBox::toggled, this, [this](bool on) {
        m_showHealth = on;
        storeMonitorChoices(m_store, choices());
    });
    connect(m_capture, &QCheckBox::clicked, this, &FrmMonitor::chooseCapture);
    connect(m_snapshot, &QCheckBox::toggled, this, [this](bool on) {
        m_snapshots.setOn(on);
        if (m_running)
            tapPacketsForSnapshots();
    });
    connect(&m_snapshots, &FaultSnapshots::written, this, &FrmMonitor::note);
    connect(&m_snapshots, &FaultSnapshots::failed, this, &FrmMonitor::note);
    connect(m_openLog, &QPushButton::clicked, this, [this] {
        openLogInteractively(m_log, m_operator, m_lastFolder, [this](const std::optional<QString>& path) {
            if (path)
                m_lastFolder = QFileInfo(*path).absolutePath();
        });
    });
    connect(m_closeLog, &QPushButton::clicked, &m_log, &LogFile::close);
    connect(&m_log, &LogFile::openChanged, this, [this](bool open) {
        m_openLog->setEnabled(!open);
        m_closeLog->setEnabled(open);
        setWindowTitle(open ? QStringLiteral("ZKN-Control Tool - Monitor - ") +
                                  QFileInfo(m_log.fileName()).fileName()
                            : QStringLiteral("ZKN-Control Tool - Monitor"));
    });
    m_closeLog->setEnabled(false);
    connect(m_terminal, &TerminalView::textWritten, this, [this](const QByteArray& text) {
        if (m_log.isOpen())
            m_log.write(text);
        m_snapshots.text(text, QDateTime::currentMSecsSinceEpoch() * 1000);
    });
    connect(m_export, &QPushButton::clicked, this, &FrmMonitor::exportTable);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

MonitorChoices FrmMonitor::choices() const
{
    MonitorChoices c;
    c.tap = m_tap->isChecked();
    c.listenAddress = m_listenAddress->text().trimmed();
    c.listenPort = m_listenPort->value();
    c.pbxHost = m_pbxHost->text().trimmed();
    c.pbxPort = m_pbxPort->value();
    c.tapPbxPort = m_tapPbxPort->currentText().trimmed();
    c.tapMcPort = m_tapMcPort->currentText().trimmed();
    c.tapSettings = m_tapSettings->text().trimmed();
    c.tapKra = m_tapFormat->currentIndex() == 0;
    c.parity = m_parity->currentIndex() == 1 ? link::Parity::Even : link::Parity::Odd;
    c.showHealth = m_showHealthBox->isChecked();
    return c;
}

void FrmMonitor::applyChoices(const MonitorChoices& c)
{
    (c.tap ? m_tap : m_relay)->setChecked(true);
    m_listenAddress->setText(c.listenAddress);
    m_listenPort->setValue(c.listenPort);
    m_pbxHost->setText(c.pbxHost);
    m_pbxPort->setValue(c.pbxPort);
    m_tapPbxPort->setCurrentText(c.tapPbxPort);
    m_tapMcPort->setCurrentText(c.tapMcPort);
    m_tapSettings->setText(c.tapSettings);
    m_tapFormat->setCurrentIndex(c.tapKra ? 0 : 1);
    m_parity->setCurrentIndex(c.parity == link::Parity::Even ? 1 : 0);
    m_showHealthBox->setChecked(c.showHealth);
    m_showHealth = c.showHealth;
}

// The first time at its full size where the screen has room: its wrapping labels would otherwise
// make it as low as they allow.
void FrmMonitor::showWindow()
{
    if (!m_running) {
        const QList<SerialPortFacts> present = presentSerialPorts();
        listPresentPorts(m_tapPbxPort, present);
        listPresentPorts(m_tapMcPort, present);
    }
    const bool first = !isVisible() && m_firstShow;
    m_firstShow = false;
    showOver(this, parentWidget());
    if (!first)
        return;
    const QPoint centre = geometry().center();
    const QSize room = screen() ? screen()->availableGeometry().size() * 9 / 10 : sizeHint();
    resize(sizeHint().boundedTo(room).expandedTo(minimumSize()));
    move(centre - rect().center());
}

// While it watches, what it watches stays as it began.
void FrmMonitor::showRunning(bool running)
{
    const bool idle = !running && m_lookup < 0;
    const bool relay = m_relay->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_relay, m_tap, m_parity, m_capture})
        w->setEnabled(idle);
    for (QWidget* w : std::initializer_list<QWidget*>{m_listenAddress, m_listenPort, m_pbxHost, m_pbxPort})
        w->setEnabled(idle && relay);
    for (QWidget* w : std::initializer_list<QWidget*>{m_tapPbxPort, m_tapMcPort, m_tapSettings, m_tapFormat})
        w->setEnabled(idle && !relay);
    m_start->setEnabled(idle);
    m_stop->setEnabled(!idle);
}

void FrmMonitor::say(const QString& state)
{
    m_state->setText(state);
}

void FrmMonitor::note(const QString& text)
{
    m_terminal->WriteTerminal(
        monitor::eventTerminalLine(QDateTime::currentMSecsSinceEpoch() * 1000, 0, text));
}

void FrmMonitor::closeEvent(QCloseEvent* event)
{
    stopWatch();
    event->accept();
}

// Checked, it asks for the file the next watch is kept in; cleared, none is.
void FrmMonitor::chooseCapture(bool on)
{
    if (!on) {
        m_captureFile.clear();
        return;
    }
    m_capture->setChecked(false);
    m_operator.chooseFile({QStringLiteral("Capture to File"),
                           QStringLiteral("Captures (*.pcap);;All Files (*)"),
                           QDir(m_lastFolder).filePath(QStringLiteral("watch.pcap")), false},
                          [this](const std::optional<QString>& path) {
                              if (!path)
                                  return;
                              m_lastFolder = QFileInfo(*path).absolutePath();
                              m_captureFile = *path;
                              m_capture->setChecked(true);
                              m_capture->setToolTip(QStringLiteral("From the next Start into %1").arg(*path));
                          });
}

void FrmMonitor::exportTable()
{
    const bool trouble = m_tables->currentIndex() == 0;
    m_operator.chooseFile(
        {QStringLiteral("Export CSV"), QStringLiteral("CSV Files (*.csv);;All Files (*)"),
         QDir(m_lastFolder).filePath(trouble ? QStringLiteral("refused.csv") : QStringLiteral("lamps.csv")),
         false},
        [this, trouble](const std::optional<QString>& path) {
            if (!path)
                return;
            m_lastFolder = QFileInfo(*path).absolutePath();
            const QByteArray csv =
                m_watcher ? m_watcher->watch().lamps().csv(trouble) : monitor::LampTable().csv(trouble);
            QSaveFile file(*path);
            if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit())
                m_operator.tell(
                    QStringLiteral("The table cannot be written:\r\n%1\r\n%2").arg(*path, file.errorString()),
                    Operator::Icon::Exclamation);
        });
}

} // namespace zkn
