// SPDX-License-Identifier: GPL-3.0-or-later
// The information panel's texts and the two print commands.
#include <QTemporaryDir>

#include "info.h"
#include "library.h"
#include "pdf_check.h"
#include "viewer_fixture.h"

namespace {

std::string Text(int panel, int ctrl)
{
    char buf[1024] = "";
    GetCtrlVal(panel, ctrl, buf);
    return buf;
}

double Num(int panel, int ctrl)
{
    double v = 0;
    GetCtrlVal(panel, ctrl, &v);
    return v;
}

std::string Write(const std::string &name, int type)
{
    const auto planes = vt::MakePlanes([](int a) { return vt::Lobe(a, 0, 0, 0.3); },
                                       [](int a) { return vt::Lobe(a, 90, -2, 0.2); });
    const std::string path = (vt::TempDir() / name).string();
    PatternBuilder d;
    d.type(type).attn(10, 20.5).viewerText("Park", "first line\nsecond line\n");
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-16-2004", "11:00:05").e(planes.e).h(planes.h);
    EXPECT_TRUE(d.write(path).ok);
    return path;
}

// Pixels where one colour channel (0 red, 2 blue) clearly leads: thin curves
// printed over a dark graph blend towards it but keep their hue.
int Hue(const QImage &img, int channel)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
            n += c[channel] > 60 && c[channel] > 2 * c[(channel + 1) % 3] + 20
                 && c[channel] > 2 * c[(channel + 2) % 3] + 20;
        }
    return n;
}

struct Info : ::testing::Test {
    void SetUp() override { vt::Start(); }
};

TEST_F(Info, FieldsOfTheOpenRecord)
{
    vt::Open(Write("info.atn", 11));
    vt::Menu(MENUBAR_INFO);
    ASSERT_GT(infopnl, 0);
    EXPECT_TRUE(rt::test::IsDisplayed(infopnl));
    EXPECT_EQ(Text(infopnl, INFOPNL_EDATE), "03-15-2004 / 10:20:30");
    EXPECT_EQ(Text(infopnl, INFOPNL_HDATE), "03-16-2004 / 11:00:05");
    EXPECT_EQ(Num(infopnl, INFOPNL_EATTN), 10.0);
    EXPECT_EQ(Num(infopnl, INFOPNL_HATTN), 20.5);
    EXPECT_EQ(Text(infopnl, INFOPNL_PERSON), "Park");
    EXPECT_EQ(Text(infopnl, INFOPNL_DESCRIPT).rfind("first line\nsecond line", 0), 0u);
    EXPECT_EQ(Text(infopnl, INFOPNL_ANTNAME), "Helical (10 GHz)");
    EXPECT_EQ(Text(infopnl, INFOPNL_ANTDESCRIPT), AntDescript[11]);
}

TEST_F(Info, TypesWithoutAnEntryAreNotSpecified)
{
    for (int type : {-1, 16, -7}) {
        vt::Open(Write("t" + std::to_string(type) + ".atn", type));
        vt::Menu(MENUBAR_INFO);
        EXPECT_EQ(Text(infopnl, INFOPNL_ANTNAME), "It is not specified.") << type;
        EXPECT_EQ(Text(infopnl, INFOPNL_ANTDESCRIPT), "") << type;
        EXPECT_EQ(Text(infopnl, INFOPNL_PERSON), "Park");
    }
}

TEST_F(Info, EachCommandOpensAFreshPanelAlsoWithoutAPattern)
{
    // Without a pattern the command opens the panel unfilled.
    EXPECT_FALSE(vt::ItemDimmed(MENUBAR_INFO));
    vt::Menu(MENUBAR_INFO);
    const int first = infopnl;
    EXPECT_TRUE(rt::test::IsDisplayed(first));
    EXPECT_EQ(Text(first, INFOPNL_EDATE), "");
    EXPECT_EQ(Text(first, INFOPNL_PERSON), "");
    vt::Open(Write("i.atn", 2));
    vt::Menu(MENUBAR_INFO);
    EXPECT_NE(infopnl, first);
    EXPECT_EQ(Text(first, INFOPNL_PERSON), "") << "the old copy is not refreshed";
    rt::test::PressButton(infopnl, INFOPNL_CLOSE);
    EXPECT_FALSE(rt::test::IsDisplayed(infopnl));
    EXPECT_TRUE(rt::test::IsDisplayed(first));
}

