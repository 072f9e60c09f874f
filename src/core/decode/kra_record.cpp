// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/kra_record.h"

#include "decode/ani_decoder.h"
#include "decode/call_types.h"
#include "decode/decode_messages.h"
#include "decode/field_cut.h"
#include "decode/party_decoders.h"
#include "text/rounded_number.h"

#include <QVarLengthArray>

#include <optional>

namespace zkn::decode {

namespace {

constexpr int kMaxSections = 6;

// A section: identifier (2), length (2), as many characters as the length says.
constexpr Field kIdentifier{1, 2};
constexpr Field kLength{3, 2};
constexpr Field kPartyKind{5, 1};
constexpr int kSectionData = 5;
constexpr int kPartyData = 6;

using Sections = QVarLengthArray<QByteArrayView, kMaxSections>;

// Cuts sections from the front until only the ETX is left; a section longer than what is left
// takes the rest. Nothing when that takes more than six sections.
std::optional<Sections> cutSections(QByteArrayView body)
{
    Sections sections;
    do {
        if (sections.size() == kMaxSections)
            return std::nullopt;
        const qsizetype length = text::roundedNumber(cut(body, kLength)) + 4;
        const QByteArrayView section = body.first(std::min(length, body.size()));
        sections.append(section);
        body = body.sliced(section.size());
    } while (body.size() != 1);
    return sections;
}

QString unknownKindText(Part part, int kind)
{
    const char* what = part == Part::SourceDestination ? "Processing Source Information: "
                       : part == Part::CallingParty    ? "Processing Calling Party Information: "
                       : part == Part::CalledParty     ? "Processing Called Party Information: "
                                                       : "Processing Extended Calling Party Information: ";
    return QString::fromLatin1(what) + QStringLiteral("ID=") + QString::number(kind);
}

// Shows one section; false when the record's decode ends with it.
bool decodeSection(QByteArrayView section, Breakdown& window)
{
    const int number = text::roundedNumber(cut(section, kIdentifier));
    const int kind = text::roundedNumber(cut(section, kPartyKind));
    switch (number) {
    case 1:
    case 3:
    case 4:
    case 5: {
        const auto part = static_cast<Part>(number);
        if (decodeParty(cutFrom(section, kPartyData), part, kind, RecordFormat::Kra, window))
            return true;
        window.messages.append(decodingError(unknownKindText(part, kind)));
        return false;
    }
    case 2:
        ProcessCallType(cutFrom(section, kSectionData), window);
        return true;
    case 6:
        // The ANI data lies after the section length: flag, count, number.
        return ProcessANI(cutFrom(section, kSectionData), RecordFormat::Kra, window);
    default:
        return true; // not a part of a call record
    }
}

} // namespace

void decodeKra(QByteArrayView body, Breakdown& window)
{
    window.caption = QStringLiteral("Format Message Information (KRA)");
    const std::optional<Sections> sections = cutSections(body);
    if (!sections) {
        window.messages.append(generalError(DecodeFault::TooManySections));
        return;
    }
    for (const QByteArrayView section : *sections) {
        if (!decodeSection(section, window))
            return;
    }
}

} // namespace zkn::decode
