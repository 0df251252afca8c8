// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph: attributes and plots read back, the pictures it draws (a
// shaded, lit surface with depth, turned by the camera), the mouse, wheel
// and keys, the properties dialogue and the copy for printing. Runs on the
// offscreen platform: the graph needs no OpenGL.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include <cmath>
#include <string>
#include <vector>

#include "ogl3d.h"
#include "ogl3d_testing.h"
#include "pdf_check.h"
#include "rt.h"
#include "rtogl_uir.h"
#include "testing.h"

namespace {

struct Ogl3DTest : ::testing::Test {
    int panel = 0, graph = 0;
    void SetUp() override
    {
        panel = LoadPanel(0, "rtogl.uir", OGLPNL);
        ASSERT_GT(panel, 0);
        DisplayPanel(panel);
        graph = OGLConvertCtrl(panel, OGLPNL_CANVAS);
        ASSERT_EQ(graph, OGLPNL_CANVAS);
        ProcessDrawEvents();
    }
    void TearDown() override
    {
        DiscardPanel(panel);
        ProcessSystemEvents();
    }
    // An ellipsoid with half-axes a, b, c round the origin, n x n points
    // (rows from pole to pole, columns once round).
    int PlotEllipsoid(double a, double b, double c, int n = 21)
    {
        std::vector<double> pts;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const double th = M_PI * i / (n - 1), ph = 2 * M_PI * j / (n - 1);
                pts.insert(pts.end(), {a * std::sin(th) * std::cos(ph),
                                       b * std::sin(th) * std::sin(ph), c * std::cos(th)});
            }
        return OGLPlot3DScatter(panel, graph, pts.data(), n, n, RT_DOUBLE);
    }
    int PlotSphere(double r, int n = 21) { return PlotEllipsoid(r, r, r, n); }
    // Axes -10 to 10, black background, no walls or grid: only the plots show.
    void BareScene()
    {
        for (int k = 0; k < 3; ++k) {
            OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MIN + 100 * k, -10);
            OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MAX + 100 * k, 10);
        }
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_FRAME_VISIBLE, 0);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_GRID_VISIBLE, 0);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_BACKGROUND_COLOR, 0x000000);
    }
    // On-screen distance, in units of a w x h picture, from the origin to p.
    double Reach(const rt::test::Point3D &p, int w, int h)
    {
        const QPointF o = rt::test::OglProject(panel, graph, {0, 0, 0}, w, h);
        const QPointF q = rt::test::OglProject(panel, graph, p, w, h);
        return std::hypot(q.x() - o.x(), q.y() - o.y());
    }
    double Attr(int a)
    {
        double v = -999;
        EXPECT_EQ(OGLGetCtrlAttribute(panel, graph, a, &v), 0);
        return v;
    }
};

TEST_F(Ogl3DTest, ShownCanvasHasItsView)
{
    EXPECT_TRUE(rt::test::OglRealized(panel, graph));
    ASSERT_NE(rt::test::OglViewWidget(panel, graph), nullptr);
    EXPECT_EQ(rt::test::OglViewWidget(panel, graph)->geometry(),
              rt::test::CtrlWidget(panel, OGLPNL_CANVAS)->rect());
    EXPECT_EQ(OGLConvertCtrl(panel, OGLPNL_CANVAS), graph) << "converting twice keeps one graph";
}

