// SPDX-License-Identifier: GPL-3.0-or-later
// atn report --lab read as a student and an instructor read it: the text of
// the PDF holds the figures atn info, atn check and atn gain give, its
// graphs are drawn on white, and it is written whole or not at all.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "files.h"
#include "message.h"
#include "pdf_text.h"
#include "run_program.h"
#include "scratch_test.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

QString S(const std::string &s)
{
    return QString::fromStdString(s);
}

QJsonObject JsonOf(const QStringList &args)
{
    const RunResult r = Atn(args);
    EXPECT_TRUE(r.status == 0 || r.status == 3) << r.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// A sample with other header lines: the person line, the dates.
std::string WithHeader(const std::string &sample, const std::string &person,
                       const std::string &eDate, const std::string &hDate)
{
    std::istringstream in(GetFile(SampleFile(sample)));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    const int described = std::stoi(lines[0].substr(lines[0].rfind(' ') + 1));
    lines[1] = person;
    lines[size_t(2 + described)] = eDate;
    lines[size_t(2 + described + 2 + 360)] = hDate;
    std::string out;
    for (const std::string &l : lines)
        out += l + "\n";
    return out;
}

// A pattern file with its person line replaced and, with `wider` above 1,
// every angle from `peak` that much farther out: a beam that much wider.
std::string Widened(const std::string &atn, const std::string &person, double wider, int peak)
{
    std::istringstream in(atn);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    const int described = std::stoi(lines[0].substr(lines[0].rfind(' ') + 1));
    lines[1] = person;
    for (size_t first : {size_t(4 + described), size_t(4 + described + 362)}) {
        std::vector<double> v(360);
        for (int k = 0; k < 360; ++k)
            v[size_t(k)] = std::stod(lines[first + size_t(k)]);
        for (int k = 0; k < 360; ++k) {
            const double a = peak + std::remainder(k - peak, 360.0) / wider;
            const int i = int(std::floor(a));
            const double t = a - i;
            const double level = (1 - t) * v[size_t((i % 360 + 360) % 360)]
                                 + t * v[size_t(((i + 1) % 360 + 360) % 360)];
            lines[first + size_t(k)] = Fixed(level, 6);
        }
    }
    std::string out;
    for (const std::string &l : lines)
        out += l + "\n";
    return out;
}

class LabReport : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        if (!HavePdfTools())
            GTEST_SKIP() << "pdftotext, pdftoppm or pdfinfo (poppler-utils) is not installed";
    }
    std::string At(const char *name) const { return (dir / name).string(); }
};

TEST_F(LabReport, HoldsTheFiguresChecksAndGainAtnGivesForEachSample)
{
    const char *ref = SampleFile("dipole.atn");
    for (const char *name : {"dipole.atn", "horn.atn", "yagi.atn"}) {
        SCOPED_TRACE(name);
        const QString file = S(SampleFile(name));
        const RunResult r = Atn(
            {"report", "--lab", file, "--distance", "3", "--reference", ref, "-o", In("lab.pdf")});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string text = PdfText(At("lab.pdf"));
        ASSERT_FALSE(text.empty());
        auto has = [&](const std::string &s) {
            EXPECT_NE(text.find(s), std::string::npos) << "\"" << s << "\" is not in the report";
        };
        const QJsonObject info = JsonOf({"info", "--json", file})["files"].toArray()[0].toObject();
        has(info["person"].toString().toStdString());
        for (const char *plane : {"e", "h"}) {
            const QJsonObject fitted = info[plane].toObject()["fitted"].toObject();
            has(" " + Fixed(fitted["peak_angle_deg"].toDouble(), 1) + "° ");
            if (fitted["hpbw_deg"].isDouble())
                has(" " + Fixed(fitted["hpbw_deg"].toDouble(), 1) + "° ");
            if (fitted["fnbw_deg"].isDouble())
                has(" " + Fixed(fitted["fnbw_deg"].toDouble(), 1) + "° ");
            if (fitted["front_to_back_db"].isDouble())
                has((fitted["front_to_back_limited_by_floor"].toBool() ? "≥ " : " ")
                    + Fixed(fitted["front_to_back_db"].toDouble(), 1) + " dB");
            const QJsonObject side = fitted["side_lobe"].toObject();
            if (side["level_db"].isDouble())
                has((side["limited_by_floor"].toBool() ? "≤ " : " ")
                    + Fixed(side["level_db"].toDouble(), 1) + " dB");
        }
        if (info["directivity_estimate"].isObject())
            has(" " + Fixed(info["directivity_estimate"]["dbi"].toDouble(), 1) + " dBi");

        // The textbook's widths and the shape's RMS as atn compare --theory
        // gives them.
        const QJsonObject model =
            JsonOf({"compare", "--theory", "--json", file})["files"].toArray()[0].toObject();
        for (const char *plane : {"e", "h"}) {
            const QJsonObject c = model[plane].toObject();
            has(" " + Fixed(c["rms_db"].toDouble(), 2) + " dB");
            if (c["model_hpbw_deg"].isDouble())
                has(" " + Fixed(c["model_hpbw_deg"].toDouble(), 1) + "° ");
            has("turned " + std::to_string(c["rotation_deg"].toInt()) + "°");
        }

        const QJsonObject check =
            JsonOf({"check", "--json", "--distance", "3", file})["files"].toArray()[0].toObject();
        for (const QJsonValue &c : check["checks"].toArray()) {
            has(c["title"].toString().toStdString() + ": " + c["verdict"].toString().toStdString());
            for (const QJsonValue &f : c["findings"].toArray())
                has(f.toString().toStdString());
        }

        const QJsonObject gain =
            JsonOf({"gain", "--json", file, "--reference", ref, "--distance", "3"});
        has(gain["statement"].toString().toStdString());
        const QJsonObject u = gain["uncertainty"].toObject();
        has(Fixed(gain["gain_dbi"].toDouble(), 2) + " ± " + Fixed(u["expanded_db"].toDouble(), 2)
            + " dBi");
        for (const QJsonValue &c : u["components"].toArray())
            has(c["name"].toString().toStdString() + " " + Fixed(c["u_db"].toDouble(), 3));
    }
}

