// SPDX-License-Identifier: GPL-3.0-or-later
// Panels and graph controls a program makes without a resource file.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "graph.h"
#include "render.h"
#include "rt.h"
#include "rt_newpanel.h"
#include "rtdemo_uir.h"
#include "testing.h"

namespace {

int Closed(int, int, int, void *, int, int)
{
    return 0;
}

QRgb Centre(int panel, int control)
{
    QWidget *w = rt::test::CtrlWidget(panel, control);
    const QImage img = w->grab().toImage();
    return img.pixel(img.width() / 2, img.height() / 2) & 0xFFFFFF;
}

}  // namespace

TEST(NewPanel, MakesAHiddenPanelWithGraphsThatPlotLikeLoadedOnes)
{
    const int panel = NewPanel(0, "Pictures", 10, 20, 200, 300);
    ASSERT_GT(panel, 0);
    QWidget *w = rt::test::PanelWidget(panel);
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Pictures"));
    EXPECT_EQ(w->width(), 300);
    EXPECT_EQ(w->height(), 200);

    const int a = NewCtrl(panel, RT_CTRL_GRAPH, "First graph", 3, 28);
    const int b = NewCtrl(panel, RT_CTRL_GRAPH, "", 0, 0);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_NE(a, b);
    QWidget *ga = rt::test::CtrlWidget(panel, a);
    ASSERT_TRUE(ga);
    EXPECT_EQ(ga->parentWidget(), w);
    EXPECT_EQ(ga->geometry(), QRect(28, 3, 300, 300));
    EXPECT_EQ(ga->accessibleName(), QStringLiteral("First graph"));
    EXPECT_FALSE(rt::test::CtrlWidget(panel, b)->accessibleName().isEmpty());

    // Plot items go to the graph addressed, sizes through the attributes.
    const int line = PlotLine(panel, a, 0, 0, 5, 5, RT_RED);
    EXPECT_GT(line, 0);
    EXPECT_EQ(rt::test::PlotCount(panel, a), 1);
    EXPECT_EQ(rt::test::PlotCount(panel, b), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, b, RT_ATTR_WIDTH, 450), 0);
    int width = 0;
    GetCtrlAttribute(panel, b, RT_ATTR_WIDTH, &width);
    EXPECT_EQ(width, 450);
    std::string bytes, error;
    EXPECT_EQ(RenderGraphPicture(panel, a, "png", 64, 64, &bytes, &error), 0) << error;

    EXPECT_EQ(NewCtrl(panel, 99, "", 0, 0), -1) << "an unknown style";
    EXPECT_EQ(NewCtrl(panel + 100, RT_CTRL_GRAPH, "", 0, 0), -1) << "no such panel";
    EXPECT_EQ(NewPanel(0, "", 0, 0, 0, 100), -1);

    EXPECT_EQ(DiscardPanel(panel), 0);
    EXPECT_EQ(PlotLine(panel, a, 0, 0, 1, 1, RT_RED), -1);
    EXPECT_TRUE(rt::test::TakeFailures().empty());
}

TEST(NewPanel, AControlAddedToALoadedPanelTakesAFreeId)
{
    RegisterCtrlCallback("CloseCallback", Closed);
    const int p = LoadPanel(0, "rtdemo.uir", DLGPNL);
    ASSERT_GT(p, 0);
    const int g = NewCtrl(p, RT_CTRL_GRAPH, "Extra", 0, 0);
    ASSERT_GT(g, DLGPNL_NOTE);
    PlotLine(p, g, 0, 0, 1, 1, RT_BLUE);
    EXPECT_EQ(rt::test::PlotCount(p, g), 1);
    EXPECT_EQ(SetCtrlVal(p, DLGPNL_NOTE, "still there"), 0) << "the form's own controls stay";
    // A child panel made at run time goes with its parent.
    const int child = NewPanel(p, "child", 0, 0, 50, 50);
    ASSERT_GT(child, 0);
    DiscardPanel(p);
    EXPECT_FALSE(rt::test::PanelWidget(child));
}

TEST(NewPanel, GraphAxesSetTheScaleAndTheBackgroundOfAShownGraph)
{
    const int panel = NewPanel(0, "Axes", 0, 0, 220, 220);
    const int g = NewCtrl(panel, RT_CTRL_GRAPH, "Axes", 0, 0);
    SetCtrlAttribute(panel, g, RT_ATTR_WIDTH, 201);
    SetCtrlAttribute(panel, g, RT_ATTR_HEIGHT, 101);
    GraphAxes axes;
    ASSERT_EQ(GetGraphAxes(panel, g, &axes), 0);
    EXPECT_EQ(axes.xMin, -10);
    EXPECT_EQ(axes.yMax, 10);
    EXPECT_FALSE(axes.equalScale);
    EXPECT_EQ(axes.background, RT_BLACK);

    DisplayPanel(panel);
    EXPECT_EQ(Centre(panel, g), 0x000000u);
    axes = {0, 100, -5, 5, true, 0x336699};
    ASSERT_EQ(SetGraphAxes(panel, g, axes), 0);
    GraphAxes back;
    GetGraphAxes(panel, g, &back);
    EXPECT_EQ(back.xMax, 100);
    EXPECT_EQ(back.yMin, -5);
    EXPECT_TRUE(back.equalScale);
    EXPECT_EQ(back.background, 0x336699);
    // A graph already painted shows the new axes at once.
    EXPECT_EQ(Centre(panel, g), 0x336699u);
    auto *graph = qobject_cast<rt::Graph *>(rt::test::CtrlWidget(panel, g));
    ASSERT_TRUE(graph);
    // Equal scale: 100 units across 200 pixels, 10 up in 20 of the 100.
    EXPECT_DOUBLE_EQ(graph->toPixel(100, 0).x(), 200);
    EXPECT_DOUBLE_EQ(graph->toPixel(0, 5).y(), 40);

    // An empty range is refused and changes nothing.
    EXPECT_EQ(SetGraphAxes(panel, g, {1, 1, 0, 1, false, RT_WHITE}), -1);
    GetGraphAxes(panel, g, &back);
    EXPECT_EQ(back.xMin, 0);
    EXPECT_EQ(back.background, 0x336699);
    // Not a graph: nothing to set or read.
    EXPECT_EQ(SetGraphAxes(panel, g + 1, axes), -1);
    EXPECT_EQ(GetGraphAxes(panel, g + 1, &back), -1);
    DiscardPanel(panel);
}