TEST_F(Ogl3DTest, AttributesReadBackAsSet)
{
    const struct {
        int attr;
        double value;
    } cases[] = {
        {RT_OGL_ATTR_VIEW_LATITUDE, 20.0},
        {RT_OGL_ATTR_VIEW_LONGITUDE, 45.0},
        {RT_OGL_ATTR_VIEW_DISTANCE, 3.0},
        {RT_OGL_ATTR_VIEW_DISTANCE, 6.0},
        {RT_OGL_ATTR_VIEW_CENTER_X, 0.0},
        {RT_OGL_ATTR_VIEW_CENTER_Z, 2.0},
        {RT_OGL_ATTR_LIGHTING, 1},
        {RT_OGL_ATTR_LABEL_OFFSET, -0.5},
        {RT_OGL_ATTR_LABEL_SCALE, 1.0},
        {RT_OGL_ATTR_GRID_COLOR, 0x00FFFF},
        {RT_OGL_ATTR_XAXIS_DIVISIONS, -4},
        {RT_OGL_ATTR_XAXIS_DIVISIONS + 200, -4},
        {RT_OGL_ATTR_XAXIS_SUBDIVISIONS + 200, 5},
        {RT_OGL_ATTR_XAXIS_MIN, -10},
        {RT_OGL_ATTR_XAXIS_MAX + 100, 10},
        {RT_OGL_ATTR_XAXIS_MAX + 200, 10},
        {RT_OGL_ATTR_ZAXIS_COLOR, 0x0000FA},
        {RT_OGL_ATTR_YAXIS_NAME_VISIBLE, 1},
        {RT_OGL_ATTR_VISIBLE, 0},
    };
    for (const auto &c : cases) {
        if (c.value == std::floor(c.value))
            EXPECT_EQ(OGLSetCtrlAttribute(panel, graph, c.attr, int(c.value)), 0);
        else
            EXPECT_EQ(OGLSetCtrlAttribute(panel, graph, c.attr, c.value), 0);
        EXPECT_NEAR(Attr(c.attr), c.value, 1e-3) << "attribute " << c.attr;
    }
    EXPECT_FALSE(rt::test::OglViewWidget(panel, graph)->isVisible()) << "10003 hides the rendering";
    EXPECT_LT(OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_NUM_PLOTS, 3), 0)
        << "plot count is read only";
    EXPECT_LT(OGLSetCtrlAttribute(panel + 99, graph, RT_OGL_ATTR_VISIBLE, 1), 0);
}

TEST_F(Ogl3DTest, PlotsCountedOldestFirstAndDeleted)
{
    EXPECT_EQ(Attr(RT_OGL_ATTR_NUM_PLOTS), 0);
    EXPECT_EQ(Attr(RT_OGL_ATTR_FIRST_PLOT), 0);
    const int a = PlotSphere(5), b = PlotSphere(8);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, a);
    EXPECT_EQ(Attr(RT_OGL_ATTR_NUM_PLOTS), 2);
    EXPECT_EQ(Attr(RT_OGL_ATTR_FIRST_PLOT), a);
    const auto pts = rt::test::OglPlotPoints(panel, graph, b);
    ASSERT_EQ(pts.size(), 21u * 21u);
    EXPECT_NEAR(pts[0][2], 8.0, 1e-12) << "points keep x, y, z in order";
    EXPECT_NEAR(pts[21 * 10 + 5][1], 8.0, 1e-12);

    EXPECT_EQ(OGLSetPlotAttribute(panel, graph, b, RT_OGL_ATTR_POINT_COLOR, 0xFF0000), 0);
    EXPECT_EQ(OGLSetPlotAttribute(panel, graph, b, RT_OGL_ATTR_POINT_SIZE, 2.5), 0);
    double v = 0;
    OGLGetPlotAttribute(panel, graph, b, RT_OGL_ATTR_POINT_COLOR, &v);
    EXPECT_EQ(v, 0xFF0000);
    OGLGetPlotAttribute(panel, graph, b, RT_OGL_ATTR_POINT_SIZE, &v);
    EXPECT_EQ(v, 2.5);

    const int refreshes = rt::test::OglRefreshCount(panel, graph);
    EXPECT_EQ(OGLDeletePlot(panel, graph, a, 1), 0);
    EXPECT_EQ(rt::test::OglRefreshCount(panel, graph), refreshes + 1);
    EXPECT_EQ(Attr(RT_OGL_ATTR_FIRST_PLOT), b);
    EXPECT_LT(OGLDeletePlot(panel, graph, a, 0), 0) << "a deleted plot is gone";
    EXPECT_LT(OGLSetPlotAttribute(panel, graph, a, RT_OGL_ATTR_POINT_SIZE, 1.0), 0);
    EXPECT_EQ(OGLDeletePlot(panel, graph, -1, 0), 0);
    EXPECT_EQ(Attr(RT_OGL_ATTR_NUM_PLOTS), 0);

    double dummy[3] = {0, 0, 0};
    EXPECT_LT(OGLPlot3DScatter(panel, graph, dummy, 1, 1, RT_INTEGER), 0) << "only doubles";
    EXPECT_LT(OGLPlot3DScatter(panel, graph, nullptr, 1, 1, RT_DOUBLE), 0);
}

