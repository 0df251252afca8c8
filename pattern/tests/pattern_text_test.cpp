// SPDX-License-Identifier: GPL-3.0-or-later
#include "pattern_text.h"

#include <gtest/gtest.h>

#include <string>

#include "pattern_file.h"

namespace {

struct LineCase {
    std::string bytes;
    const char *codePage;
    bool mayBeCut;
    std::string shown;
    const char *name;
};

class DecodeLine : public testing::TestWithParam<LineCase> {};

TEST_P(DecodeLine, ShowsUtf8AsItIsAndDecodesTheRest)
{
    const LineCase &c = GetParam();
    EXPECT_EQ(DecodeTextLine(c.bytes, c.codePage, c.mayBeCut), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeLine,
    testing::Values(
        LineCase{"Kim Lee", "WINDOWS-1252", false, "Kim Lee", "Ascii"},
        LineCase{"M\xfcller", "WINDOWS-1252", false, "M\xc3\xbcller", "Windows1252"},
        LineCase{"M\xc3\xbcller", "WINDOWS-1252", false, "M\xc3\xbcller", "Utf8StaysAsItIs"},
        // Bytes that happen to be valid UTF-8 win over the code page.
        LineCase{"\xc3\xa9t\xc3\xa9", "WINDOWS-1251", false, "\xc3\xa9t\xc3\xa9",
                 "Utf8BeforeCodePage"},
        LineCase{"\xcc\xe8\xf0", "WINDOWS-1251", false, "\xd0\x9c\xd0\xb8\xd1\x80", "Windows1251"},
        LineCase{"\xb9\xe6", "WINDOWS-1250", false, "\xc4\x85\xc4\x87", "Windows1250"},
        LineCase{"\x81\xe9", "CP437", false, "\xc3\xbc\xce\x98", "Cp437"},
        LineCase{"\xa4", "ISO-8859-15", false, "\xe2\x82\xac", "Iso8859_15Euro"},
        LineCase{"\x80 5", "WINDOWS-1252", false, "\xe2\x82\xac 5", "Windows1252Euro"},
        // 0x81 is undefined in Windows-1252.
        LineCase{"a\x81z\xe9", "WINDOWS-1252", false, "a\xef\xbf\xbdz\xc3\xa9", "UndefinedByte"},
        LineCase{"M\xfcller", "NO-SUCH-PAGE", false, "M\xc3\xbcller", "UnknownPageFallsBack"},
        // A UTF-8 line cut at its limit inside a character: the whole
        // characters are shown; not cut, the same bytes are a legacy text.
        LineCase{"J\xc3\xb6rg M\xc3", "WINDOWS-1252", true, "J\xc3\xb6rg M", "CutInsideACharacter"},
        LineCase{"Caf\xc3", "WINDOWS-1252", false, "Caf\xc3\x83", "EndsInLeadByteNotCut"},
        LineCase{"\xe2\x82", "WINDOWS-1252", true, "", "OnlyACutCharacter"},
        // Overlong and surrogate forms are not UTF-8.
        LineCase{"\xc0\xaf", "WINDOWS-1252", false, "\xc3\x80\xc2\xaf", "Overlong"},
        LineCase{"\xed\xa0\x80", "WINDOWS-1252", true, "\xc3\xad\xc2\xa0\xe2\x82\xac", "Surrogate"},
        LineCase{"", "WINDOWS-1252", false, "", "Empty"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DecodeText, PersonIsCutOnlyAtItsLimit)
{
    // 20 bytes ending inside "ü": cut by the reader.
    const std::string cut = "Hans-Peter M\xc3\xbcller-\xc3";
    ASSERT_EQ(cut.size(), 20u);
    EXPECT_EQ(DecodePerson(cut, "WINDOWS-1252", 20), "Hans-Peter M\xc3\xbcller-");
    EXPECT_EQ(DecodePerson("Ren\xc3", "WINDOWS-1252", 20), "Ren\xc3\x83");
}

TEST(DecodeText, DescriptionLinesAreDecodedEachOnItsOwn)
{
    const std::string bytes = "Gr\xfc\xdf"
                              "e\n"
                              "\xc3\xa9t\xc3\xa9\n"
                              "\n";
    EXPECT_EQ(DecodeDescript(bytes, "WINDOWS-1252", 200), "Gr\xc3\xbc\xc3\x9f"
                                                          "e\n"
                                                          "\xc3\xa9t\xc3\xa9\n"
                                                          "\n");
    // A full description whose last line was cut inside a character.
    std::string full(197, 'x');
    full += "\xc3\n";
    ASSERT_EQ(full.size(), 199u);
    std::string fullUtf8 = "\xc3\xa9\n" + std::string(194, 'x') + "\xe2\x82\n";
    ASSERT_EQ(fullUtf8.size(), 200u);
    EXPECT_EQ(DecodeDescript(fullUtf8, "WINDOWS-1252", 200),
              "\xc3\xa9\n" + std::string(194, 'x') + "\n");
    EXPECT_EQ(DecodeDescript(full, "WINDOWS-1252", 200), std::string(197, 'x') + "\xc3\x83\n");
}

TEST(DecodeText, EveryOfferedCodePageConverts)
{
    for (const auto &page : LegacyCodePages()) {
        const std::string shown = DecodeTextLine("A\xe9Z", page.name);
        EXPECT_TRUE(IsUtf8Text(shown)) << page.name;
        EXPECT_EQ(shown.front(), 'A') << page.name;
        EXPECT_EQ(shown.back(), 'Z') << page.name;
        EXPECT_GT(shown.size(), 3u) << page.name << ": 0xE9 became a character of its own";
    }
    EXPECT_STREQ(LegacyCodePages().front().name, PATTERN_DEFAULT_CODEPAGE);
}

}  // namespace
