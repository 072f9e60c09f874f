// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/record_catalogue.h"

namespace zkn::pbxsim {

namespace {

QByteArray blanks(int count)
{
    return QByteArray(count, ' ');
}

// Sectioned records: identifier, length, data. Party data after the kind character:
//   station   FPC(3) TN(3) STN(8) UGN(3) TELN(16)             -> section length 34
//   attendant FPC(3) TN(3) ATTN(2) blank(6) UGN(3)             -> 18
//   trunk     FPC(3) TN(3) RT(3) TK(3) blank(2) UGN(3) LGRT(3) -> 21
//   call type loop(2) code(2)                                  -> 04
//   ANI       provided(1) count(2) digits (count - 1)          -> 3 + digits
// clang-format off
QList<CatalogueRecord> sectionedRecords()
{
    using L = RecordLayout;
    return {
        {L::Kra, "KRA: station source, attendant calling, trunk called, trunk/ANI extended, ANI",
         "\x02" "0!J"
         "01" "34" "0" "001" "002" "2000    " "003" "49401234562000  "
         "02" "04" "01" "12"
         "03" "18" "1" "001" "002" "01" "      " "003"
         "04" "21" "2" "001" "002" "012" "045" "  " "003" "112"
         "05" "21" "3" "001" "002" "013" "046" "  " "003" "113"
         "06" "13" "1" "11" "4940123456"
         "\x03"},
        {L::Kra, "KRA: attendant source, trunk calling, trunk/ANI called, station extended",
         "\x02" "0!J"
         "01" "18" "1" "001" "002" "02" "      " "003"
         "02" "04" "02" "20"
         "03" "21" "2" "001" "002" "014" "047" "  " "003" "114"
         "04" "21" "3" "001" "002" "015" "048" "  " "003" "115"
         "05" "34" "0" "001" "002" "2001    " "003" "49401234562001  "
         "\x03"},
        {L::Kra, "KRA: trunk source, trunk/ANI calling, station called, attendant extended, ANI",
         "\x02" "0!J"
         "01" "21" "2" "001" "002" "016" "049" "  " "003" "116"
         "02" "04" "03" "27"
         "03" "21" "3" "001" "002" "017" "050" "  " "003" "117"
         "04" "34" "0" "001" "002" "2002    " "003" "49401234562002  "
         "05" "18" "1" "001" "002" "03" "      " "003"
         "06" "10" "1" "08" "0890123"
         "\x03"},
        {L::Kra, "KRA: trunk/ANI source, station calling, attendant called, trunk extended",
         "\x02" "0!J"
         "01" "21" "3" "001" "002" "018" "051" "  " "003" "118"
         "02" "04" "04" "44"
         "03" "34" "0" "001" "002" "2003    " "003" "49401234562003  "
         "04" "18" "1" "001" "002" "04" "      " "003"
         "05" "21" "2" "001" "002" "019" "052" "  " "003" "119"
         "\x03"},
        {L::Kra, "KRA: station source, call type 66, station called",
         "\x02" "0!J"
         "01" "34" "0" "001" "002" "2004    " "003" "49401234562004  "
         "02" "04" "05" "66"
         "04" "34" "0" "001" "002" "2005    " "003" "                "
         "\x03"},
    };
}

// Fixed records. Party data after the kind character, by width W (8 or 10; 18 for an 8 digit
// calling party): station TN(2) STN(W - 2); attendant TN(2) ATTN(2) blank(4); trunk TN(2) RT(3)
// TK(3); the rest of a wider field is blank. Expanded layouts add one unread character, the
// extended calling party and the ANI part: provided(1), digits in 32, one character and the ETX.
QList<CatalogueRecord> fixedRecords()
{
    using L = RecordLayout;
    const QByteArray aniProvided = "1" "4940123456" + blanks(22) + " " "\x03";
    const QByteArray aniLongProvided = "1" "4940987654321" + blanks(19) + " " "\x03";
    const QByteArray aniAbsent = "0" + blanks(32) + " " "\x03";
    return {
        {L::Olv6, "OLV 6 digit: station source, attendant calling, trunk called",
         "\x02" "0!J"
         "0" "01" "2000  "
         "01" "12"
         "1" "01" "01" "    "
         "2" "01" "012" "045"
         "\x03"},
        {L::Olv6, "OLV 6 digit: trunk/ANI source, station calling, station called",
         "\x02" "0!J"
         "3" "01" "012" "046"
         "02" "24"
         "0" "01" "2001  "
         "0" "01" "2002  "
         "\x03"},
        {L::Olv8, "OLV 8 digit: station source, trunk calling, attendant called",
         QByteArray("\x02" "0!J"
                    "0" "01" "2000    "
                    "01" "13"
                    "2" "01" "012" "045") + blanks(10) +
         "1" "01" "01" "    " "  "
         "\x03"},
        {L::Olv8, "OLV 8 digit: attendant source, station calling, trunk/ANI called",
         "\x02" "0!J"
         "1" "01" "01" "    " "  "
         "02" "30"
         "0" "01" "2001            "
         "3" "01" "012" "046" "  "
         "\x03"},
        {L::Olv6Expanded,
         "OLV 6 digit expanded: station source, trunk/ANI calling, station called, trunk extended, ANI",
         QByteArray("\x02" "0!J"
                    "0" "01" "2003  "
                    "01" "42"
                    "3" "01" "012" "047"
                    "0" "01" "2004  "
                    " "
                    "2" "01" "012" "048") + aniProvided},
        {L::Olv6Expanded,
         "OLV 6 digit expanded: attendant source, station calling, trunk called, attendant extended",
         QByteArray("\x02" "0!J"
                    "1" "01" "01" "    "
                    "03" "15"
                    "0" "01" "2005  "
                    "2" "01" "012" "049"
                    " "
                    "1" "01" "02" "    ") + aniAbsent},
        {L::Olv8Expanded,
         "OLV 8 digit expanded: trunk source, trunk/ANI calling, station called, station extended, ANI",
         QByteArray("\x02" "0!J"
                    "2" "01" "012" "050" "  "
                    "01" "41"
                    "3" "01" "012" "051") + blanks(10) +
         "0" "01" "2006    "
         " "
         "0" "01" "2007    " + aniLongProvided},
        {L::Olv8Expanded,
         "OLV 8 digit expanded: trunk/ANI source, attendant calling, attendant called, trunk/ANI extended",
         QByteArray("\x02" "0!J"
                    "3" "01" "012" "052" "  "
                    "02" "66"
                    "1" "01" "01" "    ") + blanks(10) +
         "1" "01" "02" "    " "  "
         " "
         "3" "01" "012" "053" "  " + aniAbsent},
    };
}
// clang-format on

} // namespace

const QList<CatalogueRecord>& recordCatalogue()
{
    static const QList<CatalogueRecord> catalogue = sectionedRecords() + fixedRecords();
    return catalogue;
}

QList<QByteArray> catalogueTexts(std::optional<RecordLayout> layout)
{
    QList<QByteArray> texts;
    for (const CatalogueRecord& record : recordCatalogue()) {
        if (!layout || record.layout == *layout)
            texts.append(record.text);
    }
    return texts;
}

QString layoutName(RecordLayout layout)
{
    switch (layout) {
    case RecordLayout::Kra:
        return QStringLiteral("kra");
    case RecordLayout::Olv6:
        return QStringLiteral("olv6");
    case RecordLayout::Olv8:
        return QStringLiteral("olv8");
    case RecordLayout::Olv6Expanded:
        return QStringLiteral("olv6x");
    case RecordLayout::Olv8Expanded:
        return QStringLiteral("olv8x");
    }
    return {};
}

std::optional<RecordLayout> layoutFromName(const QString& name)
{
    for (const RecordLayout layout : {RecordLayout::Kra, RecordLayout::Olv6, RecordLayout::Olv8,
                                      RecordLayout::Olv6Expanded, RecordLayout::Olv8Expanded}) {
        if (layoutName(layout) == name)
            return layout;
    }
    return std::nullopt;
}

} // namespace zkn::pbxsim
