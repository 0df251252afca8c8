// SPDX-License-Identifier: GPL-3.0-or-later
// What several curves on one graph need from the graph control: line styles
// that can be told apart, a filled polygon that may be see-through, the size
// a text takes; and dialogues that open beside the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <set>

#include "demo_panel.h"
#include "graph.h"
#include "render.h"
#include "rt.h"
#include "rtdemo_uir.h"
#include "testing.h"

namespace {

// The colour of one pixel of a graph picture, at graph coordinates.
QRgb PixelAt(int panel, int ctrl, double x, double y)
{
    std::string png, error;
    EXPECT_EQ(rt::RenderGraphPicture(panel, ctrl, "png", 200, 200, &png, &error), 0) << error;
    QImage img;
    img.loadFromData(reinterpret_cast<const uchar *>(png.data()), int(png.size()), "PNG");
    auto *g = qobject_cast<rt::Graph *>(rt::test::CtrlWidget(panel, ctrl));
    const QPointF px = g->toPixel(x, y) * (200.0 / g->width());
    return img.pixel(int(px.x()), int(px.y()));
}

}  // namespace

TEST(GraphOverlayItems, EveryLineStyleDrawsItsOwnPattern)
{
    const int p = rt::test::LoadDemoPanel();
    DisplayPanel(p);
    auto *g = qobject_cast<rt::Graph *>(rt::test::CtrlWidget(p, DEMOPNL_GRAPH));
    ASSERT_NE(g, nullptr);
    // One horizontal line per style; which pixels along it are lit.
    std::set<std::vector<bool>> patterns;
    for (int style = RT_SOLID; style <= RT_LONG_DASH_DOT_DOT; ++style) {
        DeleteGraphPlot(p, DEMOPNL_GRAPH, -1, RT_IMMEDIATE_DRAW);
        const int line = PlotLine(p, DEMOPNL_GRAPH, -10, 0, 10, 0, RT_WHITE);
        ASSERT_EQ(SetPlotAttribute(p, DEMOPNL_GRAPH, line, RT_ATTR_LINE_STYLE, style), 0);
        EXPECT_EQ(rt::test::GraphItems(p, DEMOPNL_GRAPH)[0].lineStyle, style);
        const QImage img = g->grab().toImage();
        const int row = int(g->toPixel(0, 0).y());
        std::vector<bool> lit;
        for (int x = int(g->toPixel(-9, 0).x()); x < int(g->toPixel(9, 0).x()); ++x)
            lit.push_back(qGray(img.pixel(x, row)) > 100);
        patterns.insert(lit);
    }
    EXPECT_EQ(patterns.size(), 9u) << "each of the nine styles looks different";
    EXPECT_EQ(SetPlotAttribute(p, DEMOPNL_GRAPH, 999, RT_ATTR_LINE_STYLE, RT_DOT), -1);
}

TEST(GraphOverlayItems, APolygonFillsSeeThroughAndNeverTakesTheCursor)
{
    const int p = rt::test::LoadDemoPanel();
    DisplayPanel(p);
    const double xs[] = {-8, 8, 8, -8}, ys[] = {-8, -8, 8, 8};
    const int under = PlotLine(p, DEMOPNL_GRAPH, -9, 0, 9, 0, RT_RED);
    const int box =
        PlotPolygon(p, DEMOPNL_GRAPH, xs, ys, 4, RT_DOUBLE, RT_DOUBLE, RT_TRANSPARENT, RT_WHITE);
    ASSERT_GT(box, 0);
    const auto items = rt::test::GraphItems(p, DEMOPNL_GRAPH);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].kind, rt::PlotKind::Polygon);
    EXPECT_EQ(items[1].xs, std::vector<double>(xs, xs + 4));
    EXPECT_EQ(items[1].fillOpacity, 100);
    // Opaque, it hides the red line; at 30 % the line shows through it.
    EXPECT_EQ(PixelAt(p, DEMOPNL_GRAPH, 0, 4), qRgb(255, 255, 255));
    EXPECT_EQ(PixelAt(p, DEMOPNL_GRAPH, 0, 0), qRgb(255, 255, 255));
    ASSERT_EQ(SetPlotAttribute(p, DEMOPNL_GRAPH, box, RT_ATTR_FILL_OPACITY, 30), 0);
    const QRgb blend = PixelAt(p, DEMOPNL_GRAPH, 0, 4);  // over the black background
    EXPECT_NEAR(qRed(blend), 0.3 * 255, 3);
    const QRgb line = PixelAt(p, DEMOPNL_GRAPH, 0, 0);
    EXPECT_GT(qRed(line), 240);
    EXPECT_LT(qGreen(line), 100);
    // A click inside the filled area finds the line, not the polygon.
    rt::test::ClickGraph(p, DEMOPNL_GRAPH, 7.5, 7.5);
    int plot = 0, index = 0;
    GetGraphCursorIndex(p, DEMOPNL_GRAPH, 1, &plot, &index);
    EXPECT_EQ(plot, under);
    EXPECT_EQ(PlotPolygon(p, DEMOPNL_GRAPH, xs, ys, 0, RT_DOUBLE, RT_DOUBLE, RT_RED, RT_RED), -1);
}

