// SPDX-License-Identifier: GPL-3.0-or-later
// The MSI reader and writer and the CSV table, over text in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "msi.h"

namespace {

std::string Cut(const char *key, int n, double step, double (*loss)(double), const char *sep = " ",
                const char *eol = "\n")
{
    std::string s = std::string(key) + sep + std::to_string(n) + eol;
    for (int i = 0; i < n; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%g%s%.4f%s", i * step, sep, loss(i * step), eol);
        s += line;
    }
    return s;
}

double Cosine(double a)
{
    return 10.0 * (1.0 - std::cos(a * M_PI / 180.0));
}

}  // namespace

TEST(Msi, WrittenPatternReadsBackWithinAHundredthOfADecibel)
{
    double e[PATTERN_LEVELS], h[PATTERN_LEVELS];
    for (int k = 0; k < PATTERN_LEVELS; ++k) {
        e[k] = std::max(-30.0, -7.0 - 20.0 * std::sin(k * 0.05) * std::sin(k * 0.05) + 0.123456);
        h[k] = -5.3 - 0.001 * k;
    }
    MsiWriteData d;
    d.name = "horn\nsecond line";
    d.eLevels = e;
    d.hLevels = h;
    d.hWidth = 61.25;
    const std::string text = FormatMsi(d);
    EXPECT_EQ(text.rfind("NAME horn second line\nMAKE Veloran\nH_WIDTH 61.2", 0), 0u) << text;
    EXPECT_NE(text.find("\nGAIN 0 dBi\n"), std::string::npos);
    EXPECT_NE(text.find("\nHORIZONTAL 360\n0 0.00\n"), std::string::npos);  // h peaks at 0

    MsiPattern p;
    const MsiReadResult r = ReadMsiText(text, p);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(p.name, "horn second line");
    EXPECT_EQ(p.gainUnit, "dBi");
    const double top = -5.3;  // the highest level of both planes
    for (int k = 0; k < PATTERN_LEVELS; ++k) {
        EXPECT_NEAR(p.vertical[k], std::max(-30.0, e[k] - top), 0.01) << k;
        EXPECT_NEAR(p.horizontal[k], h[k] - top, 0.01) << k;
    }
}

TEST(Msi, ReadsTheVariationsOfRealFiles)
{
    // No NAME key, lower-case keys, tabs, CR LF, decimal angles, 720 points
    // in one cut and 4 in the other, a gain in dBd, an unknown key.
    std::string text = "My Yagi 7el\r\nmake\tACME\r\nfrequency 435.5\r\ngain 8.5\r\n"
                       "Electrical_Tilt 0\r\n";
    text += Cut("horizontal", 720, 0.5, Cosine, "\t", "\r\n");
    text += "vertical 4\r\n0 0\r\n90 8\r\n180.0 20\r\n270 8\r\n";
    MsiPattern p;
    const MsiReadResult r = ReadMsiText(text, p);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(p.name, "My Yagi 7el");
    EXPECT_EQ(p.make, "ACME");
    EXPECT_EQ(p.frequencyMHz.value_or(0), 435.5);
    EXPECT_EQ(p.gain.value_or(0), 8.5);
    EXPECT_EQ(p.gainUnit, "dBd");
    for (int k : {0, 45, 90, 180, 300})
        EXPECT_NEAR(p.horizontal[k], std::max(-30.0, -Cosine(k)), 1e-3) << k;
    // Between the four points: linear, round the circle from 270 to 0.
    EXPECT_NEAR(p.vertical[45], -4.0, 1e-12);
    EXPECT_NEAR(p.vertical[135], -14.0, 1e-12);
    EXPECT_NEAR(p.vertical[315], -4.0, 1e-12);
    EXPECT_NEAR(p.vertical[359], -8.0 / 90.0, 1e-12);
}

TEST(Msi, LevelsAreRelativeToTheHighestAndFlooredAt30)
{
    // Losses written as negative numbers mean the same as without the sign.
    std::string text = "NAME x\n";
    text += "HORIZONTAL 2\n0 -2\n180 -50\nVERTICAL 1\n0 -4\n";
    MsiPattern p;
    ASSERT_TRUE(ReadMsiText(text, p).ok);
    EXPECT_EQ(p.horizontal[0], 0.0);
    EXPECT_EQ(p.horizontal[180], -30.0);
    EXPECT_EQ(p.vertical[200], -2.0);
    text = "NAME x\nHORIZONTAL 1\n0 0\nVERTICAL 1\n0 0\n";
    ASSERT_TRUE(ReadMsiText(text, p).ok);
    EXPECT_EQ(p.vertical[77], 0.0);
}

struct Broken {
    const char *name;
    const char *text;
    int line;
    const char *words;
};
void PrintTo(const Broken &b, std::ostream *os)
{
    *os << b.name;
}
class MsiBroken : public testing::TestWithParam<Broken> {};

