// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_properties.h"
#include "stored_settings.h"

#include "connection_properties.h"
#include "model/connection_options.h"
#include "operator/operator.h"
#include "serial_line.h"
#include "serial_port_requests.h"
#include "settings/com_ports.h"
#include "settings/format_ip.h"
#include "settings/serial_settings.h"
#include "settings/settings_store.h"
#include "tab_order.h"
#include "window_placement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zkn {

namespace {

const QStringList kTypes{connectionTypeText(ConnectionType::Lan), connectionTypeText(ConnectionType::Serial)};
const QStringList kDevices{QStringLiteral("0"), QStringLiteral("1")};
const QStringList kLanParities{QStringLiteral("Odd"), QStringLiteral("Even")};
const QStringList kSpeeds{
    QStringLiteral("110"),   QStringLiteral("300"),    QStringLiteral("600"),    QStringLiteral("1200"),
    QStringLiteral("2400"),  QStringLiteral("4800"),   QStringLiteral("9600"),   QStringLiteral("14400"),
    QStringLiteral("19200"), QStringLiteral("28800"),  QStringLiteral("38400"),  QStringLiteral("56000"),
    QStringLiteral("57600"), QStringLiteral("115200"), QStringLiteral("128000"), QStringLiteral("256000")};
const QStringList kDataBits{QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                            QStringLiteral("7"), QStringLiteral("8")};
const QStringList kParities{QStringLiteral("Even"), QStringLiteral("Odd"), QStringLiteral("None"),
                            QStringLiteral("Mark"), QStringLiteral("Space")};
const QStringList kStopBits{QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};

QComboBox* editableList(const char* name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

void fill(QComboBox* box, const QStringList& items)
{
    const QString text = box->currentText();
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItems(items);
    box->setEditText(text);
}

QButtonGroup* optionArray(const char* name, const QStringList& captions, QGroupBox* frame)
{
    auto* group = new QButtonGroup(frame);
    auto* layout = new QVBoxLayout(frame);
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions[i], frame);
        option->setObjectName(QLatin1String(name));
        option->setProperty("index", i);
        group->addButton(option, i);
        layout->addWidget(option);
    }
    return group;
}

} // namespace

frmProperties::frmProperties(QWidget* parent, Operator& op, settings::SettingsStore& store,
                             ConnectionOptions& connection, const SerialLine& serial,
                             SerialPortRequests& port)
    : QDialog(parent), m_operator(op), m_store(store), m_connection(connection), m_serial(serial),
      m_portRequests(port)
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("Connection Properties"));
    build();

    ConnectionOptions& c = m_connection;
    connect(m_type, &QComboBox::currentTextChanged, this, [this, &c](const QString& text) {
        c.setConnectionType(connectionTypeFromText(text));
        cboType_Click();
    });
    connect(m_device, &QComboBox::currentTextChanged, &c, &ConnectionOptions::setDeviceNumber);
    connect(m_lanParity, &QComboBox::currentTextChanged, &c, &ConnectionOptions::setLanParity);
    connect(m_host, &QLineEdit::textChanged, &c, &ConnectionOptions::setHostField);
    connect(m_kra, &QRadioButton::toggled, &c, &ConnectionOptions::setKraSelected);
    // The box may hold a typed text that means the same method: it is left as typed.
    connect(&c, &ConnectionOptions::connectionTypeChanged, this, [this](ConnectionType type) {
        if (connectionTypeFromText(m_type->currentText()) != type)
            m_type->setCurrentText(connectionTypeText(type));
    });
    connect(&c, &ConnectionOptions::deviceNumberChanged, m_device, &QComboBox::setCurrentText);
    connect(&c, &ConnectionOptions::lanParityChanged, m_lanParity, &QComboBox::setCurrentText);
    connect(&c, &ConnectionOptions::hostFieldChanged, m_host, &QLineEdit::setText);
    connect(&c, &ConnectionOptions::kraSelectedChanged, this,
            [this](bool kra) { (kra ? m_kra : m_olv)->setChecked(true); });
    connect(m_host, &QLineEdit::editingFinished, this,
            [this] { m_host->setText(settings::FormatIP(m_host->text(), false)); });
    connect(m_flow, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_flowChoice = id;
    });
    connect(m_echo, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            m_echoChoice = id == 1;
    });
}

