// SPDX-License-Identifier: GPL-3.0-or-later
// The antenna library tables and pictures, the picture panel, the About box,
// the help command and launching the measurement program.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>

#include <set>
#include <sys/stat.h>

#include "handoff.h"
#include "info.h"
#include "launch.h"
#include "library.h"
#include "viewer_fixture.h"

namespace {

std::string AtnOfType(const std::string &name, int type)
{
    const auto planes = vt::MakePlanes([](int) { return -3.0; }, [](int) { return -6.0; });
    const std::string path = (vt::TempDir() / name).string();
    PatternBuilder d;
    d.type(type).viewerText("Lee", "bench test\n");
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:20:30").e(planes.e).h(planes.h);
    EXPECT_TRUE(d.write(path).ok);
    return path;
}

TEST(Library, TextsAndPictureNames)
{
    EXPECT_STREQ(AntName[0], "Dipole (500 MHz)");
    EXPECT_STREQ(AntName[14], "MicroStrip Planar Array (Rectangular, 10 GHz)");
    EXPECT_STREQ(
        AntDescript[5],
        "It is made up of \xCE\xBB/4 length vertically from\na central lead of a coaxial cable.\n"
        "(1)Bandwidth = 12:1\n(2)Gain = 2.5\n(3)Polarization = Line");
    EXPECT_STREQ(AntDescript[7],
                 "It is smaller size than \xCE\xBB/2or \xCE\xBB/2 has dual\nrelation to a "
                 "infinitesimal dipole antenna.\n(1)Bandwidth=11:1\n(2)Gain = 2\n"
                 "(3)Polarization = Line");
    EXPECT_STREQ(AntDescript[10],
                 "It can be used in wide band because can\nreplace the change of physical "
                 "size to the\nchange of rotating angle.\n(1)Bandwidth = 20:1\n(2)Gain = ");
    // Identical descriptions come in the designed groups.
    for (auto [a, b] : {std::pair{0, 1}, {3, 4}, {6, 7}, {6, 8}, {13, 14}, {13, 15}})
        EXPECT_STREQ(AntDescript[a], AntDescript[b]) << a << " and " << b;
    EXPECT_STRNE(AntDescript[1], AntDescript[2]);
    const struct {
        int type;
        const char *file;
    } pics[] = {{0, "Dipole5.bmp"}, {5, "Drooping.bmp"}, {10, "Spirla.bmp"},
                {13, "Patch.bmp"},  {14, "Patch.bmp"},   {15, "Drooping.bmp"}};
    for (const auto &p : pics)
        EXPECT_STREQ(AntPictureOf(p.type), p.file) << p.type;
    for (int bad : {-1, -2, 16, 255, 1 << 30}) {
        EXPECT_EQ(AntNameOf(bad), nullptr) << bad;
        EXPECT_EQ(AntDescriptOf(bad), nullptr) << bad;
        EXPECT_EQ(AntPictureOf(bad), nullptr) << bad;
    }
}

TEST(Library, EveryPictureIsADrawingBesideTheProgram)
{
    const QDir bin(QCoreApplication::applicationDirPath());
    std::set<std::string> files(AntPicture, AntPicture + ANT_TYPES);
    EXPECT_EQ(files.size(), 14u);
    for (const auto &f : files) {
        const QImage img(bin.filePath(QString::fromStdString(f)));
        ASSERT_FALSE(img.isNull()) << f;
        int ink = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2)
                ink += qGray(img.pixel(x, y)) < 200;
        EXPECT_GT(ink, 300) << f << " is nearly blank";
    }
    EXPECT_TRUE(QFileInfo::exists(bin.filePath(ANTENNA_HELP_FILE)));
}

struct Panels : ::testing::Test {
    void SetUp() override { vt::Start(); }
    int Picture()
    {
        vt::Menu(MENUBAR_INFO);
        EXPECT_GT(infopnl, 0);
        rt::test::PressButton(infopnl, INFOPNL_PICTURE);
        EXPECT_GT(pichandle, 0);
        return pichandle;
    }
    bool ButtonDimmed()
    {
        int v = 0;
        GetCtrlAttribute(infopnl, INFOPNL_PICTURE, RT_ATTR_DIMMED, &v);
        return v != 0;
    }
    QString ImageFile(int pic)
    {
        return rt::test::CtrlWidget(pic, PICPNL_IMAGE)->property("rtImageFile").toString();
    }
    bool HasPixmap(int pic)
    {
        auto *l = qobject_cast<QLabel *>(rt::test::CtrlWidget(pic, PICPNL_IMAGE));
        return l && !l->pixmap().isNull();
    }
};

