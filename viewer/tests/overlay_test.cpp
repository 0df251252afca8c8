// SPDX-License-Identifier: GPL-3.0-or-later
// Half-power lines, MSL markers and rotation, driven through the panel.
#include <optional>

#include "viewer_fixture.h"

using namespace vt;

namespace {

// E: peak -2 dB at 90 with edges 80.5 and 100.5; H: peak at 200.
Planes Beams()
{
    return MakePlanes(
        [](int a) {
            if (a == 90)
                return -2.0;
            if (a >= 81 && a <= 99)
                return -2.5;
            return a == 100 ? -4.0 : -20.0;
        },
        [](int a) { return Lobe(a, 200, 1.0, 0.5); });
}

// A copy of one plot item of the polar graph, or nothing when it is not there.
std::optional<rt::PlotItem> Polar(int handle)
{
    const std::vector<rt::PlotItem> items = rt::test::GraphItems(antennalab, ANTENNALAB_POLAR);
    const rt::PlotItem *item = Item(items, handle);
    return item ? std::optional<rt::PlotItem>(*item) : std::nullopt;
}

}  // namespace

TEST(HalfPower, ReadoutsAfterOpen)
{
    Start();
    Menu(MENUBAR_CARTESIAN);
    Open(WriteAtn("beams.atn", Beams()));
    EXPECT_DOUBLE_EQ(Emin, 80.5);
    EXPECT_DOUBLE_EQ(Emax, 100.5);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPB), 20.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPBLEVEL), -5.0);
    // H falls 0.5 dB a degree: exactly 3 dB down at 194 and 206.
    EXPECT_DOUBLE_EQ(Hmin, 194.0);
    EXPECT_DOUBLE_EQ(Hmax, 206.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPB), 12.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPBLEVEL), -2.0);
    // Found edges undim their readouts even where the view keeps the rest dimmed.
    EXPECT_FALSE(CtrlDimmed(ANTENNALAB_EHPB));
    EXPECT_FALSE(CtrlDimmed(ANTENNALAB_HHPBLEVEL));
    EXPECT_TRUE(CtrlDimmed(ANTENNALAB_EPEAKANGLE));
}

TEST(HalfPower, NoBeamwidthClearsThePreviousFilesReadouts)
{
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    // E: nothing above the floor; H: flat, as a file saved after an E sweep only.
    Open(WriteAtn("flat.atn", MakePlanes([](int) { return -30.0; }, [](int) { return 0.0; })));
    EXPECT_DOUBLE_EQ(Emin, -1.0);
    EXPECT_DOUBLE_EQ(Hmax, -1.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPB), 0.0) << "not the width of the previous file";
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPBLEVEL), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPB), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPBLEVEL), 0.0);
    // The toggle draws at the edges as they are: -1 degree, that is 359.
    rt::test::PressButton(antennalab, ANTENNALAB_EHPBBTN);
    const auto l = Polar(hpbPlote1);
    ASSERT_TRUE(l);
    EXPECT_NEAR(l->xs[1], -0.61, 0.01);
    EXPECT_NEAR(l->ys[1], 34.99, 0.01);
}

TEST(HalfPower, PeakAtZeroOrOneDegreeGivesNoBeamwidth)
{
    // Peaks at 0 and 1 degree are not searched; the readouts then show 0,
    // not the width of the file opened before.
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    Open(WriteAtn("front.atn", MakePlanes([](int a) { return Lobe(a, 0, -5.0, 0.25); },
                                          [](int a) { return Lobe(a, 1, -4.0, 0.5); })));
    EXPECT_EQ(EMAX, 0);
    EXPECT_EQ(HMAX, 1);
    EXPECT_DOUBLE_EQ(Emin, -1.0);
    EXPECT_DOUBLE_EQ(Emax, -1.0);
    EXPECT_DOUBLE_EQ(Hmin, -1.0);
    EXPECT_DOUBLE_EQ(Hmax, -1.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPB), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPBLEVEL), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPB), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPBLEVEL), 0.0);
}

