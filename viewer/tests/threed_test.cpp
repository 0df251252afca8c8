// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D view: the point build of the solid, and the 3D graph as the viewer
// drives it (choosing the view, redraws after open, close, the wait cursor,
// the properties command, the plot area on resize), read back from the
// graph's plots and attributes; the pictures are checked in threed_gl_test.
#include <cmath>
#include <vector>

#include "ogl3d.h"
#include "ogl3d_testing.h"
#include "threed.h"
#include "viewer_fixture.h"

namespace {

std::vector<double> Build(const double *e, const double *h)
{
    const SphereConfig cfg = DefaultSphereConfig();
    std::vector<double> pts(3 * 51 * 51, NAN);
    EXPECT_EQ(BuildSpherePoints(cfg, e, h, pts.data()), 51 * 51);
    return pts;
}

double Dist(const std::vector<double> &p, int k)
{
    return std::sqrt(p[3 * k] * p[3 * k] + p[3 * k + 1] * p[3 * k + 1]
                     + p[3 * k + 2] * p[3 * k + 2]);
}

TEST(SpherePoints, UniformLevelsGiveASphere)
{
    const struct {
        double level, radius;
    } cases[] = {{0.0, 10.0}, {-30.0, 0.625}, {-40.0, 0.0}, {10.0, 15.625}};
    for (const auto &c : cases) {
        std::vector<double> e(360, c.level), h(360, c.level);
        const auto pts = Build(e.data(), h.data());
        for (int k = 0; k < 51 * 51; ++k)
            ASSERT_NEAR(Dist(pts, k), c.radius, 1e-9) << "level " << c.level << " point " << k;
    }
}

// The whole-degree indices that the repeated addition of 7.18 degrees visits.
const int kVisited[51] = {0,   7,   14,  21,  28,  35,  43,  50,  57,  64,  71,  78,  86,
                          93,  100, 107, 114, 122, 129, 136, 143, 150, 157, 165, 172, 179,
                          186, 193, 201, 208, 215, 222, 229, 236, 244, 251, 258, 265, 272,
                          280, 287, 294, 301, 308, 315, 323, 330, 337, 344, 351, 359};

TEST(SpherePoints, VisitsTheDesignedIndicesOfBothPlanes)
{
    // A level that encodes its own index: factor = index / 400, so a point's
    // distance from the origin names the level array entry it used.
    std::vector<double> code(360), flat(360, 0.0);
    for (int i = 0; i < 360; ++i)
        code[i] = -40.0 + i / 10.0;
    const auto byAzimuth = Build(code.data(), flat.data());
    const auto byPolar = Build(flat.data(), code.data());
    for (int j = 0; j < 51; ++j) {
        // Polar sample 0 lies on the z axis: distance = 10 * factor.
        EXPECT_EQ(std::lround(Dist(byAzimuth, j) * 40), kVisited[j]) << "azimuth sample " << j;
    }
    for (int i = 0; i < 51; ++i)
        EXPECT_EQ(std::lround(Dist(byPolar, 51 * i) * 40), kVisited[i]) << "polar sample " << i;
}

TEST(SpherePoints, PolarMajorOrderAndAxes)
{
    std::vector<double> zero(360, 0.0);
    const auto pts = Build(zero.data(), zero.data());
    EXPECT_NEAR(pts[2], 10.0, 1e-9) << "first polar sample is the +z pole";
    // Polar sample 7 (50.26 degrees), azimuth sample 0 (0 degrees): in the x-z plane.
    const int k = 51 * 7;
    EXPECT_NEAR(pts[3 * k + 1], 0.0, 1e-9);
    EXPECT_NEAR(pts[3 * k], 10 * std::sin(7 * 7.18 * 3.141592 / 180), 1e-9);
    // Polar sample 25 is past the equator on the far side (179.5 degrees).
    EXPECT_LT(pts[3 * 51 * 25 + 2], -9.99);
}

// ---- The view as the viewer drives it ---------------------------------------

struct ThreeD : ::testing::Test {
    void SetUp() override { vt::Start(); }
    std::vector<int> Plots() { return rt::test::OglPlots(antennalab, Ctrl3D); }
    double GraphAttr(int a)
    {
        double v = 0;
        OGLGetCtrlAttribute(antennalab, Ctrl3D, a, &v);
        return v;
    }
};

TEST_F(ThreeD, ViewWithoutPatternShowsEmptyAxesAndDimsEverything)
{
    EXPECT_EQ(Third, 0);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_VISIBLE), 0) << "start-up hides the 3D drawing";
    vt::Menu(MENUBAR_3D);
    EXPECT_EQ(Third, 1);
    EXPECT_TRUE(vt::Visible(ANTENNALAB_CANVAS3D));
    EXPECT_FALSE(vt::Visible(ANTENNALAB_POLAR));
    EXPECT_FALSE(vt::Visible(ANTENNALAB_CARTESIAN));
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_VISIBLE), 1);
    EXPECT_TRUE(Plots().empty());
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(GraphAttr(RT_OGL_ATTR_XAXIS_MIN + 100 * k), -10);
        EXPECT_EQ(GraphAttr(RT_OGL_ATTR_XAXIS_MAX + 100 * k), 10);
    }
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_VIEW_DISTANCE), 3.0);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_GRID_COLOR), RT_CYAN);
    EXPECT_EQ(vt::CountItemsDimmed(vt::kPlotItems) + vt::CountItemsDimmed(vt::kFileItems), 8);
    EXPECT_EQ(vt::CountDimmed(vt::kAnalysis), int(vt::kAnalysis.size()));
    // Back to the polar view: the 3D drawing goes away again.
    vt::Menu(MENUBAR_POLAR);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_VISIBLE), 0);
}

