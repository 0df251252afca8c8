// SPDX-License-Identifier: GPL-3.0-or-later
// The graph on a display scaled by 2: its picture is made at the screen's
// pixel density, while graph units, the cursor and clicks are as at scale 1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <QWidget>
#include <cmath>

#include "demo_panel.h"
#include "graph.h"
#include "rt.h"
#include "rtdemo_uir.h"
#include "testing.h"

TEST(HiDpi, GraphPictureAtTheDevicePixelRatio)
{
    const int p = rt::test::LoadDemoPanel();
    ASSERT_GT(p, 0);
    DisplayPanel(p);
    const int line = PlotLine(p, DEMOPNL_GRAPH, -5, -5, 5, 5, RT_RED);
    auto *g = static_cast<rt::Graph *>(rt::test::CtrlWidget(p, DEMOPNL_GRAPH));
    ASSERT_DOUBLE_EQ(g->devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    const QImage shot = g->grab().toImage();
    ASSERT_DOUBLE_EQ(g->cachedPicture().devicePixelRatio(), 2.0);
    EXPECT_EQ(g->cachedPicture().size(), g->size() * 2);
    EXPECT_EQ(shot.size(), g->size() * 2) << "drawn at full resolution, not doubled";
    // Graph units to widget pixels as at scale 1: the centre is the middle.
    const QPointF c = g->toPixel(0, 0);
    EXPECT_NEAR(c.x(), g->width() / 2.0, 1.0);
    EXPECT_NEAR(c.y(), g->height() / 2.0, 1.0);
    // A one-pixel line at scale 2 is two device pixels wide, not four: the
    // red diagonal covers about 2 * length device pixels.
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (QColor(shot.pixel(x, y)).red() > 200 && QColor(shot.pixel(x, y)).green() < 80)
                ++red;
    const double length = std::hypot(g->toPixel(5, 5).x() - g->toPixel(-5, -5).x(),
                                     g->toPixel(5, 5).y() - g->toPixel(-5, -5).y())
                          * 2;
    EXPECT_LT(red, 3.5 * length) << "a pixel-doubled line would cover about 4x its length";
    EXPECT_GT(red, 1.0 * length);
    // A click in graph units still finds the line.
    rt::test::ClickGraph(p, DEMOPNL_GRAPH, 2, 2);
    int plot = 0, index = -1;
    GetGraphCursorIndex(p, DEMOPNL_GRAPH, 1, &plot, &index);
    EXPECT_EQ(plot, line);
}