TEST(HalfPower, EdgesOnOneSampleGiveNoBeamwidth)
{
    // E: both edges land on 105 (0 dB at 100, -1 dB up to 104, -3 dB at 105):
    // no width, so the readouts show 0, not what the previous file left.
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    ASSERT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPB), 20.0);
    Open(WriteAtn("edges.atn", MakePlanes(
                                   [](int a) {
                                       if (a == 100)
                                           return 0.0;
                                       if (a > 100 && a < 105)
                                           return -1.0;
                                       return a == 105 ? -3.0 : -30.0;
                                   },
                                   [](int a) { return Lobe(a, 200, 1.0, 0.5); })));
    EXPECT_DOUBLE_EQ(Emin, 105.0);
    EXPECT_DOUBLE_EQ(Emax, 105.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPB), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EHPBLEVEL), 0.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HHPB), 12.0);
}

TEST(HalfPower, ToggleDrawsAndRemovesTwoLines)
{
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    const int base = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    rt::test::PressButton(antennalab, ANTENNALAB_EHPBBTN);
    EXPECT_EQ(eHPBflag, 1);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base + 2);
    const auto left = Polar(hpbPlote1);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->color, RT_RED);
    EXPECT_DOUBLE_EQ(left->xs[0], 0.0);
    // 80.5 folds to 9.5 and is drawn at 9 mathematical degrees, i.e. 81.
    EXPECT_NEAR(left->xs[1], 35 * std::cos(9 * 3.141592 / 180), 1e-9);
    EXPECT_NEAR(Polar(hpbPlote2)->ys[1], 35 * std::sin(349 * 3.141592 / 180), 1e-9);
    rt::test::PressButton(antennalab, ANTENNALAB_EHPBBTN);
    EXPECT_EQ(eHPBflag, 0);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base);
    rt::test::PressButton(antennalab, ANTENNALAB_EHPBBTN);
    rt::test::PressButton(antennalab, ANTENNALAB_HHPBBTN);
    EXPECT_EQ(Polar(hpbPloth1)->color, RT_BLUE);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base + 4);
}

TEST(Msl, MarkerPointsAtThePeakReadout)
{
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    const int base = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    rt::test::PressButton(antennalab, ANTENNALAB_HMSLBTN);
    const auto line = Polar(imsiPloth);
    ASSERT_TRUE(line);
    EXPECT_NEAR(line->xs[1], -11.97, 0.01);
    EXPECT_NEAR(line->ys[1], -32.89, 0.01);
    EXPECT_EQ(line->color, RT_BLUE);
    const auto text = Polar(imsiTexth);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text, "MSL");
    EXPECT_EQ(text->fillColor, RT_TRANSPARENT);
    EXPECT_DOUBLE_EQ(text->xs[0], line->xs[1]);
    rt::test::PressButton(antennalab, ANTENNALAB_EMSLBTN);
    EXPECT_NEAR(Polar(imsiPlote)->xs[1], 35.0, 1e-9) << "peak at 90 points right";
    EXPECT_NEAR(Polar(imsiPlote)->ys[1], 0.0, 1e-4);
    rt::test::PressButton(antennalab, ANTENNALAB_HMSLBTN);
    EXPECT_FALSE(Polar(imsiPloth));
    EXPECT_FALSE(Polar(imsiTexth));
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base + 2);
}

