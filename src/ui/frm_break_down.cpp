// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_break_down.h"

#include "display/record_time.h"

#include "tab_order.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpacerItem>
#include <QStackedWidget>

namespace zkn {

namespace {

using decode::Area;

// Where each area stands: the four parties two by two in the order a call reads, then its type
// and the ANI across the window, narrow enough to stand beside the main window on a laptop's
// screen; and how many boxes its largest sub-frame holds, so the window keeps its size as frames
// change.
constexpr struct
{
    Area area;
    int row;
    int column;
    int columnSpan;
    int boxes;
} kPlaces[] = {{Area::SourceDestination, 0, 0, 1, 7}, {Area::CallingParty, 0, 1, 1, 7},
               {Area::CalledParty, 1, 0, 1, 7},       {Area::ExtendedCallingParty, 1, 1, 1, 7},
               {Area::CallType, 2, 0, 2, 2},          {Area::Ani, 3, 0, 2, 1}};

// The boxes' object names by label, as the original window named its control arrays.
QString boxName(const QString& label)
{
    static const QHash<QString, QString> names{{QStringLiteral("FPC"), QStringLiteral("TxtFPC")},
                                               {QStringLiteral("TN"), QStringLiteral("TxtTn")},
                                               {QStringLiteral("STN"), QStringLiteral("TxtStn")},
                                               {QStringLiteral("UGN"), QStringLiteral("TxtUGN")},
                                               {QStringLiteral("TELN"), QStringLiteral("TxtTel")},
                                               {QStringLiteral("ATTN"), QStringLiteral("TxtAtt")},
                                               {QStringLiteral("RT"), QStringLiteral("TxtPhysicalRoute")},
                                               {QStringLiteral("TK"), QStringLiteral("TxtTrunk")},
                                               {QStringLiteral("LGRT"), QStringLiteral("TxtLogicalRoute")},
                                               {QStringLiteral("Loop No."), QStringLiteral("TxtLoopNo")},
                                               {QStringLiteral("Call Type"), QStringLiteral("TxtCallType")},
                                               {QStringLiteral("ANI"), QStringLiteral("TxtANI")}};
    return names.value(label, QStringLiteral("TxtBlank"));
}

QLineEdit* box(const QString& label, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(boxName(label));
    edit->setReadOnly(true);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Every value is read whole: the 32-character ANI, the call type's code and words.
    const int characters = label == QLatin1String("Call Type") ? 42 : label == QLatin1String("ANI") ? 34 : 17;
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(characters, QLatin1Char('0'))));
    return edit;
}

// Gives an area's plain frame the room of its largest sub-frame, so the window has its size from
// the start and keeps it as frames change: boxes as wide as the area's widest, kept in the layout
// but never shown, room for the widest label, and the width of the widest caption.
void reserveRoom(QGroupBox* frame, Area area, int boxes)
{
    const bool party = area != Area::CallType && area != Area::Ani;
    const QString widest = area == Area::CallType ? QStringLiteral("Call Type")
                           : area == Area::Ani    ? QStringLiteral("ANI")
                                                  : QStringLiteral("Blank");
    auto* room = new QGridLayout(frame);
    const QString label = widest + QLatin1Char(':');
    room->addItem(new QSpacerItem(frame->fontMetrics().horizontalAdvance(label), 0), 0, 0);
    for (int row = 0; row < boxes; ++row) {
        QLineEdit* placeholder = box(widest, frame);
        placeholder->setObjectName(QString());
        QSizePolicy policy = placeholder->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        placeholder->setSizePolicy(policy);
        placeholder->hide();
        room->addWidget(placeholder, row, 1);
    }
    if (party) {
        const QGroupBox widestCaption(frame->title() + QStringLiteral("(Trunk/ANI)"));
        frame->setMinimumWidth(widestCaption.minimumSizeHint().width());
    }
}

} // namespace

