// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_debug_options.h"
#include "stored_settings.h"

#include "model/connection_options.h"
#include "model/debug_options.h"
#include "settings/setting_text.h"
#include "window_placement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace zkn {

namespace {

using Forced = DebugOptions::ForcedAnswer;

QCheckBox* checkBox(const char* name, const char* caption, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QRadioButton* option(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// Whole seconds up to 180; an empty box is allowed (a health check on every tick).
QValidator* intervalValidator(QObject* parent)
{
    return new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("0*([0-9]{0,2}|1[0-7][0-9]|180)")), parent);
}

} // namespace

FrmDebugOptions::FrmDebugOptions(QWidget* parent, DebugOptions& debug, ConnectionOptions& connection,
                                 settings::SettingsStore& store)
    : QDialog(parent), m_debug(debug), m_connection(connection), m_store(store)
{
    setObjectName(QStringLiteral("FrmDebugOptions"));
    setWindowTitle(QStringLiteral("Debug Options"));
    build();

    DebugOptions& d = m_debug;
    connect(m_detail, &QCheckBox::toggled, &d, &DebugOptions::setDetail);
    connect(m_stopHealth, &QCheckBox::toggled, &d, &DebugOptions::setStopHealth);
    connect(m_ignoreParity, &QCheckBox::toggled, &d, &DebugOptions::setIgnoreParity);
    connect(m_toggleParity, &QCheckBox::toggled, &d, &DebugOptions::setToggleParity);
    // Clicks, not changes of state: loading the boxes must neither open a window nor flip parity.
    connect(m_hex, &QCheckBox::clicked, &d, &DebugOptions::setHexView);
    connect(m_toggleParity, &QCheckBox::clicked, this, [this] { m_connection.toggleLanParity(); });
    connect(m_normal, &QRadioButton::toggled, this, [&d](bool on) {
        if (on)
            d.setForcedAnswer(Forced::Normal);
    });
    connect(m_parityError, &QRadioButton::toggled, this, [&d](bool on) {
        if (on)
            d.setForcedAnswer(Forced::ParityError);
    });
    connect(m_invalidText, &QRadioButton::toggled, this, [&d](bool on) {
        if (on)
            d.setForcedAnswer(Forced::InvalidText);
    });
    connect(m_interval, &QLineEdit::textChanged, &d, &DebugOptions::setHealthCheckIntervalText);
    // The link falls back to a normal answer after a forced one, and closing the LAN debug
    // window clears its box: the dialog follows the options.
    connect(&d, &DebugOptions::changed, this, &FrmDebugOptions::showOptions);
}

void FrmDebugOptions::build()
{
    m_detail = checkBox("chkdetail", "Show &detailed messages", this);
    m_hex = checkBox("chkdebug", "Show debug &HEX view", this);
    m_toggleParity = checkBox("chktoggleparity", "&Toggle Tx parity (ODD/EVEN", this);
    m_ignoreParity = checkBox("chkIgnoreparitychk", "Don't perform &Rx Parity check", this);
    m_stopHealth = checkBox("chkstophealth", "&Stop health check signal", this);

    auto* forced = new QGroupBox(QStringLiteral("Force Client Response Message"), this);
    forced->setObjectName(QStringLiteral("Frame1"));
    auto* forcedColumn = new QVBoxLayout(forced);
    m_normal = option("optNorm", "&Normal", forced);
    m_parityError = option("optParityErr", "&Parity Error", forced);
    m_invalidText = option("optInvalidTxt", "In&valid Text", forced);
    m_normal->setChecked(true);
    forcedColumn->addWidget(m_normal);
    forcedColumn->addWidget(m_parityError);
    forcedColumn->addWidget(m_invalidText);

    auto* intervalLabel = new QLabel(QStringLiteral("Health Check &Interval (Sec.)"), this);
    intervalLabel->setObjectName(QStringLiteral("Label1"));
    m_interval = new QLineEdit(QStringLiteral("5"), this);
    m_interval->setObjectName(QStringLiteral("txtHCInterval"));
    m_interval->setValidator(intervalValidator(m_interval));
    m_interval->setMaximumWidth(m_interval->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_interval->setToolTip(QStringLiteral("1 to 180 seconds; empty or 0 checks every second"));
    m_interval->installEventFilter(this);
    intervalLabel->setBuddy(m_interval);

    auto* spinner = new QWidget(this);
    spinner->setObjectName(QStringLiteral("UpDown1"));
    auto* arrows = new QVBoxLayout(spinner);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (const int delta : {1, -1}) {
        auto* arrow = new QToolButton(spinner);
        arrow->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAccessibleName(delta > 0 ? QStringLiteral("Longer interval")
                                           : QStringLiteral("Shorter interval"));
        arrow->setFixedSize(18, 12);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        connect(arrow, &QToolButton::clicked, this, [this, delta] { stepInterval(delta); });
        arrows->addWidget(arrow);
    }
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(intervalLabel);
    intervalRow->addStretch(1);
    intervalRow->addWidget(m_interval);
    intervalRow->addWidget(spinner);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* quit = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    quit->setObjectName(QStringLiteral("cmdQuit"));
    connect(quit, &QPushButton::clicked, this, &QDialog::hide);

    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* box : {m_detail, m_hex, m_toggleParity, m_ignoreParity, m_stopHealth})
        layout->addWidget(box);
    layout->addWidget(forced);
    layout->addLayout(intervalRow);
    layout->addStretch(1);
    layout->addWidget(buttons);
}

void FrmDebugOptions::stepInterval(int delta)
{
    const int now = m_debug.healthCheckInterval();
    m_interval->setText(QString::number(qBound(1, now + delta, DebugOptions::kMaxInterval)));
}

bool FrmDebugOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_interval && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepInterval(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmDebugOptions::showOptions()
{
    const DebugOptions& d = m_debug;
    m_detail->setChecked(d.detail());
    m_hex->setChecked(d.hexView());
    m_toggleParity->setChecked(d.toggleParity());
    m_stopHealth->setChecked(d.stopHealth());
    m_ignoreParity->setChecked(d.ignoreParity());
    (d.forcedAnswer() == Forced::ParityError   ? m_parityError
     : d.forcedAnswer() == Forced::InvalidText ? m_invalidText
                                               : m_normal)
        ->setChecked(true);
    if (m_interval->text() != d.healthCheckIntervalText())
        m_interval->setText(d.healthCheckIntervalText());
}

void FrmDebugOptions::load()
{
    loadDebugOptions(m_store, m_debug);
    showOptions();
}

void FrmDebugOptions::unload()
{
    storeDebugOptions(m_store, m_debug);
}

void FrmDebugOptions::showDialog()
{
    showOver(this, parentWidget());
}

void FrmDebugOptions::closeEvent(QCloseEvent* event)
{
    unload();
    QDialog::closeEvent(event);
}

} // namespace zkn
