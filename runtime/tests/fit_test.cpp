// SPDX-License-Identifier: GPL-3.0-or-later
// Windows larger than their screen: tighter layouts first, then graphs
// shrunk only as far as that makes the window fit.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "graph.h"
#include "internal.h"
#include "rt.h"

namespace {

struct Window {
    std::unique_ptr<QWidget> w = std::make_unique<QWidget>();
    rt::Graph *graph = nullptr;
    QLabel *label = nullptr;
    // A graph drawn at `side` pixels beside a column with a text `wide`
    // pixels across.
    Window(int side, int wide)
    {
        auto *row = new QHBoxLayout(w.get());
        graph = new rt::Graph;
        graph->setMinimumSize(side, side);
        graph->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        row->addWidget(graph);
        auto *column = new QVBoxLayout;
        label = new QLabel(QStringLiteral("x"));
        label->setMinimumWidth(wide);
        column->addWidget(label);
        row->addLayout(column);
    }
};

}  // namespace

TEST(FitToScreen, AGraphTooTallForTheScreenShrinksUntilTheWindowFits)
{
    const QSize room = rt::detail::ScreenRoom(nullptr);
    ASSERT_GT(room.height(), 500);
    Window win(room.height() + 100, 100);
    rt::detail::FitToScreen(win.w.get());
    const QSize least = win.w->minimumSizeHint();
    EXPECT_LE(least.height(), room.height());
    EXPECT_EQ(win.graph->minimumWidth(), win.graph->minimumHeight()) << "still square";
    EXPECT_GT(win.graph->minimumHeight(), room.height() * 0.9) << "no smaller than it must";
}

TEST(FitToScreen, AGraphThatCannotHelpKeepsItsSize)
{
    const QSize room = rt::detail::ScreenRoom(nullptr);
    // Too wide because of the text column: a smaller graph would not help
    // enough, so it stays as drawn; a window that fits is left alone.
    Window wide(400, room.width() + 200);
    rt::detail::FitToScreen(wide.w.get());
    EXPECT_EQ(wide.graph->minimumSize(), QSize(400, 400));
    Window fits(400, 100);
    const int spacing = fits.w->layout()->spacing();
    rt::detail::FitToScreen(fits.w.get());
    EXPECT_EQ(fits.graph->minimumSize(), QSize(400, 400));
    EXPECT_EQ(fits.w->layout()->spacing(), spacing);
}

TEST(FitToScreen, AMainWindowThatCannotFitScrollsAndComesBackWhole)
{
    const QSize room = rt::detail::ScreenRoom(nullptr);
    QMainWindow main;
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    auto *column = new QVBoxLayout(content);
    auto *label = new QLabel(QStringLiteral("x"));
    label->setMinimumSize(room.width() + 300, room.height() + 300);
    column->addWidget(label);
    main.setCentralWidget(content);
    rt::detail::FitToScreen(&main);
    auto *area = qobject_cast<QScrollArea *>(main.centralWidget());
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->widget(), content);
    EXPECT_LE(main.width(), room.width());
    EXPECT_LE(main.height(), room.height());
    // Content that fits again is no longer wrapped.
    label->setMinimumSize(200, 100);
    rt::detail::FitToScreen(&main);
    EXPECT_EQ(main.centralWidget(), content);
}

namespace {

rt::PlotItem Label(double x, double y, const char *text, int color)
{
    rt::PlotItem it;
    it.kind = rt::PlotKind::Text;
    it.xs = {x};
    it.ys = {y};
    it.text = text;
    it.color = color;
    it.fillColor = RT_TRANSPARENT;
    return it;
}

}  // namespace

TEST(GraphTexts, ARowTooTightForItsLabelsKeepsEveryKthOneWithTheFirstPlotted)
{
    rt::Graph g;
    g.setProperty("xMin", -110.0);
    g.setProperty("xMax", 110.0);
    g.setProperty("yMin", -10.0);
    g.setProperty("yMax", 10.0);
    QFont f = g.font();
    f.setPointSize(16);
    g.setFont(f);
    // A scale from -100 to 100 in tens, plotted from the middle outwards.
    const char *names[] = {"0",   "-10", "10",  "-20", "20",  "-30",  "30",
                           "-40", "40",  "-50", "50",  "-60", "60",   "-70",
                           "70",  "-80", "80",  "-90", "90",  "-100", "100"};
    const int at[] = {0,   -10, 10,  -20, 20,  -30, 30,  -40, 40,   -50, 50,
                      -60, 60,  -70, 70,  -80, 80,  -90, 90,  -100, 100};
    for (int i = 0; i < 21; ++i)
        g.add(Label(at[i], -5, names[i], 0xFFFFFF));
    g.add(Label(-100, 5, "title", 0xFF0000));  // another series, above the scale
    for (int width : {2400, 700, 300}) {
        g.resize(width, 100);
        const auto shown = g.shownTexts();
        std::vector<int> xs;
        bool title = false;
        for (size_t i = 0; i < shown.size(); ++i) {
            for (size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(shown[i].second.intersects(shown[j].second))
                    << width << ": '" << shown[i].first << "' and '" << shown[j].first << "'";
            EXPECT_TRUE(QRectF(-1, -1, width + 2, 102).contains(shown[i].second)) << width;
            if (shown[i].first == "title")
                title = true;
            else
                xs.push_back(std::stoi(shown[i].first));
        }
        EXPECT_TRUE(title) << width;
        EXPECT_NE(std::find(xs.begin(), xs.end(), 0), xs.end()) << "the first plotted stays";
        if (width == 2400) {
            EXPECT_EQ(xs.size(), 21u) << "room for all";
            continue;
        }
        // Evenly stepped, so the scale still reads as one.
        ASSERT_GE(xs.size(), 3u) << width;
        EXPECT_LT(xs.size(), 21u) << width;
        std::sort(xs.begin(), xs.end());
        for (size_t i = 2; i < xs.size(); ++i)
            EXPECT_EQ(xs[i] - xs[i - 1], xs[1] - xs[0]) << width;
    }
    // A text of its own over the scale hides the label under it, and only that.
    g.resize(2400, 100);
    g.add(Label(0, -5, "marker", 0x00FF00));
    std::vector<std::string> shown;
    for (const auto &[text, box] : g.shownTexts())
        shown.push_back(text);
    EXPECT_EQ(shown.size(), 22u);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "0"), 0);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "marker"), 1);
}