TEST_F(Ogl3DTest, SphereIsAShadedDiscOfItsRadius)
{
    BareScene();
    const QImage empty = rt::test::OglRender(panel, graph, 360, 360);
    ASSERT_EQ(empty.size(), QSize(360, 360));
    EXPECT_EQ(rt::test::Surface(empty).count, 0);
    PlotSphere(8, 41);
    const QImage img = rt::test::OglRender(panel, graph, 360, 360);
    const auto s = rt::test::Surface(img);
    ASSERT_GT(s.count, 1000);
    // A disc round the projected origin, as wide as the sphere seen from the
    // camera (a sphere's outline lies a little outside its equator's
    // projection: within 4%).
    const double r = Reach({8, 0, 0}, 360, 360);
    const QPointF o = rt::test::OglProject(panel, graph, {0, 0, 0}, 360, 360);
    EXPECT_NEAR(s.bounds.width() / 2.0, r, 0.04 * r + 1);
    EXPECT_NEAR(s.bounds.height() / 2.0, r, 0.04 * r + 1);
    EXPECT_NEAR(s.centroid.x(), o.x(), 2);
    EXPECT_NEAR(s.centroid.y(), o.y(), 2);
    EXPECT_NEAR(s.count, M_PI * r * r, 0.09 * M_PI * r * r) << "round, not square or ringed";
    // Lit: light and dark across the surface, many shades between.
    EXPECT_GT(s.brightest - s.darkest, 100);
    EXPECT_GT(s.shades, 40);

    // Unlit: one flat colour.
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_LIGHTING, 0);
    const auto flat = rt::test::Surface(rt::test::OglRender(panel, graph, 360, 360));
    EXPECT_EQ(flat.shades, 1);
    EXPECT_EQ(flat.count, s.count);
}

TEST_F(Ogl3DTest, NearerSurfaceHidesTheOneInside)
{
    BareScene();
    const int inner = PlotSphere(5);
    OGLSetPlotAttribute(panel, graph, inner, RT_OGL_ATTR_POINT_COLOR, 0xFF0000);
    const int outer = PlotSphere(8);
    const auto red = [](const QImage &img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += qRed(img.pixel(x, y)) > qGreen(img.pixel(x, y)) + 40 ? 1 : 0;
        return n;
    };
    EXPECT_EQ(red(rt::test::OglRender(panel, graph, 300, 300)), 0) << "drawn later, yet in front";
    OGLSetPlotAttribute(panel, graph, outer, RT_OGL_ATTR_POINTS_VISIBLE, 0);
    EXPECT_GT(red(rt::test::OglRender(panel, graph, 300, 300)), 1000) << "the hidden plot is gone";
}

