#include "decode/party_decoders.h"

#include "decode/field_cut.h"

#include <optional>
#include <span>

namespace zkn::decode {

namespace {

// One box of a party's sub-frame, in the order the boxes stand, and where its text lies in the
// party data of each layout.
struct BoxField
{
    const char* label;
    Field kra;
    Field olv;
    std::optional<Field> olvCalling = std::nullopt; // the OLV calling party, where it differs
};

// Label, KRA {first position, width}, OLV {first position, width}; {} leaves the box empty.
// clang-format off
constexpr BoxField kStationFields[] = {
    {"FPC",   {1, 3},   {}},
    {"TN",    {4, 3},   {1, 2}},
    {"STN",   {7, 8},   {3, 8}, Field{3, 16}},
    {"UGN",   {15, 3},  {}},
    {"TELN",  {18, 16}, {}},
};

constexpr BoxField kAttendantFields[] = {
    {"FPC",   {1, 3},   {}},
    {"TN",    {4, 3},   {1, 2}},
    {"ATTN",  {7, 2},   {3, 2}},
    {"UGN",   {15, 3},  {}},
    {"Blank", {9, 6},   {5, 4}},
};

constexpr BoxField kTrunkFields[] = {
    {"FPC",   {1, 3},   {}},
    {"TN",    {4, 3},   {1, 2}},
    {"RT",    {7, 3},   {3, 3}},
    {"UGN",   {15, 3},  {}},
    {"Blank", {13, 2},  {}},
    {"TK",    {10, 3},  {6, 3}},
    {"LGRT",  {18, 3},  {}},
};
// clang-format on

// The area of each party part and its sub-frames' captions by party kind.
struct PartyArea
{
    Part part;
    Area area;
    const char* captions[kPartyKinds];
};

constexpr PartyArea kPartyAreas[] = {
    {Part::SourceDestination,
     Area::SourceDestination,
     {"Source/Destination (Station)", "Source/Destination (Attendant)", "Source/Destination (Trunk)",
      "Source/Destination (Trunk/ANI)"}},
    {Part::CallingParty,
     Area::CallingParty,
     {"Calling Party (Station)", "Calling Party (Attendant)", "Calling Party (Trunk)",
      "Calling Party (Trunk/ANI)"}},
    {Part::CalledParty,
     Area::CalledParty,
     {"Called Party (Station)", "Called Party (Attendant)", "Called Party (Trunk)",
      "Called Party (Trunk/ANI)"}},
    {Part::ExtendedCallingParty,
     Area::ExtendedCallingParty,
     {"Extended Calling Party (Station)", "Extended Calling Party (Attendant)",
      "Extended Calling Party (Trunk)", "Extended Calling Party (Trunk/ANI)"}},
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
    AreaView view{false, 10 * static_cast<int>(part) + id, QString::fromLatin1(where.captions[id]), {}};
    view.boxes.reserve(fields.size());
    for (const BoxField& box : fields)
        view.boxes.append({QString::fromLatin1(box.label), shown(cut(data, fieldOf(box, part, format)))});
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
