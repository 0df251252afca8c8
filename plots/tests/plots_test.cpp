// SPDX-License-Identifier: GPL-3.0-or-later
// What the drawing functions put on a graph: the frames, the plane curves,
// the markers and a model's cuts, read back as plot items.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "plots.h"
#include "rt.h"
#include "rt_newpanel.h"
#include "testing.h"

namespace {

using rt::PlotItem;
using rt::PlotKind;

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

const PlotItem *Text(const std::vector<PlotItem> &items, const std::string &text)
{
    for (const auto &i : items)
        if (i.kind == PlotKind::Text && i.text == text)
            return &i;
    return nullptr;
}

int Count(const std::vector<PlotItem> &items, PlotKind kind)
{
    return int(std::count_if(items.begin(), items.end(),
                             [kind](const PlotItem &i) { return i.kind == kind; }));
}

// A plane with its levels from a function of the angle, as the polar blocks
// and the Cartesian trace of both planes.
struct Pattern {
    double polar[4 * LEVELS], car[2 * LEVELS];
    int arrayX[LEVELS];
    template <typename E, typename H> Pattern(E e, H h)
    {
        double le[LEVELS], lh[LEVELS];
        for (int k = 0; k < LEVELS; ++k) {
            le[k] = e(k);
            lh[k] = h(k);
        }
        BuildPolarBlock(le, 360, polar, polar + LEVELS);
        BuildPolarBlock(lh, 360, polar + 2 * LEVELS, polar + 3 * LEVELS);
        BuildCarBlock(le, car);
        BuildCarBlock(lh, car + LEVELS);
        BuildArrayX(arrayX);
    }
};

}  // namespace

TEST(PatternGraphs, HaveTheViewersSizeAxesAndBackground)
{
    Graphs g;
    ASSERT_GT(g.panel, 0);
    ASSERT_GT(g.polar, 0);
    ASSERT_GT(g.cartesian, 0);
    EXPECT_NE(g.polar, g.cartesian);
    GraphAxes p, c;
    ASSERT_EQ(GetGraphAxes(g.panel, g.polar, &p), 0);
    ASSERT_EQ(GetGraphAxes(g.panel, g.cartesian, &c), 0);
    EXPECT_EQ(p.xMin, -40.0);
    EXPECT_EQ(p.xMax, 40.0);
    EXPECT_EQ(p.yMin, -40.0);
    EXPECT_EQ(p.yMax, 40.0);
    EXPECT_TRUE(p.equalScale);
    EXPECT_EQ(c.xMin, -192.0);
    EXPECT_EQ(c.xMax, 196.0);
    EXPECT_EQ(c.yMin, -57.0);
    EXPECT_EQ(c.yMax, 8.0);
    EXPECT_FALSE(c.equalScale);
    EXPECT_EQ(p.background, RT_BLACK);
    EXPECT_EQ(c.background, RT_BLACK);
    for (int ctrl : {g.polar, g.cartesian}) {
        int w = 0, h = 0;
        GetCtrlAttribute(g.panel, ctrl, RT_ATTR_WIDTH, &w);
        GetCtrlAttribute(g.panel, ctrl, RT_ATTR_HEIGHT, &h);
        EXPECT_EQ(w, PATTERN_GRAPH_SIZE);
        EXPECT_EQ(h, PATTERN_GRAPH_SIZE);
    }
}

