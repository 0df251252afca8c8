// SPDX-License-Identifier: GPL-3.0-or-later
// atn plot and atn export with --overlay, run as a user runs them: the CSV's
// columns and figures, the pictures in each format, and the usage errors.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "pattern_builder.h"
#include "run_program.h"
#include "scratch_test.h"

namespace {

using testsupport::Atn;

// A beam at `peak` degrees (E) and peak + 60 (H), `top` dB high.
struct Beam {
    double e[360], h[360];
    Beam(int peak, double top)
    {
        for (int a = 0; a < 360; ++a) {
            auto lobe = [&](int p, double perDegree) {
                int d = std::abs(a - p) % 360;
                d = std::min(d, 360 - d);
                return std::max(-30.0, top - perDegree * d);
            };
            e[a] = lobe(peak, 0.5) + (a % 7 == 0 ? 0.25 : 0.0);
            h[a] = lobe(peak + 60, 0.3);
        }
    }
};

std::vector<std::vector<std::string>> ReadCsv(const std::string &path)
{
    std::ifstream f(path);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(f, line);) {
        std::vector<std::string> cells;
        std::string cell;
        bool quoted = false;
        for (char c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                cells.push_back(std::move(cell)), cell.clear();
            else
                cell += c;
        }
        cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

class AtnOverlay : public testsupport::ScratchTest {
protected:
    QString Write(const char *name, int type, const Beam &b, const char *person = "Kim")
    {
        PatternBuilder d;
        d.type(type).attn(10, 10).viewerText(person, "");
        d.eTaken("01-02-2024", "10:00:00").hTaken("01-02-2024", "10:10:00").e(b.e).h(b.h);
        EXPECT_TRUE(d.write((dir / name).string()).ok);
        return In(name);
    }
};

}  // namespace

TEST_F(AtnOverlay, ExportWritesEachFilesLevelAlignedWhenAskedWithTheMeanAndDeviation)
{
    const QString a = Write("a.atn", 0, Beam(40, -3)), b = Write("b,2.atn", 0, Beam(52, -4)),
                  c = Write("c.atn", 0, Beam(35, -2)), x = Write("x.atn", 12, Beam(90, -1));
    const QString out = In("o.csv");
    auto r = Atn({"export", a, "--overlay", b, c, x, "--plane", "H", "--align", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    auto rows = ReadCsv(out.toStdString());
    ASSERT_EQ(rows.size(), 361u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"angle_deg", "a.atn", "b,2.atn", "c.atn", "x.atn",
                                                 "mean_db", "sd_db"}));
    const Beam A(40, -3), B(52, -4), C(35, -2);
    for (int k : {0, 100, 130}) {
        const auto &row = rows[size_t(k) + 1];
        ASSERT_EQ(row.size(), 7u);
        EXPECT_EQ(row[0], std::to_string(k));
        EXPECT_NEAR(std::stod(row[1]), A.h[k], 1e-6);
        // b and c turned onto a's H beam at 100 degrees.
        EXPECT_NEAR(std::stod(row[2]), B.h[(k + 12) % 360], 1e-6) << k;
        EXPECT_NEAR(std::stod(row[3]), C.h[(k + 355) % 360], 1e-6) << k;
        // The mean and spread of the three of type 0; x is of another type.
        const double v[] = {A.h[k], B.h[(k + 12) % 360], C.h[(k + 355) % 360]};
        const double m = (v[0] + v[1] + v[2]) / 3;
        const double sd = std::sqrt(
            ((v[0] - m) * (v[0] - m) + (v[1] - m) * (v[1] - m) + (v[2] - m) * (v[2] - m)) / 2);
        EXPECT_NEAR(std::stod(row[5]), m, 1e-6) << k;
        EXPECT_NEAR(std::stod(row[6]), sd, 1e-6) << k;
    }
    // Not aligned, each file's levels as measured; two files give no mean.
    r = Atn({"export", a, "--overlay", b, "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = ReadCsv(out.toStdString());
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"angle_deg", "a.atn", "b,2.atn", "mean_db", "sd_db"}));
    EXPECT_NEAR(std::stod(rows[53][2]), B.e[52], 1e-6);
    EXPECT_EQ(rows[53][3], "");
    EXPECT_EQ(rows[53][4], "");
}

TEST_F(AtnOverlay, PlotDrawsEveryFormatWithTheLegendAsText)
{
    const QString a = Write("a.atn", 0, Beam(40, -3), "Kim group 7");
    const QString b = Write("b.atn", 0, Beam(52, -4), "Lee");
    const QString c = Write("c.atn", 0, Beam(35, -2), "Ode");
    for (const char *ext : {"png", "svg", "pdf"}) {
        const QString out = In((std::string("o.") + ext).c_str());
        const auto r = Atn({"plot", a, "--overlay", b, c, "--band", "--align", "-o", out});
        ASSERT_EQ(r.status, 0) << ext << ": " << r.err;
        std::ifstream f(out.toStdString(), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        EXPECT_GT(s.str().size(), 1000u) << ext;
        if (std::string(ext) == "svg") {
            EXPECT_NE(s.str().find("a.atn  Kim group 7"), std::string::npos);
            EXPECT_NE(s.str().find("b.atn  Lee  turned -12"), std::string::npos);
            EXPECT_NE(s.str().find("mean \u00b1 1 SD of 3 files"), std::string::npos);
        }
    }
    // The same files laid over without the band, and the H plane: other
    // pictures.
    const QString one = In("one.svg"), two = In("two.svg");
    ASSERT_EQ(Atn({"plot", a, "--overlay", b, c, "-o", one}).status, 0);
    ASSERT_EQ(Atn({"plot", a, "--overlay", b, c, "--plane", "H", "-o", two}).status, 0);
    std::ifstream f1(one.toStdString()), f2(two.toStdString());
    std::stringstream s1, s2;
    s1 << f1.rdbuf();
    s2 << f2.rdbuf();
    EXPECT_EQ(s1.str().find("mean \u00b1"), std::string::npos);
    EXPECT_NE(s1.str(), s2.str());
}

TEST_F(AtnOverlay, UsageErrorsAndFilesThatCannotBeReadAreSaidAndWriteNothing)
{
    const QString a = Write("a.atn", 0, Beam(40, -3)), b = Write("b.atn", 0, Beam(52, -4));
    const QString bad = In("bad.atn");
    std::ofstream(bad.toStdString()) << "12 10 10 1\nKim\n";
    const QString out = In("o.png");
    struct Case {
        QStringList args;
        int status;
        const char *says;
    } cases[] = {
        {{"plot", a, "--plane", "H", "-o", out}, 2, "--plane goes with --overlay"},
        {{"plot", a, "--align", "-o", out}, 2, "--align goes with --overlay"},
        {{"plot", a, "--overlay", b, "--plane", "X", "-o", out}, 2, "--plane takes E or H"},
        {{"plot", a, "--overlay", b, "--planes", "E", "-o", out}, 2, "choose it with --plane"},
        {{"plot", a, "--overlay", b, "--band", "-o", out}, 1, "there are 2"},
        {{"plot", a, "--overlay", b, bad, "-o", out}, 1, "bad.atn: "},
        {{"plot", a, "--overlay", b, b, b, b, b, b, b, b, b, "-o", out}, 2, "at most 8 files"},
        {{"export", a, "--overlay", b, "--format", "msi", "-o", In("o.msi")}, 2, "CSV only"},
        {{"export", "--overlay", b, "-o", In("o.csv")}, 2, "give FILE"},
    };
    for (const Case &c : cases) {
        const auto r = Atn(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out.toStdString())) << c.says;
    }
}
