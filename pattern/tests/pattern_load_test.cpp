// SPDX-License-Identifier: GPL-3.0-or-later
// Loading pattern files as the tools do: the choice between atn and MSI by
// extension and content, the checks' reasons, the stamp of an MSI file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "pattern_builder.h"
#include "pattern_load.h"
#include "test_files.h"

namespace {

const char kMsi[] = "NAME x\nHORIZONTAL 2\n0 0\n180 10\nVERTICAL 2\n0 3\n180 6\n";

PatternStamp FixedStamp()
{
    return {"01-02-2003", "04:05:06"};
}

std::string AtnText()
{
    double e[PATTERN_LEVELS], h[PATTERN_LEVELS];
    for (int k = 0; k < PATTERN_LEVELS; ++k) {
        e[k] = -30.0 + k % 25;
        h[k] = -12.5;
    }
    return PatternBuilder().type(3).attn(10, 0).viewerText("Ann", "one\ntwo\n").e(e).h(h).format();
}

}  // namespace

TEST(PatternLoad, ExtensionIsTheLastDotOfTheFileNameInLowerCase)
{
    EXPECT_EQ(PatternFileExtension("a/B.MSI"), "msi");
    EXPECT_EQ(PatternFileExtension(".msi"), "msi");
    EXPECT_EQ(PatternFileExtension("x.tar.Atn"), "atn");
    EXPECT_EQ(PatternFileExtension("dir.msi/file"), "");
    EXPECT_EQ(PatternFileExtension("file."), "");
    EXPECT_EQ(PatternFileExtension("-"), "");
}

TEST(PatternLoad, ChoosesBetweenAtnAndMsiByExtensionThenContent)
{
    LoadedPattern p;
    std::string error;
    // MSI text under any name but .atn is an MSI file, stamped by the source given.
    for (const char *ext : {"msi", "", "txt", "pln"}) {
        ASSERT_TRUE(LoadPatternText(kMsi, ext, "f", p, error, FixedStamp)) << ext << error;
        EXPECT_EQ(p.format, "msi");
        EXPECT_EQ(p.rec.Antype, -1);
        EXPECT_STREQ(p.rec.Edate, "01-02-2003");
        EXPECT_STREQ(p.rec.Htime, "04:05:06");
        EXPECT_DOUBLE_EQ(p.rec.h_data[180], -10.0);
        EXPECT_EQ(p.desNO, 1);
        EXPECT_STREQ(p.rec.descript, "MSI NAME x\n");
    }
    EXPECT_FALSE(LoadPatternText(kMsi, "atn", "f", p, error, FixedStamp));
    EXPECT_EQ(error.rfind("line 1: \"NAME x\" is not a pattern file header", 0), 0u) << error;

    // atn text named .msi is read as MSI and refused as such.
    EXPECT_FALSE(LoadPatternText(AtnText(), "msi", "f", p, error));
    EXPECT_EQ(error.rfind("not an MSI antenna file: ", 0), 0u) << error;
    ASSERT_TRUE(LoadPatternText(AtnText(), "", "f", p, error)) << error;
    EXPECT_EQ(p.format, "atn");
    EXPECT_EQ(p.rec.Antype, 3);
    EXPECT_EQ(p.desNO, 2);
    EXPECT_DOUBLE_EQ(p.rec.e_data[24], -6.0);
}

TEST(PatternLoad, ReasonsNameTheFirstWrongLine)
{
    LoadedPattern p;
    std::string error;
    std::string text = AtnText();
    EXPECT_FALSE(LoadPatternText("", "atn", "f", p, error));
    EXPECT_EQ(error, "the file is empty");
    EXPECT_FALSE(LoadPatternText(std::string("1 0 0 0\n\0", 9), "atn", "f", p, error));
    EXPECT_EQ(error, "not a text file");
    // Line 7 is the first E level (header, person, two lines, date, time).
    std::string bad = text;
    const size_t at = [&] {
        size_t pos = 0;
        for (int i = 0; i < 6; ++i)
            pos = bad.find('\n', pos) + 1;
        return pos;
    }();
    bad.replace(at, bad.find('\n', at) - at, "nan");
    EXPECT_FALSE(LoadPatternText(bad, "atn", "f", p, error));
    EXPECT_EQ(error, "line 7: \"nan\" is not a level");
    EXPECT_FALSE(LoadPatternText(text.substr(0, text.size() / 2), "atn", "f", p, error));
    EXPECT_NE(error.find("a pattern file with 2 description lines has 728"), std::string::npos)
        << error;
}

TEST(PatternLoad, PathsAreReadWholeAndFoldersRefused)
{
    const std::string dir = ScratchDir();
    const std::string path = dir + "/a.atn";
    std::ofstream(path) << AtnText();
    LoadedPattern p;
    std::string error;
    ASSERT_TRUE(LoadPatternPath(path, p, error)) << error;
    EXPECT_EQ(p.path, path);
    EXPECT_EQ(p.format, "atn");
    EXPECT_FALSE(LoadMsiPath(path, p, error));
    EXPECT_EQ(p.path, path);
    EXPECT_FALSE(LoadPatternPath(dir, p, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(LoadPatternPath(dir + "/missing.atn", p, error));
    EXPECT_FALSE(error.empty());
}