void frmProperties::build()
{
    auto* typeLabel = new QLabel(QStringLiteral(" Connection &Method:"), this);
    typeLabel->setObjectName(QStringLiteral("lblType"));
    m_type = editableList("cboType", this);
    typeLabel->setBuddy(m_type);

    m_frames = new QStackedWidget(this);

    m_lanFrame = new QGroupBox(m_frames);
    m_lanFrame->setObjectName(QStringLiteral("fraTCPIP"));
    auto* lan = new QFormLayout(m_lanFrame);
    m_host = new QLineEdit(m_lanFrame);
    m_host->setObjectName(QStringLiteral("txtHost"));
    m_lanParity = editableList("cboLANParity", m_lanFrame);
    m_device = editableList("cboDevID", m_lanFrame);
    const auto labelled = [](const char* name, const char* caption, QWidget* buddy, QWidget* parent) {
        auto* label = new QLabel(QString::fromLatin1(caption), parent);
        label->setObjectName(QLatin1String(name));
        label->setBuddy(buddy);
        return label;
    };
    lan->addRow(labelled("lblHost", "&IP Address:", m_host, m_lanFrame), m_host);
    lan->addRow(labelled("Label2", "Parit&y Type:", m_lanParity, m_lanFrame), m_lanParity);
    lan->addRow(labelled("lblDevID", "&Device ID:", m_device, m_lanFrame), m_device);

    m_serialFrame = new QWidget(m_frames);
    m_serialFrame->setObjectName(QStringLiteral("fraSerial"));
    auto* serial = new QGridLayout(m_serialFrame);
    serial->setContentsMargins(0, 0, 0, 0);

    auto* format = new QGroupBox(QStringLiteral("ZKN - Format &Type"), m_serialFrame);
    format->setObjectName(QStringLiteral("FramePRQKRA"));
    auto* formatRow = new QHBoxLayout(format);
    m_olv = new QRadioButton(QStringLiteral("OLV"), format);
    m_olv->setObjectName(QStringLiteral("OptOLV"));
    m_kra = new QRadioButton(QStringLiteral("KRA"), format);
    m_kra->setObjectName(QStringLiteral("OptKRA"));
    m_kra->setChecked(true);
    formatRow->addWidget(m_olv);
    formatRow->addWidget(m_kra);

    auto* flow = new QGroupBox(QStringLiteral("&Flow Control"), m_serialFrame);
    flow->setObjectName(QStringLiteral("Frame5"));
    m_flow = optionArray("optFlow",
                         {QStringLiteral("None"), QStringLiteral("Xon/Xoff"), QStringLiteral("RTS"),
                          QStringLiteral("Xon/RTS")},
                         flow);
    auto* echo = new QGroupBox(QStringLiteral("&Echo"), m_serialFrame);
    echo->setObjectName(QStringLiteral("Frame7"));
    m_echo = optionArray("optEcho", {QStringLiteral("Off"), QStringLiteral("On")}, echo);

    auto* portRow = new QFormLayout;
    m_port = editableList("cboPort", m_serialFrame);
    m_port->setMinimumContentsLength(22); // room for a good part of a by-id name
    m_port->setToolTip(QStringLiteral(
        "COM1 to COM16 are /dev/ttyS0 to /dev/ttyS15, followed by the serial ports present now, "
        "a USB adapter by its stable /dev/serial/by-id name; any device path, such as "
        "/dev/pts/3 or an adapter not plugged in yet, may be typed"));
    m_port->setAccessibleDescription(m_port->toolTip());
    portRow->addRow(labelled("Label1", "&Port:", m_port, m_serialFrame), m_port);
    // What the port in the box is: the adapter's maker, product and serial number and its device.
    m_portInfo = new QLabel(m_serialFrame);
    m_portInfo->setObjectName(QStringLiteral("lblPortInfo"));
    m_portInfo->setWordWrap(true);
    portRow->addRow(QString(), m_portInfo);
    m_reopen = new QCheckBox(QStringLiteral("Re&open when the port returns"), m_serialFrame);
    m_reopen->setObjectName(QStringLiteral("chkReopen"));
    m_reopen->setToolTip(
        QStringLiteral("When the port goes away (a USB adapter unplugged), open it again as soon "
                       "as the same port is back; nothing that was being sent is sent again"));
    portRow->addRow(QString(), m_reopen);
    connect(m_port, &QComboBox::currentTextChanged, this, &frmProperties::showPortInfo);

    auto* line = new QGroupBox(QStringLiteral("Connection Preferences"), m_serialFrame);
    line->setObjectName(QStringLiteral("fraConnection"));
    auto* lineForm = new QFormLayout(line);
    m_dataBits = editableList("cboDataBits", line);
    m_parity = editableList("cboParity", line);
    m_stopBits = editableList("cboStopBits", line);
    lineForm->addRow(QStringLiteral("Data &Bits:"), m_dataBits);
    lineForm->addRow(QStringLiteral("Pa&rity:"), m_parity);
    lineForm->addRow(QStringLiteral("&Stop Bits:"), m_stopBits);

    auto* speed = new QGroupBox(QStringLiteral("Ma&ximum Speed"), m_serialFrame);
    speed->setObjectName(QStringLiteral("Frame1"));
    auto* speedRow = new QVBoxLayout(speed);
    m_speed = editableList("cboSpeed", speed);
    m_speed->setAccessibleName(QStringLiteral("Maximum Speed"));
    speedRow->addWidget(m_speed);

    serial->addLayout(portRow, 0, 0);
    serial->addWidget(format, 0, 1);
    serial->addWidget(line, 1, 0, 2, 1);
    serial->addWidget(speed, 1, 1);
    serial->addWidget(flow, 2, 1);
    serial->addWidget(echo, 3, 1);
    serial->setRowStretch(4, 1);

    m_frames->addWidget(m_serialFrame);
    m_frames->addWidget(m_lanFrame);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmProperties::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);

    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(m_type, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow);
    layout->addWidget(m_frames, 1);
    layout->addWidget(buttons);

    // Down the LAN frame; in the serial frame the port and the format, the line, then the
    // choices on the right.
    QList<QWidget*> order{m_type, m_host, m_lanParity, m_device, m_port,     m_reopen,
                          m_olv,  m_kra,  m_dataBits,  m_parity, m_stopBits, m_speed};
    for (const QButtonGroup* options : {m_flow, m_echo})
        for (QAbstractButton* option : options->buttons())
            order.append(option);
    chainTabOrder(order << ok << cancel);
}