TEST_F(ThreeD, OpenRedrawsOnlyOnceTheViewWasUsed)
{
    const auto a = vt::MakePlanes([](int) { return 0.0; }, [](int) { return 0.0; });
    const auto b = vt::MakePlanes([](int) { return -30.0; }, [](int) { return -30.0; });
    vt::Open(vt::WriteAtn("a.atn", a));
    EXPECT_TRUE(Plots().empty()) << "Third is 0: no 3D work on open";

    vt::Menu(MENUBAR_3D);
    ASSERT_EQ(Plots().size(), 1u);
    const int first = Plots()[0];
    auto pts = rt::test::OglPlotPoints(antennalab, Ctrl3D, first);
    ASSERT_EQ(pts.size(), 2601u);
    EXPECT_NEAR(std::hypot(pts[1000][0], pts[1000][1], pts[1000][2]), 10.0, 1e-9);
    double colour = 0;
    OGLGetPlotAttribute(antennalab, Ctrl3D, first, RT_OGL_ATTR_POINT_COLOR, &colour);
    EXPECT_EQ(colour, RT_CYAN);
    EXPECT_EQ(vt::CountItemsDimmed(vt::kFileItems), 0);

    // A second pattern opened in the polar view replaces the solid.
    vt::Menu(MENUBAR_POLAR);
    vt::Open(vt::WriteAtn("b.atn", b));
    ASSERT_EQ(Plots().size(), 1u);
    EXPECT_NE(Plots()[0], first);
    pts = rt::test::OglPlotPoints(antennalab, Ctrl3D, Plots()[0]);
    EXPECT_NEAR(std::hypot(pts[1000][0], pts[1000][1], pts[1000][2]), 0.625, 1e-9);

    // Close removes it; the 3D view then stays empty.
    vt::Menu(MENUBAR_CLOSE);
    EXPECT_TRUE(Plots().empty());
    vt::Menu(MENUBAR_3D);
    EXPECT_TRUE(Plots().empty());
}

TEST_F(ThreeD, WaitCursorIsRestoredAndLeftOnWhenItWasOn)
{
    vt::Open(
        vt::WriteAtn("w.atn", vt::MakePlanes([](int) { return -5.0; }, [](int) { return -5.0; })));
    SetWaitCursor(0);
    SPlot(antennalab, Ctrl3D, RT_EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(GetWaitCursorState(), 0);
    SetWaitCursor(1);
    SPlot(antennalab, Ctrl3D, RT_EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(GetWaitCursorState(), 1) << "a caller's wait cursor stays on";
    SetWaitCursor(0);
    // Any other event does nothing.
    const int plot = rt::test::OglPlots(antennalab, Ctrl3D).at(0);
    SPlot(antennalab, Ctrl3D, RT_EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_EQ(rt::test::OglPlots(antennalab, Ctrl3D).at(0), plot);
}

TEST_F(ThreeD, ResetButtonAndPropertiesCommand)
{
    vt::Menu(MENUBAR_3D);
    rt::test::AnswerOglProperties([](QDialog &) {}, true);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_DISTANCE, 8.0);
    vt::Menu(MENUBAR_GRAPHICS);
    ASSERT_EQ(rt::test::Popups().size(), 1u);
    EXPECT_EQ(rt::test::Popups()[0].kind, "ogl-properties");
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_VIEW_DISTANCE), 8.0);
    rt::test::PressButton(antennalab, ANTENNALAB_SPHERECONF);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_VIEW_DISTANCE), 3.0) << "reset gives the starting view";
}

TEST_F(ThreeD, PlotAreaFollowsTheCanvasOnResize)
{
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_PLOTAREA_LEFT), 28);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_PLOTAREA_TOP), 3);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_PLOTAREA_WIDTH), 450);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_PLOTAREA_HEIGHT), 450);
    SetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_WIDTH, 600);
    SetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_TOP, 10);
    rt::test::ResizePanel(antennalab, 1100, 700);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_PLOTAREA_WIDTH), 600);
    EXPECT_EQ(GraphAttr(RT_OGL_ATTR_PLOTAREA_TOP), 10);
}

}  // namespace
