// SPDX-License-Identifier: GPL-3.0-or-later
// What the drawing functions put on a graph beyond what the viewer's own
// tests see through its panel: planes left out, the closing segment's
// weight, and a model's cuts, read back as plot items.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "plots.h"
#include "rt.h"
#include "rt_newpanel.h"
#include "testing.h"

namespace {

using rt::PlotItem;

struct Graphs {
    int panel = 0, polar = 0, cartesian = 0;
    Graphs()
    {
        panel = NewPanel(0, "plots", 0, 0, 456, 478);
        polar = NewPolarGraph(panel, 3, 28);
        cartesian = NewCartesianGraph(panel, 3, 28);
    }
    ~Graphs() { DiscardPanel(panel); }
    std::vector<PlotItem> Polar() const { return rt::test::GraphItems(panel, polar); }
    std::vector<PlotItem> Cartesian() const { return rt::test::GraphItems(panel, cartesian); }
};

const PlotItem *Find(const std::vector<PlotItem> &items, int handle)
{
    for (const auto &i : items)
        if (i.handle == handle)
            return &i;
    return nullptr;
}

// The polar blocks (E x, E y, H x, H y) of two planes made from functions
// of the angle.
struct Pattern {
    double polar[4 * LEVELS];
    template <typename E, typename H> Pattern(E e, H h)
    {
        double le[LEVELS], lh[LEVELS];
        for (int k = 0; k < LEVELS; ++k) {
            le[k] = e(k);
            lh[k] = h(k);
        }
        BuildPolarBlock(le, 360, polar, polar + LEVELS);
        BuildPolarBlock(lh, 360, polar + 2 * LEVELS, polar + 3 * LEVELS);
    }
};

}  // namespace

TEST(PlaneCurves, ClosedPolarCurvesInTheViewersOrderAndPlanesLeftOut)
{
    // 0 dB at 90 degrees in E and at 270 in H, the centre everywhere else.
    const Pattern pat([](int a) { return a == 90 ? 0.0 : -30.0; },
                      [](int a) { return a == 270 ? 0.0 : -30.0; });
    {
        Graphs g;
        const PolarPlanePlots p = PlotPolarPlanes(g.panel, g.polar, pat.polar, true, true, 3);
        EXPECT_LT(p.eCurve, p.hCurve);
        EXPECT_LT(p.hCurve, p.eClosing);
        EXPECT_LT(p.eClosing, p.hClosing);
        const auto items = g.Polar();
        const PlotItem *e = Find(items, p.eCurve), *h = Find(items, p.hCurve);
        ASSERT_TRUE(e && h);
        EXPECT_EQ(e->color, RT_RED);
        EXPECT_EQ(h->color, RT_BLUE);
        EXPECT_NEAR(e->xs[90], 30.0, 1e-4);
        EXPECT_NEAR(h->xs[270], -30.0, 1e-4);
        const PlotItem *close = Find(items, p.hClosing);
        ASSERT_TRUE(close);
        EXPECT_DOUBLE_EQ(close->xs[0], h->xs[359]);
        EXPECT_DOUBLE_EQ(close->ys[0], h->ys[359]);
        EXPECT_DOUBLE_EQ(close->xs[1], h->xs[0]);
        EXPECT_DOUBLE_EQ(close->ys[1], h->ys[0]);
        EXPECT_EQ(close->thickness, 3);
        EXPECT_EQ(e->thickness, 1) << "the weight is the closing segment's only";
    }
    {
        Graphs g;
        const PolarPlanePlots p = PlotPolarPlanes(g.panel, g.polar, pat.polar, false, true, 1);
        EXPECT_EQ(p.eCurve, 0);
        EXPECT_EQ(p.eClosing, 0);
        const auto items = g.Polar();
        ASSERT_EQ(items.size(), 2u);
        for (const auto &i : items)
            EXPECT_EQ(i.color, RT_BLUE);
        // Weight 0 leaves the graph's own on the segment.
        const int seg =
            PlotClosingSegment(g.panel, g.polar, pat.polar, pat.polar + LEVELS, RT_RED, 0);
        const auto after = g.Polar();
        ASSERT_TRUE(Find(after, seg));
        EXPECT_EQ(Find(after, seg)->thickness, 1);
    }
}

TEST(ModelCuts, DashedClosedFlooredAndOnlyForPlanesGiven)
{
    double cut[LEVELS];
    for (int k = 0; k < LEVELS; ++k)
        cut[k] = k == 0 ? 5.0 : k == 180 ? -45.0 : -10.0;
    Graphs g;
    const ModelCutPlots p = PlotModelCuts(g.panel, g.polar, g.cartesian, nullptr, cut);
    EXPECT_EQ(p.polar[0], -1);
    EXPECT_EQ(p.cartesian[0], -1);
    const auto polarItems = g.Polar(), carItems = g.Cartesian();
    const PlotItem *polar = Find(polarItems, p.polar[1]);
    const PlotItem *car = Find(carItems, p.cartesian[1]);
    ASSERT_TRUE(polar && car);
    EXPECT_EQ(polar->color, RT_BLUE);
    EXPECT_EQ(polar->lineStyle, RT_DASH);
    EXPECT_EQ(car->lineStyle, RT_DASH);
    ASSERT_EQ(polar->xs.size(), size_t(LEVELS + 1));
    EXPECT_EQ(polar->xs.back(), polar->xs.front());
    EXPECT_EQ(polar->ys.back(), polar->ys.front());
    EXPECT_NEAR(polar->ys[0], 35.0, 1e-9) << "+5 dB on the outer ring";
    // Below -30 dB a cut stays at the centre instead of crossing it.
    EXPECT_NEAR(polar->xs[180], 0.0, 1e-9);
    EXPECT_NEAR(polar->ys[180], 0.0, 1e-9);
    ASSERT_EQ(car->ys.size(), size_t(LEVELS));
    EXPECT_EQ(car->ys[0], -30.0);  // -180 degrees
    EXPECT_EQ(car->ys[180], 5.0);  // 0 degrees
    EXPECT_EQ(*std::min_element(car->ys.begin(), car->ys.end()), -30.0);
}
