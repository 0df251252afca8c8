// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Gain by comparison... with its uncertainty, driven through the
// panel: the statement and budget for two files worked out by hand, the
// repeatability term from repeats and several reference files, the
// settings (kept, and refused when they are no uncertainty), the far-field
// term from the checks panel's distance and the flag far from the model.
#include <cmath>

#include "checks_view.h"
#include "message.h"
#include "theory.h"
#include "theory_view.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

std::string Text(int ctrl)
{
    char buf[8000] = "";
    GetCtrlVal(gainpnl, ctrl, buf);
    return buf;
}

// The budget's row of a component.
std::string Row(const std::string &component)
{
    const std::string t = Text(GAINPNL_BUDGET);
    const size_t at = t.find("\n" + component + " ");
    if (at == std::string::npos)
        return "(no row " + component + ")";
    return t.substr(at + 1, t.find('\n', at + 1) - at - 1);
}

// The row's standard uncertainty and whether it is counted, as "0.50 yes".
std::string Counted(const std::string &component)
{
    std::istringstream in(Row(component).substr(component.size()));
    std::string u, counted;
    in >> u >> counted;
    return u + " " + counted;
}

// A beam whose top is a parabola in dB, its peak on a sample: the fitted
// peak is the top level itself and the plane has no noise.
double Beam(int a, int at, double top, double width)
{
    double d = std::abs(a - at) % 360;
    d = std::min(d, 360 - d);
    return std::max(-30.0, top - 12.0 * (d / width) * (d / width));
}

std::string Write(const std::string &name, int type, double eTop, double hTop, int at = 0,
                  double attn = 10)
{
    const Planes p = MakePlanes([=](int a) { return Beam(a, at, eTop, 30); },
                                [=](int a) { return Beam(a, at, hTop, 40); });
    const std::string path = (TempDir() / name).string();
    PatternBuilder d;
    d.type(type).attn(attn, attn).viewerText("Kim", "");
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(p.e).h(p.h);
    EXPECT_TRUE(d.write(path).ok);
    return path;
}

constexpr int kHorn = 12, kPatch = 13;  // both closed-form models: no nec2c needed

void AddReference(const std::string &path)
{
    rt::test::ChooseFile(path);
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
}

void AddRepeat(const std::string &path)
{
    rt::test::ChooseFile(path);
    rt::test::PressButton(gainpnl, GAINPNL_REPADD);
}

int Items(int ring)
{
    int n = -1;
    GetNumListItems(gainpnl, ring, &n);
    return n;
}

}  // namespace

// One file each: the patch 7.43 dB above the horn in E, 6.91 in H, the same
// attenuation. G = 2.15 + (7.43 + 6.91) / 2 = 9.32 dBi. Counted: reference
// gain 0.5, resolution 0.05 / 2 / sqrt(3) in each of two levels = 0.0204,
// mismatch and alignment 0.1 each; noise and peak sampling next to nothing
// for clean beams 30 and 40 degrees wide. u_c = sqrt(0.25 + 0.000417 + 0.02)
// = 0.520, U = 1.04.
TEST(GainPanel, StatesTheGainWithItsBudgetForTwoFiles)
{
    Start();
    Open(Write("patch.atn", kPatch, -20 + 7.43, -21 + 6.91, 25));
    Menu(MENUBAR_GAIN);
    EXPECT_EQ(Text(GAINPNL_RESULT), "Choose a reference file.");
    EXPECT_EQ(Text(GAINPNL_BUDGET), "");
    AddReference(Write("horn.atn", kHorn, -20, -21));
    EXPECT_NE(Row("Reference antenna gain").find("its textbook model's gain"), std::string::npos);
    rt::test::CommitValue(gainpnl, GAINPNL_REFGAIN, 2.15);
    EXPECT_EQ(Text(GAINPNL_RESULT), "G = 9.3 ± 1.0 dBi (k = 2)");
    EXPECT_EQ(Text(GAINPNL_E), "9.58 dBi");
    EXPECT_EQ(Text(GAINPNL_H), "9.06 dBi");
    EXPECT_EQ(Text(GAINPNL_UC), "0.52 dB");
    EXPECT_EQ(Text(GAINPNL_U), "1.04 dB (k = 2)");
    EXPECT_EQ(Counted("Reference antenna gain"), "0.50 yes");
    EXPECT_NE(Row("Reference antenna gain").find("the gain given for it"), std::string::npos);
    EXPECT_EQ(Counted("Level resolution"), "0.02 yes");
    EXPECT_EQ(Counted("Mismatch"), "0.10 yes");
    EXPECT_EQ(Counted("Alignment"), "0.10 yes");
    EXPECT_EQ(Counted("Peak sampling"), "0.00 yes");
    EXPECT_EQ(Counted("Noise"), "0.00 yes");
    // Not counted, each with its reason.
    EXPECT_EQ(Counted("Repeatability (Type A)"), "- no");
    EXPECT_NE(Row("Repeatability (Type A)").find("not counted: one file each"), std::string::npos);
    EXPECT_EQ(Counted("Attenuator setting"), "- no");
    EXPECT_NE(Row("Attenuator setting").find("the same attenuation in both"), std::string::npos);
    EXPECT_NE(Row("Far field").find("no range distance given"), std::string::npos);
    EXPECT_NE(Text(GAINPNL_BUDGET).find("Expanded uncertainty U = k u_c: 1.04 dB (k = 2)"),
              std::string::npos);

    // The same patch measured with another attenuation: its setting counts.
    Open(Write("patch0.atn", kPatch, -20 + 7.43, -21 + 6.91, 25, 0));
    EXPECT_EQ(Counted("Attenuator setting"), "0.25 yes");
    EXPECT_EQ(Text(GAINPNL_UC), "0.58 dB");  // sqrt(0.2704 + 0.0625)
    EXPECT_EQ(rt::test::PopupLog().find("message:"), std::string::npos) << rt::test::PopupLog();
}