TEST(Overlays, OpenRemovesThemAndCloseLeavesThem)
{
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    for (int b : {ANTENNALAB_EHPBBTN, ANTENNALAB_HHPBBTN, ANTENNALAB_EMSLBTN, ANTENNALAB_HMSLBTN})
        rt::test::PressButton(antennalab, b);
    const int lines = hpbPlote1, text = imsiTexte;
    Menu(MENUBAR_CLOSE);
    EXPECT_TRUE(Polar(lines)) << "close leaves the overlays";
    rt::test::CancelFile();
    Menu(MENUBAR_OPEN);
    EXPECT_FALSE(Polar(lines));
    EXPECT_FALSE(Polar(text));
    EXPECT_EQ(eHPBflag + hHPBflag + eMSLflag + hMSLflag, 0);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), 31);
    Open(WriteAtn("beams.atn", Beams()));
    EXPECT_EQ(Int(ANTENNALAB_EHPBBTN), 0) << "the toggle shows no lines";
    rt::test::PressButton(antennalab, ANTENNALAB_EHPBBTN);
    EXPECT_EQ(eHPBflag, 1);
}

TEST(Rotate, SelectedPlaneTurnsAndTheOtherStays)
{
    Start();
    Open(WriteAtn("edge.atn", MakePlanes([](int a) { return Lobe(a, 359, 0, 1); },
                                         [](int a) { return Lobe(a, 120, -3, 0.2); })));
    const PatternRecord before = *ptsPtr;
    const std::vector<double> hCar(carPtr + 360, carPtr + 720);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    EXPECT_EQ(EMAX, 0);
    EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 0);
    EXPECT_EQ(REDvalue, 1);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 1);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(std::vector<double>(carPtr + 360, carPtr + 720), hCar);
    EXPECT_EQ(HMAX, 120);
    for (int k = 0; k < 360; ++k)
        ASSERT_EQ(ptsPtr->h_data[k], before.h_data[k]);
    // The new curves are drawn from the turned levels.
    EXPECT_NEAR(Polar(polarPlot1)->ys[0], 30.0, 1e-6);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT);
    EXPECT_EQ(EMAX, 359);
    EXPECT_EQ(REDvalue, 0);
    // 36 steps of 10 bring every level back and the counter through 350 to 0.
    for (int i = 0; i < 36; ++i)
        rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    EXPECT_EQ(REDvalue, 0);
    for (int k = 0; k < 360; ++k)
        ASSERT_EQ(ptsPtr->e_data[k], before.e_data[k]) << k;
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), 31 + 4);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_CARTESIAN), 47 + 2);
}

TEST(Rotate, ClickedBluePlaneTurnsAndCloseOffersToSave)
{
    Start();
    Open(WriteAtn("rings.atn", MakePlanes([](int a) { return Lobe(a, 45, -2, 0.01); },
                                          [](int a) { return Lobe(a, 45, -12, 0.001); })));
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, Polar(polarPlot2)->xs[200],
                         Polar(polarPlot2)->ys[200]);
    ASSERT_EQ(RotationColor(), RT_BLUE);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT10);
    EXPECT_EQ(BLUEvalue, -10);
    EXPECT_EQ(REDvalue, 0);
    EXPECT_EQ(HMAX, 35);
    EXPECT_EQ(EMAX, 45);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), -10);
    rt::test::AnswerConfirm(0);
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(rt::test::PopupLog().find("confirm:Save|Save changes to the current file?"),
              0u + rt::test::PopupLog().find("confirm:"));
    // After close no plane is selected: the buttons are dimmed, and even a
    // forced press turns nothing.
    EXPECT_TRUE(CtrlDimmed(ANTENNALAB_GORIGHT));
    rt::test::FireCtrlEvent(antennalab, ANTENNALAB_GORIGHT, RT_EVENT_COMMIT);
    EXPECT_EQ(Changed, 0);
}

TEST(Rotate, HiddenPlaneStaysHidden)
{
    Start();
    Open(WriteAtn("beams.atn", Beams()));
    Menu(MENUBAR_HDATA);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    EXPECT_FALSE(Polar(polarPlot2));
    EXPECT_FALSE(OnGraph(ANTENNALAB_CARTESIAN, carPlot2));
    EXPECT_TRUE(Polar(polarPlot1));
    Menu(MENUBAR_HDATA);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), 31 + 4) << "no curve left behind";
}
