// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/olv_record.h"

#include "decode/ani_decoder.h"
#include "decode/call_types.h"
#include "decode/decode_messages.h"
#include "decode/field_cut.h"
#include "decode/party_decoders.h"
#include "decode/static_text.h"
#include "text/rounded_number.h"

namespace zkn::decode {

namespace {

// A fixed layout: the widths of the parties' data after their kind characters. The plain
// layouts have no extended calling party (width 0) and no ANI.
struct OlvLayout
{
    qsizetype bodyLength;
    QStringView caption;
    ExpansionBox expansion;
    int sourceWidth;
    int callingWidth;
    int calledWidth;
    int extendedWidth;
};

constexpr OlvLayout kLayouts[] = {
    {32, u"Format Message Information (OLV - 6 digit)", ExpansionBox::Cleared, 8, 8, 8, 0},
    {46, u"Format Message Information (OLV - 8 digit)", ExpansionBox::Checked, 10, 18, 10, 0},
    {76, u"Format Message Information (OLV - 6 digit Expanded)", ExpansionBox::Cleared, 8, 8, 8, 8},
    {92, u"Format Message Information (OLV - 8 digit Expanded)", ExpansionBox::Checked, 10, 18, 10, 10},
};

constexpr int kCallTypeWidth = 4;

const OlvLayout* layoutOf(QByteArrayView body)
{
    for (const OlvLayout& layout : kLayouts) {
        if (layout.bodyLength == body.size())
            return &layout;
    }
    return nullptr;
}

// Takes the fields from the front of the body one after another.
class BodyReader
{
public:
    explicit BodyReader(QByteArrayView body) : m_rest(body) {}

    QByteArrayView take(int width)
    {
        const QByteArrayView field = cut(m_rest, {1, width});
        m_rest = m_rest.sliced(field.size());
        return field;
    }
    QByteArrayView rest() const { return m_rest; }

private:
    QByteArrayView m_rest;
};

// Shows the next party (kind, then data); false, after the message, for an unknown kind.
bool readParty(BodyReader& reader, Part part, int width, Breakdown& window)
{
    const int kind = text::roundedNumber(reader.take(1));
    if (decodeParty(reader.take(width), part, kind, RecordFormat::Olv, window))
        return true;
    const char* text = part == Part::SourceDestination ? "Unknown Source ID!"
                       : part == Part::CallingParty    ? "Unknown Calling Party ID!"
                       : part == Part::CalledParty     ? "Unknown Called Party ID!"
                                                       : "Unknown Extended Calling Party ID!";
    window.messages.append(decodingError(QString::fromLatin1(text)));
    return false;
}

} // namespace

void decodeOlv(QByteArrayView body, Breakdown& window)
{
    const OlvLayout* layout = layoutOf(body);
    if (!layout) {
        window.messages.append(decodingError(QStringLiteral("Unknown or Corrupt ZKN Format! ")));
        return;
    }
    window.caption = staticText(layout->caption);
    window.expansion = layout->expansion;
    BodyReader reader(body);
    if (!readParty(reader, Part::SourceDestination, layout->sourceWidth, window))
        return;
    ProcessCallType(reader.take(kCallTypeWidth), window);
    if (!readParty(reader, Part::CallingParty, layout->callingWidth, window) ||
        !readParty(reader, Part::CalledParty, layout->calledWidth, window))
        return;
    reader.take(1); // the ETX of the plain layouts; unread in the expanded ones
    if (layout->extendedWidth == 0 ||
        !readParty(reader, Part::ExtendedCallingParty, layout->extendedWidth, window))
        return;
    ProcessANI(reader.rest(), RecordFormat::Olv, window);
}

} // namespace zkn::decode
