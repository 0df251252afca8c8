// SPDX-License-Identifier: GPL-3.0-or-later
// The atn file's bytes and reading them back, whatever the file holds.
#include "pattern_file.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "pattern_builder.h"
#include "test_files.h"

namespace {

// An atn file spelled out line by line, independent of the writer.
struct AtnLines {
    std::string header = "0 0.000000 0.000000 0";
    std::string person = "Kim";
    std::vector<std::string> descript;
    std::string Edate = "01-02-2024", Etime = "10:11:12";
    std::vector<std::string> e = std::vector<std::string>(PATTERN_LEVELS, "-30.000000");
    std::string Hdate = "03-04-2024", Htime = "13:14:15";
    std::vector<std::string> h = std::vector<std::string>(PATTERN_LEVELS, "-30.000000");
    std::string eol = "\n";

    std::string Text() const
    {
        std::string out = header + eol + person + eol;
        for (const auto &l : descript)
            out += l + eol;
        out += Edate + eol + Etime + eol;
        for (const auto &l : e)
            out += l + eol;
        out += Hdate + eol + Htime + eol;
        for (const auto &l : h)
            out += l + eol;
        return out;
    }
};

struct Loaded {
    PatternFileResult result;
    PatternRecord rec;
    int desNO = -7, EMAX = -7, HMAX = -7;
};

Loaded Load(const std::string &path)
{
    Loaded l;
    std::memset(&l.rec, 0x5A, sizeof l.rec);  // stale contents must not survive
    l.result = ReadPatternFile(path, l.rec, l.desNO, l.EMAX, l.HMAX);
    return l;
}

Loaded LoadText(const std::string &bytes)
{
    std::string path = ScratchDir() + "/p.atn";
    PutFile(path, bytes);
    return Load(path);
}

// What every loaded record must satisfy, whatever the file held.
void ExpectSound(const Loaded &l)
{
    EXPECT_LE(std::strlen(l.rec.person), size_t(PATTERN_PERSON_MAX));
    size_t dlen = std::strlen(l.rec.descript);
    EXPECT_LE(dlen, size_t(PATTERN_DESCRIPT_MAX));
    EXPECT_EQ(std::count(l.rec.descript, l.rec.descript + dlen, '\n'), l.desNO);
    EXPECT_TRUE(dlen == 0 || l.rec.descript[dlen - 1] == '\n');
    EXPECT_LE(std::strlen(l.rec.Edate), size_t(PATTERN_DATE_MAX));
    EXPECT_LE(std::strlen(l.rec.Htime), size_t(PATTERN_TIME_MAX));
    EXPECT_EQ(l.EMAX, PeakIndex(l.rec.e_data));
    EXPECT_EQ(l.HMAX, PeakIndex(l.rec.h_data));
}

void ExpectLevels(const double *got, const std::vector<double> &want)
{
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        ASSERT_NEAR(got[i], want[i], 0.5e-6) << "angle " << i;
}

}  // namespace

TEST(PatternFile, WritesExactBytes)
{
    struct {
        double value;
        const char *text;
    } cases[] = {
        {-12.5, "-12.500000"},   {0.0, "0.000000"},    {123.4567891, "123.456789"},
        {-30.0, "-30.000000"},   {2.5e-7, "0.000000"}, {1e6, "1000000.000000"},
        {0.0000015, "0.000002"}, {-5.0, "-5.000000"},
    };
    double e[PATTERN_LEVELS] = {};
    std::string elines;
    for (int i = 0; i < PATTERN_LEVELS; ++i) {
        if (i < int(std::size(cases)))
            e[i] = cases[i].value;
        elines += std::string(i < int(std::size(cases)) ? cases[i].text : "0.000000") + "\n";
    }
    std::string zeros;
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        zeros += "0.000000\n";

    PatternBuilder d;
    d.type(3).attn(10, 0).text("Kim\none\ntwo\n", 2);
    d.eTaken("01-02-2024", "10:11:12").hTaken("03-04-2024", "13:14:15");
    d.e(e);  // no H levels: a hidden plane
    std::string want = "3 10.000000 0.000000 2\nKim\none\ntwo\n01-02-2024\n10:11:12\n" + elines
                       + "03-04-2024\n13:14:15\n" + zeros;
    EXPECT_EQ(d.format(), want);

    std::string path = ScratchDir() + "/small.atn";
    ASSERT_TRUE(d.write(path).ok);
    EXPECT_EQ(GetFile(path), want);
    EXPECT_EQ(std::count(want.begin(), want.end(), '\n'), 726 + 2);

    d.type(-1).attn(-2.25, 0).text("Kim\none\ntwo\n", 0);
    EXPECT_EQ(d.format().substr(0, 24), "-1 -2.250000 0.000000 0\n");
}