TEST_F(Ogl3DTest, TurningTheViewTurnsTheSolid)
{
    // Long along x: from the start (x to the right) it is wide; turned by
    // 90 degrees it shows its narrow side.
    BareScene();
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 0.0);
    PlotEllipsoid(9, 3, 3, 31);
    const QImage front = rt::test::OglRender(panel, graph, 360, 360);
    const auto a = rt::test::Surface(front);
    EXPECT_NEAR(a.bounds.width() / 2.0, Reach({9, 0, 0}, 360, 360), 4);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 90.0);
    const auto b = rt::test::Surface(rt::test::OglRender(panel, graph, 360, 360));
    EXPECT_LT(b.bounds.width(), a.bounds.width() / 2);
    EXPECT_NEAR(b.bounds.width() / 2.0, Reach({0, 3, 0}, 360, 360), 3);
    // From above (latitude 90) it is long again, and the x axis still runs
    // to the right.
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 0.0);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LATITUDE, 90.0);
    const QImage top = rt::test::OglRender(panel, graph, 360, 360);
    EXPECT_GT(rt::test::Surface(top).bounds.width(), 2 * rt::test::Surface(top).bounds.height());
    EXPECT_GT(rt::test::OglProject(panel, graph, {9, 0, 0}, 360, 360).x(), 180 + 50);
}

TEST_F(Ogl3DTest, TwiceThePixelsAtScaleTwo)
{
    BareScene();
    PlotSphere(8, 41);
    const auto one = rt::test::Surface(rt::test::OglRender(panel, graph, 200, 200, 1.0));
    const QImage img = rt::test::OglRender(panel, graph, 200, 200, 2.0);
    EXPECT_EQ(img.size(), QSize(400, 400));
    EXPECT_EQ(img.devicePixelRatio(), 2.0);
    const auto two = rt::test::Surface(img);
    EXPECT_NEAR(two.bounds.width(), 2 * one.bounds.width(), 3) << "drawn at twice the size";
    EXPECT_NEAR(two.count, 4 * one.count, 0.03 * 4 * one.count);
}

// The view draws at the screen's own pixels (run also at scale 2), never a
// smaller picture blown up.
TEST_F(Ogl3DTest, ViewDrawsAtTheScreensPixels)
{
    BareScene();
    PlotSphere(8, 41);
    QWidget *view = rt::test::OglViewWidget(panel, graph);
    const double dpr = view->devicePixelRatioF();
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.devicePixelRatio(), dpr);
    const QImage drawn = rt::test::OglRender(panel, graph, view->width(), view->height(), dpr);
    ASSERT_EQ(shown.size(), drawn.size());
    EXPECT_EQ(shown, drawn);
    if (qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2) {
        EXPECT_EQ(dpr, 2.0);
    }
}

TEST_F(Ogl3DTest, MouseTurnsAndZooms)
{
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 0.0);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LATITUDE, 0.0);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_DISTANCE, 3.0);
    rt::test::OglDrag(panel, graph, 40, 20);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LONGITUDE), 20.0, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LATITUDE), 10.0, 1e-3);
    rt::test::OglDrag(panel, graph, 0, 1000);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LATITUDE), 90.0, 1e-3) << "never past the pole";
    rt::test::OglWheel(panel, graph, 120);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 3.0 / 1.1, 1e-6) << "wheel forward comes closer";
    rt::test::OglWheel(panel, graph, -240);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 3.0 * 1.1, 1e-6);

    // The arrow keys turn by 5 degrees, + and - zoom.
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LATITUDE, 0.0);
    rt::test::OglKey(panel, graph, Qt::Key_Right);
    rt::test::OglKey(panel, graph, Qt::Key_Right);
    rt::test::OglKey(panel, graph, Qt::Key_Up);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LONGITUDE), 30.0, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LATITUDE), -5.0, 1e-3);
    rt::test::OglKey(panel, graph, Qt::Key_Plus);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 3.0, 1e-6);
}

