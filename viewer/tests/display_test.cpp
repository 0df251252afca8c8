// SPDX-License-Identifier: GPL-3.0-or-later
// Curves of an opened pattern on both graphs, the plane chosen by a click,
// and the peak and cursor-difference readouts.
#include "viewer_fixture.h"

using namespace vt;

namespace {

// 0 dB at 90 degrees (E) and at 270 degrees (H), -30 dB elsewhere.
Planes Spikes()
{
    return MakePlanes([](int a) { return a == 90 ? 0.0 : -30.0; },
                      [](int a) { return a == 270 ? 0.0 : -30.0; });
}

}  // namespace

TEST(Plot, BuildRulePlacesLevelsOnBothGraphs)
{
    Start();
    Open(WriteAtn("spikes.atn", Spikes()));
    const auto polar = rt::test::GraphItems(antennalab, ANTENNALAB_POLAR);
    const rt::PlotItem *e = Item(polar, polarPlot1);
    const rt::PlotItem *h = Item(polar, polarPlot2);
    ASSERT_TRUE(e && h);
    EXPECT_EQ(e->color, RT_RED);
    EXPECT_EQ(h->color, RT_BLUE);
    ASSERT_EQ(e->xs.size(), 360u);
    EXPECT_NEAR(e->xs[90], 30.0, 1e-4);
    EXPECT_NEAR(e->ys[90], 0.0, 1e-4);
    EXPECT_NEAR(h->xs[270], -30.0, 1e-4);
    EXPECT_NEAR(e->xs[0], 0.0, 1e-9) << "-30 dB lies at the centre";
    EXPECT_NEAR(e->ys[0], 0.0, 1e-9);
    // The closing segments join 359 degrees to 0 degrees.
    const rt::PlotItem *close = Item(polar, polarPlot3);
    ASSERT_TRUE(close);
    EXPECT_EQ(close->kind, rt::PlotKind::Line);
    EXPECT_EQ(close->color, RT_RED);
    EXPECT_DOUBLE_EQ(close->xs[0], e->xs[359]);
    EXPECT_DOUBLE_EQ(close->ys[0], e->ys[359]);
    EXPECT_DOUBLE_EQ(close->xs[1], e->xs[0]);
    EXPECT_EQ(Item(polar, polarPlot4)->color, RT_BLUE);
    // E is drawn before H, so H lies on top.
    EXPECT_LT(polarPlot1, polarPlot2);

    const auto car = rt::test::GraphItems(antennalab, ANTENNALAB_CARTESIAN);
    const rt::PlotItem *ce = Item(car, carPlot1);
    const rt::PlotItem *ch = Item(car, carPlot2);
    ASSERT_TRUE(ce && ch);
    EXPECT_DOUBLE_EQ(ce->xs.front(), -180);
    EXPECT_DOUBLE_EQ(ce->xs.back(), 179);
    for (size_t k = 0; k < 360; ++k) {
        EXPECT_EQ(ce->ys[k] == 0.0, ce->xs[k] == 90) << k;
        EXPECT_EQ(ch->ys[k] == 0.0, ch->xs[k] == -90) << k;
    }
    EXPECT_EQ(ce->color, RT_RED);
    EXPECT_EQ(ch->color, RT_BLUE);
}

TEST(Plot, ClickOnACurveSelectsItsPlane)
{
    Start();
    Open(WriteAtn("lobes.atn", MakePlanes([](int) { return -2.0; },      // E: circle of radius 28
                                          [](int) { return -12.0; })));  // H: radius 18
    BLUEvalue = 17;
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, 12.8, 12.7);  // on the blue curve
    EXPECT_EQ(RotationColor(), RT_BLUE);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 17);
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, 17.7, 17.6);  // on the ring of radius 25
    EXPECT_EQ(RotationColor(), RT_BLUE) << "a frame item selects nothing";
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, -19.8, -19.9);  // on the red curve
    EXPECT_EQ(RotationColor(), RT_RED);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 0);
}

TEST(Plot, ViewsSwitchWhichGraphShows)
{
    Start();
    Menu(MENUBAR_CARTESIAN);
    EXPECT_TRUE(Visible(ANTENNALAB_CARTESIAN));
    EXPECT_FALSE(Visible(ANTENNALAB_POLAR));
    EXPECT_FALSE(Visible(ANTENNALAB_CANVAS3D));
    EXPECT_TRUE(ItemDimmed(MENUBAR_CURSOR));
    Menu(MENUBAR_POLAR);
    EXPECT_TRUE(Visible(ANTENNALAB_POLAR));
    EXPECT_FALSE(Visible(ANTENNALAB_CARTESIAN));
    EXPECT_TRUE(ItemDimmed(MENUBAR_CURSOR)) << "no pattern: the cursor item stays dimmed";
}

TEST(Peak, ReadoutsFollowThePeakRule)
{
    struct Case {
        const char *what;
        Planes planes;
        int e, h;
    } cases[] = {
        {"equal maxima keep the lower angle",
         MakePlanes([](int a) { return a == 40 || a == 200 ? -1.0 : -20.0; },
                    [](int a) { return a == 359 || a == 0 ? 3.0 : -29.0; }),
         40, 0},
        {"all -30 has no peak",
         MakePlanes([](int) { return -30.0; }, [](int a) { return a == 7 ? -29.99 : -30.0; }), -1,
         7},
    };
    Start();
    int n = 0;
    for (const auto &c : cases) {
        Open(WriteAtn("peak" + std::to_string(n++) + ".atn", c.planes));
        EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), c.e) << c.what;
        EXPECT_EQ(Int(ANTENNALAB_HPEAKANGLE), c.h) << c.what;
        EXPECT_EQ(EMAX, c.e) << c.what;
    }
    // Without a peak the level readout keeps what it showed before.
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EPEAKLEVEL), -1.0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HPEAKLEVEL), -29.99);
}

TEST(Peak, CursorDifferencesAreSignedLevelsAndPlainAngles)
{
    Start();
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR1_ANGLE, 350);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR1_LEVEL, -12.5);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR2_ANGLE, 10);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR2_LEVEL, -2.0);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR3_ANGLE, 10);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR3_LEVEL, -7.25);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR4_ANGLE, 350);
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR4_LEVEL, -9.0);
    CalE();
    CalH();
    EXPECT_EQ(Int(ANTENNALAB_EANGLEDIFF), 340);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_ELEVELDIFF), -10.5);
    EXPECT_EQ(Int(ANTENNALAB_HANGLEDIFF), 340);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HLEVELDIFF), 1.75);
}

TEST(Peak, ViewDataWithoutPatternChangesNothing)
{
    Start();
    SetCtrlVal(antennalab, ANTENNALAB_EPEAKANGLE, 123);
    ViewData();
    EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 123);
}