void frmProperties::load()
{
    const StoredProperties stored = storedProperties(m_store);
    m_type->setCurrentText(stored.connectionType);
    m_device->setCurrentText(stored.device);
    m_lanParity->setCurrentText(stored.lanParity);
    m_reopen->setChecked(stored.reopenPort);
    cboType_Click();
    LoadPropertySettings();
}

// An adapter plugged in since the last time is offered.
void frmProperties::showDialog()
{
    listPorts();
    showOver(this, parentWidget());
}

// COM1 to COM16, then the ports present that are none of those, by the name that finds them again.
void frmProperties::listPorts()
{
    QStringList ports;
    for (int n = 1; n <= settings::kComPorts; ++n)
        ports.append(settings::comPortName(n));
    m_present = m_listPorts();
    QList<const SerialPortFacts*> others;
    for (const SerialPortFacts& port : std::as_const(m_present))
        if (!settings::comPortOfDevice(port.device))
            others.append(&port);
    std::sort(others.begin(), others.end(),
              [](const SerialPortFacts* a, const SerialPortFacts* b) { return a->name() < b->name(); });
    for (const SerialPortFacts* port : std::as_const(others))
        ports.append(port->name());
    fill(m_port, ports);
    for (int i = settings::kComPorts; i < m_port->count(); ++i)
        m_port->setItemData(i, portDescription(*others[i - settings::kComPorts]), Qt::ToolTipRole);
    showPortInfo(m_port->currentText());
}

