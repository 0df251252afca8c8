// SPDX-License-Identifier: GPL-3.0-or-later
// The atn tool run as a user runs it.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis.h"
#include "files.h"
#include "msi.h"
#include "pattern_file.h"
#include "rt.h"
#include "run_program.h"
#include "scratch_test.h"
#include "testing.h"

namespace fs = std::filesystem;

namespace {

using Outcome = testsupport::RunResult;
using testsupport::Atn;

std::string Slurp(const fs::path &p)
{
    return testsupport::GetFile(p.string());
}

const char *const kSamples[] = {testsupport::SampleFile("dipole.atn"),
                                testsupport::SampleFile("horn.atn"),
                                testsupport::SampleFile("yagi.atn")};

class AtnTool : public testsupport::ScratchTest {
protected:
    std::string Write(const char *name, const std::string &bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
    std::string WritePattern(const char *name, const double *e, const double *h) const
    {
        PatternFileData d;
        d.Antype = -1;
        const std::string text = ViewerTextBlock("Kim", "");
        d.text = text;
        d.Edate = d.Hdate = "01-02-2024";
        d.Etime = d.Htime = "10:00:00";
        d.e_data = e;
        d.h_data = h;
        EXPECT_TRUE(WritePatternFile((dir / name).string(), d).ok);
        return (dir / name).string();
    }
};

}  // namespace

TEST_F(AtnTool, InfoShowsAnOlderPcsPersonLineInItsCodePage)
{
    std::string bytes = "-1 0.000000 0.000000 1\nM\xfcller\nLab 3\n";
    for (int plane = 0; plane < 2; ++plane) {
        bytes += "01-02-2024\n10:00:00\n";
        for (int k = 0; k < 360; ++k)
            bytes += "-10.000000\n";
    }
    const std::string file = Write("old.atn", bytes);
    const Outcome text = Atn(QStringList{"info", QString::fromStdString(file)});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("person: M\xc3\xbcller\n"), std::string::npos) << text.out;
    const Outcome json = Atn(QStringList{"info", "--json", QString::fromStdString(file)});
    ASSERT_EQ(json.status, 0) << json.err;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out))
                                .object()[QStringLiteral("files")]
                                .toArray()[0]
                                .toObject();
    EXPECT_EQ(doc[QStringLiteral("person")].toString(), QString::fromUtf8("M\xc3\xbcller"));
}

TEST_F(AtnTool, MsiExportThenImportGivesBackEveryLevel)
{
    for (const char *sample : kSamples) {
        SCOPED_TRACE(sample);
        Outcome r = Atn({"export", sample, "--format", "msi", "-o", In("p.msi")});
        ASSERT_EQ(r.status, 0) << r.err;
        r = Atn({"import", In("p.msi"), "-o", In("back.atn")});
        ASSERT_EQ(r.status, 0) << r.err;
        PatternRecord a{}, b{};
        int n = 0, e = 0, h = 0;
        ASSERT_TRUE(ReadPatternFile(sample, a, n, e, h).ok);
        ASSERT_TRUE(ReadPatternFile((dir / "back.atn").string(), b, n, e, h).ok);
        double top = -1e9;
        for (int k = 0; k < 360; ++k)
            top = std::max({top, a.e_data[k], a.h_data[k]});
        for (int k = 0; k < 360; ++k) {
            EXPECT_NEAR(b.e_data[k], std::max(-30.0, a.e_data[k] - top), 0.01) << k;
            EXPECT_NEAR(b.h_data[k], std::max(-30.0, a.h_data[k] - top), 0.01) << k;
        }
        EXPECT_NE(std::string(b.descript).find("MSI NAME "), std::string::npos);
    }
}