TEST(PatternFile, ARecordIsSavedWithEveryFieldAndItsWholePersonLine)
{
    // Every field different, a person line longer than the 20 characters
    // the record shows: the save of the record read gives the file back.
    AtnLines f;
    f.header = "7 10.500000 -2.250000 2";
    f.person = "Lab group 4, bench 2: Kim and Lee";
    f.descript = {"Horn at 10 GHz", "second line"};
    f.Edate = "05-06-2007";
    f.Etime = "08:09:10";
    f.Hdate = "11-12-2013";
    f.Htime = "14:15:16";
    for (int i = 0; i < PATTERN_LEVELS; ++i) {
        f.e[i] = std::to_string(i % 7 - 20) + ".250000";
        f.h[i] = std::to_string(-(i % 5) - 10) + ".500000";
    }
    const std::string bytes = f.Text();
    const Loaded l = LoadText(bytes);
    ASSERT_TRUE(l.result.ok) << l.result.error;
    ASSERT_STREQ(l.rec.person, "Lab group 4, bench 2");

    std::string text;
    const PatternFileData d = PatternFileDataOf(l.rec, l.desNO, text);
    EXPECT_EQ(FormatPatternFile(d), bytes);
    EXPECT_EQ(d.text, text);

    // A record made in memory has no line of its own: its person is saved.
    PatternRecord made = l.rec;
    made.personLine[0] = '\0';
    std::snprintf(made.person, sizeof made.person, "%s", "Ann");
    const std::string saved = FormatPatternFile(PatternFileDataOf(made, l.desNO, text));
    EXPECT_EQ(saved.substr(0, saved.find("05-06-2007")),
              "7 10.500000 -2.250000 2\nAnn\nHorn at 10 GHz\nsecond line\n");
}

TEST(PatternFile, MeasurementProgramRoundTrip)
{
    auto e = SweepLevels(0.1234567), h = SweepLevels(-0.0000004);
    PatternBuilder d;
    d.type(15).attn(20, 10.5).eTaken("12-31-2023", "23:59:58").hTaken("12-31-2023", "00:00:01");
    d.e(e.data()).h(h.data());
    std::string dir = ScratchDir();

    // Straight after a sweep: the two start-up texts run together on line 2.
    d.text(KestoTextBlock("It is not specified.", "There are no description."), 0);
    ASSERT_TRUE(d.write(dir + "/a.atn").ok);
    Loaded l = Load(dir + "/a.atn");
    ASSERT_TRUE(l.result.ok);
    EXPECT_STREQ(l.rec.person, "It is not specified.");
    EXPECT_STREQ(l.rec.descript, "");
    EXPECT_EQ(l.desNO, 0);
    EXPECT_STREQ(l.rec.Edate, l.rec.Hdate);
    EXPECT_EQ(l.rec.Antype, 15);

    // After the information panel: person ends with LF, three box lines.
    d.text(KestoTextBlock("Lee Min\n", "dipole\nroof mast\n"), 3);
    ASSERT_TRUE(d.write(dir + "/a.atn").ok);
    l = Load(dir + "/a.atn");
    ASSERT_TRUE(l.result.ok);
    ExpectSound(l);
    EXPECT_STREQ(l.rec.person, "Lee Min");
    EXPECT_STREQ(l.rec.descript, "dipole\nroof mast\n\n");
    EXPECT_EQ(l.desNO, 3);
    EXPECT_DOUBLE_EQ(l.rec.Eattn, 20);
    EXPECT_DOUBLE_EQ(l.rec.Hattn, 10.5);
    EXPECT_STREQ(l.rec.Etime, "23:59:58");
    EXPECT_STREQ(l.rec.Htime, "00:00:01");
    ExpectLevels(l.rec.e_data, e);
    ExpectLevels(l.rec.h_data, h);
}

