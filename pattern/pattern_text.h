// SPDX-License-Identifier: GPL-3.0-or-later
// The person and description lines of a pattern file as text to show. A
// file keeps them as the bytes that were written: UTF-8 from today's
// programs, a legacy 8-bit code page from older PCs. Bytes that are valid
// UTF-8 are shown as they are; any other line is decoded from the code page
// the user chose. Decoding is for showing only: the bytes stay as read, so
// a file whose text is not edited is saved back unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A legacy code page: its iconv name and what a user is shown.
struct LegacyCodePage {
    const char *name;
    const char *label;
};

// The code pages offered; the first is the default.
const std::vector<LegacyCodePage> &LegacyCodePages();
inline constexpr const char *PATTERN_DEFAULT_CODEPAGE = "WINDOWS-1252";

// True when bytes are valid UTF-8. With mayBeCut, an incomplete character
// at the very end (a line cut to its length limit) does not count against it.
bool IsUtf8Text(std::string_view bytes, bool mayBeCut = false);

// One line of text (no LF) as UTF-8: as it is when it is UTF-8 (without an
// incomplete last character when mayBeCut), else decoded from codePage; a
// byte the code page does not define shows as U+FFFD. An unknown code page
// name falls back on the default.
std::string DecodeTextLine(std::string_view bytes, const std::string &codePage,
                           bool mayBeCut = false);

// The person line as read by the pattern reader (at most `max` bytes kept).
std::string DecodePerson(std::string_view bytes, const std::string &codePage, std::size_t max);
// Description lines, each followed by LF, as the reader keeps them (at most
// `max` bytes together, a line cut where the room ended): each line decoded
// on its own, LFs kept.
std::string DecodeDescript(std::string_view bytes, const std::string &codePage, std::size_t max);