TEST_F(Ogl3DTest, TurnedViewIsDrawnAgain)
{
    BareScene();
    PlotEllipsoid(9, 3, 3);
    QWidget *view = rt::test::OglViewWidget(panel, graph);
    const QImage before = view->grab().toImage();
    EXPECT_GT(rt::test::Surface(before).count, 500);
    rt::test::OglDrag(panel, graph, 120, 0);  // 60 degrees
    const QImage after = view->grab().toImage();
    EXPECT_LT(rt::test::Surface(after).bounds.width(),
              rt::test::Surface(before).bounds.width() - 40)
        << "the view shows the turned solid";
}

TEST_F(Ogl3DTest, PlotAreaFollowsTheCanvasCoordinates)
{
    // The canvas sits at (10, 10): a plot area there of 300 x 200 starts at
    // the canvas's own corner.
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_PLOTAREA_LEFT, 10);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_PLOTAREA_TOP, 10);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_PLOTAREA_WIDTH, 300);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_PLOTAREA_HEIGHT, 200);
    EXPECT_EQ(rt::test::OglViewWidget(panel, graph)->geometry(), QRect(0, 0, 300, 200));
    SetCtrlAttribute(panel, OGLPNL_CANVAS, RT_ATTR_WIDTH, 250);
    EXPECT_EQ(rt::test::OglViewWidget(panel, graph)->geometry(), QRect(0, 0, 250, 200))
        << "never beyond the canvas";
}

TEST_F(Ogl3DTest, PropertiesDialogueAppliesOrCancels)
{
    const int plot = PlotSphere(5);
    rt::test::AnswerOglProperties([](QDialog &d) {
        d.findChild<QDoubleSpinBox *>("longitude")->setValue(30);
        d.findChild<QDoubleSpinBox *>("latitude")->setValue(-15);
        d.findChild<QDoubleSpinBox *>("distance")->setValue(5);
        d.findChild<QPushButton *>("pointColor")->setProperty("rgb", 0xFF00FF);
        d.findChild<QPushButton *>("backgroundColor")->setProperty("rgb", 0x202020);
        d.findChild<QCheckBox *>("grid")->setChecked(false);
    });
    EXPECT_EQ(OGLPropertiesPopup(panel, graph), 1);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LONGITUDE), 30, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LATITUDE), -15, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 5, 1e-3);
    EXPECT_EQ(Attr(RT_OGL_ATTR_BACKGROUND_COLOR), 0x202020);
    EXPECT_EQ(Attr(RT_OGL_ATTR_GRID_VISIBLE), 0);
    double v = 0;
    OGLGetPlotAttribute(panel, graph, plot, RT_OGL_ATTR_POINT_COLOR, &v);
    EXPECT_EQ(v, 0xFF00FF);

    // The dialogue opens on the present values; cancelling changes nothing.
    rt::test::AnswerOglProperties(
        [](QDialog &d) {
            EXPECT_NEAR(d.findChild<QDoubleSpinBox *>("distance")->value(), 5, 1e-2);
            EXPECT_EQ(d.findChild<QPushButton *>("pointColor")->property("rgb").toInt(), 0xFF00FF);
            d.findChild<QDoubleSpinBox *>("distance")->setValue(9);
        },
        false);
    EXPECT_EQ(OGLPropertiesPopup(panel, graph), 0);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 5, 1e-3);
    ASSERT_EQ(rt::test::Popups().size(), 2u);
    EXPECT_EQ(rt::test::Popups()[0].kind, "ogl-properties");
}

