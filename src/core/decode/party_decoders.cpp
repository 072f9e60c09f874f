// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/party_decoders.h"

#include "decode/field_cut.h"
#include "decode/static_text.h"

#include <optional>
#include <span>

namespace zkn::decode {

namespace {

// One box of a party's sub-frame, in the order the boxes stand, and where its text lies in the
// party data of each layout.
struct BoxField
{
    QStringView label;
    Field kra;
    Field olv;
    std::optional<Field> olvCalling = std::nullopt; // the OLV calling party, where it differs
};

// Label, KRA {first position, width}, OLV {first position, width}; {} leaves the box empty.
// clang-format off
constexpr BoxField kStationFields[] = {
    {u"FPC",   {1, 3},   {}},
    {u"TN",    {4, 3},   {1, 2}},
    {u"STN",   {7, 8},   {3, 8}, Field{3, 16}},
    {u"UGN",   {15, 3},  {}},
    {u"TELN",  {18, 16}, {}},
};

constexpr BoxField kAttendantFields[] = {
    {u"FPC",   {1, 3},   {}},
    {u"TN",    {4, 3},   {1, 2}},
    {u"ATTN",  {7, 2},   {3, 2}},
    {u"UGN",   {15, 3},  {}},
    {u"Blank", {9, 6},   {5, 4}},
};

constexpr BoxField kTrunkFields[] = {
    {u"FPC",   {1, 3},   {}},
    {u"TN",    {4, 3},   {1, 2}},
    {u"RT",    {7, 3},   {3, 3}},
    {u"UGN",   {15, 3},  {}},
    {u"Blank", {13, 2},  {}},
    {u"TK",    {10, 3},  {6, 3}},
    {u"LGRT",  {18, 3},  {}},
};
// clang-format on

// The area of each party part and its sub-frames' captions by party kind.
struct PartyArea
{
    Part part;
    Area area;
    QStringView captions[kPartyKinds];
};

constexpr PartyArea kPartyAreas[] = {
    {Part::SourceDestination,
     Area::SourceDestination,
     {u"Source/Destination (Station)", u"Source/Destination (Attendant)", u"Source/Destination (Trunk)",
      u"Source/Destination (Trunk/ANI)"}},
    {Part::CallingParty,
     Area::CallingParty,
     {u"Calling Party (Station)", u"Calling Party (Attendant)", u"Calling Party (Trunk)",
      u"Calling Party (Trunk/ANI)"}},
    {Part::CalledParty,
     Area::CalledParty,
     {u"Called Party (Station)", u"Called Party (Attendant)", u"Called Party (Trunk)",
      u"Called Party (Trunk/ANI)"}},
    {Part::ExtendedCallingParty,
     Area::ExtendedCallingParty,
     {u"Extended Calling Party (Station)", u"Extended Calling Party (Attendant)",
      u"Extended Calling Party (Trunk)", u"Extended Calling Party (Trunk/ANI)"}},
};

const PartyArea& partyArea(Part part)
{
    for (const PartyArea& entry : kPartyAreas) {
        if (entry.part == part)
            return entry;
    }
    Q_UNREACHABLE();
}

Field fieldOf(const BoxField& box, Part part, RecordFormat format)
{
    if (format == RecordFormat::Kra)
        return box.kra;
    return part == Part::CallingParty && box.olvCalling ? *box.olvCalling : box.olv;
}

void showParty(std::span<const BoxField> fields, QByteArrayView data, Part part, int id, RecordFormat format,
               Breakdown& window)
{
    Q_ASSERT(id >= 0 && id < kPartyKinds);
    const PartyArea& where = partyArea(part);
    AreaView view{false, 10 * static_cast<int>(part) + id, staticText(where.captions[id]), {}};
    view.boxes.reserve(fields.size());
    for (const BoxField& box : fields)
        view.boxes.append({staticText(box.label), shown(cut(data, fieldOf(box, part, format)))});
    window.area(where.area) = std::move(view);
}

} // namespace

void ProcessStation(QByteArrayView data, Part dataType, int id, RecordFormat format, Breakdown& window)
{
    showParty(kStationFields, data, dataType, id, format, window);
}

void ProcessAttendant(QByteArrayView data, Part dataType, int id, RecordFormat format, Breakdown& window)
{
    showParty(kAttendantFields, data, dataType, id, format, window);
}

void ProcessTrunk(QByteArrayView data, Part dataType, int id, RecordFormat format, Breakdown& window)
{
    showParty(kTrunkFields, data, dataType, id, format, window);
}

bool decodeParty(QByteArrayView data, Part part, int kind, RecordFormat format, Breakdown& window)
{
    switch (kind) {
    case 0:
        ProcessStation(data, part, kind, format, window);
        return true;
    case 1:
        ProcessAttendant(data, part, kind, format, window);
        return true;
    case 2:
    case 3:
        ProcessTrunk(data, part, kind, format, window);
        return true;
    default:
        return false;
    }
}

} // namespace zkn::decode
