// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Textbook pattern... and Measure > Gain by comparison..., driven
// through the menus: the panel's figures, the dashed overlay following
// rotation, hiding, close and open, and the gain from a reference file.
#include <cstdio>
#include <cstdlib>

#include "antenna_pattern.h"
#include "library.h"
#include "theory.h"
#include "theory_view.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

std::string Dbi(double v)
{
    char b[64];
    std::snprintf(b, sizeof b, "%.2f dBi", v);
    return b;
}

std::string Text(int panel, int ctrl)
{
    char buf[512] = "";
    GetCtrlVal(panel, ctrl, buf);
    return buf;
}

// The simulated rig's horn with its main lobe at `boresight`.
Planes RigHorn(int boresight, double peak)
{
    return MakePlanes(
        [=](int a) {
            return rigsim::PatternLevelDb(rigsim::Antenna::Horn, rigsim::Plane::E, a - boresight,
                                          peak);
        },
        [=](int a) {
            return rigsim::PatternLevelDb(rigsim::Antenna::Horn, rigsim::Plane::H, a - boresight,
                                          peak - 1);
        });
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

// The dashed curves of one colour on a graph.
std::vector<rt::PlotItem> Dashed(int ctrl, int color)
{
    std::vector<rt::PlotItem> out;
    for (const rt::PlotItem &it : rt::test::GraphItems(antennalab, ctrl))
        if (it.lineStyle == RT_DASH && it.color == color)
            out.push_back(it);
    return out;
}

// Angle (clockwise from the top) of the point of a polar curve farthest out.
int FarthestAngle(const rt::PlotItem &it)
{
    size_t best = 0;
    for (size_t i = 0; i < it.xs.size(); ++i)
        if (std::hypot(it.xs[i], it.ys[i]) > std::hypot(it.xs[best], it.ys[best]))
            best = i;
    const double a = std::atan2(it.xs[best], it.ys[best]) * 180 / M_PI;
    return WrapAngle(int(std::lround(a)));
}

std::string Snapshot()
{
    std::ostringstream s;
    for (int ctrl : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN})
        for (const rt::PlotItem &it : rt::test::GraphItems(antennalab, ctrl)) {
            s << int(it.kind) << ' ' << it.color << ' ' << it.lineStyle << ' ' << it.thickness;
            for (size_t i = 0; i < it.xs.size(); ++i)
                s << ' ' << it.xs[i] << ',' << it.ys[i];
            s << ' ' << it.text << '\n';
        }
    return s.str();
}

}  // namespace

TEST(TheoryPanel, ShowsTheModelAndTheRotationTheRigUsed)
{
    Start();
    Open(WriteTyped("horn.atn", 12, RigHorn(37, -5)));
    Menu(MENUBAR_THEORY);
    ASSERT_GT(theorypnl, 0);
    EXPECT_TRUE(rt::test::IsDisplayed(theorypnl));
    EXPECT_EQ(Text(theorypnl, THEORYPNL_MODEL), "10 GHz, closed form");
    EXPECT_EQ(Text(theorypnl, THEORYPNL_GAIN), Dbi(TheoryModelOf(12).gainDbi));
    EXPECT_EQ(Text(theorypnl, THEORYPNL_E_ROTATION), "37 deg");
    EXPECT_EQ(Text(theorypnl, THEORYPNL_H_ROTATION), "37 deg");
    EXPECT_NE(Text(theorypnl, THEORYPNL_E_RMS).find(" dB"), std::string::npos);
    int dimmed = 0;  // the type is the record's
    GetCtrlAttribute(theorypnl, THEORYPNL_TYPE, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);

    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);  // E turned: the rotation follows
    EXPECT_EQ(Text(theorypnl, THEORYPNL_E_ROTATION), "47 deg");
    EXPECT_EQ(Text(theorypnl, THEORYPNL_H_ROTATION), "37 deg");

    // A pattern without a type: the user chooses one of the sixteen.
    rt::test::AnswerConfirm(0);
    Open(WriteTyped("none.atn", -1, RigHorn(0, -5)));
    GetCtrlAttribute(theorypnl, THEORYPNL_TYPE, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);
    rt::test::CommitValue(theorypnl, THEORYPNL_TYPE, 13);
    EXPECT_EQ(Text(theorypnl, THEORYPNL_GAIN), Dbi(TheoryModelOf(13).gainDbi));
    char note[2000] = "";
    GetCtrlVal(theorypnl, THEORYPNL_NOTE, note);
    EXPECT_NE(std::string(note).find("cavity model"), std::string::npos) << note;
    rt::test::PressButton(theorypnl, THEORYPNL_CLOSE);
    EXPECT_EQ(theorypnl, 0);
}