// What a screen reader meets: the view is a chart, its holder no window of
// its own, and the properties' fields are named by their captions, which
// read as text.
TEST_F(Ogl3DTest, ScreenReadersMeetAChartAndNamedProperties)
{
    QAccessibleInterface *view =
        QAccessible::queryAccessibleInterface(rt::test::OglViewWidget(panel, graph));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->role(), QAccessible::Chart);
    EXPECT_EQ(view->text(QAccessible::Name).toStdString(), "3D graph");
    QAccessibleInterface *holder =
        QAccessible::queryAccessibleInterface(rt::test::CtrlWidget(panel, OGLPNL_CANVAS));
    ASSERT_NE(holder, nullptr);
    EXPECT_NE(holder->role(), QAccessible::Border) << "a frame reads as a window";

    rt::test::AnswerOglProperties(
        [](QDialog &d) {
            auto *colour = d.findChild<QPushButton *>("pointColor");
            QAccessibleInterface *b = QAccessible::queryAccessibleInterface(colour);
            EXPECT_EQ(b->text(QAccessible::Name).toStdString(), "Surface colour");
            EXPECT_EQ(b->text(QAccessible::Description).toStdString(), "#00ffff");
            int captions = 0;
            for (QLabel *l : d.findChildren<QLabel *>()) {
                QAccessibleTextInterface *t =
                    QAccessible::queryAccessibleInterface(l)->textInterface();
                ASSERT_NE(t, nullptr) << l->text().toStdString();
                EXPECT_EQ(t->text(0, t->characterCount()), l->text());
                ++captions;
            }
            EXPECT_EQ(captions, 5);
        },
        false);
    EXPECT_EQ(OGLPropertiesPopup(panel, graph), 0);
}

// Mean difference of two pictures' green channels, both shrunk to 60 x 60.
double Difference(const QImage &a, const QImage &b)
{
    const QImage x = a.scaled(60, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage y = b.scaled(60, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int j = 0; j < 60; ++j)
        for (int i = 0; i < 60; ++i)
            sum += std::abs(qGreen(x.pixel(i, j)) - qGreen(y.pixel(i, j)));
    return sum / 3600;
}

// The part of a printed page that is not paper.
QImage Printed(const QImage &page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return page.copy(box);
}

TEST_F(Ogl3DTest, CopiedPictureIsWhatTheCanvasPrints)
{
    BareScene();
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_FRAME_VISIBLE, 1);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 20.0);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LATITUDE, 25.0);
    PlotEllipsoid(9, 4, 6, 31);
    QWidget *view = rt::test::OglViewWidget(panel, graph);
    const QImage screen = view->grab().toImage();
    QTemporaryDir dir;
    const QString blank = dir.filePath("blank.pdf"), copied = dir.filePath("copied.pdf");
    // Without the copy the canvas prints what the screen shows, too.
    ASSERT_EQ(PrintCtrl(panel, OGLPNL_CANVAS, blank.toLocal8Bit().constData(), 0, 0), 0);
    ASSERT_EQ(OGLCopyScaledCtrlBitmap(panel, graph, 0, -1, -1, -1, OGLPNL_CANVAS), 0);
    EXPECT_FALSE(view->isVisible()) << "the picture stands in";
    const QImage snap = rt::test::OglSnapshot(panel, graph);
    EXPECT_EQ(snap.size(), 2 * screen.size()) << "twice the pixels for paper";
    ASSERT_EQ(PrintCtrl(panel, OGLPNL_CANVAS, copied.toLocal8Bit().constData(), 0, 0), 0);
    const QImage page = Printed(rt::test::PdfFirstPage(copied, 100));
    ASSERT_FALSE(page.isNull()) << "pdftoppm could not read the print";
    EXPECT_GT(rt::test::Surface(page).count, 2000) << "the solid on paper";

    // The print, the copy and the screen are one picture; a turned view is not.
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 80.0);
    const QImage turned = rt::test::OglRender(panel, graph, screen.width(), screen.height());
    const double unlike = Difference(screen, turned);
    EXPECT_GT(unlike, 8);
    EXPECT_LT(Difference(screen, snap), unlike / 4);
    EXPECT_LT(Difference(screen, page), unlike / 3);
    EXPECT_LT(Difference(screen, Printed(rt::test::PdfFirstPage(blank, 100))), unlike / 3);

    // Back in the event loop with no dialogue open, the live view returns.
    for (int i = 0; i < 20 && !view->isVisible(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        Delay(0.02);
    }
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(rt::test::OglSnapshot(panel, graph).isNull());
}

