// SPDX-License-Identifier: GPL-3.0-or-later
// Several patterns on one graph, read back as plot items: the palette, the
// legend's texts and layout, the band's outline, and every handle returned.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include <algorithm>
#include <cmath>
#include <set>

#include "overlay_plots.h"
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
};

struct Levels {
    double v[LEVELS];
    explicit Levels(double level) { std::fill(v, v + LEVELS, level); }
};

OverlayPicture Picture(const Levels &a, const Levels &b, const Levels *mean, const Levels *sd)
{
    OverlayPicture pic;
    pic.reference.name = "open.atn";
    pic.reference.person = "Kim";
    pic.reference.color = RT_RED;
    for (int i = 0; i < 2; ++i) {
        OverlayCurve c;
        c.levels = (i == 0 ? a : b).v;
        c.color = OverlayStyleOf(i).color;
        c.lineStyle = OverlayStyleOf(i).lineStyle;
        c.name = i == 0 ? "one.atn" : "two.atn";
        c.person = i == 0 ? "  Lee  " : "";
        c.aligned = i == 1;
        c.rotation = 350;
        pic.curves.push_back(c);
    }
    if (mean) {
        pic.mean = mean->v;
        pic.sd = sd->v;
        pic.bandFiles = 3;
    }
    return pic;
}

std::vector<PlotItem> Of(const std::vector<PlotItem> &all, const std::vector<int> &handles)
{
    std::vector<PlotItem> out;
    for (const PlotItem &i : all)
        if (std::find(handles.begin(), handles.end(), i.handle) != handles.end())
            out.push_back(i);
    return out;
}

}  // namespace

TEST(OverlayPalette, EightColoursAndDashesAllApartAndNoneTheGraphsOwn)
{
    std::set<int> colors, dashes;
    for (int i = 0; i < OVERLAY_FILES_MAX; ++i) {
        const OverlayStyle &s = OverlayStyleOf(i);
        colors.insert(s.color);
        dashes.insert(s.lineStyle);
        EXPECT_NE(s.lineStyle, RT_SOLID) << i;
        for (int own : {int(RT_RED), int(RT_BLUE), int(RT_BLACK), int(RT_WHITE), int(RT_GRAY),
                        OVERLAY_MEAN_COLOR})
            EXPECT_NE(s.color, own) << i;
        // Light enough to see on the black graphs.
        const int r = s.color >> 16, g = (s.color >> 8) & 0xFF, b = s.color & 0xFF;
        EXPECT_GT(0.2126 * r + 0.7152 * g + 0.0722 * b, 70) << i;
    }
    EXPECT_EQ(colors.size(), size_t(OVERLAY_FILES_MAX));
    EXPECT_EQ(dashes.size(), size_t(OVERLAY_FILES_MAX));
}

TEST(OverlayLegend, TextsNameTheFilePersonAndTurnAndLongOnesAreShortened)
{
    EXPECT_EQ(OverlayLegendText("a.atn", "  Kim  ", false, 0), "a.atn  Kim");
    EXPECT_EQ(OverlayLegendText("a.atn", "", true, 12), "a.atn  turned +12\u00b0");
    EXPECT_EQ(OverlayLegendText("a.atn", "Kim", true, 350), "a.atn  Kim  turned -10\u00b0");
    EXPECT_EQ(OverlayLegendText("a.atn", "Kim", true, 0), "a.atn  Kim  turned 0\u00b0");
    // Cut by characters, not bytes: "ä" is two bytes.
    EXPECT_EQ(OverlayLegendText("abcdef.atn", "\u00e4\u00e4\u00e4\u00e4\u00e4", false, 0, 4, 3),
              "abc\u2026  \u00e4\u00e4\u2026");
    EXPECT_EQ(OverlayLegendText("a.atn", "Kim", false, 0, 28, 0), "a.atn");
}