FrmBreakDown::FrmBreakDown(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmBreakDown"));
    setWindowTitle(QLatin1String(decode::kInitialCaption));

    auto* grid = new QGridLayout;
    for (const auto& place : kPlaces) {
        AreaStack& area = m_areas[static_cast<std::size_t>(place.area)];
        area.stack = new QStackedWidget(this);
        const decode::AreaView plain = decode::plainFrame(place.area);
        auto* frame = new QGroupBox(plain.caption, area.stack);
        frame->setObjectName(QStringLiteral("Frame%1").arg(static_cast<int>(place.area)));
        reserveRoom(frame, place.area, place.boxes);
        area.stack->addWidget(frame);
        grid->addWidget(area.stack, place.row, place.column, 1, place.columnSpan);
    }

    auto* timeCaption = new QLabel(QStringLiteral("Last Record:"), this);
    timeCaption->setObjectName(QStringLiteral("Label11"));
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("lblTime"));
    m_hold = new QCheckBox(QStringLiteral("&Hold"), this);
    m_hold->setObjectName(QStringLiteral("ChkHold"));
    connect(m_hold, &QCheckBox::clicked, this, [this](bool held) {
        m_hold->setText(held ? QStringLiteral("&Resume") : QStringLiteral("&Hold"));
    });
    auto* clear = new QPushButton(QStringLiteral("&Clear"), this);
    clear->setObjectName(QStringLiteral("cmdClear"));
    connect(clear, &QPushButton::clicked, this, &FrmBreakDown::ResetFrames);
    auto* closeButton = new QPushButton(QStringLiteral("Cl&ose"), this);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    connect(closeButton, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT closedByOperator();
    });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, closeButton, &QPushButton::click);
    m_clear = clear;
    m_close = closeButton;

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(timeCaption);
    bottom->addWidget(m_time, 1);
    bottom->addWidget(m_hold);
    bottom->addWidget(clear);
    bottom->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(bottom);
}

void FrmBreakDown::showBreakdown(const decode::Breakdown& breakdown)
{
    if (!breakdown.windowCleared)
        return;
    if (breakdown.caption != QLatin1String(decode::kInitialCaption))
        setWindowTitle(breakdown.caption);
    for (int i = 0; i < decode::kAreaCount; ++i) {
        const auto area = static_cast<Area>(i);
        const decode::AreaView& view = breakdown.area(area);
        QStackedWidget* stack = m_areas[static_cast<std::size_t>(i)].stack;
        if (view.plain) {
            stack->setCurrentIndex(0);
            continue;
        }
        QWidget* frame = subFrame(area, view);
        for (const decode::BoxText& shown : view.boxes)
            if (auto* edit = frame->findChild<QLineEdit*>(boxName(shown.label))) {
                edit->setText(shown.text);
                edit->setCursorPosition(0); // a value wider than its box shows its start
            }
        stack->setCurrentWidget(frame);
    }
}

// A sub-frame is made the first time a decoder brings it to the front, from the captions and
// labels the decode names; later it only gets new texts.
QWidget* FrmBreakDown::subFrame(Area area, const decode::AreaView& view)
{
    AreaStack& stack = m_areas[static_cast<std::size_t>(area)];
    const int key = area == Area::CallType ? -1 : view.subFrame;
    if (QWidget* known = stack.subFrames.value(key))
        return known;
    auto* frame = new QGroupBox(view.caption, stack.stack);
    frame->setObjectName(key < 0 ? QStringLiteral("FrmCallType") : QStringLiteral("frmsrc%1").arg(key));
    auto* form = new QFormLayout(frame);
    for (const decode::BoxText& shown : view.boxes)
        form->addRow(shown.label + QLatin1Char(':'), box(shown.label, frame));
    stack.stack->addWidget(frame);
    stack.subFrames.insert(key, frame);
    orderTabs();
    return frame;
}

// Sub-frames are made as records come, after the buttons: Tab still goes area by area in
// reading order, then to the buttons.
void FrmBreakDown::orderTabs()
{
    QList<QWidget*> order;
    for (const auto& place : kPlaces)
        for (QLineEdit* edit :
             m_areas[static_cast<std::size_t>(place.area)].stack->findChildren<QLineEdit*>())
            order.append(edit);
    chainTabOrder(order << m_hold << m_clear << m_close);
}

void FrmBreakDown::ResetFrames()
{
    for (AreaStack& area : m_areas)
        area.stack->setCurrentIndex(0);
}

void FrmBreakDown::setLastRecordTime(const QDateTime& when)
{
    m_time->setText(display::recordTimeText(when));
}

bool FrmBreakDown::onHold() const
{
    return m_hold->isChecked();
}

// The title bar's close box unloads the window: it comes back empty.
void FrmBreakDown::closeEvent(QCloseEvent* event)
{
    unload();
    Q_EMIT closedByOperator();
    QWidget::closeEvent(event);
}

void FrmBreakDown::unload()
{
    for (AreaStack& area : m_areas) {
        for (QWidget* frame : std::as_const(area.subFrames))
            delete frame;
        area.subFrames.clear();
        area.stack->setCurrentIndex(0);
    }
    m_hold->setChecked(false);
    m_hold->setText(QStringLiteral("&Hold"));
    m_time->clear();
    setWindowTitle(QLatin1String(decode::kInitialCaption));
}

} // namespace zkn