// A graph whose canvas is hidden when it is made: nothing of OpenGL exists
// until the canvas shows or a picture of it is wanted.
struct Ogl3DLateTest : Ogl3DTest {
    void SetUp() override
    {
        panel = LoadPanel(0, "rtogl.uir", OGLPNL);
        ASSERT_GT(panel, 0);
        SetCtrlAttribute(panel, OGLPNL_CANVAS, RT_ATTR_VISIBLE, 0);
        DisplayPanel(panel);
        graph = OGLConvertCtrl(panel, OGLPNL_CANVAS);
        ASSERT_EQ(graph, OGLPNL_CANVAS);
        ProcessDrawEvents();
        ASSERT_FALSE(rt::test::OglRealized(panel, graph));
        EXPECT_EQ(rt::test::OglViewWidget(panel, graph), nullptr);
    }
    void SetUpScene()
    {
        for (int k = 0; k < 3; ++k) {
            OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MIN + 100 * k, -10);
            OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MAX + 100 * k, 10);
        }
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_LONGITUDE, 45.0);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_DISTANCE, 6.0);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_BACKGROUND_COLOR, 0xFFFFFF);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VISIBLE, 1);
        const int plot = PlotSphere(8);
        OGLSetPlotAttribute(panel, graph, plot, RT_OGL_ATTR_POINT_COLOR, 0xFF00FF);
    }
};

TEST_F(Ogl3DLateTest, ShowingTheCanvasMakesTheRenderingWithTheAttributesSetBefore)
{
    SetUpScene();
    // The dialogue works on the stored state, without a rendering.
    rt::test::AnswerOglProperties([](QDialog &d) {
        EXPECT_NEAR(d.findChild<QDoubleSpinBox *>("distance")->value(), 6, 1e-3);
        d.findChild<QDoubleSpinBox *>("latitude")->setValue(20);
    });
    EXPECT_EQ(OGLPropertiesPopup(panel, graph), 1);
    EXPECT_FALSE(rt::test::OglRealized(panel, graph));
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 6, 1e-3);

    SetCtrlAttribute(panel, OGLPNL_CANVAS, RT_ATTR_VISIBLE, 1);
    ASSERT_TRUE(rt::test::OglRealized(panel, graph));
    QWidget *view = rt::test::OglViewWidget(panel, graph);
    EXPECT_TRUE(view->isVisible());
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LONGITUDE), 45, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LATITUDE), 20, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 6, 1e-3);
    const QImage img = view->grab().toImage();
    EXPECT_GT(rt::test::CountColour(img, qRgb(255, 0, 255), 90), 50) << "the plot made before";
    EXPECT_GT(rt::test::CountColour(img, qRgb(255, 255, 255), 40), 1000) << "white background";
}

TEST_F(Ogl3DLateTest, APictureOfAGraphNeverShownMakesTheRendering)
{
    SetUpScene();
    ASSERT_EQ(OGLCopyScaledCtrlBitmap(panel, graph, 0, 300, 300, -1, OGLPNL_COPY), 0);
    EXPECT_TRUE(rt::test::OglRealized(panel, graph));
    EXPECT_GT(rt::test::CountColour(rt::test::OglSnapshot(panel, graph), qRgb(255, 0, 255), 90),
              50);
}