TEST(OverlayDrawing, CurvesBandMeanAndLegendOnBothGraphsWithEveryHandle)
{
    Graphs g;
    const Levels a(-10), b(-40), mean(-12), sd(3);
    for (const bool polar : {true, false}) {
        const int ctrl = polar ? g.polar : g.cartesian;
        const std::vector<int> handles =
            PlotOverlay(g.panel, ctrl, polar, Picture(a, b, &mean, &sd));
        const std::vector<PlotItem> items = Of(rt::test::GraphItems(g.panel, ctrl), handles);
        ASSERT_EQ(items.size(), handles.size()) << "every item plotted is handed back";
        // Band and mean first, then the curves (b floored at the graphs' -30 dB).
        ASSERT_GE(items.size(), 4u);
        EXPECT_EQ(items[0].kind, rt::PlotKind::Polygon);
        EXPECT_EQ(items[0].fillOpacity, OVERLAY_BAND_OPACITY);
        EXPECT_EQ(items[1].color, OVERLAY_MEAN_COLOR);
        EXPECT_EQ(items[1].thickness, OVERLAY_MEAN_WEIGHT);
        EXPECT_EQ(items[2].color, OverlayStyleOf(0).color);
        EXPECT_EQ(items[3].lineStyle, OverlayStyleOf(1).lineStyle);
        if (polar) {
            // Closed, at radius level + 30; the band from radius 15 to 21.
            EXPECT_EQ(items[2].xs.size(), 361u);
            EXPECT_NEAR(std::hypot(items[2].xs[77], items[2].ys[77]), 20, 1e-9);
            EXPECT_NEAR(std::hypot(items[3].xs[5], items[3].ys[5]), 0, 1e-9);
            double lo = 1e9, hi = 0;
            for (size_t i = 0; i < items[0].xs.size(); ++i) {
                const double r = std::hypot(items[0].xs[i], items[0].ys[i]);
                lo = std::min(lo, r), hi = std::max(hi, r);
            }
            EXPECT_NEAR(lo, 15, 1e-9);
            EXPECT_NEAR(hi, 21, 1e-9);
        } else {
            EXPECT_EQ(items[2].xs.size(), 360u);
            EXPECT_EQ(items[2].xs.front(), -180);
            EXPECT_EQ(items[3].ys[100], -30.0);
            EXPECT_EQ(*std::max_element(items[0].ys.begin(), items[0].ys.end()), -9.0);
        }
        // The legend: a box, then a line and a text per entry, in order.
        std::vector<std::string> texts;
        for (const PlotItem &i : items)
            if (i.kind == rt::PlotKind::Text)
                texts.push_back(i.text);
        EXPECT_EQ(texts, (std::vector<std::string>{"open.atn  Kim", "one.atn  Lee",
                                                   "two.atn  turned -10\u00b0",
                                                   "mean \u00b1 1 SD of 3 files"}));
        // Each entry's sample line is in its curve's colour and dash.
        std::vector<std::pair<int, int>> samples;
        for (const PlotItem &i : items)
            if (i.kind == rt::PlotKind::Line)
                samples.emplace_back(i.color, i.lineStyle);
        EXPECT_EQ(samples, (std::vector<std::pair<int, int>>{
                               {RT_RED, RT_SOLID},
                               {OverlayStyleOf(0).color, OverlayStyleOf(0).lineStyle},
                               {OverlayStyleOf(1).color, OverlayStyleOf(1).lineStyle},
                               {OVERLAY_MEAN_COLOR, RT_SOLID}}));
    }
}

TEST(OverlayDrawing, TheLegendsLinesNeverCoverOneAnotherAtAnyFontAndStayOnTheGraph)
{
    for (int pt : {9, 16, 22}) {
        QFont f = QApplication::font();
        f.setPointSize(pt);
        QApplication::setFont(f);
        Graphs g;
        const Levels a(-10), b(-20);
        OverlayPicture pic = Picture(a, b, nullptr, nullptr);
        pic.curves[0].person = "A person line much longer than any legend has room for";
        for (const bool polar : {true, false}) {
            const int ctrl = polar ? g.polar : g.cartesian;
            const auto items =
                Of(rt::test::GraphItems(g.panel, ctrl), PlotOverlay(g.panel, ctrl, polar, pic));
            GraphAxes axes;
            GetGraphAxes(g.panel, ctrl, &axes);
            const auto it = std::find_if(items.begin(), items.end(), [](const PlotItem &i) {
                return i.kind == rt::PlotKind::Polygon;
            });
            ASSERT_NE(it, items.end());
            const PlotItem &box = *it;
            const double right = *std::max_element(box.xs.begin(), box.xs.end());
            EXPECT_LT(right, axes.xMax) << pt << " pt";
            std::vector<double> baselines;
            for (const PlotItem &i : items)
                if (i.kind == rt::PlotKind::Text)
                    baselines.push_back(i.ys[0]);
            double w = 0, h = 0;
            GetGraphTextSize(g.panel, ctrl, "M", &w, &h);
            for (size_t i = 1; i < baselines.size(); ++i)
                EXPECT_GE(baselines[i - 1] - baselines[i], h) << pt << " pt";
            const double top = *std::max_element(box.ys.begin(), box.ys.end());
            EXPECT_GT(top, baselines.front() + h) << "the first line inside the box";
        }
    }
}