TEST(GraphOverlayItems, ATextsSizeInGraphUnitsGrowsWithItsLengthAndTheFont)
{
    const int p = rt::test::LoadDemoPanel();
    double w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    ASSERT_EQ(GetGraphTextSize(p, DEMOPNL_GRAPH, "MM", &w1, &h1), 0);
    GetGraphTextSize(p, DEMOPNL_GRAPH, "MMMMMMMM", &w2, &h2);
    EXPECT_GT(w1, 0);
    EXPECT_GT(h1, 0);
    EXPECT_GT(w2, 3 * w1);
    EXPECT_EQ(h1, h2);
    // A text plotted at the size given fits what the graph shows of it.
    const int t = PlotText(p, DEMOPNL_GRAPH, 0, 0, "MMMMMMMM", "NIAppMetaFont", RT_WHITE, RT_BLACK);
    DisplayPanel(p);
    QApplication::processEvents();
    ASSERT_GT(t, 0);
    const auto shown = rt::test::GraphTexts(p, DEMOPNL_GRAPH);
    ASSERT_EQ(shown.size(), 1u);
    auto *g = qobject_cast<rt::Graph *>(rt::test::CtrlWidget(p, DEMOPNL_GRAPH));
    const double unitsPerPixel = 1 / (g->toPixel(1, 0).x() - g->toPixel(0, 0).x());
    EXPECT_NEAR(shown[0].width * unitsPerPixel, w2, unitsPerPixel * 1.01);
    EXPECT_EQ(GetGraphTextSize(p, 9999, "M", &w1, &h1), -1);
}

namespace {

// The demo main panel (it has a menu bar) and its dialogue, which is to
// open beside it.
struct MainAndDialogue {
    int main = 0, dialog = 0;
    MainAndDialogue(QPoint mainAt)
    {
        main = rt::test::LoadDemoPanel();
        DisplayPanel(main);
        rt::test::PanelWidget(main)->move(mainAt);
        QApplication::processEvents();
        dialog = LoadPanel(0, "rtdemo.uir", DLGPNL);
        rt::test::PanelWidget(dialog)->setProperty("placeBeside", true);
        DisplayPanel(dialog);
        QApplication::processEvents();
    }
    ~MainAndDialogue()
    {
        DiscardPanel(dialog);
        DiscardPanel(main);
    }
    QRect Main() const { return rt::test::PanelWidget(main)->frameGeometry(); }
    QRect Dialog() const { return rt::test::PanelWidget(dialog)->frameGeometry(); }
};

QRect Avail()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

}  // namespace

TEST(BesideTheMainWindow, RightWhereThereIsRoomElseBelowElseAtTheScreensEdge)
{
    {
        const MainAndDialogue w(Avail().topLeft());
        EXPECT_EQ(w.Dialog().left(), w.Main().right() + 1) << "to the right";
        EXPECT_EQ(w.Dialog().top(), w.Main().top());
        EXPECT_FALSE(w.Dialog().intersects(w.Main()));
    }
    {
        // No room to the right: below, as far left as the main window.
        const MainAndDialogue w(QPoint(Avail().right() - 560, Avail().top()));
        EXPECT_EQ(w.Dialog().top(), w.Main().bottom() + 1) << "below";
        EXPECT_FALSE(w.Dialog().intersects(w.Main()));
        EXPECT_TRUE(Avail().contains(w.Dialog()));
    }
    {
        // Room neither way: at the screen's right edge, over the main
        // window's right part only.
        const MainAndDialogue w(QPoint(Avail().right() - 560, Avail().bottom() - 440));
        EXPECT_EQ(w.Dialog().right(), Avail().right());
        EXPECT_TRUE(Avail().contains(w.Dialog()));
        EXPECT_GT(w.Dialog().left(), w.Main().left() + w.Main().width() / 2);
        // Of the places left, one clear of the main window's graph.
        const QWidget *graph = rt::test::CtrlWidget(w.main, DEMOPNL_GRAPH);
        EXPECT_FALSE(
            w.Dialog().intersects(QRect(graph->mapToGlobal(QPoint(0, 0)), graph->size())));
    }
}

TEST(BesideTheMainWindow, ThePlaceTheUserMovesItToIsKept)
{
    const std::string program = QCoreApplication::applicationName().toStdString();
    QPoint moved;
    {
        const MainAndDialogue w(Avail().topLeft());
        // Where the run-time put it is no choice of the user's.
        EXPECT_EQ(GetUserSettingText(program.c_str(), "place/DLGPNL", ""), "");
        moved = w.Dialog().topLeft() + QPoint(15, 40);
        rt::test::PanelWidget(w.dialog)->move(moved);
        QApplication::processEvents();
        EXPECT_EQ(GetUserSettingText(program.c_str(), "place/DLGPNL", ""),
                  std::to_string(moved.x()) + "," + std::to_string(moved.y()));
        // Shown again while it is open, it stays where the user put it.
        DisplayPanel(w.dialog);
        QApplication::processEvents();
        EXPECT_EQ(w.Dialog().topLeft(), moved);
    }
    {
        const MainAndDialogue w(Avail().topLeft());
        EXPECT_EQ(w.Dialog().topLeft(), moved) << "loaded again, it opens where it was left";
    }
    // A place no screen shows any more is not used.
    SetUserSettingText(program.c_str(), "place/DLGPNL", "90000,90000");
    const MainAndDialogue w(Avail().topLeft());
    EXPECT_EQ(w.Dialog().left(), w.Main().right() + 1);
}
