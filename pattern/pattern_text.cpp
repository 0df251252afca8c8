// SPDX-License-Identifier: GPL-3.0-or-later
#include "pattern_text.h"

#include <cerrno>
#include <iconv.h>

const std::vector<LegacyCodePage> &LegacyCodePages()
{
    static const std::vector<LegacyCodePage> pages = {
        {"WINDOWS-1252", "Western European (Windows-1252)"},
        {"WINDOWS-1250", "Central European (Windows-1250)"},
        {"WINDOWS-1251", "Cyrillic (Windows-1251)"},
        {"WINDOWS-1253", "Greek (Windows-1253)"},
        {"WINDOWS-1254", "Turkish (Windows-1254)"},
        {"WINDOWS-1257", "Baltic (Windows-1257)"},
        {"ISO-8859-15", "Western European (ISO-8859-15)"},
        {"CP850", "Western European, DOS (CP850)"},
        {"CP437", "United States, DOS (CP437)"},
    };
    return pages;
}

namespace {

// Length of the UTF-8 sequence starting at p (1..4), 0 when it is not a
// valid one, -1 when it is a valid start cut off by the end.
int SequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char c = p[0];
    int n;
    unsigned min;
    unsigned cp;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < n; ++i) {
        if (p + i == end)
            return -1;
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
        // Overlong forms, surrogates and code points past U+10FFFF are
        // caught as soon as the second byte tells, so a cut sequence is
        // only accepted when it could have been valid.
        if (i == 1) {
            const unsigned shifted = cp << (6 * (n - 2));
            if ((n == 3 && shifted < 0x800) || (n == 3 && shifted >= 0xD800 && shifted <= 0xDFFF)
                || (n == 4 && (shifted < 0x10000 || shifted > 0x10FFFF)))
                return 0;
        }
    }
    if (cp < min)
        return 0;
    return n;
}

// Length of the part of bytes that is valid UTF-8, or npos when some byte
// is not; with mayBeCut an incomplete last character is left out.
std::size_t Utf8Prefix(std::string_view bytes, bool mayBeCut)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const int n = SequenceLength(p, end);
        if (n == -1 && mayBeCut)
            return std::size_t(p - reinterpret_cast<const unsigned char *>(bytes.data()));
        if (n <= 0)
            return std::string_view::npos;
        p += n;
    }
    return bytes.size();
}

bool KnownCodePage(const std::string &name)
{
    for (const auto &page : LegacyCodePages())
        if (name == page.name)
            return true;
    return false;
}

std::string FromCodePage(std::string_view bytes, const std::string &codePage)
{
    const std::string page = KnownCodePage(codePage) ? codePage : PATTERN_DEFAULT_CODEPAGE;
    iconv_t cd = iconv_open("UTF-8", page.c_str());
    if (cd == iconv_t(-1))
        return std::string(bytes);  // no converter on this system: the bytes as they are
    std::string out;
    char buf[256];
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char *o = buf;
        std::size_t oLeft = sizeof buf;
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, std::size_t(o - buf));
        if (r == std::size_t(-1)) {
            if (errno == E2BIG)
                continue;
            // A byte the code page leaves undefined: one replacement
            // character for it, then on with the next byte.
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

bool IsUtf8Text(std::string_view bytes, bool mayBeCut)
{
    return Utf8Prefix(bytes, mayBeCut) != std::string_view::npos;
}

std::string DecodeTextLine(std::string_view bytes, const std::string &codePage, bool mayBeCut)
{
    const std::size_t valid = Utf8Prefix(bytes, mayBeCut);
    if (valid != std::string_view::npos)
        return std::string(bytes.substr(0, valid));
    return FromCodePage(bytes, codePage);
}

std::string DecodePerson(std::string_view bytes, const std::string &codePage, std::size_t max)
{
    return DecodeTextLine(bytes, codePage, bytes.size() >= max);
}

std::string DecodeDescript(std::string_view bytes, const std::string &codePage, std::size_t max)
{
    std::string out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find('\n', start);
        const bool last = lf == std::string_view::npos;
        if (last)
            lf = bytes.size();
        const std::string_view line = bytes.substr(start, lf - start);
        // A line was cut when it filled the room left: the description is
        // then full (its LF is the last byte kept).
        const bool full = lf + 1 >= max;
        out += DecodeTextLine(line, codePage, full);
        if (!last)
            out += '\n';
        start = lf + 1;
    }
    return out;
}
