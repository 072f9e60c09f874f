// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "operator/operator.h"

#include <QList>
#include <QString>

#include <array>

namespace zkn::decode {

// The six areas of the breakdown window, numbered as their plain frames Frame(0) to Frame(5).
enum class Area
{
    SourceDestination = 0,
    CalledParty = 1,
    CallingParty = 2,
    ExtendedCallingParty = 3,
    CallType = 4,
    Ani = 5
};
inline constexpr int kAreaCount = 6;

// The window's caption before any record has set one.
inline constexpr char kInitialCaption[] = "Format Message Information - ZKN-Tool";

// One box of a frame: its label without the colon ("STN", "Loop No.") and the text it shows.
struct BoxText
{
    QString label;
    QString text;

    friend bool operator==(const BoxText&, const BoxText&) = default;
};

// What one area shows: its plain frame, so the area is empty, or the frame a decoder brought to
// the front.
struct AreaView
{
    bool plain = true;
    int subFrame = 0;     // party: 10 x part + kind; ANI: 61; 0 for a plain frame and FrmCallType
    QString caption;      // of the frame in front
    QList<BoxText> boxes; // of the frame in front, in the order they stand; none on a plain frame
};

// The area as ResetFrames leaves it: its plain frame in front.
AreaView plainFrame(Area area);

// kInitialCaption as a window title.
QString initialCaption();

// What decoding an OLV record does to the expansion box chkIndex246 of the single-station lamp
// dialog.
enum class ExpansionBox
{
    Unchanged,
    Cleared,
    Checked
};

// Everything one record does to the breakdown window and beyond it, so the window shows it
// without reading the record.
struct Breakdown
{
    // False for a text that is no call record (a lamp-control answer): the window keeps its
    // caption and its frames.
    bool windowCleared = true;
    // kInitialCaption while the decode has set no caption; then the window keeps its own.
    QString caption = initialCaption();
    std::array<AreaView, kAreaCount> areas = {
        plainFrame(Area::SourceDestination),    plainFrame(Area::CalledParty), plainFrame(Area::CallingParty),
        plainFrame(Area::ExtendedCallingParty), plainFrame(Area::CallType),    plainFrame(Area::Ani)};
    // Message boxes in the order they arose, each with a critical icon and an OK button.
    QList<Operator::Message> messages;
    ExpansionBox expansion = ExpansionBox::Unchanged;

    const AreaView& area(Area which) const { return areas[static_cast<int>(which)]; }
    AreaView& area(Area which) { return areas[static_cast<int>(which)]; }
};

} // namespace zkn::decode