TEST_P(MsiBroken, IsRefusedNamingTheLine)
{
    MsiPattern p;
    const MsiReadResult r = ReadMsiText(GetParam().text, p);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.line, GetParam().line);
    EXPECT_NE(r.error.find(GetParam().words), std::string::npos) << r.error;
    if (r.line > 0) {
        EXPECT_EQ(r.error.rfind("line " + std::to_string(r.line) + ": ", 0), 0u) << r.error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, MsiBroken,
    testing::Values(
        Broken{"Empty", "", 0, "no HORIZONTAL block"},
        Broken{"NoVertical", "NAME a\nHORIZONTAL 1\n0 0\n", 0, "no VERTICAL block"},
        Broken{"ShortBlock", "NAME a\nHORIZONTAL 3\n0 0\n1 1\nVERTICAL 1\n0 0\n", 5,
               "point 3 of 3 of the HORIZONTAL block"},
        Broken{"EndsInBlock", "NAME a\nVERTICAL 1\n0 0\nHORIZONTAL 3\n0 0\n", 5,
               "ends after 1 of the 3"},
        Broken{"NoCount", "NAME a\nHORIZONTAL\n", 2, "point count"},
        Broken{"HugeCount", "NAME a\nHORIZONTAL 1e9\n", 2, "point count"},
        Broken{"NotANumber", "NAME a\nHORIZONTAL 1\n0 nan\n", 3, "angle loss"},
        Broken{"Garbage", "NAME a\n\x01\x02 3\n", 2, "expected a key"},
        Broken{"DataOutsideBlock", "NAME a\nHORIZONTAL 1\n0 0\n1 1\n", 4, "expected a key"},
        Broken{"BadGain", "NAME a\nGAIN high\n", 2, "GAIN"},
        Broken{"TwoBlocks", "NAME a\nVERTICAL 1\n0 0\nVERTICAL 1\n0 0\n", 4, "second VERTICAL"},
        Broken{"Atn", "3 10.000000 0.000000 0\nperson\n01-02-2024\n", 3, "expected a key"},
        Broken{"ThirdToken", "NAME a\nVERTICAL 1\n0 0\nHORIZONTAL 2\n0 0\n180 20 junk\n", 6,
               "point 2 of 2 of the HORIZONTAL block (from line 4), found more after the loss: "
               "\"junk\""},
        Broken{"SameAngleTwice", "NAME a\nVERTICAL 1\n0 0\nHORIZONTAL 3\n0 0\n180 20\n180 20\n", 7,
               "angle 180 of the HORIZONTAL block points where line 6 already did"},
        Broken{"SameDirection", "NAME a\nVERTICAL 3\n-90 3\n0 0\n270 4\nHORIZONTAL 1\n0 0\n", 5,
               "angle 270 of the VERTICAL block points where line 3 already did"},
        Broken{"FrequencyUnit", "NAME a\nFREQUENCY 2.4 GHZz\n", 2,
               "the FREQUENCY unit \"GHZz\" is not one of Hz, kHz, MHz and GHz"},
        Broken{"FrequencyHuge", "NAME a\nFREQUENCY 1e307 GHz\n", 2, "too large"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Csv, HeaderAnd360RowsWithAPointWhateverTheLocale)
{
    double e[PATTERN_LEVELS], h[PATTERN_LEVELS];
    for (int k = 0; k < PATTERN_LEVELS; ++k)
        e[k] = -k / 12.0, h[k] = -30.0;
    const std::string csv = FormatCsv(e, h);
    EXPECT_EQ(csv.rfind("angle_deg,e_db,h_db\n0,0.000000,-30.000000\n1,-0.083333,-30.000000\n", 0),
              0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 361);
    EXPECT_NE(csv.find("\n359,-29.916667,-30.000000\n"), std::string::npos);
}

TEST(Msi, FrequencyUnitsBecomeMegahertz)
{
    const std::string cuts = Cut("HORIZONTAL", 4, 90, Cosine) + Cut("VERTICAL", 4, 90, Cosine);
    struct {
        const char *line;
        double mhz;
    } cases[] = {
        {"FREQUENCY 2.4 GHz", 2400.0},     {"frequency 2.4 ghz", 2400.0},
        {"FREQUENCY 2400MHz", 2400.0},     {"FREQUENCY 144.5", 144.5},
        {"FREQUENCY 7050 kHz", 7.05},      {"FREQUENCY 2400000000 Hz\r", 2400.0},
        {"FREQUENCY 435.5 mhz \t", 435.5},
    };
    for (const auto &c : cases) {
        MsiPattern p;
        const MsiReadResult r = ReadMsiText("NAME x\n" + std::string(c.line) + "\n" + cuts, p);
        ASSERT_TRUE(r.ok) << c.line << ": " << r.error;
        EXPECT_DOUBLE_EQ(p.frequencyMHz.value_or(0), c.mhz) << c.line;
    }
    // A cut that closes the circle with the first point's loss at 360 is
    // one direction given once.
    MsiPattern p;
    const MsiReadResult r =
        ReadMsiText("NAME x\nHORIZONTAL 3\n0 1\n180 5\n360 1\nVERTICAL 2\n0 0\n180 6\n", p);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_DOUBLE_EQ(p.horizontal[90], -3.0);
}

TEST(Msi, AnyFiniteFrequencyReadIsWrittenInFull)
{
    // A frequency too long for the writer's number buffer was written as
    // whatever the buffer held, and the file read back broken.
    const std::string text = "NAME x\nFREQUENCY 1e300\n" + Cut("HORIZONTAL", 4, 90, Cosine)
                             + Cut("VERTICAL", 4, 90, Cosine);
    MsiPattern p, q;
    ASSERT_TRUE(ReadMsiText(text, p).ok);
    MsiWriteData d;
    d.frequencyMHz = p.frequencyMHz;
    d.eLevels = p.vertical;
    d.hLevels = p.horizontal;
    const MsiReadResult r = ReadMsiText(FormatMsi(d), q);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(q.frequencyMHz, 1e300);
}