TEST_F(Panels, TypeFifteenShowsTheDroopingPicture)
{
    vt::Open(AtnOfType("t15.atn", 15));
    const int pic = Picture();
    EXPECT_TRUE(ImageFile(pic).endsWith("Drooping.bmp")) << ImageFile(pic).toStdString();
    EXPECT_TRUE(HasPixmap(pic));
    EXPECT_TRUE(ButtonDimmed()) << "one picture panel at a time";
    rt::test::PressButton(pic, PICPNL_CLOSE);
    EXPECT_FALSE(ButtonDimmed());
    EXPECT_EQ(pichandle, 0);
}

TEST_F(Panels, TypesWithoutAnEntryGiveAnEmptyPicturePanel)
{
    for (int type : {-1, 16, 400}) {
        vt::Open(AtnOfType("t" + std::to_string(type) + ".atn", type));
        const int pic = Picture();
        EXPECT_FALSE(HasPixmap(pic)) << type;
        EXPECT_TRUE(ButtonDimmed()) << type;
        rt::test::ClosePanelWindow(pic);  // the window's close button presses Close
        EXPECT_FALSE(ButtonDimmed()) << type;
        EXPECT_FALSE(rt::test::IsDisplayed(pic));
    }
    // Without a pattern there is no type to look up either.
    vt::Menu(MENUBAR_CLOSE);
    InfoCallback(vt::Bar(), MENUBAR_INFO, nullptr, antennalab);
    rt::test::PressButton(infopnl, INFOPNL_PICTURE);
    ASSERT_GT(pichandle, 0);
    EXPECT_FALSE(HasPixmap(pichandle));
}

TEST_F(Panels, AboutClosesWhenTheMainPanelGetsTheFocus)
{
    EXPECT_EQ(LOGOflag, 0);
    vt::Menu(MENUBAR_ABOUT);
    EXPECT_EQ(LOGOflag, 1);
    const int first = logo;
    EXPECT_TRUE(rt::test::IsDisplayed(first));
    rt::test::ActivatePanel(antennalab);
    EXPECT_EQ(LOGOflag, 0);
    EXPECT_FALSE(rt::test::IsDisplayed(first));
    rt::test::ActivatePanel(antennalab);  // nothing more to close
    vt::Menu(MENUBAR_ABOUT);
    EXPECT_EQ(LOGOflag, 1);
    EXPECT_TRUE(rt::test::IsDisplayed(logo));
    // A second About while one shows leaves one About box, not two.
    const int second = logo;
    vt::Menu(MENUBAR_ABOUT);
    EXPECT_FALSE(rt::test::IsDisplayed(second));
    EXPECT_TRUE(rt::test::IsDisplayed(logo));
    // Its window's close button closes it too, and the next focus on the
    // main panel has nothing left to discard.
    const int third = logo;
    rt::test::ClosePanelWindow(third);
    EXPECT_FALSE(rt::test::IsDisplayed(third));
    EXPECT_EQ(LOGOflag, 0);
    rt::test::ActivatePanel(antennalab);
    EXPECT_EQ(rt::test::LivePanels(), std::vector<int>{antennalab});
}

TEST_F(Panels, HelpOpensOurHelpDocument)
{
    vt::Menu(MENUBAR_HELP);
    ASSERT_EQ(rt::test::HelpCalls().size(), 1u);
    EXPECT_EQ(rt::test::HelpCalls()[0], std::string(ANTENNA_HELP_FILE) + " 3 0");
}

// ---- Launching the measurement program ----------------------------------------

// The viewer's folder is a scratch "bin" folder here, with an installation
// layout beside it: bin/ and share/veloran/.
struct Launch : ::testing::Test {
    std::string dir, progDir, shareDir;
    void SetUp() override
    {
        const auto base = vt::TempDir() / "launch";
        vt::fs::remove_all(base);
        dir = (base / "work").string();
        progDir = (base / "bin").string();
        shareDir = (base / "share" / "veloran").string();
        for (const auto &d : {dir, progDir, shareDir})
            vt::fs::create_directories(d);
        rt::test::SetProgramDir(progDir);
    }
    void TearDown() override { rt::test::SetProgramDir({}); }
    static std::string Program(const std::string &folder, int mode = 0755)
    {
        const std::string exe = folder + "/" + KESTO_PROGRAM;
        std::ofstream(exe) << "#!/bin/sh\n";
        chmod(exe.c_str(), mode);
        return exe;
    }
};

TEST_F(Launch, TwiceWhileRunningStartsOnce)
{
    const std::string exe = Program(progDir);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Started);
    EXPECT_EQ(HandoffMarkerExists(dir), 1);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Blocked);
    ASSERT_EQ(rt::test::Launches().size(), 1u);
    EXPECT_EQ(rt::test::Launches()[0], exe);
    // Once the measurement program has deleted the marker, it starts again.
    DeleteHandoffMarker(dir);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Started);
    EXPECT_EQ(rt::test::Launches().size(), 2u);
}