TEST(PatternFile, ViewerRoundTripWithHiddenPlane)
{
    auto e = SweepLevels(0.0), h = SweepLevels(0.5);
    PatternBuilder d;
    d.type(7).attn(0, 30).viewerText("Park", "line one\nline two\nline three\n");
    d.eTaken("05-06-2024", "07:08:09").hTaken("05-07-2024", "09:08:07");
    d.e(e.data()).h(h.data());
    std::string path = ScratchDir() + "/v.atn";
    ASSERT_TRUE(d.write(path).ok);
    Loaded l = Load(path);
    ASSERT_TRUE(l.result.ok);
    EXPECT_STREQ(l.rec.person, "Park");
    EXPECT_STREQ(l.rec.descript, "line one\nline two\nline three\n");
    EXPECT_EQ(l.desNO, 3);
    EXPECT_STREQ(l.rec.Hdate, "05-07-2024");
    EXPECT_STREQ(l.rec.Htime, "09:08:07");
    ExpectLevels(l.rec.e_data, e);
    ExpectLevels(l.rec.h_data, h);

    // Saving the loaded record again gives the same bytes.
    d.text(ViewerTextBlock(l.rec.person, l.rec.descript), l.desNO);
    d.e(l.rec.e_data).h(nullptr);  // H deleted from view
    ASSERT_TRUE(d.write(path).ok);
    l = Load(path);
    EXPECT_STREQ(l.rec.descript, "line one\nline two\nline three\n");
    ExpectLevels(l.rec.e_data, e);
    EXPECT_EQ(std::count(l.rec.h_data, l.rec.h_data + PATTERN_LEVELS, 0.0), PATTERN_LEVELS);
}

TEST(PatternFile, NumbersIgnoreTheLocale)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        // Build the locale in a scratch directory when the system lacks it.
        std::string dir = ScratchDir();
        std::string cmd = "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) {
            setenv("LOCPATH", dir.c_str(), 1);
            std::setlocale(LC_ALL, "de_DE.UTF-8");
        }
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    if (std::string(probe) != "1,5")
        GTEST_SKIP() << "no comma-decimal locale available";

    double e[PATTERN_LEVELS] = {-12.5, 4.25};
    std::string bytes = PatternBuilder().type(3).attn(10, 0).text("Kim\n", 0).e(e).format();
    EXPECT_EQ(bytes.substr(0, 23), "3 10.000000 0.000000 0\n");
    EXPECT_NE(bytes.find("\n-12.500000\n4.250000\n"), std::string::npos);

    Loaded l = LoadText(bytes);
    EXPECT_DOUBLE_EQ(l.rec.Eattn, 10.0);
    EXPECT_DOUBLE_EQ(l.rec.e_data[0], -12.5);
    EXPECT_DOUBLE_EQ(l.rec.e_data[1], 4.25);
    std::setlocale(LC_ALL, "C");
}

TEST(PatternRead, CrLfLines)
{
    AtnLines a;
    a.header = "2 1.5 2.5 1";
    a.descript = {"tower"};
    a.e[3] = "-4.5";
    a.eol = "\r\n";
    Loaded l = LoadText(a.Text());
    ExpectSound(l);
    EXPECT_STREQ(l.rec.person, "Kim\r");
    EXPECT_STREQ(l.rec.descript, "tower\r\n");
    EXPECT_EQ(l.desNO, 1);
    EXPECT_STREQ(l.rec.Edate, "01-02-2024");
    EXPECT_STREQ(l.rec.Etime, "10:11:12");
    EXPECT_DOUBLE_EQ(l.rec.Hattn, 2.5);
    EXPECT_DOUBLE_EQ(l.rec.e_data[3], -4.5);
    EXPECT_EQ(l.EMAX, 3);
}

