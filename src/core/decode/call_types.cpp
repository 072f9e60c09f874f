#include "decode/call_types.h"

#include "decode/decode_messages.h"
#include "decode/field_cut.h"
#include "text/rounded_number.h"

namespace zkn::decode {

namespace {

struct CallType
{
    int code;
    const char* text;
};

// Codes 12 to 14 and 40 to 42 share descriptions but keep their own codes in the text.
constexpr CallType kCallTypes[] = {
    {10, "10    Automatic Recall"},
    {11, "11    Attendant Camp-On"},
    {12, "12    Call Forwarding-Don't Answer"},
    {13, "13    Call Forwarding-Busy Line"},
    {14, "14    Call Forwarding-All Calls"},
    {15, "15    Operator Call"},
    {16, "16    House phone"},
    {17, "17    Off-Hook Alarm"},
    {20, "20    Intercept Call to the Attendant"},
    {21, "21    Call Transfer-Attendant"},
    {22, "22    Recall from a Series Call"},
    {23, "23    Series Call Re-entry"},
    {24, "24    Tandem Transferring/Hold Entry"},
    {26, "26    Inter-Posistion Transfer"},
    {27, "27    CAS Incomming Call"},
    {30, "30    LDN Call"},
    {36, "36    Call Returned from Hold"},
    {39, "39    Stop Sending MW Control Data"},
    {40, "40    Call Forwarding-Don't Answer"},
    {41, "41    Call Forwarding-Busy Line"},
    {42, "42    Call Forwarding-All Calls"},
    {43, "43    Direct Call to UCD-Pilot"},
    {44, "44    STA/TRK via ATT"},
    {45, "45    Transfer to UCD Pilot Station"},
    {66, "66    Start Sending MW Control Data"},
};

const char* callTypeText(int code)
{
    for (const CallType& type : kCallTypes) {
        if (type.code == code)
            return type.text;
    }
    return nullptr;
}

} // namespace

void ProcessCallType(QByteArrayView data, Breakdown& window)
{
    const char* text = callTypeText(text::roundedNumber(cut(data, {3, 2})));
    window.area(Area::CallType) = {
        false,
        0,
        QStringLiteral("Call Type/Loop Number"),
        {{QStringLiteral("Loop No."), shown(cut(data, {1, 2}))},
         {QStringLiteral("Call Type"), QString::fromLatin1(text ? text : "ERROR... Unknown Call Type!")}}};
    if (!text)
        window.messages.append(decodingError(QStringLiteral("Unknown Call Type")));
}

} // namespace zkn::decode