TEST_F(AtnTool, HandWrittenMsiWithTheVariationsOfRealFilesImports)
{
    std::string text = "Patch 2.4\r\nfrequency\t2400\r\nGain 6.1 dBi\r\nhorizontal 8\r\n";
    for (int i = 0; i < 8; ++i)
        text += std::to_string(i * 45) + ".0\t" + std::to_string(i == 0 ? 0 : 3 + i) + "\r\n";
    text += "VERTICAL 360\r\n";
    for (int i = 0; i < 360; ++i)
        text +=
            std::to_string(i) + " " + std::to_string(std::min(40, std::abs(180 - i) / 4)) + "\r\n";
    Write("hand.txt", text);
    Outcome r = Atn({"import", In("hand.txt"), "-o", In("hand.atn")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = Atn({"info", "--json", In("hand.atn")});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject f = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))
                              .object()[QStringLiteral("files")]
                              .toArray()[0]
                              .toObject();
    EXPECT_EQ(f[QStringLiteral("h")].toObject()[QStringLiteral("peak_angle_deg")].toInt(), 0);
    // Losses of 0 from 177 to 183 degrees: the lowest angle is the peak.
    EXPECT_EQ(f[QStringLiteral("e")].toObject()[QStringLiteral("peak_angle_deg")].toInt(), 177);
    EXPECT_NE(f[QStringLiteral("description")].toString().indexOf(QStringLiteral("Patch 2.4")), -1);
    // Broken: the message names the file and the line.
    Write("broken.msi", "NAME x\nHORIZONTAL 360\n0 0\n1 zz\n");
    r = Atn({"import", In("broken.msi"), "-o", In("x.atn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("broken.msi: not an MSI antenna file: line 4:"), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.atn"));
}

// The MSI FREQUENCY goes out in MHz and comes back in MHz whatever unit a
// file gives it; a value that cannot be written is refused, not dropped.
TEST_F(AtnTool, MsiFrequencyIsWrittenOrRefusedAndReadInMegahertz)
{
    for (const char *bad : {"inf", "-inf", "nan", "1e999", "0", "-5", "abc", ""}) {
        const Outcome r =
            Atn({"export", kSamples[0], "-f", "msi", "--frequency", bad, "-o", In("f.msi")});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.err, "atn: export: --frequency must be a positive number of MHz\n") << bad;
        EXPECT_FALSE(fs::exists(dir / "f.msi")) << bad;
    }
    Outcome r = Atn({"export", kSamples[0], "-f", "msi", "--frequency", "2400", "-o", In("f.msi")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream f(dir / "f.msi");
    std::stringstream ss;
    ss << f.rdbuf();
    EXPECT_NE(ss.str().find("\nFREQUENCY 2400.000\n"), std::string::npos) << ss.str();

    std::string text = ss.str();
    text.replace(text.find("2400.000"), 8, "2.4 GHz");
    Write("ghz.msi", text);
    r = Atn({"info", In("ghz.msi")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("FREQUENCY 2400.000 MHz"), std::string::npos) << r.out;
}

TEST_F(AtnTool, CsvHasAHeaderAnd360Rows)
{
    const Outcome r = Atn({"export", kSamples[1], "-o", In("h.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string csv = Slurp(dir / "h.csv");
    EXPECT_EQ(csv.rfind("angle_deg,e_db,h_db\n0,", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 361);
}

class AtnPlot : public AtnTool, public testing::WithParamInterface<const char *> {};

TEST_P(AtnPlot, DrawsTheViewersPicture)
{
    const std::string name = std::string("p.") + GetParam();
    const Outcome r = Atn({"plot", kSamples[1], "-o", In(name.c_str()), "--size", "400"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = Slurp(dir / name);
    ASSERT_GT(bytes.size(), 1000u);
    if (std::string(GetParam()) == "png") {
        QImage img;
        ASSERT_TRUE(img.loadFromData(QByteArray::fromStdString(bytes)));
        EXPECT_EQ(img.size(), QSize(400, 400));
        int red = 0, blue = 0, grey = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
                blue += c.blue() > 200 && c.red() < 60 && c.green() < 60;
                grey += c.red() == 0xA0 && c.green() == 0xA0 && c.blue() == 0xA0;
            }
        EXPECT_GT(red, 200);   // the E curve
        EXPECT_GT(blue, 200);  // the H curve
        EXPECT_GT(grey, 300);  // the rings and radials of the frame
    } else if (std::string(GetParam()) == "svg") {
        EXPECT_NE(bytes.find("<svg"), std::string::npos);
        EXPECT_EQ(bytes.find("<image"), std::string::npos) << "vector, not a picture";
        EXPECT_NE(bytes.find("#ff0000"), std::string::npos);
        EXPECT_NE(bytes.find("#0000ff"), std::string::npos);
        EXPECT_NE(bytes.find(">330<"), std::string::npos);
    } else {
        EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
        EXPECT_EQ(bytes.find("/Subtype /Image"), std::string::npos) << "vector, not a picture";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, AtnPlot, testing::Values("png", "svg", "pdf"));

TEST_F(AtnTool, ReportHasASummaryAndAPageForEachGoodFileAndFailsForTheBrokenOne)
{
    const std::string broken = Write("broken.atn", "not a pattern\n");
    const Outcome r = Atn({"report", kSamples[0], kSamples[1], kSamples[2],
                           QString::fromStdString(broken), "-o", In("r.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("broken.atn: line 1:"), std::string::npos) << r.err;
    const std::string pdf = Slurp(dir / "r.pdf");
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
    size_t pages = 0;
    for (size_t at = 0; (at = pdf.find("/Type /Page\n", at)) != std::string::npos; ++at)
        ++pages;
    if (pages == 0)  // the writer may put the type on one line with other keys
        for (size_t at = 0; (at = pdf.find("/Type /Page", at)) != std::string::npos; ++at)
            pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    EXPECT_EQ(pages, 4u);
}

TEST_F(AtnTool, CompareFindsTheTurnOfARotatedCopy)
{
    PatternRecord a{};
    int n = 0, e = 0, h = 0;
    ASSERT_TRUE(ReadPatternFile(kSamples[2], a, n, e, h).ok);
    RotateLevels(a.e_data, -25);
    RotateLevels(a.h_data, 40);
    WritePattern("turned.atn", a.e_data, a.h_data);
    const Outcome r = Atn({"compare", kSamples[2], In("turned.atn")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("E plane: B turned right by 25 deg: RMS difference 0.00 dB"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("H plane: B turned right by 320 deg: RMS difference 0.00 dB"),
              std::string::npos)
        << r.out;
}

struct BadInput {
    const char *name;
    const char *bytes;  // null: no such file; "" with dir: a folder
    const char *words;
};
void PrintTo(const BadInput &b, std::ostream *os)
{
    *os << b.name;
}
class AtnBadInput : public AtnTool, public testing::WithParamInterface<BadInput> {};

TEST_P(AtnBadInput, GetsOneLineNamingTheFileAndAFailureStatus)
{
    const BadInput b = GetParam();
    std::string path = (dir / b.name).string();
    if (std::string(b.name) == "folder.atn")
        fs::create_directory(path);
    else if (b.bytes)
        Write(b.name, std::string(b.bytes, std::strlen(b.bytes)));
    for (const char *cmd : {"info", "report", "plot", "export"}) {
        SCOPED_TRACE(cmd);
        QStringList args{cmd, QString::fromStdString(path)};
        if (std::string(cmd) != "info")
            args << "-o" << In(std::string(cmd) == "export" ? "o.csv" : "o.pdf");
        const Outcome r = Atn(args);
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("atn: " + path + ": ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(b.words), std::string::npos) << r.err;
        if (std::string(cmd) != "report") {
            EXPECT_FALSE(fs::exists(dir / "o.csv") || fs::exists(dir / "o.pdf"));
        }
        fs::remove(dir / "o.pdf");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, AtnBadInput,
    testing::Values(BadInput{"missing.atn", nullptr, "no such file"},
                    BadInput{"folder.atn", "", "a folder"}, BadInput{"empty.atn", "", "empty"},
                    BadInput{"binary.atn",
                             "\x7f"
                             "ELF\x02\x01\x01",
                             "line 1:"},
                    BadInput{"short.atn", "1 0.0 0.0 0\nKim\n01-01-2000\n10:00:00\n-3.0\n",
                             "ends at line 5"},
                    BadInput{"letters.atn", "1 0.0 0.0 1\nKim\nd\n01-01-2000\n10:00:00\nabc\n",
                             "line 6: \"abc\" is not a level"},
                    BadInput{"huge.atn", "1 0 0 999999999\n", "line 1: a description of"}),
    [](const auto &info) {
        std::string n = info.param.name;
        return n.substr(0, n.find('.'));
    });

TEST_F(AtnTool, AnUnwritableOutputIsAMessageAndNoPartialFile)
{
    Write("plain", "x");
    const QString bad = In("plain") + QStringLiteral("/out");
    for (const char *ext : {".csv", ".msi", ".png", ".pdf"}) {
        QStringList args = std::string(ext) == ".png" || std::string(ext) == ".pdf"
                               ? QStringList{"plot", kSamples[0], "-o", bad + ext}
                               : QStringList{"export", kSamples[0], "-o", bad + ext};
        const Outcome r = Atn(args);
        EXPECT_EQ(r.status, 1) << ext;
        EXPECT_NE(r.err.find("not written"), std::string::npos) << r.err;
    }
    Outcome r = Atn({"report", kSamples[0], "-o", bad + ".pdf"});
    EXPECT_EQ(r.status, 1);
    r = Atn({"import", kSamples[0], "-o", In("x.atn")});  // an atn file is no MSI file
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not an MSI antenna file: line "), std::string::npos) << r.err;
    // A failed write leaves an existing file as it was.
    const std::string old = Write("keep.csv", "old");
    r = Atn({"export", "no-such.atn", "-o", In("keep.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(old), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(AtnTool, EveryCommandHasItsHelpAndUsageErrorsSayWhere)
{
    for (const char *cmd : {"info", "plot", "export", "import", "compare", "report"}) {
        const Outcome r = Atn({cmd, "--help"});
        EXPECT_EQ(r.status, 0) << cmd;
        EXPECT_NE(r.out.find(std::string("Usage: atn ") + cmd + " [options]"), std::string::npos)
            << r.out;
    }
    EXPECT_NE(Atn({"export", "--help"}).out.find("HORIZONTAL cut"), std::string::npos);
    EXPECT_EQ(Atn({"--help"}).status, 0);
    Outcome r = Atn({"frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown command"), std::string::npos);
    r = Atn({"plot", kSamples[0], "-o", In("x.png"), "--view", "sideways"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--view"), std::string::npos);
    r = Atn({"plot", kSamples[0], "-o", In("x.png"), "--size", "9000"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("16 to 8000 pixels"), std::string::npos);
    r = Atn({"plot", kSamples[0], "-o", In("x.gif")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(".png, .svg or .pdf"), std::string::npos);
}