TEST(PatternRead, LongLinesAreCut)
{
    AtnLines a;
    a.person = "Abcdefghijklmnopqrstuvwxyz0123456789";
    a.e[0] = "-123.456789";
    a.e[1] = "  -1.23456789";
    a.Edate = "01-02-2024 and more";
    a.Htime = "13:14:15:16";
    Loaded l = LoadText(a.Text());
    EXPECT_STREQ(l.rec.person, "Abcdefghijklmnopqrst");
    // The whole line is kept beside it for a save to write back.
    EXPECT_STREQ(l.rec.personLine, "Abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_STREQ(PersonLineOf(l.rec), "Abcdefghijklmnopqrstuvwxyz0123456789");
    EXPECT_DOUBLE_EQ(l.rec.e_data[0], -123.45678);
    EXPECT_DOUBLE_EQ(l.rec.e_data[1], -1.23456);
    EXPECT_STREQ(l.rec.Edate, "01-02-2024");
    EXPECT_STREQ(l.rec.Etime, "10:11:12");
    EXPECT_STREQ(l.rec.Htime, "13:14:15");
    EXPECT_DOUBLE_EQ(l.rec.h_data[0], -30.0);

    a.person = std::string(150, 'p') + std::string(150, 'q');
    l = LoadText(a.Text());
    ASSERT_TRUE(l.result.ok) << l.result.error;
    EXPECT_EQ(std::string(l.rec.person), std::string(20, 'p'));
    EXPECT_EQ(std::string(l.rec.personLine), std::string(150, 'p') + std::string(50, 'q'));
    EXPECT_STREQ(l.rec.Edate, "01-02-2024");
    // A record whose person was set afresh writes that person.
    std::snprintf(l.rec.person, sizeof l.rec.person, "%s", "Textbook model");
    EXPECT_STREQ(PersonLineOf(l.rec), "Textbook model");
    PatternRecord fresh{};
    std::snprintf(fresh.person, sizeof fresh.person, "%s", "Lee");
    EXPECT_STREQ(PersonLineOf(fresh), "Lee");
}

TEST(PatternRead, PeakSearch)
{
    struct {
        std::vector<std::pair<int, double>> set;
        int want;
    } cases[] = {
        {{}, -1},                         // every level at -30
        {{{5, -30.5}, {6, -31.0}}, -1},   // nothing above the floor
        {{{10, -3.0}, {200, -3.0}}, 10},  // equal peaks: lower angle
        {{{0, -29.999999}}, 0},
        {{{359, 5.0}, {358, 4.99}}, 359},
        {{{100, 1.0}, {50, 0.5}, {300, 1.0000001}}, 300},
    };
    for (const auto &c : cases) {
        double levels[PATTERN_LEVELS];
        std::fill(levels, levels + PATTERN_LEVELS, -30.0);
        for (auto [i, v] : c.set)
            levels[i] = v;
        EXPECT_EQ(PeakIndex(levels), c.want);
    }
    AtnLines a;
    a.h[42] = "-2.0";
    a.h[43] = "-2.0";
    Loaded l = LoadText(a.Text());
    EXPECT_EQ(l.EMAX, -1);
    EXPECT_EQ(l.HMAX, 42);
}

TEST(PatternRead, DescriptionKeptWithin200Characters)
{
    std::string line(90, 'x');
    AtnLines a;
    a.header = "0 0 0 4";
    a.descript = {line, line, line, line};
    Loaded l = LoadText(a.Text());
    ExpectSound(l);
    // Two whole lines (182), the third cut to fit with its LF, the fourth dropped.
    EXPECT_EQ(std::string(l.rec.descript), line + "\n" + line + "\n" + std::string(17, 'x') + "\n");
    EXPECT_EQ(l.desNO, 3);
    EXPECT_STREQ(l.rec.Edate, "01-02-2024");
    EXPECT_DOUBLE_EQ(l.rec.h_data[359], -30.0);

    a.descript = {std::string(500, 'y'), "b"};
    a.header = "0 0 0 2";
    l = LoadText(a.Text());
    ExpectSound(l);
    EXPECT_EQ(std::string(l.rec.descript), std::string(199, 'y') + "\n");
    EXPECT_STREQ(l.rec.Etime, "10:11:12");
}

TEST(PatternRead, LevelLinesReadFromTheirFirstTenCharacters)
{
    // The first ten characters of a level line hold one number, blanks or a
    // CR around it; a level beyond the limit becomes the limit.
    struct {
        const char *line;
        double want;
    } cases[] = {
        {"  +3.25", 3.25},
        {"\t-7", -7.0},
        {"1e2", 100.0},
        {".5", 0.5},
        {"-4.5   ", -4.5},
        {"-4.5\r", -4.5},
        {"-30.000000\r", -30.0},
        {"-30.000000 and more", -30.0},
        {"123456789.000000", 10000.0},
        {"3e30", 10000.0},
        {"-1e10", -10000.0},
        {"999999999", 10000.0},
        {"9999.99999", 9999.99999},
    };
    AtnLines a;
    for (size_t i = 0; i < std::size(cases); ++i)
        a.e[i] = cases[i].line;
    Loaded l = LoadText(a.Text());
    ASSERT_TRUE(l.result.ok) << l.result.error;
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(l.rec.e_data[i], cases[i].want) << '"' << cases[i].line << '"';
}

// Every level the reader accepts is written so that it reads back the same:
// read, save, read, save gives the same bytes twice.
TEST(PatternRead, LevelRoundTripIsStable)
{
    AtnLines a;
    const char *levels[] = {"3e30",       "1e10",       "-5e9",       "1234567890", "-123456789",
                            "-1.2345e-3", "1.23456789", "-0.0000005", "12345678e2", "-9999.9999"};
    for (size_t i = 0; i < std::size(levels); ++i)
        a.h[i * 7] = levels[i];
    std::string bytes = a.Text();
    std::string saves[2];
    for (std::string &save : saves) {
        Loaded l = LoadText(bytes);
        ASSERT_TRUE(l.result.ok) << l.result.error;
        std::string text = ViewerTextBlock(l.rec.person, l.rec.descript);
        PatternFileData d;
        d.Antype = l.rec.Antype;
        d.Eattn = l.rec.Eattn;
        d.Hattn = l.rec.Hattn;
        d.lines = l.desNO;
        d.text = text;
        d.Edate = l.rec.Edate;
        d.Etime = l.rec.Etime;
        d.Hdate = l.rec.Hdate;
        d.Htime = l.rec.Htime;
        d.e_data = l.rec.e_data;
        d.h_data = l.rec.h_data;
        save = bytes = FormatPatternFile(d);
    }
    EXPECT_EQ(saves[0], saves[1]);
    EXPECT_NE(saves[0].find("\n10000.000000\n"), std::string::npos);
}

// Files that are not pattern files are refused, naming the file and the
// first line that is wrong.
TEST(PatternRead, RefusesWhatIsNotAPatternFile)
{
    AtnLines good;
    const std::string full = good.Text();
    auto withHeader = [](const char *h) {
        AtnLines a;
        a.header = h;
        return a.Text();
    };
    auto withLevel = [](int index, const char *line) {
        AtnLines a;
        (index < PATTERN_LEVELS ? a.e[index] : a.h[index - PATTERN_LEVELS]) = line;
        return a.Text();
    };
    struct {
        std::string bytes;
        const char *says;
    } cases[] = {
        {"", "the file is empty"},
        {withHeader("5 abc 1 1"), "line 1 does not start with the four numbers"},
        {withHeader("5"), "line 1 "},
        {withHeader(""), "line 1 "},
        {withHeader("-1 1.5 2.5 -4"), "line 1 "},      // a negative line count
        {withHeader("99999999999 1 2 0"), "line 1 "},  // type out of range
        {withHeader("5abc 1 2 0"), "line 1 "},
        {withHeader("1 0 0 2000000000"),
         "it ends after line 726, but its header promises 2000000726 lines"},
        {full.substr(0, full.find("-30.000000\n", full.find("10:11:12")) + 11 * 100),
         "it ends after line 104, but its header promises 726 lines"},
        {full.substr(0, full.size() - 11), "it ends after line 725, but"},
        {withLevel(0, "abc"), "line 5 should hold the E-plane level at 0 degrees"},
        {withLevel(7, ""), "line 12 should hold the E-plane level at 7 degrees"},
        {withLevel(PATTERN_LEVELS + 359, "nan"),
         "line 726 should hold the H-plane level at 359 degrees"},
        {withLevel(1, "inf"), "line 6 "},
        {withLevel(1, "1e999"), "line 6 "},
        {withLevel(1, "+-5"), "line 6 "},
        {withLevel(1, "-"), "line 6 "},
        {withLevel(1, "1234567890123"), nullptr},  // cut to 10 digits: read as a number
        {withLevel(2, "-12.5abc"), "line 7 should hold the E-plane level at 2 degrees, but "
                                   "\"-12.5abc\" is not a number."},
        {withLevel(2, "4,5"), "line 7 "},
        {withLevel(2, "1.5 2"), "line 7 "},
        {withLevel(2, "10:31:07"), "line 7 "},
        {withLevel(PATTERN_LEVELS, "-2.195000e+01"),
         "line 367 should hold the H-plane level at 0 degrees, but \"-2.195000e\" is not"},
        {withLevel(3, "-3\x01"), "\"-3?\" is not a number."},
        {std::string(3'000'000, 'z'), "line 1 "},  // one endless line
        {"\x7f"
         "ELF\x02\x01\x01",
         "line 1 "},
    };
    for (const auto &c : cases) {
        Loaded l = LoadText(c.bytes);
        ExpectSound(l);
        if (!c.says) {
            EXPECT_TRUE(l.result.ok) << l.result.error;
            continue;
        }
        EXPECT_FALSE(l.result.ok) << c.says;
        EXPECT_NE(l.result.error.find("p.atn\" is not a pattern file: "), std::string::npos)
            << l.result.error;
        EXPECT_NE(l.result.error.find(c.says), std::string::npos) << l.result.error;
    }
}

// A header that counts one description line too few or too many shifts
// every line after it; the date, time or a level then lands where the other
// was expected, and the file is refused rather than read one line off.
TEST(PatternRead, AMiscountedDescriptionIsRefused)
{
    AtnLines a;
    a.descript = {"first", "second"};
    a.Etime = "10:31:07";
    a.header = "0 0 0 1";
    Loaded l = LoadText(a.Text());
    ExpectSound(l);
    EXPECT_FALSE(l.result.ok);
    EXPECT_NE(l.result.error.find("line 6 should hold the E-plane level at 0 degrees, but "
                                  "\"10:31:07\" is not a number."),
              std::string::npos)
        << l.result.error;

    a.header = "0 0 0 3";
    l = LoadText(a.Text());
    ExpectSound(l);
    EXPECT_FALSE(l.result.ok);
    EXPECT_NE(l.result.error.find("line 367 should hold the E-plane level at 359 degrees, but "
                                  "\"03-04-2024\" is not a number."),
              std::string::npos)
        << l.result.error;

    a.header = "0 0 0 2";
    l = LoadText(a.Text());
    ASSERT_TRUE(l.result.ok) << l.result.error;
    EXPECT_STREQ(l.rec.Etime, "10:31:07");
    EXPECT_STREQ(l.rec.Hdate, "03-04-2024");
}

// The line was drawn so that every file either writer produces still opens,
// with what the old files hold: CR LF line ends, trailing bytes after the
// last level, no LF at the very end, NUL bytes, long lines.
TEST(PatternRead, AcceptsEveryFileTheWritersProduce)
{
    AtnLines a;
    a.header = "  7\t-3.5   4e1 0 trailing";
    Loaded l = LoadText(a.Text() + "junk after the end\n");
    ASSERT_TRUE(l.result.ok) << l.result.error;
    EXPECT_EQ(l.rec.Antype, 7);
    EXPECT_EQ(l.rec.Eattn, -3.5);
    EXPECT_EQ(l.rec.Hattn, 40.0);

    std::string full = AtnLines().Text();
    l = LoadText(full.substr(0, full.size() - 11) + "7.5");  // no LF at the end
    ASSERT_TRUE(l.result.ok) << l.result.error;
    EXPECT_EQ(l.rec.h_data[359], 7.5);
    EXPECT_EQ(l.HMAX, 359);

    a = AtnLines();
    a.person = std::string("Ab\0cd", 5);  // a NUL ends the text of its line
    a.Edate = std::string("01\0", 3) + std::string(5000, '\xff');
    l = LoadText(a.Text());
    ASSERT_TRUE(l.result.ok) << l.result.error;
    EXPECT_STREQ(l.rec.person, "Ab");
    EXPECT_STREQ(l.rec.Edate, "01");
    EXPECT_STREQ(l.rec.Etime, "10:11:12");

    // Both programs' text blocks, with start-up texts, empty lines, long
    // lines, and levels from the floor to beyond anything the rig reports.
    std::mt19937 gen(99);
    for (int round = 0; round < 40; ++round) {
        std::vector<double> e(PATTERN_LEVELS), h(PATTERN_LEVELS);
        for (int i = 0; i < PATTERN_LEVELS; ++i) {
            e[i] = -30.0 + (gen() % 3400000) / 1000.0;
            h[i] = round % 2 ? -(gen() % 100000) / 7.0 : e[i];
        }
        std::string descript;
        // An accepted information box has at least one (empty) line.
        int lines = int(gen() % 6) + round % 2;
        for (int i = 0; i < lines; ++i)
            descript += std::string(gen() % 300, char('a' + i)) + (i + 1 < lines ? "\n" : "");
        std::string text = round % 2
                               ? KestoTextBlock("Lee\n", descript)
                               : ViewerTextBlock("Lee", descript.empty() ? "" : descript + "\n");
        if (round % 4 == 0) {
            text = KestoTextBlock("It is not specified.", "There are no description.");
            lines = 0;
        }
        PatternFileData d;
        d.Antype = int(gen() % 17) - 1;
        d.Eattn = (gen() % 1001) / 10.0;
        d.lines = lines;
        d.text = text;
        d.Edate = round % 3 ? "12-31-2023" : "";
        d.e_data = e.data();
        d.h_data = round % 5 ? h.data() : nullptr;
        l = LoadText(FormatPatternFile(d));
        ASSERT_TRUE(l.result.ok) << l.result.error;
        ExpectSound(l);
    }
}

TEST(PatternRead, BinaryJunkIsRefusedAndStaysInBounds)
{
    std::mt19937 gen(1234);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(gen() % 20000, '\0');
        for (char &c : bytes)
            c = char(gen() % 4 == 0 ? '\n' : gen() & 0xFF);
        if (round % 2)
            bytes = "0 0 0 " + std::to_string(int(gen() % 50)) + "\n" + bytes;
        Loaded l = LoadText(bytes);
        EXPECT_FALSE(l.result.ok);
        ExpectSound(l);
    }
}

TEST(PatternRead, RefusesWhatIsNotARegularFileWithoutWaiting)
{
    std::string dir = ScratchDir();
    Loaded l = Load(dir + "/missing.atn");
    EXPECT_FALSE(l.result.ok);
    EXPECT_NE(l.result.error.find("missing.atn"), std::string::npos);
    ExpectSound(l);
    EXPECT_STREQ(l.rec.person, "");

    ASSERT_EQ(mkfifo((dir + "/pipe.atn").c_str(), 0600), 0);
    struct {
        std::string path;
        const char *says;
    } cases[] = {
        {dir, "is a folder"},
        {dir + "/pipe.atn", "is a FIFO"},  // no writer: opening it must not wait for one
        {"/dev/zero", "is a device"},      // endless
        {"/dev/null", "is a device"},
    };
    for (const auto &c : cases) {
        l = Load(c.path);
        EXPECT_FALSE(l.result.ok);
        EXPECT_NE(l.result.error.find("\"" + c.path + "\" " + c.says), std::string::npos)
            << l.result.error;
        ExpectSound(l);
    }
}
