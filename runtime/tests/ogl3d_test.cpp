// The 3D graph: attributes and plots read back, rendering and the mouse under
// OpenGL, the properties dialogue, the copy for printing, and the graph that
// draws nothing where OpenGL is missing.
#include <gtest/gtest.h>

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
        rt::test::OglForceNoOpenGL(false);
        DiscardPanel(panel);
        ProcessSystemEvents();
    }
    // A sphere of radius r around the origin, 21 x 21 points.
    int PlotSphere(double r)
    {
        std::vector<double> pts;
        for (int i = 0; i <= 20; ++i)
            for (int j = 0; j <= 20; ++j) {
                const double th = M_PI * i / 20, ph = 2 * M_PI * j / 20;
                pts.insert(pts.end(), {r * std::sin(th) * std::cos(ph),
                                       r * std::sin(th) * std::sin(ph), r * std::cos(th)});
            }
        return OGLPlot3DScatter(panel, graph, pts.data(), 21, 21, RT_DOUBLE);
    }
    double Attr(int a)
    {
        double v = -999;
        EXPECT_EQ(OGLGetCtrlAttribute(panel, graph, a, &v), 0);
        return v;
    }
};

TEST_F(Ogl3DTest, RendersWithOpenGLUnderX)
{
    EXPECT_TRUE(rt::test::OglRenders(panel, graph));
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

TEST_F(Ogl3DTest, RenderingShowsThePointsInTheirColour)
{
    for (int k = 0; k < 3; ++k) {
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MIN + 100 * k, -10);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MAX + 100 * k, 10);
    }
    QImage empty = rt::test::OglRender(panel, graph, 360, 360);
    ASSERT_FALSE(empty.isNull());
    const int plot = PlotSphere(8);
    OGLSetPlotAttribute(panel, graph, plot, RT_OGL_ATTR_POINT_COLOR, 0xFFFF00);
    OGLRefreshGraph(panel, graph);
    const QImage img = rt::test::OglRender(panel, graph, 360, 360);
    const int yellowBefore = rt::test::CountColour(empty, qRgb(255, 255, 0));
    const int yellowAfter = rt::test::CountColour(img, qRgb(255, 255, 0), 90);
    EXPECT_GT(yellowAfter, yellowBefore + 200) << "the sphere's points show in their colour";
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
    EXPECT_LT(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 3.0) << "wheel forward comes closer";
    EXPECT_GT(rt::test::OglCamera(panel, graph)[2], 100.0);
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
        d.findChild<QDoubleSpinBox *>("pointSize")->setValue(2);
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
    OGLGetPlotAttribute(panel, graph, plot, RT_OGL_ATTR_POINT_SIZE, &v);
    EXPECT_EQ(v, 2);

    // The dialogue opens on the present values; cancelling changes nothing.
    rt::test::AnswerOglProperties(
        [](QDialog &d) {
            EXPECT_NEAR(d.findChild<QDoubleSpinBox *>("distance")->value(), 5, 1e-2);
            EXPECT_NEAR(d.findChild<QDoubleSpinBox *>("pointSize")->value(), 2, 1e-3);
            d.findChild<QDoubleSpinBox *>("distance")->setValue(9);
        },
        false);
    EXPECT_EQ(OGLPropertiesPopup(panel, graph), 0);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 5, 1e-3);
    ASSERT_EQ(rt::test::Popups().size(), 2u);
    EXPECT_EQ(rt::test::Popups()[0].kind, "ogl-properties");
}

