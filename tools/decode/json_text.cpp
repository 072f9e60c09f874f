// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_text.h"

namespace zkn::decodetool {

namespace {

// Writes one character escaped as JSON requires it, at most six bytes.
char* writeEscaped(char* p, char16_t c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    *p++ = '\\';
    switch (c) {
    case u'"':
    case u'\\':
        *p++ = char(c);
        return p;
    case u'\b':
        *p++ = 'b';
        return p;
    case u'\f':
        *p++ = 'f';
        return p;
    case u'\n':
        *p++ = 'n';
        return p;
    case u'\r':
        *p++ = 'r';
        return p;
    case u'\t':
        *p++ = 't';
        return p;
    default:
        *p++ = 'u';
        *p++ = '0';
        *p++ = '0';
        *p++ = kHex[c >> 4];
        *p++ = kHex[c & 0xF];
        return p;
    }
}

// Writes a code point in UTF-8.
char* writeUtf8(char* p, char32_t c)
{
    if (c < 0x80) {
        *p++ = char(c);
    } else if (c < 0x800) { // every Latin-1 character of a record lands here
        *p++ = char(0xC0 | (c >> 6));
        *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = char(0xE0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    } else {
        *p++ = char(0xF0 | (c >> 18));
        *p++ = char(0x80 | ((c >> 12) & 0x3F));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    return p;
}

} // namespace

// The text as a JSON string in UTF-8. Written straight into room made for the worst case (six
// bytes a character), since appending byte by byte costs more than the whole decode.
void appendJsonString(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + 2 + 6 * text.size());
    char* p = out.data() + start;
    *p++ = '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x20 || c == u'"' || c == u'\\') {
            p = writeEscaped(p, c.unicode());
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            p = writeUtf8(p, QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            p = writeUtf8(p, c.isSurrogate() ? char32_t(QChar::ReplacementCharacter) : c.unicode());
        }
    }
    *p++ = '"';
    out.truncate(p - out.constData());
}

void appendJsonKey(QByteArray& out, const char* key)
{
    out += '"';
    out += key;
    out += "\":";
}

} // namespace zkn::decodetool
