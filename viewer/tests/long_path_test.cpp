// SPDX-License-Identifier: GPL-3.0-or-later
// Paths as long as the system takes them, through the ways a user gives
// one: the command line, File > Open, Save, Save as, Export, and the marker
// that Measure > Kesto makes in a deep current folder.
#include <QImage>

#include <sys/stat.h>

#include "handoff.h"
#include "msi.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

constexpr std::size_t kLong = 4000;

Planes Sample()
{
    return MakePlanes([](int a) { return Lobe(a, 40, -2.0, 0.25); },
                      [](int a) { return Lobe(a, 300, -4.0, 0.5); });
}

// A pattern file at a path of exactly kLong bytes.
std::string DeepPattern(const std::string &branch, const Planes &p)
{
    const std::string path = rt::test::LongPath(TempDir() / branch, kLong, "deep.atn");
    PatternBuilder d;
    d.type(0).attn(10, 0).viewerText("Kim", "");
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(p.e).h(p.h);
    EXPECT_TRUE(d.write(path).ok);
    EXPECT_EQ(path.size(), kLong);
    return path;
}

void ExpectLevels(const std::string &path, const double *e, const double *h)
{
    PatternRecord rec;
    int lines = 0, emax = 0, hmax = 0;
    ASSERT_TRUE(ReadPatternFile(path, rec, lines, emax, hmax).ok) << path.size();
    for (int i = 0; i < 360; ++i) {
        ASSERT_NEAR(rec.e_data[i], e[i], 1e-6) << i;
        ASSERT_NEAR(rec.h_data[i], h[i], 1e-6) << i;
    }
}

}  // namespace

TEST(LongPath, OpenSaveAndSaveAs)
{
    Start();
    const Planes p = Sample();
    const std::string path = DeepPattern("open", p);
    Open(path);
    ASSERT_TRUE(PatternOpen()) << rt::test::PopupLog().substr(0, 300);
    EXPECT_EQ(std::string(filepathname), path);
    EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 40);
    EXPECT_EQ(Int(ANTENNALAB_HPEAKANGLE), 300);

    // A turned E plane, saved back to the file it came from.
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    double turned[360];
    for (int i = 0; i < 360; ++i)
        turned[i] = p.e[(i + 350) % 360];
    Menu(MENUBAR_SAVE);
    ExpectLevels(path, turned, p.h);

    // Save as to another long path; Save still writes to the opened file.
    const std::string other = rt::test::LongPath(TempDir() / "saveas", kLong, "copy.atn");
    rt::test::ChooseFile(other);
    Menu(MENUBAR_SAVEAS);
    ExpectLevels(other, turned, p.h);
    EXPECT_EQ(std::string(filepathname), path);
    EXPECT_EQ(rt::test::PopupLog(), "file:File Open|\nfile:Save as|\n");
}

TEST(LongPath, ExportPicturesAndTables)
{
    Start();
    const Planes p = Sample();
    Open(DeepPattern("export", p));
    ASSERT_TRUE(PatternOpen());
    const std::string csv = rt::test::LongPath(TempDir() / "csv", kLong, "levels.csv");
    rt::test::ChooseFile(csv);
    Menu(MENUBAR_EXPORT);
    EXPECT_EQ(ReadBytes(csv), FormatCsv(p.e, p.h));
    const std::string png = rt::test::LongPath(TempDir() / "png", kLong, "polar.png");
    rt::test::ChooseFile(png);
    Menu(MENUBAR_EXPORT);
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    // Every question was the file dialogue (with the name it suggests from
    // the open file and the type chosen last): no message about the paths.
    EXPECT_EQ(rt::test::PopupLog(),
              "file:File Open|\nfile:Export|deep.png\nfile:Export|deep.csv\n");
}

TEST(LongPath, CommandLine)
{
    const std::string path = DeepPattern("cli", Sample());
    std::string arg0 = "antenna", arg1 = path;
    char *argv[] = {arg0.data(), arg1.data(), nullptr};
    bool ran = false;
    rt::test::SetRunScript([&] {
        ran = true;
        EXPECT_EQ(std::string(filepathname), path);
        EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 40);
        rt::test::AnswerConfirm(1);
        rt::test::PressButton(antennalab, ANTENNALAB_EXIT);
    });
    EXPECT_EQ(AntennaMain(2, argv), 0);
    EXPECT_TRUE(ran);
    EXPECT_EQ(rt::test::PopupLog(), "confirm:Confirm|Are you want to quit?\n");
}

TEST(LongPath, BeyondTheSystemsLimitIsRefusedWithItsReason)
{
    // The same file named through "./" steps until the path is longer than
    // the system opens: refused with the reason, on the command line and in
    // the open dialogue; what was open stays open.
    const std::string first = DeepPattern("first", Sample());
    const std::size_t slash = first.rfind('/');
    std::string tooLong = first.substr(0, slash);
    while (tooLong.size() < 4200)
        tooLong += "/.";
    tooLong += first.substr(slash);
    std::string arg0 = "antenna", arg1 = tooLong;
    char *argv[] = {arg0.data(), arg1.data(), nullptr};
    rt::test::AcknowledgeMessage();
    rt::test::SetRunScript([&] {
        EXPECT_FALSE(PatternOpen());
        Open(first);
        EXPECT_TRUE(PatternOpen());
        rt::test::ChooseFile(tooLong, RT_EXISTING_FILE_SELECTED);
        rt::test::AcknowledgeMessage();
        Menu(MENUBAR_OPEN);
        EXPECT_EQ(std::string(filepathname), first);
        rt::test::AnswerConfirm(1);
        rt::test::PressButton(antennalab, ANTENNALAB_EXIT);
    });
    EXPECT_EQ(AntennaMain(2, argv), 0);
    const auto &shown = rt::test::Popups();
    ASSERT_EQ(shown.size(), 5u) << rt::test::PopupLog().substr(0, 500);
    EXPECT_EQ(shown[0].kind, "message");
    EXPECT_NE(shown[0].text.find("File name too long"), std::string::npos);
    EXPECT_EQ(shown[3].kind, "message");
    EXPECT_EQ(shown[3].title, "File Open");
    EXPECT_NE(shown[3].text.find("at most 4095 bytes"), std::string::npos) << shown[3].text;
}

TEST(LongPath, KestoMarkerInADeepFolder)
{
    const std::string deep = rt::test::LongPath(TempDir() / "marker", kLong, "work");
    fs::create_directories(deep);
    EXPECT_EQ(CreateHandoffMarker(deep), HandoffCreate::Created);
    EXPECT_EQ(HandoffMarkerExists(deep), 1);
    EXPECT_EQ(ReadBytes(deep + "/kesto.inf"), std::string("kesto\0", 6));
    EXPECT_TRUE(DeleteHandoffMarker(deep));
    EXPECT_EQ(HandoffMarkerExists(deep), 0);
}