TEST(PolarFrame, RingsDiametersAndLabelsInPlace)
{
    Graphs g;
    PlotPolarFrame(g.panel, g.polar);
    const auto items = g.Polar();
    ASSERT_EQ(items.size(), 7u + 6u + 7u + 11u);
    // Drawn in order: rings, diameters, level labels, angle labels.
    for (int i = 0; i < 7; ++i) {
        const PlotItem &ring = items[size_t(i)];
        ASSERT_EQ(ring.kind, PlotKind::Oval);
        EXPECT_DOUBLE_EQ(ring.xs[1], 5.0 * (i + 1));
        EXPECT_DOUBLE_EQ(ring.xs[0], -5.0 * (i + 1));
        EXPECT_EQ(ring.color, 0xA0A0A0);
        EXPECT_EQ(ring.fillColor, RT_TRANSPARENT);
    }
    for (int i = 0; i < 6; ++i) {
        const PlotItem &d = items[size_t(7 + i)];
        ASSERT_EQ(d.kind, PlotKind::Line);
        // Through the centre, out to the outer ring, 30 degrees apart.
        EXPECT_NEAR(std::hypot(d.xs[1], d.ys[1]), 35.0, 1e-9);
        EXPECT_NEAR(d.xs[0], -d.xs[1], 1e-12);
        EXPECT_NEAR(std::atan2(d.ys[1], d.xs[1]) * 180 / M_PI, 30.0 * i, 1e-4);
    }
    EXPECT_EQ(Count(items, PlotKind::Text), 18);
    // Each level label sits on the vertical axis just inside its ring.
    const char *const levels[] = {" -25", " -20", " -15", " -10", "  -5", "0", "5"};
    for (int i = 0; i < 7; ++i) {
        const PlotItem *t = Text(items, levels[i]);
        ASSERT_TRUE(t) << "'" << levels[i] << "'";
        EXPECT_NEAR(t->ys[0], 5.0 * (i + 1) - 1.6, 1e-9);
        EXPECT_EQ(t->color, 0xA0A0A0);
        EXPECT_EQ(t->fillColor, 0x008080);
        EXPECT_EQ(t->font, "NIAppMetaFont");
    }
    EXPECT_GT(Text(items, "90")->xs[0], 30);
    EXPECT_LT(Text(items, "270")->xs[0], -30);
    EXPECT_LT(Text(items, "180")->ys[0], -30);
    EXPECT_NEAR(Text(items, "30")->xs[0], 16.70, 0.005);
    EXPECT_NEAR(Text(items, "30")->ys[0], 29.51, 0.005);
    EXPECT_NEAR(Text(items, "150")->xs[0], 16.50, 0.005);
    EXPECT_NEAR(Text(items, "150")->ys[0], -31.31, 0.005);
    EXPECT_NEAR(Text(items, "210")->xs[0], -19.70, 0.005);
    EXPECT_NEAR(Text(items, "300")->xs[0], -32.31, 0.005);
    EXPECT_FALSE(Text(items, "0 ") || Text(items, "360")) << "no label at 0 degrees";
}

TEST(CartesianFrame, AxesTicksAndLabels)
{
    Graphs g;
    PlotCartesianFrame(g.panel, g.cartesian);
    const auto items = g.Cartesian();
    ASSERT_EQ(items.size(), 2u + 12u + 10u + 13u + 10u);
    for (const auto &i : items)
        EXPECT_EQ(i.color, RT_WHITE);
    // The angle ticks: at +-30 ... +-180, none at 0.
    std::vector<double> ticks;
    for (size_t i = 2; i < 14; ++i) {
        ASSERT_EQ(items[i].kind, PlotKind::Line);
        EXPECT_DOUBLE_EQ(items[i].ys[0], -50.2);
        ticks.push_back(items[i].xs[0]);
    }
    std::sort(ticks.begin(), ticks.end());
    const std::vector<double> expected = {-180, -150, -120, -90, -60, -30,
                                          30,   60,   90,   120, 150, 180};
    EXPECT_EQ(ticks, expected);
    EXPECT_DOUBLE_EQ(Text(items, "-180")->xs[0], -186);
    EXPECT_DOUBLE_EQ(Text(items, "150")->xs[0], 145);
    EXPECT_DOUBLE_EQ(Text(items, "150")->ys[0], -53.0);
    EXPECT_DOUBLE_EQ(Text(items, " -45")->ys[0], -45.8);
    EXPECT_DOUBLE_EQ(Text(items, "  0")->ys[0], -0.8);
    EXPECT_EQ(Text(items, " -10")->fillColor, RT_TRANSPARENT);
}

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