struct Printing : ::testing::Test {
    QTemporaryDir dir;
    void SetUp() override
    {
        vt::Start();
        vt::Open(Write("p.atn", 0));
    }
    // Prints through the menu and returns the first page of the PDF.
    QImage Print(int item, const char *name)
    {
        const QString pdf = dir.filePath(name);
        rt::test::SetPrinterFile(pdf.toStdString());
        vt::Menu(item);
        QImage page = rt::test::PdfFirstPage(pdf, 60);
        return page;
    }
};

TEST_F(Printing, EachViewPrintsItsGraph)
{
    // Polar view: red and blue curves on paper.
    QImage page = Print(MENUBAR_GRAPHICPRINT, "polar.pdf");
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(Hue(page, 0), 20);
    EXPECT_GT(Hue(page, 2), 20);
    ASSERT_EQ(rt::test::PrintJobs().size(), 1u);
    EXPECT_EQ(rt::test::PrintJobs()[0].control, ANTENNALAB_POLAR);
    EXPECT_EQ(rt::test::PrintJobs()[0].interactive, 1);

    vt::Menu(MENUBAR_CARTESIAN);
    page = Print(MENUBAR_GRAPHICPRINT, "cartesian.pdf");
    EXPECT_GT(Hue(page, 0), 20);
    EXPECT_EQ(rt::test::PrintJobs().back().control, ANTENNALAB_CARTESIAN);

    // 3D view without OpenGL: the canvas's notice is what is printed, not
    // an empty canvas.
    vt::Menu(MENUBAR_3D);
    page = Print(MENUBAR_GRAPHICPRINT, "3d.pdf");
    EXPECT_GT(rt::test::InkShare(page), 0.002);
    EXPECT_EQ(rt::test::PrintJobs().back().control, ANTENNALAB_CANVAS3D);
}

TEST_F(Printing, FullPrintPrintsTheWholePanel)
{
    const QImage page = Print(MENUBAR_FULLPRINT, "full.pdf");
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(rt::test::InkShare(page), 0.05);
    EXPECT_GT(Hue(page, 0), 20);
    ASSERT_EQ(rt::test::PrintJobs().size(), 1u);
    EXPECT_EQ(rt::test::PrintJobs()[0].panel, antennalab);
    EXPECT_EQ(rt::test::PrintJobs()[0].control, 0);
}

}  // namespace

// ---- Text of older files ----------------------------------------------------------

#include <QComboBox>

#include "codepage.h"
#include "pattern_text.h"