TEST(TheoryPanel, OverlayDrawsFollowsRotationAndHidingAndGoesWithCloseAndOpen)
{
    Start();
    const std::string path = WriteTyped("horn.atn", 12, RigHorn(40, -5));
    Open(path);
    Menu(MENUBAR_THEORY);
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 1);
    EXPECT_EQ(TheoryOverlayFlag, 1);
    EXPECT_EQ(TheoryCurveCount(), 4);
    auto red = Dashed(ANTENNALAB_POLAR, RT_RED);
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(FarthestAngle(red[0]), 40);
    // Levelled to fit the measurement best: the rig's horn is another horn
    // than the model's, so the model's peak lies near, not on, the measured
    // -5 dB (radius 25).
    double far = 0;
    for (size_t i = 0; i < red[0].xs.size(); ++i)
        far = std::max(far, std::hypot(red[0].xs[i], red[0].ys[i]));
    EXPECT_NEAR(far, 25, 1.5);
    ASSERT_EQ(Dashed(ANTENNALAB_POLAR, RT_BLUE).size(), 1u);
    ASSERT_EQ(Dashed(ANTENNALAB_CARTESIAN, RT_RED).size(), 1u);

    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);  // E is selected on open
    red = Dashed(ANTENNALAB_POLAR, RT_RED);
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(FarthestAngle(red[0]), 50);
    EXPECT_EQ(FarthestAngle(Dashed(ANTENNALAB_POLAR, RT_BLUE).at(0)), 40);

    Menu(MENUBAR_HDATA);  // hide H: its model goes too
    EXPECT_EQ(Dashed(ANTENNALAB_POLAR, RT_BLUE).size(), 0u);
    EXPECT_EQ(Dashed(ANTENNALAB_CARTESIAN, RT_BLUE).size(), 0u);
    EXPECT_EQ(Dashed(ANTENNALAB_POLAR, RT_RED).size(), 1u);
    EXPECT_EQ(Text(theorypnl, THEORYPNL_H_RMS), "hidden");
    Menu(MENUBAR_HDATA);
    EXPECT_EQ(TheoryCurveCount(), 4);

    rt::test::AnswerConfirm(0);
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(TheoryCurveCount(), 0);
    EXPECT_EQ(TheoryOverlayFlag, 0);
    int box = 1;
    GetCtrlVal(theorypnl, THEORYPNL_OVERLAY, &box);
    EXPECT_EQ(box, 0);
    Open(path);
    EXPECT_EQ(TheoryCurveCount(), 0);  // a new pattern starts without it
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 1);
    EXPECT_EQ(TheoryCurveCount(), 4);
    Open(WriteTyped("other.atn", 12, RigHorn(0, -5)));
    EXPECT_EQ(TheoryCurveCount(), 0);
    EXPECT_EQ(Dashed(ANTENNALAB_POLAR, RT_RED).size(), 0u);
}

TEST(TheoryPanel, WithTheOverlayOffTheDrawingIsUnchanged)
{
    Start();
    Open(WriteTyped("horn.atn", 12, RigHorn(40, -5)));
    const std::string before = Snapshot();
    Menu(MENUBAR_THEORY);
    EXPECT_EQ(Snapshot(), before);
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 1);
    EXPECT_NE(Snapshot(), before);
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 0);
    EXPECT_EQ(Snapshot(), before);
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 1);
    EXPECT_TRUE(ItemChecked(MENUBAR_THEORYCURVES));
    const std::string drawn = Snapshot();
    rt::test::PressButton(theorypnl, THEORYPNL_CLOSE);  // the dashed model stays drawn
    EXPECT_EQ(Snapshot(), drawn);
    EXPECT_EQ(TheoryOverlayFlag, 1);
    // The Measure menu's check item takes it off and puts it back without
    // the panel.
    Menu(MENUBAR_THEORYCURVES);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(ItemChecked(MENUBAR_THEORYCURVES));
    Menu(MENUBAR_THEORYCURVES);
    EXPECT_EQ(Snapshot(), drawn);
    EXPECT_TRUE(ItemChecked(MENUBAR_THEORYCURVES));
    // Shown again, the panel's switch says so.
    Menu(MENUBAR_THEORY);
    int box = 0;
    GetCtrlVal(theorypnl, THEORYPNL_OVERLAY, &box);
    EXPECT_EQ(box, 1);
    // Closing the pattern takes it off, and the check mark goes too.
    Menu(MENUBAR_CLOSE);
    EXPECT_FALSE(ItemChecked(MENUBAR_THEORYCURVES));
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_THEORYCURVES);  // nothing to draw it on
    ASSERT_FALSE(rt::test::Popups().empty());
    EXPECT_EQ(rt::test::Popups().back().text, "Open a pattern file first.");
    EXPECT_FALSE(ItemChecked(MENUBAR_THEORYCURVES));
}