// Antenna files 5.0 and 5.2 dB above the reference's first, reference files
// 0 and 0.1 dB: the standard deviations of the means are 0.1 and 0.05, so
// Type A = sqrt(0.01 + 0.0025) = 0.11.
TEST(GainPanel, RepeatsAndSeveralReferenceFilesGiveTheTypeATerm)
{
    Start();
    Open(Write("a1.atn", kHorn, -15.0, -16.0));
    Menu(MENUBAR_GAIN);
    AddReference(Write("r1.atn", kHorn, -20.0, -21.0));
    AddReference(Write("r2.atn", kHorn, -19.9, -20.9));
    AddRepeat(Write("a2.atn", kHorn, -14.8, -15.8));
    EXPECT_EQ(Items(GAINPNL_REPEATS), 1);
    EXPECT_EQ(Items(GAINPNL_REFFILE), 2);
    EXPECT_EQ(Counted("Repeatability (Type A)"), "0.11 yes");
    EXPECT_NE(Row("Repeatability (Type A)").find("of 2 antenna and 2 reference files"),
              std::string::npos);
    const double model = TheoryModelOf(kHorn).gainDbi;  // the reference's gain by default
    EXPECT_EQ(Text(GAINPNL_RESULT), "G = " + Fixed(model + 5.05, 1) + " ± 1.1 dBi (k = 2)");
    EXPECT_EQ(Text(GAINPNL_UC), "0.53 dB");  // sqrt(0.0125 + 0.25 + 0.0004 + 0.02)

    // What does not belong is refused, with the reason.
    for (const std::string &bad : {TempDir().string() + "/a2.atn", std::string(filepathname),
                                   Write("patch.atn", kPatch, -15.0, -16.0)}) {
        rt::test::ChooseFile(bad);
        rt::test::AcknowledgeMessage();
        rt::test::PressButton(gainpnl, GAINPNL_REPADD);
    }
    rt::test::ChooseFile(Write("patchref.atn", kPatch, -20.0, -21.0));
    rt::test::AcknowledgeMessage();
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
    EXPECT_EQ(Items(GAINPNL_REPEATS), 1);
    EXPECT_EQ(Items(GAINPNL_REFFILE), 2);
    const std::string log = rt::test::PopupLog();
    for (const char *why :
         {"a2.atn is in the list already.", "is the open pattern itself",
          "patch.atn is a pattern of Rectangular Patch", "the other files of Horn (10 GHz)"})
        EXPECT_NE(log.find(why), std::string::npos) << why << "\n" << log;

    // A plane deleted from view is left out of every file, so that each
    // plane is only compared with itself: the gain stays.
    const std::string both = Text(GAINPNL_RESULT);
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(Text(GAINPNL_E), "hidden");
    EXPECT_EQ(Text(GAINPNL_RESULT), both);
    Menu(MENUBAR_EDATA);

    // Without the repeat only the reference files spread; without the
    // second reference nothing does.
    rt::test::PressButton(gainpnl, GAINPNL_REPREMOVE);
    EXPECT_EQ(Items(GAINPNL_REPEATS), 0);
    EXPECT_EQ(Counted("Repeatability (Type A)"), "0.05 yes");
    EXPECT_NE(Row("Repeatability (Type A)").find("of 1 antenna and 2 reference files"),
              std::string::npos);
    SetCtrlAttribute(gainpnl, GAINPNL_REFFILE, RT_ATTR_CTRL_INDEX, 1);
    rt::test::PressButton(gainpnl, GAINPNL_REFREMOVE);
    EXPECT_EQ(Counted("Repeatability (Type A)"), "- no");

    // Repeats belong to the pattern that was open; the reference stays.
    AddRepeat(Write("a3.atn", kHorn, -15.1, -16.1));
    EXPECT_EQ(Items(GAINPNL_REPEATS), 1);
    rt::test::AnswerConfirm(0);  // deleting E from view changed the pattern
    Open(Write("other.atn", kHorn, -10.0, -11.0));
    EXPECT_EQ(Items(GAINPNL_REPEATS), 0);
    EXPECT_EQ(Items(GAINPNL_REFFILE), 1);
    EXPECT_EQ(Text(GAINPNL_REFTYPE), "Horn (10 GHz)");
}