TEST_F(LabReport, NamesTheWholePersonLineAndDatesThatCannotBeMisread)
{
    const std::string person = "Group 7: Kim Lee, Ana Ruiz, Ola Berg (table 12).";
    ASSERT_EQ(person.size(), 48u);
    PutFile(At("group7.atn"), WithHeader("horn.atn", person, "12-11-2026", "01-02-2027"));
    const RunResult r = Atn({"report", "--lab", In("group7.atn"), "-o", In("lab.pdf")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = PdfText(At("lab.pdf"));
    EXPECT_NE(text.find(person), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("measured 2026-12-11 "), std::string::npos);
    EXPECT_NE(text.find("measured 2027-01-02 "), std::string::npos);
    EXPECT_EQ(text.find("12-11-2026"), std::string::npos);
    // The viewer shows 20 characters of it, and so does atn info.
    const QJsonObject info =
        JsonOf({"info", "--json", In("group7.atn")})["files"].toArray()[0].toObject();
    EXPECT_EQ(info["person"].toString().toStdString(), person.substr(0, 20));
    // No reference and no distance: the report says so instead of a gain.
    EXPECT_NE(text.find("Far field: not made"), std::string::npos);
    EXPECT_EQ(text.find("Uncertainty budget"), std::string::npos);
    EXPECT_GE(PdfPages(At("lab.pdf")), 1);
    EXPECT_LE(PdfPages(At("lab.pdf")), 2);
}

TEST_F(LabReport, DrawsTheGraphsOnWhiteWhereTheClassReportKeepsTheViewersLook)
{
    const QString horn = S(SampleFile("horn.atn"));
    ASSERT_EQ(Atn({"report", "--lab", horn, "-o", In("lab.pdf")}).status, 0);
    ASSERT_EQ(Atn({"report", "--theory", horn, "-o", In("class.pdf")}).status, 0);
    const PdfPicture lab = RenderPdfPage(At("lab.pdf"), 1, 60);
    const PdfPicture page = RenderPdfPage(At("class.pdf"), 2, 60);
    ASSERT_FALSE(lab.rgb.empty());
    ASSERT_FALSE(page.rgb.empty());
    auto black = [](int r, int g, int b) { return r < 40 && g < 40 && b < 40; };
    auto red = [](int r, int g, int b) { return r > 180 && g < 110 && b < 110; };
    auto blue = [](int r, int g, int b) { return b > 180 && r < 110 && g < 110; };
    // The class page's graphs are black squares; the lab page's are white,
    // with both planes' curves in their colours on them.
    EXPECT_GT(page.Share(black), 0.15);
    EXPECT_LT(lab.Share(black), 0.03);
    EXPECT_GT(lab.Share([](int r, int g, int b) { return r > 240 && g > 240 && b > 240; }), 0.8);
    EXPECT_GT(lab.Share(red), 0.002);
    EXPECT_GT(lab.Share(blue), 0.002);
}

TEST_F(LabReport, IsWrittenWholeOrNotAtAll)
{
    const QString horn = S(SampleFile("horn.atn"));
    // A folder that is not there.
    RunResult r = Atn({"report", "--lab", horn, "-o", In("no/such/folder/lab.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not written"), std::string::npos) << r.err;
    // A full disk: the old report stays as it was, and nothing else is left.
    PutFile(At("lab.pdf"), "the old report");
    r = Atn({"report", "--lab", horn, "-o", In("lab.pdf")}, {20000, {}, {}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("lab.pdf: not written"), std::string::npos) << r.err;
    EXPECT_EQ(GetFile(At("lab.pdf")), "the old report");
    std::vector<std::string> left;
    for (const auto &e : fs::directory_iterator(dir))
        left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"lab.pdf"});
    // A reference that cannot be read: nothing is written.
    PutFile(At("bad.atn"), "not a pattern\n");
    r = Atn({"report", "--lab", horn, "--reference", In("bad.atn"), "-o", In("new.pdf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.atn: line 1"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "new.pdf"));
    // The lab's options without --lab are a mistake, not silently dropped.
    for (const char *option : {"--reference", "--distance", "--reference-gain"}) {
        r = Atn({"report", horn, option, "3", "-o", In("new.pdf")});
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_NE(r.err.find("goes with --lab"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "new.pdf"));
}

TEST_F(LabReport, AClassGetsASummaryThenEachFilesPageAndOneUnreadableFileIsNamed)
{
    PutFile(At("ana.atn"), WithHeader("horn.atn", "Ana Ruiz, group 3", "03-01-2026", "03-01-2026"));
    PutFile(At("ola.atn"), WithHeader("horn.atn", "Ola Berg, group 4", "03-01-2026", "03-01-2026"));
    PutFile(At("kim.atn"), WithHeader("yagi.atn", "Kim Lee, group 5", "03-02-2026", "03-02-2026"));
    PutFile(At("broken.atn"), "12 10.0 10.0 2\nshort\n");
    // One of them by a long absolute path, whose middle must not be lost.
    const std::string deep = LongPath(dir, 180, "deep.atn");
    PutFile(deep, WithHeader("dipole.atn", "Eva Holm, group 6", "03-03-2026", "03-03-2026"));
    const QStringList files{In("ana.atn"), In("broken.atn"), In("ola.atn"), In("kim.atn"), S(deep)};
    const RunResult r =
        Atn(QStringList{"report", "--lab", "--reference", S(SampleFile("dipole.atn"))}
            << files << "-o" << In("class.pdf"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("broken.atn"), std::string::npos) << r.err;
    const std::string text = PdfText(At("class.pdf"));
    const std::string joined = PdfTextJoined(At("class.pdf"));
    EXPECT_NE(text.find("Not readable"), std::string::npos);
    EXPECT_NE(text.find("broken.atn: "), std::string::npos);
    for (const char *who :
         {"Ana Ruiz, group 3", "Ola Berg, group 4", "Kim Lee, group 5", "Eva Holm, group 6"})
        EXPECT_NE(text.find(who), std::string::npos) << who;
    // The long path whole, wrapped, and the person beside it on the summary.
    EXPECT_NE(joined.find(deep + "Eva Holm, group 6"), std::string::npos);
    // A picture for each antenna type and a lab page for each readable file.
    for (const char *type :
         {"Dipole (500 MHz): 1 file", "Yagi (500 MHz): 1 file", "Horn (10 GHz): 2 files"})
        EXPECT_NE(text.find(type), std::string::npos) << type;
    size_t labPages = 0;
    for (size_t at = 0; (at = text.find("Lab report: ", at)) != std::string::npos; ++at)
        ++labPages;
    EXPECT_EQ(labPages, 4u);
    EXPECT_GE(PdfPages(At("class.pdf")), 5);
    // The horns' widths against the textbook's, as the lab pages give them.
    const QJsonObject info =
        JsonOf({"info", "--json", In("ana.atn")})["files"].toArray()[0].toObject();
    const double e = info["e"].toObject()["fitted"].toObject()["hpbw_deg"].toDouble();
    EXPECT_NE(text.find(Fixed(e, 1) + "° / "), std::string::npos);
}

}  // namespace

namespace {

TEST_F(LabReport, TheSummaryNamesWhoIsFarOffAndEveryPageItsNumber)
{
    // The textbook horn itself twice, and once 1.5 times as wide.
    ASSERT_EQ(Atn({"theory", "12", "-o", In("model.atn")}).status, 0);
    const std::string model = GetFile(At("model.atn"));
    PutFile(At("ana.atn"), Widened(model, "Ana Ruiz, group 3", 1.0, 0));
    PutFile(At("ola.atn"), Widened(model, "Ola Berg, group 4", 1.0, 0));
    PutFile(At("kim.atn"), Widened(model, "Kim Lee, group 5", 1.5, 0));
    const RunResult r = Atn(
        {"report", "--lab", In("ana.atn"), In("kim.atn"), In("ola.atn"), "-o", In("class.pdf")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = PdfText(At("class.pdf"));
    const size_t far = text.find("Far off (hollow): ");
    ASSERT_NE(far, std::string::npos) << text.substr(0, 1500);
    const std::string named = text.substr(far, text.find(").", far) - far);
    EXPECT_NE(named.find("Kim Lee, group 5 (E width "), std::string::npos) << named;
    EXPECT_NE(named.find(", H width "), std::string::npos) << named;
    for (const char *in : {"Ana Ruiz", "Ola Berg"})
        EXPECT_EQ(named.find(in), std::string::npos) << named;
    // The two that are the textbook agree in every compared figure.
    EXPECT_NE(text.find("Against the textbook: "), std::string::npos);
    // Every page numbered, of as many as there are.
    const int pages = PdfPages(At("class.pdf"));
    ASSERT_GE(pages, 4);
    for (int p = 1; p <= pages; ++p)
        EXPECT_NE(text.find("page " + std::to_string(p) + " of " + std::to_string(pages)),
                  std::string::npos)
            << p;
    EXPECT_EQ(text.find("page " + std::to_string(pages + 1) + " of "), std::string::npos);
}

}  // namespace