TEST_F(Ogl3DTest, CopiedPictureIsWhatTheCanvasPrints)
{
    for (int k = 0; k < 3; ++k) {
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MIN + 100 * k, -10);
        OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_XAXIS_MAX + 100 * k, 10);
    }
    OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_BACKGROUND_COLOR, 0xFFFFFF);
    PlotSphere(8);
    QTemporaryDir dir;
    const QString blank = dir.filePath("blank.pdf"), copied = dir.filePath("copied.pdf");
    // Without the copy, the canvas's own picture has no rendering in it.
    ASSERT_EQ(PrintCtrl(panel, OGLPNL_CANVAS, blank.toLocal8Bit().constData(), 0, 0), 0);
    ASSERT_EQ(OGLCopyScaledCtrlBitmap(panel, graph, 0, -1, -1, -1, OGLPNL_CANVAS), 0);
    EXPECT_FALSE(rt::test::OglViewWidget(panel, graph)->isVisible()) << "the picture stands in";
    ASSERT_EQ(PrintCtrl(panel, OGLPNL_CANVAS, copied.toLocal8Bit().constData(), 0, 0), 0);
    const QImage page = rt::test::PdfFirstPage(copied, 100);
    ASSERT_FALSE(page.isNull()) << "pdftoppm could not read the print";
    EXPECT_GT(rt::test::CountColour(page, qRgb(0, 255, 255), 90), 50) << "cyan points on paper";
    EXPECT_EQ(rt::test::CountColour(rt::test::PdfFirstPage(blank, 100), qRgb(0, 255, 255), 90), 0);

    // Back in the event loop with no dialogue open, the live view returns.
    for (int i = 0; i < 20 && !rt::test::OglViewWidget(panel, graph)->isVisible(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        Delay(0.02);
    }
    EXPECT_TRUE(rt::test::OglViewWidget(panel, graph)->isVisible());
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
    ASSERT_TRUE(rt::test::OglRenders(panel, graph));
    EXPECT_TRUE(rt::test::OglViewWidget(panel, graph)->isVisible());
    // Read back from the camera now: the values given before it existed.
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LONGITUDE), 45, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_LATITUDE), 20, 1e-3);
    EXPECT_NEAR(Attr(RT_OGL_ATTR_VIEW_DISTANCE), 6, 1e-3);
    const QImage img = rt::test::OglRender(panel, graph, 300, 300);
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

TEST(Ogl3DNoGL, GraphWithoutOpenGLDrawsNothingAndSaysSo)
{
    rt::test::OglForceNoOpenGL(true);
    const int panel = LoadPanel(0, "rtogl.uir", OGLPNL);
    ASSERT_GT(panel, 0);
    DisplayPanel(panel);
    const int graph = OGLConvertCtrl(panel, OGLPNL_CANVAS);
    ASSERT_EQ(graph, OGLPNL_CANVAS);
    EXPECT_FALSE(rt::test::OglRenders(panel, graph));
    auto *notice = qobject_cast<QLabel *>(rt::test::OglViewWidget(panel, graph));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().contains("needs OpenGL"));

    // Every call still works on the stored state.
    double pts[6] = {1, 2, 3, 4, 5, 6};
    const int plot = OGLPlot3DScatter(panel, graph, pts, 2, 1, RT_DOUBLE);
    EXPECT_GT(plot, 0);
    EXPECT_EQ(OGLSetPlotAttribute(panel, graph, plot, RT_OGL_ATTR_POINT_COLOR, 0x00FFFF), 0);
    EXPECT_EQ(OGLSetCtrlAttribute(panel, graph, RT_OGL_ATTR_VIEW_DISTANCE, 3.0), 0);
    EXPECT_EQ(OGLRefreshGraph(panel, graph), 0);
    int n = 0;
    OGLGetCtrlAttribute(panel, graph, RT_OGL_ATTR_NUM_PLOTS, &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(rt::test::OglPlotPoints(panel, graph, plot)[1][2], 6);
    rt::test::OglDrag(panel, graph, 10, 10);  // no input handling, no crash
    EXPECT_EQ(OGLCopyScaledCtrlBitmap(panel, graph, 0, -1, -1, -1, OGLPNL_CANVAS), 0);
    EXPECT_FALSE(rt::test::OglSnapshot(panel, graph).isNull()) << "the notice is what gets printed";
    rt::test::OglForceNoOpenGL(false);
    DiscardPanel(panel);
}

TEST(Ogl3DNoGL, DiscardedPanelTakesItsGraph)
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