TEST(GainPanel, SettingsAreKeptAndBadOnesRefused)
{
    Start();
    Open(Write("patch.atn", kPatch, -13.0, -14.0, 25));
    Menu(MENUBAR_GAIN);
    AddReference(Write("horn.atn", kHorn, -20, -21));
    EXPECT_EQ(Text(GAINPNL_U_REFGAIN), "0.5");
    EXPECT_EQ(Text(GAINPNL_U_ATTN), "0.25");
    EXPECT_EQ(Text(GAINPNL_U_MISMATCH), "0.1");
    EXPECT_EQ(Text(GAINPNL_U_ALIGN), "0.1");
    rt::test::CommitText(gainpnl, GAINPNL_U_REFGAIN, "0.3");
    EXPECT_EQ(Text(GAINPNL_UC), "0.33 dB");  // sqrt(0.09 + 0.0004 + 0.02)
    EXPECT_EQ(Counted("Reference antenna gain"), "0.30 yes");
    EXPECT_EQ(GetUserSettingText("antenna", "gain/uReferenceGain", ""), "0.3");
    rt::test::CommitText(gainpnl, GAINPNL_U_MISMATCH, "0");
    EXPECT_EQ(Counted("Mismatch"), "0.00 yes");
    EXPECT_EQ(Text(GAINPNL_UC), "0.32 dB");  // sqrt(0.09 + 0.0004 + 0.01)
    for (const char *bad : {"-0.1", "x", "0.2 dB", "nan"}) {
        rt::test::AcknowledgeMessage();
        rt::test::CommitText(gainpnl, GAINPNL_U_REFGAIN, bad);
        EXPECT_EQ(Text(GAINPNL_U_REFGAIN), "0.3") << bad;
        EXPECT_EQ(GetUserSettingText("antenna", "gain/uReferenceGain", ""), "0.3") << bad;
    }
    const std::string log = rt::test::PopupLog();
    EXPECT_NE(log.find("message:Gain by comparison|A standard uncertainty cannot be below 0 dB; "
                       "\"-0.1\" is."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("The standard uncertainty \"x\" is not a number of decibels."),
              std::string::npos);
    // Empty: the default again.
    rt::test::CommitText(gainpnl, GAINPNL_U_REFGAIN, "");
    EXPECT_EQ(Text(GAINPNL_U_REFGAIN), "0.5");
    EXPECT_EQ(GetUserSettingText("antenna", "gain/uReferenceGain", "(none)"), "");
    EXPECT_EQ(Changed, 0);  // settings touch no pattern
}

TEST(GainPanel, TheFarFieldTermComesFromTheChecksDistance)
{
    Start();
    Open(Write("horn2.atn", kHorn, -13.0, -14.0));
    Menu(MENUBAR_GAIN);
    AddReference(Write("horn.atn", kHorn, -20, -21));
    const std::string without = Text(GAINPNL_UC);
    EXPECT_EQ(Text(GAINPNL_DISTANCE), "not set (Measure > Checks...)");
    Menu(MENUBAR_CHECKS);
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "3");
    EXPECT_EQ(Text(GAINPNL_DISTANCE), "3 m (set in Measure > Checks...)");
    EXPECT_NE(Row("Far field").find("both antennas in the far field"), std::string::npos);
    EXPECT_EQ(Text(GAINPNL_UC), without);
    // Closer than 2D^2/lambda (1.2 m for the 10 GHz horn): the phase error.
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "0.6");
    EXPECT_NE(Row("Far field").find("phase error across the aperture"), std::string::npos);
    EXPECT_NE(Row("Far field").find(" yes "), std::string::npos);
    EXPECT_GT(std::stod(Text(GAINPNL_UC)), std::stod(without));
    EXPECT_EQ(Text(GAINPNL_FLAG).find("outside the method"), std::string::npos);
    // So close that the comparison measures no far-field gain at all.
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "0.1");
    EXPECT_NE(Row("Far field").find("the result is outside it"), std::string::npos);
    EXPECT_NE(Text(GAINPNL_FLAG).find("outside the method"), std::string::npos);
}

TEST(GainPanel, AGainFarFromTheModelIsFlagged)
{
    Start();
    Open(Write("patch.atn", kPatch, -13.0, -14.0, 25));  // 7 dB above the reference
    Menu(MENUBAR_GAIN);
    AddReference(Write("horn.atn", kHorn, -20, -21));
    const double model = TheoryModelOf(kPatch).gainDbi;
    rt::test::CommitValue(gainpnl, GAINPNL_REFGAIN, model - 7 + 2.9);
    EXPECT_EQ(Text(GAINPNL_FLAG), "");
    rt::test::CommitValue(gainpnl, GAINPNL_REFGAIN, model - 7 - 3.1);
    EXPECT_EQ(Text(GAINPNL_FLAG), "More than 3 dB from the textbook model's gain of its type ("
                                      + Fixed(model, 2) + " dBi): check the set-up.");
}
