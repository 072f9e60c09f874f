// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_config.h"
#include "stored_settings.h"

#include "expansion_box.h"
#include "extensions_file.h"
#include "key_filter.h"
#include "model/connection_options.h"
#include "model/load_test_options.h"
#include "operator/operator.h"
#include "settings/settings_store.h"
#include "station_box.h"
#include "tab_order.h"
#include "text/numeric_prefix.h"
#include "text_editor.h"
#include "window_placement.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zkn {

namespace {

// A range box holds 5 characters as designed, until the expansion option is first applied.
constexpr int kDesignedLength = 5;
constexpr int kDelayLength = 5;

QLabel* label(const char* name, const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* text = new QLabel(caption, parent);
    text->setObjectName(QLatin1String(name));
    text->setBuddy(buddy);
    return text;
}

int numberIn(const QString& text)
{
    return text::leadingNumber(text.toLatin1());
}

bool isValidDelay(int ms)
{
    return ms >= LoadTestOptions::kFirstDelay && ms <= LoadTestOptions::kLastDelay;
}

} // namespace

frmConfig::frmConfig(QWidget* parent, settings::SettingsStore& store, const ConnectionOptions& connection,
                     ExpansionOption& expansion, LoadTestOptions& options, Operator& op)
    : QDialog(parent), m_store(store), m_connection(connection), m_expansion(expansion), m_options(options),
      m_operator(op)
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Lamp Test Configuration"));
    build();

    // The switch-off sweep reads the boxes as they stand, not as the last OK left them.
    connect(m_start, &QLineEdit::textChanged, &m_options, &LoadTestOptions::setStartText);
    connect(m_end, &QLineEdit::textChanged, &m_options, &LoadTestOptions::setEndText);
    connect(m_delay, &QLineEdit::textEdited, this, &frmConfig::txtDelay_Edited);
    connect(m_useFile, &QCheckBox::toggled, this,
            [this](bool useFile) { m_stations->setCurrentWidget(useFile ? m_fileChoice : m_range); });
}

void frmConfig::build()
{
    auto* instruction = new QLabel(
        QStringLiteral("Enter load test extension range or click EDIT FILE to enter random extensions.  "
                       "Adjust Inter-message delay value (milli-seconds) to desired value.\n\n"
                       "NOTE:  The START extention must be less than the END extension."),
        this);
    instruction->setObjectName(QStringLiteral("Label1"));
    instruction->setWordWrap(true);

    m_range = buildRange();
    m_fileChoice = buildFileChoice();
    // The file's frame lies where the range boxes are: one or the other is shown.
    m_stations = new QStackedWidget(this);
    m_stations->addWidget(m_range);
    m_stations->addWidget(m_fileChoice);

    m_useFile = new QCheckBox(QStringLiteral("&Use File"), this);
    m_useFile->setObjectName(QStringLiteral("ChkFile"));

    m_index246 = new ExpansionBox(QStringLiteral("ZKN E&xpansion Enabled (Index 246 bit-3)"), m_expansion,
                                  m_store, m_connection, this);
    m_index246->setObjectName(QStringLiteral("chkIdx246"));
    m_index246->setStationBoxes({m_start, m_end});

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmConfig::cmdOK_Click);
    // Escape and the close box reject the dialog as Cancel does: it hides, nothing else changes.
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* stationsRow = new QHBoxLayout;
    stationsRow->addWidget(m_stations);
    stationsRow->addStretch(1);
    stationsRow->addWidget(m_useFile, 0, Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addLayout(stationsRow);
    layout->addWidget(buildDelay());
    layout->addWidget(m_index246);
    layout->addStretch(1);
    layout->addLayout(buttons);

    chainTabOrder({m_start, m_end, m_editFile, m_useFile, m_delay, m_index246, ok, cancel});
}

QWidget* frmConfig::buildRange()
{
    auto* range = new QWidget(this);
    m_start = newStationBox("Text1", kDesignedLength, range);
    m_end = newStationBox("Text2", kDesignedLength, range);
    for (QLineEdit* box : {m_start, m_end})
        box->installEventFilter(this);

    auto* grid = new QGridLayout(range);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label("Label2", QStringLiteral("&Start:"), m_start, range), 0, 0);
    grid->addWidget(m_start, 0, 1, Qt::AlignLeft);
    grid->addWidget(label("Label3", QStringLiteral("&End:"), m_end, range), 1, 0);
    grid->addWidget(m_end, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    return range;
}

