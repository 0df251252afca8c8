// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Checks..., driven through the menus: the five checks of the open
// pattern and their verdicts, the range distance setting (kept, and refused
// when it is no distance), and the panel following open, close, rotation
// and hiding a plane.
#include "checks_view.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

std::string Text(int ctrl)
{
    char buf[8000] = "";
    GetCtrlVal(checkpnl, ctrl, buf);
    return buf;
}

std::string Kept()
{
    return GetUserSettingText("antenna", "checks/rangeDistance", "(none)");
}

// A beam whose top is a parabola in dB: -3 dB at width / 2 from its peak.
double Beam(int a, int at, double top, double width)
{
    double d = std::abs(a - at) % 360;
    d = std::min(d, 360 - d);
    return std::max(-30.0, top - 12.0 * (d / width) * (d / width));
}

std::string WriteTyped(const std::string &name, int type, const Planes &p)
{
    const std::string path = (TempDir() / name).string();
    PatternBuilder d;
    d.type(type).attn(10, 10).viewerText("Kim", "");
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(p.e).h(p.h);
    EXPECT_TRUE(d.write(path).ok);
    return path;
}

// A horn (type 12, 10 GHz) with its beam at 90 degrees, 5 dB above the
// floor's 20 dB wanted in E and only 15 dB in H.
std::string Horn(const char *name = "horn.atn", double hTop = -15.0)
{
    return WriteTyped(name, 12,
                      MakePlanes([](int a) { return Beam(a, 90, -5.0, 30); },
                                 [=](int a) { return Beam(a, 90, hTop, 40); }));
}

const int kVerdicts[] = {CHECKPNL_DYNAMIC, CHECKPNL_FLOOR, CHECKPNL_NOISE, CHECKPNL_BORESIGHT,
                         CHECKPNL_FARFIELD};

}  // namespace

TEST(ChecksPanel, ShowsEachCheckWithItsVerdictAndFindings)
{
    Start();
    Menu(MENUBAR_CHECKS);
    ASSERT_GT(checkpnl, 0);
    EXPECT_TRUE(rt::test::IsDisplayed(checkpnl));
    EXPECT_EQ(Text(CHECKPNL_FINDINGS), "No pattern is open.");
    for (int c : kVerdicts)
        EXPECT_EQ(Text(c), "");

    Open(Horn());
    EXPECT_EQ(Text(CHECKPNL_FILE), "horn.atn");
    // The H plane peaks at -15 dB, 15 dB above the floor; E at -5 dB.
    EXPECT_EQ(Text(CHECKPNL_DYNAMIC), "warning");
    EXPECT_EQ(Text(CHECKPNL_NOISE), "pass");
    // 10 dB between the planes' peaks: misaligned, or the wrong polarisation.
    EXPECT_EQ(Text(CHECKPNL_BORESIGHT), "warning");
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "not made");  // no distance yet
    EXPECT_EQ(Text(CHECKPNL_OVERALL), "warning: 2 of the 5 checks warn");
    const std::string f = Text(CHECKPNL_FINDINGS);
    for (const char *s : {"Dynamic range: warning\n", "Figures on the floor: pass\n",
                          "Noise: pass\n", "The planes at boresight: warning\n",
                          "Far field: not made\n    Not made: no range distance was given.",
                          "H plane: peak -15.0 dB, only 15.0 dB above the -30 dB floor",
                          "E peak -5.0 dB and H peak -15.0 dB differ by 10.0 dB"})
        EXPECT_NE(f.find(s), std::string::npos) << s << "\n" << f;
    rt::test::PressButton(checkpnl, CHECKPNL_CLOSE);
    EXPECT_EQ(checkpnl, 0);
}

// The far-field rule on the antenna table's sizes: a 10 GHz horn needs
// 2D^2/lambda, more than a metre; a 500 MHz dipole is far enough at 3 m but
// in its reactive near field at 0.3 m.
TEST(ChecksPanel, TheRangeDistanceMakesTheFarFieldCheck)
{
    Start();
    Open(Horn("horn.atn", -6.0));
    Menu(MENUBAR_CHECKS);
    EXPECT_EQ(Text(CHECKPNL_OVERALL), "pass: every check made passes; 1 not made");
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "0.3");
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "warning");
    EXPECT_EQ(Text(CHECKPNL_OVERALL), "warning: 1 of the 5 checks warn");
    EXPECT_NE(Text(CHECKPNL_FINDINGS).find("R = 0.300 m; 2D²/λ = "), std::string::npos);
    EXPECT_NE(Text(CHECKPNL_FINDINGS).find("R is below 2D²/λ"), std::string::npos);
    EXPECT_EQ(Kept(), "0.3");
    // Typed and set with the button, the same.
    SetCtrlVal(checkpnl, CHECKPNL_DISTANCE, " 3 ");
    rt::test::PressButton(checkpnl, CHECKPNL_SETDISTANCE);
    EXPECT_EQ(Text(CHECKPNL_DISTANCE), "3");
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "pass");
    EXPECT_EQ(Text(CHECKPNL_OVERALL), "pass: all 5 checks pass");
    EXPECT_EQ(Kept(), "3");

    Open(WriteTyped("dipole.atn", 0,
                    MakePlanes([](int a) { return Beam(a, 90, -5.0, 78); },
                               [](int a) { return Beam(a, 90, -5.5, 200); })));
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "pass");  // the distance stays for the next pattern
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "0.3");
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "warning");
    EXPECT_NE(Text(CHECKPNL_FINDINGS).find("R is below 1.6λ"), std::string::npos);
    // An empty field: not set, the check not made.
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "");
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "not made");
    EXPECT_EQ(Kept(), "");
    EXPECT_EQ(rt::test::PopupLog().find("message:"), std::string::npos) << rt::test::PopupLog();
}