TEST(PlaneCurves, CartesianTraceRunsFromMinus180To179Unclosed)
{
    const Pattern pat([](int a) { return a == 90 ? 0.0 : -20.0; },
                      [](int a) { return a == 270 ? 0.0 : -20.0; });
    Graphs g;
    const int e =
        PlotCartesianTrace(g.panel, g.cartesian, pat.arrayX, pat.car, RT_RED, RT_SOLID_CIRCLE);
    const int h = PlotCartesianTrace(g.panel, g.cartesian, pat.arrayX, pat.car + LEVELS, RT_BLUE,
                                     RT_SIMPLE_DOT);
    const auto items = g.Cartesian();
    const PlotItem *te = Find(items, e), *th = Find(items, h);
    ASSERT_TRUE(te && th);
    ASSERT_EQ(te->xs.size(), size_t(LEVELS));
    EXPECT_EQ(te->xs.front(), -180);
    EXPECT_EQ(te->xs.back(), 179);
    EXPECT_EQ(te->pointStyle, RT_SOLID_CIRCLE);
    EXPECT_EQ(th->pointStyle, RT_SIMPLE_DOT);
    for (size_t k = 0; k < size_t(LEVELS); ++k) {
        EXPECT_EQ(te->ys[k] == 0.0, te->xs[k] == 90) << k;
        EXPECT_EQ(th->ys[k] == 0.0, th->xs[k] == -90) << k;
    }
}

TEST(Markers, HalfPowerLinesAndMslPointAtTheirAngles)
{
    Graphs g;
    const int up = PlotHalfPowerLine(g.panel, g.polar, 0.0, RT_RED);
    // A half-degree edge is drawn at the next whole degree clockwise.
    const int half = PlotHalfPowerLine(g.panel, g.polar, 12.5, RT_BLUE);
    const MslPlots right = PlotMslMarker(g.panel, g.polar, 90, RT_RED);
    const MslPlots m200 = PlotMslMarker(g.panel, g.polar, 200, RT_BLUE);
    const MslPlots none = PlotMslMarker(g.panel, g.polar, -1, RT_BLUE);
    const auto items = g.Polar();
    const PlotItem *l = Find(items, up);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->xs[0], 0.0);
    EXPECT_EQ(l->ys[0], 0.0);
    EXPECT_NEAR(l->xs[1], 0.0, 1e-4);
    EXPECT_NEAR(l->ys[1], 35.0, 1e-9);
    const PlotItem *lh = Find(items, half);
    EXPECT_NEAR(std::atan2(lh->xs[1], lh->ys[1]) * 180 / M_PI, 13.0, 1e-3);
    EXPECT_EQ(lh->color, RT_BLUE);
    const PlotItem *rl = Find(items, right.line), *rt = Find(items, right.text);
    ASSERT_TRUE(rl && rt);
    EXPECT_NEAR(rl->xs[1], 35.0, 1e-9);
    EXPECT_NEAR(rl->ys[1], 0.0, 1e-4);
    EXPECT_EQ(rt->text, "MSL");
    EXPECT_EQ(rt->xs[0], rl->xs[1]);
    EXPECT_EQ(rt->ys[0], rl->ys[1]);
    EXPECT_EQ(rt->fillColor, RT_TRANSPARENT);
    EXPECT_EQ(rt->color, RT_RED);
    EXPECT_NEAR(Find(items, m200.line)->xs[1], -11.97, 0.005);
    EXPECT_NEAR(Find(items, m200.line)->ys[1], -32.89, 0.005);
    // No peak (-1) points at 359 degrees.
    EXPECT_LT(Find(items, none.line)->xs[1], 0.0);
    EXPECT_GT(Find(items, none.line)->ys[1], 34.9);
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
