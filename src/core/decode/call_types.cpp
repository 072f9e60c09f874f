// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/call_types.h"

#include "decode/decode_messages.h"
#include "decode/field_cut.h"
#include "decode/static_text.h"
#include "text/rounded_number.h"

namespace zkn::decode {

namespace {

struct CallType
{
    int code;
    QStringView text;
};

// Codes 12 to 14 and 40 to 42 share descriptions but keep their own codes in the text.
constexpr CallType kCallTypes[] = {
    {10, u"10    Automatic Recall"},
    {11, u"11    Attendant Camp-On"},
    {12, u"12    Call Forwarding-Don't Answer"},
    {13, u"13    Call Forwarding-Busy Line"},
    {14, u"14    Call Forwarding-All Calls"},
    {15, u"15    Operator Call"},
    {16, u"16    House phone"},
    {17, u"17    Off-Hook Alarm"},
    {20, u"20    Intercept Call to the Attendant"},
    {21, u"21    Call Transfer-Attendant"},
    {22, u"22    Recall from a Series Call"},
    {23, u"23    Series Call Re-entry"},
    {24, u"24    Tandem Transferring/Hold Entry"},
    {26, u"26    Inter-Posistion Transfer"},
    {27, u"27    CAS Incomming Call"},
    {30, u"30    LDN Call"},
    {36, u"36    Call Returned from Hold"},
    {39, u"39    Stop Sending MW Control Data"},
    {40, u"40    Call Forwarding-Don't Answer"},
    {41, u"41    Call Forwarding-Busy Line"},
    {42, u"42    Call Forwarding-All Calls"},
    {43, u"43    Direct Call to UCD-Pilot"},
    {44, u"44    STA/TRK via ATT"},
    {45, u"45    Transfer to UCD Pilot Station"},
    {66, u"66    Start Sending MW Control Data"},
};

// The code's text; empty for an unknown code.
QStringView callTypeText(int code)
{
    for (const CallType& type : kCallTypes) {
        if (type.code == code)
            return type.text;
    }
    return {};
}

} // namespace

void ProcessCallType(QByteArrayView data, Breakdown& window)
{
    const QStringView text = callTypeText(text::roundedNumber(cut(data, {3, 2})));
    window.area(Area::CallType) = {
        false,
        0,
        QStringLiteral("Call Type/Loop Number"),
        {{QStringLiteral("Loop No."), shown(cut(data, {1, 2}))},
         {QStringLiteral("Call Type"), staticText(text.isEmpty() ? u"ERROR... Unknown Call Type!" : text)}}};
    if (text.isEmpty())
        window.messages.append(decodingError(QStringLiteral("Unknown Call Type")));
}

} // namespace zkn::decode