TEST(ChecksPanel, ABadDistanceIsRefusedAndNothingIsSaved)
{
    Start();
    const std::string path = Horn();
    const std::string before = ReadBytes(path);
    Open(path);
    Menu(MENUBAR_CHECKS);
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "2.5");
    for (const char *bad : {"-2", "0", "abc", "3 m", "1,5", "nan", "inf"}) {
        rt::test::AcknowledgeMessage();
        rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, bad);
        EXPECT_EQ(rt::test::PendingAnswers(), 0) << bad << ": no message";
        EXPECT_EQ(Text(CHECKPNL_DISTANCE), "2.5") << bad;
        EXPECT_EQ(Kept(), "2.5") << bad;
        EXPECT_EQ(Text(CHECKPNL_FARFIELD), "pass") << bad;
    }
    const std::string log = rt::test::PopupLog();
    EXPECT_NE(log.find("message:Checks|The range distance must be more than 0 m; \"-2\" is not."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("message:Checks|The range distance \"abc\" is not a number of metres."),
              std::string::npos)
        << log;
    // No setting touches the pattern: it is unchanged and asks for no save.
    EXPECT_EQ(Changed, 0);
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Text(CHECKPNL_FINDINGS), "No pattern is open.");
    EXPECT_EQ(Text(CHECKPNL_DISTANCE), "2.5");
}

// A distance spoilt in the settings file by hand counts as none.
TEST(ChecksPanel, ASpoiltSettingIsNoDistance)
{
    SetUserSettingText("antenna", "checks/rangeDistance", "-7");
    Start();
    EXPECT_FALSE(RangeDistance());
    Open(Horn());
    Menu(MENUBAR_CHECKS);
    EXPECT_EQ(Text(CHECKPNL_DISTANCE), "");
    EXPECT_EQ(Text(CHECKPNL_FARFIELD), "not made");
}

TEST(ChecksPanel, FollowsRotationHidingAndClose)
{
    Start();
    Open(Horn("horn.atn", -6.0));
    Menu(MENUBAR_CHECKS);
    // E reaches the floor 44 degrees either side of its peak at 90: those
    // nulls are bounds, and turning E by 10 degrees moves them.
    EXPECT_NE(Text(CHECKPNL_FINDINGS).find("E plane: the null at 46 deg is on the floor"),
              std::string::npos)
        << Text(CHECKPNL_FINDINGS);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    EXPECT_NE(Text(CHECKPNL_FINDINGS).find("E plane: the null at 56 deg is on the floor"),
              std::string::npos)
        << Text(CHECKPNL_FINDINGS);
    Menu(MENUBAR_HDATA);  // H deleted from view: left out of the checks
    EXPECT_EQ(Text(CHECKPNL_BORESIGHT), "not made");
    EXPECT_EQ(Text(CHECKPNL_FINDINGS).find("H plane:"), std::string::npos);
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(Text(CHECKPNL_DYNAMIC), "not made");
    Menu(MENUBAR_HDATA);
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(Text(CHECKPNL_BORESIGHT), "pass");
    rt::test::AnswerConfirm(0);  // the rotation is not saved
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(Text(CHECKPNL_FINDINGS), "No pattern is open.");
    EXPECT_EQ(Text(CHECKPNL_BORESIGHT), "");
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_CHECKS), "Checks...");
}

class ChecksLook : public testing::TestWithParam<bool> {};

// Verdicts in colour on either palette, still readable, and named.
TEST_P(ChecksLook, VerdictsAreReadableAndNamed)
{
    rt::test::UseDarkPalette(GetParam());
    Start();
    Open(Horn());
    Menu(MENUBAR_CHECKS);
    EXPECT_EQ(rt::test::Lines(rt::test::PoorContrast(checkpnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::AccessibleNameFaults(checkpnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::ButtonMnemonicFaults(checkpnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(checkpnl)), "");
    EXPECT_EQ(rt::test::AccessibleValue(checkpnl, CHECKPNL_BORESIGHT), "warning");
}

INSTANTIATE_TEST_SUITE_P(DarkAndLight, ChecksLook, testing::Bool(),
                         [](const auto &info) { return info.param ? "Dark" : "Light"; });