namespace {

// A file as an older PC wrote it: person and description in a legacy code
// page, byte for byte.
std::string WriteLegacy(const std::string &name, const std::string &person,
                        const std::string &descript)
{
    const auto planes = vt::MakePlanes([](int a) { return vt::Lobe(a, 0, 0, 0.3); },
                                       [](int a) { return vt::Lobe(a, 90, -2, 0.2); });
    return vt::WriteAtn(name, planes, person, descript);
}

struct OldText : ::testing::Test {
    void SetUp() override { vt::Start(); }
};

struct TextCase {
    std::string person, descript;
    int pageIndex;  // -1: the default
    std::string shownPerson, shownDescript;
    const char *name;
};

class OldTextShown : public OldText, public ::testing::WithParamInterface<TextCase> {};

TEST_P(OldTextShown, InTheInformationPanelAndSavedBackUnchanged)
{
    const TextCase &c = GetParam();
    const std::string path = WriteLegacy("old.atn", c.person, c.descript);
    const std::string before = vt::ReadBytes(path);
    if (c.pageIndex >= 0) {
        vt::Menu(MENUBAR_CODEPAGE);
        ASSERT_GT(codepnl, 0);
        SetCtrlAttribute(codepnl, CODEPNL_PAGE, RT_ATTR_CTRL_INDEX, c.pageIndex);
        rt::test::PressButton(codepnl, CODEPNL_APPLY);
        EXPECT_EQ(codepnl, 0);
    }
    vt::Open(path);
    vt::Menu(MENUBAR_INFO);
    ASSERT_GT(infopnl, 0);
    EXPECT_EQ(Text(infopnl, INFOPNL_PERSON), c.shownPerson);
    EXPECT_EQ(Text(infopnl, INFOPNL_DESCRIPT), c.shownDescript);
    // The record keeps the file's bytes: an untouched save writes them back,
    // a person line longer than the 20 bytes shown included.
    vt::Menu(MENUBAR_SAVE);
    EXPECT_EQ(vt::ReadBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OldTextShown,
    ::testing::Values(TextCase{"M\xfcller",
                               "Gr\xfc\xdf"
                               "e aus K\xf6ln\n",
                               -1, "M\xc3\xbcller",
                               "Gr\xc3\xbc\xc3\x9f"
                               "e aus K\xc3\xb6ln\n",
                               "Windows1252ByDefault"},
                      TextCase{"M\xc3\xbcller", "\xc3\xa9t\xc3\xa9\n", -1, "M\xc3\xbcller",
                               "\xc3\xa9t\xc3\xa9\n", "Utf8AsItIs"},
                      TextCase{"\xc8\xe2\xe0\xed\xee\xe2", "\xd0\xe0\xe4\xe8\xee\n", 2,
                               "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd\xd0\xbe\xd0\xb2",
                               "\xd0\xa0\xd0\xb0\xd0\xb4\xd0\xb8\xd0\xbe\n", "Cyrillic"},
                      // A UTF-8 name longer than the 20 bytes kept, cut inside "ö".
                      TextCase{"Hans-Peter Gr\xc3\xbcn, J\xc3\xb6rg", "", -1,
                               "Hans-Peter Gr\xc3\xbcn, J", "", "Utf8CutInsideACharacter"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(OldText, EditedPlanesKeepTheTextBytes)
{
    const std::string path = WriteLegacy("rot.atn", "M\xfcller",
                                         "Stra\xdf"
                                         "e\n");
    vt::Open(path);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    vt::Menu(MENUBAR_SAVE);
    const std::string after = vt::ReadBytes(path);
    EXPECT_EQ(after.find("0 10.000000 0.000000 1\nM\xfcller\nStra\xdf"
                         "e\n03-15-2004\n"),
              0u);
}

TEST_F(OldText, TheCodePageChoiceIsKeptAndOffered)
{
    EXPECT_EQ(ViewerCodePage(), "WINDOWS-1252");
    vt::Menu(MENUBAR_CODEPAGE);
    ASSERT_GT(codepnl, 0);
    // The ring lists the code pages the decoder offers, in its order.
    auto *ring = qobject_cast<QComboBox *>(rt::test::CtrlWidget(codepnl, CODEPNL_PAGE));
    ASSERT_NE(ring, nullptr);
    const auto &pages = LegacyCodePages();
    ASSERT_EQ(ring->count(), int(pages.size()));
    for (int i = 0; i < ring->count(); ++i)
        EXPECT_EQ(ring->itemText(i).toStdString(), pages[std::size_t(i)].label);
    EXPECT_EQ(ring->currentIndex(), 0);
    SetCtrlAttribute(codepnl, CODEPNL_PAGE, RT_ATTR_CTRL_INDEX, 1);
    rt::test::PressButton(codepnl, CODEPNL_APPLY);
    EXPECT_EQ(ViewerCodePage(), "WINDOWS-1250");
    EXPECT_EQ(GetUserSettingText("antenna", "text/codePage", ""), "WINDOWS-1250");
    // Close leaves the choice; the panel opens on the choice in force.
    vt::Menu(MENUBAR_CODEPAGE);
    ring = qobject_cast<QComboBox *>(rt::test::CtrlWidget(codepnl, CODEPNL_PAGE));
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->currentIndex(), 1);
    SetCtrlAttribute(codepnl, CODEPNL_PAGE, RT_ATTR_CTRL_INDEX, 3);
    rt::test::PressButton(codepnl, CODEPNL_CLOSE);
    EXPECT_EQ(ViewerCodePage(), "WINDOWS-1250");
    // A kept name that is no longer offered falls back on the default.
    SetUserSettingText("antenna", "text/codePage", "EBCDIC-US");
    EXPECT_EQ(ViewerCodePage(), "WINDOWS-1252");
}

}  // namespace