QWidget* frmConfig::buildFileChoice()
{
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));

    m_editFile = new QPushButton(frame);
    m_editFile->setObjectName(QStringLiteral("cmdEditFile"));
    m_editFile->setIcon(QIcon::fromTheme(QStringLiteral("accessories-text-editor"),
                                         style()->standardIcon(QStyle::SP_FileIcon)));
    m_editFile->setIconSize(QSize(24, 24));
    m_editFile->setAccessibleName(QStringLiteral("Edit the extensions file"));
    m_editFile->setToolTip(QDir::toNativeSeparators(extensionsFilePath()));
    connect(m_editFile, &QPushButton::clicked, this, &frmConfig::cmdEditFile_Click);

    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_editFile);
    row->addWidget(label("Label5", QStringLiteral("Edit &File"), m_editFile, frame));
    row->addStretch(1);
    return frame;
}

QWidget* frmConfig::buildDelay()
{
    auto* delay = new QWidget(this);
    m_delay = newStationBox("txtDelay", kDelayLength, delay);
    m_delay->installEventFilter(this);

    auto* spinner = new QWidget(delay);
    spinner->setObjectName(QStringLiteral("UpDownDelay"));
    auto* arrows = new QVBoxLayout(spinner);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (const int step : {1, -1}) {
        auto* arrow = new QToolButton(spinner);
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAccessibleName(step > 0 ? QStringLiteral("Longer delay") : QStringLiteral("Shorter delay"));
        arrow->setFixedSize(18, 12);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        connect(arrow, &QToolButton::clicked, this, [this, step] { stepDelay(step); });
        arrows->addWidget(arrow);
    }

    auto* row = new QHBoxLayout(delay);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label("Label4", QStringLiteral("&Delay(ms):"), m_delay, delay));
    row->addWidget(m_delay);
    row->addWidget(spinner);
    row->addStretch(1);
    return delay;
}

void frmConfig::setStations(const QString& start, const QString& end)
{
    m_start->setText(start);
    m_end->setText(end);
}

void frmConfig::setStationsOffered(bool offered)
{
    QWidget* const stations[] = {m_useFile, m_fileChoice, m_start, m_end};
    for (QWidget* w : stations)
        w->setEnabled(offered);
}

void frmConfig::showFullMode()
{
    setStationsOffered(true);
    showDialog();
}

void frmConfig::showDelayOnly()
{
    setStationsOffered(false);
    showDialog();
    m_delay->setFocus();
    m_delay->selectAll();
}

void frmConfig::showDialog()
{
    if (!isVisible())
        m_delay->setText(QString::number(m_options.delayMs()));
    showOver(this, parentWidget());
}

void frmConfig::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        m_index246->dialogActivationChanged(isActiveWindow());
}

bool frmConfig::eventFilter(QObject* watched, QEvent* event)
{
    const bool delay = watched == m_delay;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isRefusedKey(key, delay ? kDigitKeys : kStationKeys))
            return true;
        if (delay && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            stepDelay(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    // Getting the focus selects a station box's whole text, after a click has placed the cursor.
    if (!delay && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, watched, [box = static_cast<QLineEdit*>(watched)] { box->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

void frmConfig::stepDelay(int delta)
{
    const int next = qBound(LoadTestOptions::kFirstDelay, delayValue() + delta, LoadTestOptions::kLastDelay);
    m_delay->setText(QString::number(next));
}

int frmConfig::delayValue() const
{
    return numberIn(m_delay->text());
}

void frmConfig::warnDelay()
{
    m_operator.tell(QStringLiteral("Invalid delay value. please enter a value between 1 to 60000 (ms)."),
                    Operator::Icon::Exclamation, QStringLiteral("WARNING"));
    m_delay->setFocus();
    m_delay->selectAll();
}

// Warned as the operator types, so a value out of range is caught at the digit that made it so.
void frmConfig::txtDelay_Edited()
{
    if (!isValidDelay(delayValue()))
        warnDelay();
}

void frmConfig::cmdOK_Click()
{
    const int delay = delayValue();
    if (!isValidDelay(delay)) {
        warnDelay();
        return;
    }
    if (!m_start->isEnabled()) {
        m_options.setDelayMs(delay);
        hide();
        Q_EMIT configured(false);
        return;
    }
    const bool useFile = m_useFile->isChecked();
    if (!useFile) {
        const int start = numberIn(m_start->text());
        const int end = numberIn(m_end->text());
        if (end <= start) {
            m_operator.tell(QStringLiteral("Invalid Sequence! Please, try again."),
                            Operator::Icon::Exclamation);
            m_start->setFocus();
            return;
        }
        m_options.setRange(start, end);
    }
    m_options.setDelayMs(delay);
    m_options.setUseFile(useFile);
    storeLoadTestRange(m_store, m_start->text(), m_end->text());
    hide();
    Q_EMIT configured(true);
}

void frmConfig::cmdEditFile_Click()
{
    const QString path = extensionsFilePath();
    const QString error = openInTextEditor(path);
    if (error.isEmpty())
        return;
    m_operator.tell(QStringLiteral("%1\n\nThe extensions file is %2; it may be edited with any text editor.")
                        .arg(error, QDir::toNativeSeparators(path)),
                    Operator::Icon::Exclamation);
}

} // namespace zkn