TEST(TheoryPanel, WithoutNec2cTheWireTypesSayWhyAndDrawNothing)
{
    const std::string empty = TempDir().string();
    setenv("PATH", empty.c_str(), 1);
    Start();
    Open(WriteTyped("dipole.atn", 0, RigHorn(0, -5)));
    Menu(MENUBAR_THEORY);
    EXPECT_EQ(Text(theorypnl, THEORYPNL_GAIN), "not available");
    char note[2000] = "";
    GetCtrlVal(theorypnl, THEORYPNL_NOTE, note);
    EXPECT_EQ(std::string(note).rfind(NEC2C_MISSING, 0), 0u) << note;
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 1);
    EXPECT_EQ(TheoryOverlayFlag, 0);
    EXPECT_EQ(TheoryCurveCount(), 0);
    // From the Measure menu, the reason comes in a message.
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_THEORYCURVES);
    EXPECT_EQ(rt::test::Popups().back().text.rfind(NEC2C_MISSING, 0), 0u);
    EXPECT_FALSE(ItemChecked(MENUBAR_THEORYCURVES));
    EXPECT_EQ(TheoryCurveCount(), 0);
}

TEST(GainPanel, GainFromAReferenceOfKnownGain)
{
    Start();
    Menu(MENUBAR_GAIN);
    ASSERT_GT(gainpnl, 0);
    EXPECT_EQ(Text(gainpnl, GAINPNL_E), "No pattern is open.");
    Planes ref = RigHorn(0, -20), aut = RigHorn(25, -20);
    for (int k = 0; k < 360; ++k) {
        aut.e[k] += 7.43;
        aut.h[k] += 6.91;
    }
    Open(WriteTyped("aut.atn", 13, aut));
    EXPECT_EQ(Text(gainpnl, GAINPNL_E), "Choose a reference file.");
    EXPECT_NE(Text(gainpnl, GAINPNL_MODEL).find("Rectangular Patch"), std::string::npos);

    rt::test::ChooseFile(WriteTyped("ref.atn", 12, ref));
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
    double g = 0;  // defaults to the reference type's model gain
    GetCtrlVal(gainpnl, GAINPNL_REFGAIN, &g);
    EXPECT_NEAR(g, TheoryModelOf(12).gainDbi, 0.005);
    EXPECT_EQ(Text(gainpnl, GAINPNL_REFTYPE), "Horn (10 GHz)");

    rt::test::CommitValue(gainpnl, GAINPNL_REFGAIN, 2.15);
    EXPECT_EQ(Text(gainpnl, GAINPNL_E), "9.58 dBi");
    EXPECT_EQ(Text(gainpnl, GAINPNL_H), "9.06 dBi");
    EXPECT_EQ(Text(gainpnl, GAINPNL_DIFF), "0.52 dB");
    Menu(MENUBAR_EDATA);  // a hidden plane gives no gain
    EXPECT_EQ(Text(gainpnl, GAINPNL_E), "hidden");
    EXPECT_EQ(Text(gainpnl, GAINPNL_DIFF), "");

    // A file that is no pattern is refused with a message; the reference stays.
    rt::test::ChooseFile(WriteBytes("bad.atn", "not a pattern\n"));
    rt::test::AcknowledgeMessage();
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
    EXPECT_EQ(Text(gainpnl, GAINPNL_REFTYPE), "Horn (10 GHz)");
    rt::test::PressButton(gainpnl, GAINPNL_CLOSE);
    EXPECT_EQ(gainpnl, 0);
}

TEST(TheoryTable, NamesAndFrequenciesAreTheLibrarys)
{
    ASSERT_EQ(THEORY_TYPES, ANT_TYPES);
    for (int t = 0; t < THEORY_TYPES; ++t) {
        EXPECT_STREQ(DesignOf(t).name, AntName[t]);
        const std::string name = AntName[t];
        const double f = DesignOf(t).frequencyMhz;
        EXPECT_NE(name.find(f >= 1000 ? std::to_string(int(f / 1000)) + " GHz"
                                      : std::to_string(int(f)) + " MHz"),
                  std::string::npos)
            << name;
    }
}

TEST(TheoryPanel, PanelsAreReadableAndNamed)
{
    Start();
    Menu(MENUBAR_THEORY);
    Menu(MENUBAR_GAIN);
    for (int panel : {theorypnl, gainpnl}) {
        EXPECT_EQ(rt::test::Lines(rt::test::AccessibleNameFaults(panel)), "");
        EXPECT_EQ(rt::test::Lines(rt::test::ButtonMnemonicFaults(panel)), "");
        EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(panel)), "");
    }
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_THEORY), "Textbook pattern...");
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_GAIN), "Gain by comparison...");
}