// Attribute numbers the graph does not know are errors, and in test mode a
// failure of the test that used them.
TEST_F(Ogl3DLateTest, UnknownAttributesAreErrors)
{
    std::vector<std::string> failures;
    rt::test::SetFailureHook([&](const std::string &what) { failures.push_back(what); });
    const int plot = PlotSphere(1);
    double v = 0;
    int i = 0;
    EXPECT_LT(OGLSetCtrlAttribute(panel, graph, 10004, 1), 0);
    EXPECT_LT(OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MIN + 300, 1.0), 0)
        << "no 4th axis";
    EXPECT_LT(OGLGetCtrlAttribute(panel, graph, 10452, &v), 0);
    EXPECT_LT(OGLGetCtrlAttribute(panel, graph, 10410, &i), 0);
    EXPECT_LT(OGLSetPlotAttribute(panel, graph, plot, 10494, 1), 0);
    EXPECT_LT(OGLGetPlotAttribute(panel, graph, plot, RT_OGL_ATTR_VISIBLE, &v), 0);
    rt::test::SetFailureHook([](const std::string &what) { ADD_FAILURE() << what; });
    EXPECT_EQ(failures.size(), 6u);
    // Known ones still work, read-only ones refuse a value without failing.
    EXPECT_EQ(OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_ZAXIS_NAME_VISIBLE, 1), 0);
    EXPECT_EQ(OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_FIRST_PLOT, 1), -2);
}

// Points that are not numbers, or lie far beyond any picture, are left out
// with the triangles they belong to; the rest of the surface still shows.
TEST_F(Ogl3DTest, UnusablePointsAreLeftOut)
{
    BareScene();
    std::vector<double> pts;
    for (int i = 0; i < 21; ++i)
        for (int j = 0; j < 21; ++j) {
            const double th = M_PI * i / 20, ph = 2 * M_PI * j / 20;
            pts.insert(pts.end(), {8 * std::sin(th) * std::cos(ph), 8 * std::sin(th) * std::sin(ph),
                                   8 * std::cos(th)});
        }
    pts[3 * 100] = NAN;
    pts[3 * 200 + 1] = 1e300;
    pts[3 * 300 + 2] = -INFINITY;
    ASSERT_GT(OGLPlot3DScatter(panel, graph, pts.data(), 21, 21, RT_DOUBLE), 0);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_BACKGROUND_COLOR, 1e300);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_DIVISIONS, -1e12);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_GRID_VISIBLE, 1);
    EXPECT_FALSE(rt::test::OglRender(panel, graph, 300, 300).isNull()) << "odd values drawn";
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_GRID_VISIBLE, 0);
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_BACKGROUND_COLOR, 0.0);
    const auto s = rt::test::Surface(rt::test::OglRender(panel, graph, 300, 300));
    const double r = Reach({8, 0, 0}, 300, 300);
    EXPECT_GT(s.count, 0.8 * M_PI * r * r);
    EXPECT_LT(s.count, 1.1 * M_PI * r * r) << "nothing drawn towards the far point";
}

// A plot of one line of points has no surface: its points show as dots.
TEST_F(Ogl3DTest, OneLineOfPointsShowsAsDots)
{
    BareScene();
    std::vector<double> pts;
    for (int i = 0; i < 9; ++i)
        pts.insert(pts.end(), {-8.0 + 2 * i, 0.0, 0.0});
    const int plot = OGLPlot3DScatter(panel, graph, pts.data(), 9, 1, RT_DOUBLE);
    ASSERT_GT(plot, 0);
    const auto s = rt::test::Surface(rt::test::OglRender(panel, graph, 300, 300));
    EXPECT_GE(s.count, 9 * 4);
    EXPECT_LE(s.count, 9 * 25);
    EXPECT_NEAR(s.bounds.width() / 2.0, Reach({8, 0, 0}, 300, 300), 4);
}

TEST(Ogl3DPanel, DiscardedPanelTakesItsGraph)
{
    const int panel = LoadPanel(0, "rtogl.uir", OGLPNL);
    ASSERT_GT(panel, 0);
    const int graph = OGLConvertCtrl(panel, OGLPNL_CANVAS);
    DiscardPanel(panel);
    ProcessSystemEvents();
    EXPECT_LT(OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VISIBLE, 1), 0);
    EXPECT_LT(OGLConvertCtrl(panel, OGLPNL_CANVAS), 0);
}

}  // namespace