// The link reads the fields as they are edited, so edits left without OK must go at once: the
// fields return to what the store and the port hold, the record format option included.
void frmProperties::discardEdits()
{
    load();
    (storedProperties(m_store).kra ? m_kra : m_olv)->setChecked(true);
}

void frmProperties::LoadPropertySettings()
{
    listPorts();
    fill(m_type, kTypes);
    fill(m_device, kDevices);
    fill(m_lanParity, kLanParities);
    fill(m_speed, kSpeeds);
    fill(m_dataBits, kDataBits);
    fill(m_parity, kParities);
    fill(m_stopBits, kStopBits);

    const SerialLine& port = m_serial;
    const settings::SerialSettingsFields fields = settings::splitSerialSettings(port.settings());
    m_host->setText(m_connection.remoteHost());
    m_speed->setCurrentText(fields.speed);
    if (const QString item = settings::parityItemForLetter(fields.parityLetter); !item.isEmpty())
        m_parity->setCurrentText(item);
    m_dataBits->setCurrentText(fields.dataBits);
    m_stopBits->setCurrentText(fields.stopBits);
    selectPort();
    if (QAbstractButton* flow = m_flow->button(port.handshaking()))
        flow->setChecked(true);
    m_echo->button(m_connection.echo() ? 1 : 0)->setChecked(true);
}

void frmProperties::selectPort()
{
    const SerialLine& port = m_serial;
    if (port.portName().isEmpty())
        m_port->setCurrentIndex(port.commPort() - 1);
    else
        m_port->setCurrentText(port.portName());
}

void frmProperties::showPortInfo(const QString& text)
{
    const std::optional<int> com = settings::comPortNumber(text);
    const QString device = com ? settings::comPortDevice(*com) : text.trimmed();
    if (const SerialPortFacts* port = findPort(m_present, device))
        m_portInfo->setText(portDescription(*port));
    else
        m_portInfo->setText(device.isEmpty() ? QString() : QStringLiteral("Not present now"));
}

void frmProperties::cboType_Click()
{
    const bool serial = connectionTypeFromText(m_type->currentText()) == ConnectionType::Serial;
    m_frames->setCurrentWidget(serial ? m_serialFrame : m_lanFrame);
}

PropertiesForm frmProperties::form() const
{
    PropertiesForm f;
    f.connectionType = connectionTypeFromText(m_type->currentText());
    f.deviceNumber = m_device->currentText();
    f.lanParity = m_lanParity->currentText();
    f.hostText = m_host->text();
    // An adapter is kept by its by-id name, so a replug that renames its device still finds it.
    f.portText = settings::comPortNumber(m_port->currentText())
                     ? m_port->currentText()
                     : stablePortName(m_present, m_port->currentText());
    f.speed = m_speed->currentText();
    f.parityItem = m_parity->currentText();
    f.dataBits = m_dataBits->currentText();
    f.stopBits = m_stopBits->currentText();
    f.flowChoice = m_flowChoice;
    f.echoChoice = m_echoChoice;
    f.kraChosen = m_kra->isChecked();
    f.reopenPort = m_reopen->isChecked();
    return f;
}

void frmProperties::cmdOK_Click()
{
    const PropertiesResult result = m_portRequests.applyProperties(form());
    if (result.portReopened)
        Q_EMIT portReopened(result.portOpen);
    if (!result.error.isEmpty()) {
        m_operator.tell(result.error, Operator::Icon::Exclamation);
        return;
    }
    if (result.kraChosen)
        m_kra->setChecked(true);
    hide();
}

void frmProperties::closeEvent(QCloseEvent* event)
{
    discardEdits();
    QDialog::closeEvent(event);
}

} // namespace zkn