TEST_F(Launch, AMissingProgramLeavesNoMarkerToBlockTheNextLaunch)
{
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Missing);
    EXPECT_EQ(HandoffMarkerExists(dir), 0);
    const std::string exe = Program(progDir);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Started) << "nothing was left to block it";
    EXPECT_EQ(vt::ReadBytes(dir + "/kesto.inf"), std::string("kesto\0", 6));
    ASSERT_EQ(rt::test::Launches().size(), 1u);
    EXPECT_EQ(rt::test::Launches()[0], exe);
    // A marker left by a program that was started still blocks.
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Blocked);
}

TEST_F(Launch, FoundBesideTheViewerFirstThenInTheInstallation)
{
    const std::string installed = Program(shareDir);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Started);
    EXPECT_EQ(rt::test::Launches().at(0), installed);
    DeleteHandoffMarker(dir);
    const std::string beside = Program(progDir);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Started);
    EXPECT_EQ(rt::test::Launches().at(1), beside);
}

TEST_F(Launch, NonExecutableFileIsNotTheProgram)
{
    Program(progDir, 0644);
    EXPECT_EQ(LaunchKesto(dir), KestoLaunch::Missing);
    EXPECT_TRUE(rt::test::Launches().empty());
    EXPECT_EQ(HandoffMarkerExists(dir), 0);
}

TEST_F(Launch, MenuCommandUsesTheCurrentDirectoryForTheMarkerOnly)
{
    rt::test::SetProgramDir({});  // the panels come from the build tree
    vt::Start();
    rt::test::SetProgramDir(progDir);
    const auto old = vt::fs::current_path();
    vt::fs::current_path(dir);
    std::ofstream("kesto.inf") << "kesto";
    vt::Menu(MENUBAR_KESTO);
    EXPECT_TRUE(rt::test::Launches().empty()) << "a marker in the current directory blocks";
    vt::fs::remove("kesto.inf");
    // A program of that name in the current folder (a downloaded folder,
    // say) is never started.
    // It is said, and no marker is left to block the next launch.
    Program(dir);
    rt::test::ClearPopups();
    rt::test::AcknowledgeMessage();
    vt::Menu(MENUBAR_KESTO);
    EXPECT_EQ(HandoffMarkerExists(""), 0);
    EXPECT_TRUE(rt::test::Launches().empty());
    ASSERT_EQ(rt::test::Popups().size(), 1u);
    EXPECT_EQ(rt::test::Popups()[0].text.rfind(std::string(KESTO_PROGRAM) + " was not started. "
                                                   + RunTimeFileMissing(KESTO_PROGRAM),
                                               0),
              0u)
        << rt::test::Popups()[0].text;
    const std::string exe = Program(progDir);
    vt::Menu(MENUBAR_KESTO);
    ASSERT_EQ(rt::test::Launches().size(), 1u);
    EXPECT_EQ(rt::test::Launches()[0], exe);
    vt::fs::current_path(old);
}

TEST_F(Launch, AMarkerThatCannotBeMadeIsSaidAndNothingStarts)
{
    Program(progDir);
    int error = 0;
    EXPECT_EQ(LaunchKesto(dir + "/no-such-folder", &error), KestoLaunch::NoMarker);
    EXPECT_EQ(error, ENOENT);
    EXPECT_TRUE(rt::test::Launches().empty());
    // From the menu, in a current folder where no file can be made (gone,
    // here, since root may write into a read-only one): one message that
    // names the marker and the reason, and no program started.
    rt::test::SetProgramDir({});
    vt::Start();
    rt::test::SetProgramDir(progDir);
    const auto old = vt::fs::current_path();
    const std::string gone = dir + "/gone";
    vt::fs::create_directories(gone);
    vt::fs::current_path(gone);
    vt::fs::remove(gone);
    rt::test::AcknowledgeMessage();
    vt::Menu(MENUBAR_KESTO);
    vt::fs::current_path(old);
    EXPECT_TRUE(rt::test::Launches().empty());
    ASSERT_EQ(rt::test::Popups().size(), 1u);
    const rt::test::Popup shown = rt::test::Popups()[0];
    EXPECT_EQ(shown.kind, "message");
    EXPECT_EQ(shown.title, "Veloran");
    EXPECT_EQ(shown.text.rfind("Kesto was not started: its marker file \"kesto.inf\" could not be "
                               "made in ",
                               0),
              0u)
        << shown.text;
    EXPECT_NE(shown.text.find(" (No such file or directory)."), std::string::npos) << shown.text;
    // Where it can be made, the command works as before, without a word.
    vt::fs::current_path(dir);
    rt::test::ClearPopups();
    vt::Menu(MENUBAR_KESTO);
    vt::fs::current_path(old);
    EXPECT_EQ(rt::test::Launches().size(), 1u);
    EXPECT_EQ(rt::test::PopupLog(), "");
}

}  // namespace
