// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_single.h"
#include "stored_settings.h"

#include "expansion_box.h"
#include "key_filter.h"
#include "model/connection_options.h"
#include "operator/operator.h"
#include "pictures.h"
#include "settings/settings_store.h"
#include "station_box.h"
#include "tab_order.h"
#include "window_placement.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zkn {

namespace {

using lamp::LampAction;
using lamp::SingleStationRequest;

// A station box holds 8 characters as designed, until the expansion option is first applied.
constexpr int kDesignedLength = 8;

QRadioButton* option(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QRadioButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

frmSingle::frmSingle(QWidget* parent, settings::SettingsStore& store, const ConnectionOptions& connection,
                     ExpansionOption& expansion, Operator& op)
    : QDialog(parent), m_store(store), m_connection(connection), m_expansion(expansion), m_operator(op)
{
    setObjectName(QStringLiteral("frmSingle"));
    setWindowTitle(QStringLiteral("ZKN-Control Tool - Lamp Control"));
    build();

    // The groups exclude each other, so one Send sends one message.
    connect(m_mwOn, &QRadioButton::clicked, m_vmmNone, &QRadioButton::setChecked);
    connect(m_mwOff, &QRadioButton::clicked, m_vmmNone, &QRadioButton::setChecked);
    connect(m_vmmOn, &QRadioButton::clicked, m_mwNone, &QRadioButton::setChecked);
    connect(m_vmmOff, &QRadioButton::clicked, m_mwNone, &QRadioButton::setChecked);

    const StoredStations stations = defaultSingleStations();
    setStations(stations.first, stations.second);
}

void frmSingle::build()
{
    auto* frame = new QGroupBox(QStringLiteral("Message Waiting Lamp Control"), this);
    frame->setObjectName(QStringLiteral("Frame1"));

    auto* instruction =
        new QLabel(QStringLiteral("Enter a single station or a range of stations, select the lamp "
                                  "to control and click 'Send' to activate lamp:\n\n"
                                  "NOTE: The PRQ2000 does not support range control."),
                   frame);
    instruction->setObjectName(QStringLiteral("lblStation"));
    instruction->setWordWrap(true);

    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(pictures::telephone(true, 48));
    picture->setAlignment(Qt::AlignTop);
    picture->setAccessibleName(QStringLiteral("Telephone"));

    m_stn1 = newStationBox("txtStn1", kDesignedLength, frame);
    m_stn2 = newStationBox("txtStn2", kDesignedLength, frame);
    auto* fromLabel = new QLabel(QStringLiteral("F&rom:"), frame);
    fromLabel->setObjectName(QStringLiteral("Label1"));
    fromLabel->setBuddy(m_stn1);
    auto* toLabel = new QLabel(QStringLiteral("&To:"), frame);
    toLabel->setObjectName(QStringLiteral("Label2"));
    toLabel->setBuddy(m_stn2);
    for (QLineEdit* box : {m_stn1, m_stn2})
        box->installEventFilter(this);

    auto* mw = new QGroupBox(QStringLiteral("MW"), frame);
    mw->setObjectName(QStringLiteral("FramMW"));
    m_mwOn = option("OptionMWon", "Lamp &On", mw);
    m_mwOff = option("OptionMWoff", "Lamp O&ff", mw);
    m_mwNone = option("OptionMWnone", "No &Change", mw);
    auto* vmm = new QGroupBox(QStringLiteral("VMM"), frame);
    vmm->setObjectName(QStringLiteral("FrameVMM"));
    m_vmmOn = option("OptionVMMon", "Lamp O&n", vmm);
    m_vmmOff = option("OptionVMMoff", "La&mp Off", vmm);
    m_vmmNone = option("OptionVMMnone", "No Chan&ge", vmm);
    for (auto [group, buttons] : {std::pair{mw, std::array{m_mwOn, m_mwOff, m_mwNone}},
                                  std::pair{vmm, std::array{m_vmmOn, m_vmmOff, m_vmmNone}}}) {
        auto* column = new QVBoxLayout(group);
        for (QRadioButton* button : buttons)
            column->addWidget(button);
    }
    m_mwNone->setChecked(true);
    m_vmmNone->setChecked(true);

    m_index246 = new ExpansionBox(QStringLiteral("ZKN &Expansion Enabled (Index 246 bit-3)"), m_expansion,
                                  m_store, m_connection, frame);
    m_index246->setObjectName(QStringLiteral("chkIndex246"));
    m_index246->setStationBoxes({m_stn1, m_stn2});

    auto* send = new QPushButton(QStringLiteral("&Send"), this);
    send->setObjectName(QStringLiteral("cmdSend"));
    send->setDefault(true);
    auto* quit = new QPushButton(QStringLiteral("&Quit"), this);
    quit->setObjectName(QStringLiteral("cmdQuit"));
    connect(send, &QPushButton::clicked, this, &frmSingle::cmdSend_Click);
    connect(quit, &QPushButton::clicked, this, &frmSingle::cmdQuit_Click);

    auto* stations = new QGridLayout;
    stations->addWidget(fromLabel, 0, 0);
    stations->addWidget(m_stn1, 0, 1, Qt::AlignLeft);
    stations->addWidget(toLabel, 1, 0);
    stations->addWidget(m_stn2, 1, 1, Qt::AlignLeft);
    stations->setColumnStretch(2, 1);

    auto* groups = new QHBoxLayout;
    groups->addLayout(stations, 1);
    groups->addWidget(mw);
    groups->addWidget(vmm);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(instruction, 1);

    auto* inside = new QVBoxLayout(frame);
    inside->addLayout(top);
    inside->addLayout(groups);
    inside->addWidget(m_index246);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(send);
    buttons->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    chainTabOrder(
        {m_stn1, m_stn2, m_mwOn, m_mwOff, m_mwNone, m_vmmOn, m_vmmOff, m_vmmNone, m_index246, send, quit});
}

void frmSingle::setStations(const QString& from, const QString& to)
{
    m_stn1->setText(from);
    m_stn2->setText(to);
    m_stn1->selectAll();
}

void frmSingle::showDialog()
{
    if (!m_placed && parentWidget()) {
        adjustSize();
        // Not shown yet, the dialog has no frame of its own: it gets the main window's.
        const QWidget* main = parentWidget();
        const QRect mainFrame = main->frameGeometry();
        const QSize own = size() + (mainFrame.size() - main->size());
        move(mainFrame.right() + 1 - own.width(), mainFrame.bottom() + 1 - own.height());
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void frmSingle::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        m_index246->dialogActivationChanged(isActiveWindow());
}

bool frmSingle::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && isRefusedKey(static_cast<QKeyEvent*>(event), kStationKeys))
        return true;
    // Getting the focus selects the whole text, after a click has placed the cursor.
    if (event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, watched, [box = static_cast<QLineEdit*>(watched)] { box->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

LampAction frmSingle::chosen(QRadioButton* on, QRadioButton* off) const
{
    if (on->isChecked())
        return LampAction::On;
    return off->isChecked() ? LampAction::Off : LampAction::NoChange;
}

// Every range more than this many stations long is asked about first.
constexpr quint64 kStationsWithoutAsking = 100;

void frmSingle::cmdSend_Click()
{
    const SingleStationRequest request{m_stn1->text().toLatin1(), m_stn2->text().toLatin1(),
                                       chosen(m_mwOn, m_mwOff), chosen(m_vmmOn, m_vmmOff)};
    // Without a lamp chosen the link says so; there is no range to check yet.
    const lamp::StationRange range =
        lamp::requestedFunctions(request).isEmpty() ? lamp::StationRange{} : lamp::stationRange(request);
    if (range.reversed) {
        m_operator.tell(QStringLiteral("Invalid Sequence! Please, try again."), Operator::Icon::Exclamation);
        return;
    }
    if (range.stations <= kStationsWithoutAsking) {
        Q_EMIT sendRequested(request);
        return;
    }
    m_operator.show({QStringLiteral("Switch the lamps of %1 stations?").arg(range.stations),
                     Operator::Icon::Question,
                     Operator::Buttons::YesNo,
                     {}},
                    [this, request](Operator::Answer answer) {
                        if (answer == Operator::Answer::Yes)
                            Q_EMIT sendRequested(request);
                    });
}

void frmSingle::cmdQuit_Click()
{
    storeSingleStations(m_store, m_stn1->text(), m_stn2->text());
    hide();
}

} // namespace zkn
