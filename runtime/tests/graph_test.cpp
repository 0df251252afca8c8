// SPDX-License-Identifier: GPL-3.0-or-later
// Plot items on the graph control: what is drawn, deleted and clicked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QWidget>

#include "demo_panel.h"
#include "graph.h"
#include "rt.h"
#include "rtdemo_uir.h"
#include "testing.h"

namespace {

int gClicks = 0;
int GraphCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_LEFT_CLICK)
        ++gClicks;
    return 0;
}
int LoadGraphPanel()
{
    return rt::test::LoadDemoPanel(GraphCallback);
}

TEST(Graph, HoldsAndDeletesPlotItems)
{
    const int p = LoadGraphPanel();
    const double xs[3] = {0, 1, 2}, ys[3] = {5, 6, 7};
    const int ints[3] = {-1, 0, 1};
    const int line = PlotLine(p, DEMOPNL_GRAPH, 0, 0, 30, 0, RT_RED);
    const int xy = PlotXY(p, DEMOPNL_GRAPH, ints, ys, 3, RT_INTEGER, RT_DOUBLE, RT_THIN_LINE,
                          RT_SIMPLE_DOT, RT_SOLID, 1, RT_BLUE);
    const int oval = PlotOval(p, DEMOPNL_GRAPH, -5, -5, 5, 5, RT_GRAY, RT_TRANSPARENT);
    const int text =
        PlotText(p, DEMOPNL_GRAPH, -2.4, 3.4, " -25", "NIAppMetaFont", RT_GRAY, 0x008080);
    EXPECT_GT(line, 0);
    EXPECT_NE(line, xy);
    auto items = rt::test::GraphItems(p, DEMOPNL_GRAPH);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].kind, rt::PlotKind::XY);
    EXPECT_EQ(items[1].xs, (std::vector<double>{-1, 0, 1}));
    EXPECT_EQ(items[1].color, RT_BLUE);
    EXPECT_EQ(items[3].text, " -25");
    EXPECT_EQ(items[3].fillColor, 0x008080);
    SetPlotAttribute(p, DEMOPNL_GRAPH, line, RT_ATTR_PLOT_THICKNESS, 1);
    EXPECT_EQ(DeleteGraphPlot(p, DEMOPNL_GRAPH, xy, RT_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(DeleteGraphPlot(p, DEMOPNL_GRAPH, xy, RT_IMMEDIATE_DRAW), -1) << "already gone";
    EXPECT_EQ(rt::test::PlotCount(p, DEMOPNL_GRAPH), 3);
    DeleteGraphPlot(p, DEMOPNL_GRAPH, -1, RT_IMMEDIATE_DRAW);
    EXPECT_EQ(rt::test::PlotCount(p, DEMOPNL_GRAPH), 0);
    (void)xs, (void)oval, (void)text;
}

TEST(Graph, LeftClickSnapsCursorToTheNearestPlottedItem)
{
    const int p = LoadGraphPanel();
    DisplayPanel(p);
    PlotOval(p, DEMOPNL_GRAPH, -30, -30, 30, 30, RT_GRAY, RT_TRANSPARENT);
    double xs[360], ys[360];
    for (int i = 0; i < 360; ++i) {
        xs[i] = 10 * std::sin(i * 3.141592 / 180);
        ys[i] = 10 * std::cos(i * 3.141592 / 180);
    }
    const int curve = PlotXY(p, DEMOPNL_GRAPH, xs, ys, 360, RT_DOUBLE, RT_DOUBLE, RT_THIN_LINE,
                             RT_SIMPLE_DOT, RT_SOLID, 1, RT_RED);
    const int ring = 1;
    rt::test::ClickGraph(p, DEMOPNL_GRAPH, 10.2, 0.1);  // near 90 degrees on the curve
    int plot = 0, index = -1;
    GetGraphCursorIndex(p, DEMOPNL_GRAPH, 1, &plot, &index);
    EXPECT_EQ(plot, curve);
    EXPECT_NEAR(index, 90, 1);
    EXPECT_EQ(gClicks, 1);
    rt::test::ClickGraph(p, DEMOPNL_GRAPH, 0, -29.8);  // on the ring, far from the curve
    GetGraphCursorIndex(p, DEMOPNL_GRAPH, 1, &plot, &index);
    EXPECT_EQ(plot, ring);
}

// Collects the regions a widget is asked to repaint.
class PaintSpy : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};

TEST(Graph, AnAddedItemIsRepaintedWhole)
{
    const int p = LoadGraphPanel();
    DisplayPanel(p);
    auto *g = qobject_cast<rt::Graph *>(rt::test::CtrlWidget(p, DEMOPNL_GRAPH));
    ASSERT_NE(g, nullptr);
    for (int i = 0; i < 5; ++i)  // the window's first, whole paint
        QApplication::processEvents();
    PaintSpy spy;
    g->installEventFilter(&spy);
    PlotLine(p, DEMOPNL_GRAPH, -30, -30, 30, 30, RT_RED);  // a long segment
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    g->removeEventFilter(&spy);
    for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        const QPoint px = g->toPixel(-30 + 60 * t, -30 + 60 * t).toPoint();
        EXPECT_TRUE(spy.painted.contains(px)) << "point " << t << " of the segment not repainted";
    }
    EXPECT_FALSE(spy.painted.contains(g->toPixel(38, -38).toPoint()))
        << "only what changed is repainted";
}

TEST(Graph, ItemsFarOutsideTheAxesRepaintTheirVisiblePart)
{
    // A level of 999999999 dB lies some 1e10 pixels away: the repaint area
    // is cut to the control instead of overflowing the integer rectangle.
    const int p = LoadGraphPanel();
    DisplayPanel(p);
    auto *g = qobject_cast<rt::Graph *>(rt::test::CtrlWidget(p, DEMOPNL_GRAPH));
    ASSERT_NE(g, nullptr);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    PaintSpy spy;
    g->installEventFilter(&spy);
    const double xs[] = {0.0, 999999999.0, -1e300}, ys[] = {0.0, 0.0, -1e300};
    PlotXY(p, DEMOPNL_GRAPH, xs, ys, 3, RT_DOUBLE, RT_DOUBLE, RT_THIN_LINE, RT_SIMPLE_DOT, RT_SOLID,
           1, RT_RED);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    g->removeEventFilter(&spy);
    for (double x : {0.0, 10.0, 30.0})
        EXPECT_TRUE(spy.painted.contains(g->toPixel(x, 0).toPoint())) << "x " << x;
    EXPECT_TRUE(g->rect().adjusted(-50, -50, 50, 50).contains(spy.painted.boundingRect()));
}

TEST(Graph, RedrawStaysCheapAsPlotsAccumulate)
{
    const int p = LoadGraphPanel();
    DisplayPanel(p);
    QWidget *g = rt::test::CtrlWidget(p, DEMOPNL_GRAPH);
    for (int i = 0; i < 4000; ++i)
        PlotLine(p, DEMOPNL_GRAPH, 0, 0, 30 * std::sin(i), 30 * std::cos(i), RT_RED);
    g->repaint();  // builds the cached picture once
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 200; ++i) {
        PlotLine(p, DEMOPNL_GRAPH, 0, 0, 1, i % 30, RT_BLUE);
        g->repaint();
    }
    // Appending draws one segment, not the 4000 beneath it.
    EXPECT_LT(t.elapsed(), 1500);
}

}  // namespace
