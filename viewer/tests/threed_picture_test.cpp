// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D view's pictures: the solid of known patterns as the viewer builds
// it, its size and lobe direction on screen, its shading, turning with the
// mouse and back with "Reset 3D view", and graphic printing putting the
// screen's picture on paper.
#include <QTemporaryDir>
#include <QWidget>

#include <cmath>

#include "ogl3d.h"
#include "ogl3d_testing.h"
#include "pdf_check.h"
#include "threed.h"
#include "viewer_fixture.h"

namespace {

constexpr int kSize = 450;

struct ThreeDPicture : ::testing::Test {
    void SetUp() override { vt::Start(); }
    void Show(const vt::Planes &planes)
    {
        vt::Open(vt::WriteAtn("solid.atn", planes));
        vt::Menu(MENUBAR_3D);
        ProcessDrawEvents();
    }
    // Only the solid: no walls or grid behind it.
    QImage Bare()
    {
        OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_FRAME_VISIBLE, 0);
        OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_GRID_VISIBLE, 0);
        return rt::test::OglRender(antennalab, Ctrl3D, kSize, kSize);
    }
    QPointF At(const rt::test::Point3D &p)
    {
        return rt::test::OglProject(antennalab, Ctrl3D, p, kSize, kSize);
    }
    QImage Screen() { return rt::test::OglViewWidget(antennalab, Ctrl3D)->grab().toImage(); }
};

double Distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// The surface pixel farthest from `from`.
QPointF Farthest(const rt::test::SurfacePixels &s, QPointF from)
{
    QPointF best = from;
    for (const QPoint &p : s.pixels)
        if (Distance(p, from) > Distance(best, from))
            best = p;
    return best;
}

// Mean difference of the green channels, both pictures shrunk to 60 x 60.
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

TEST_F(ThreeDPicture, AllZeroDecibelsIsAShadedDiscOfRadiusTen)
{
    Show(vt::MakePlanes([](int) { return 0.0; }, [](int) { return 0.0; }));
    ASSERT_TRUE(rt::test::OglRealized(antennalab, Ctrl3D));
    const auto s = rt::test::Surface(Bare());
    const QPointF o = At({0, 0, 0});
    const double r = Distance(At({10, 0, 0}), o);
    ASSERT_GT(r, 50) << "a solid large enough to read";
    EXPECT_NEAR(s.bounds.width() / 2.0, r, 0.05 * r + 1);
    EXPECT_NEAR(s.bounds.height() / 2.0, r, 0.05 * r + 1);
    EXPECT_NEAR(s.centroid.x(), o.x(), 2);
    EXPECT_NEAR(s.centroid.y(), o.y(), 2);
    EXPECT_NEAR(s.count, M_PI * r * r, 0.1 * M_PI * r * r) << "a disc, filled";
    EXPECT_GT(s.brightest - s.darkest, 100) << "lit and shaded";
    EXPECT_GT(s.shades, 40);
}

TEST_F(ThreeDPicture, HornLobePointsAlongItsPeak)
{
    // Both planes peak at 90 degrees: azimuth 90 is +y, polar 90 the x-y
    // plane, so the main lobe runs along +y, 10 long.
    Show(vt::MakePlanes([](int a) { return vt::Lobe(a, 90, 0, 0.25); },
                        [](int a) { return vt::Lobe(a, 90, 0, 0.25); }));
    // Seen from the -x side (+y to the left) and from above (+y upwards).
    for (const double lat : {0.0, 90.0}) {
        OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LONGITUDE, lat == 0 ? 90.0 : 0.0);
        OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LATITUDE, lat);
        const auto s = rt::test::Surface(Bare());
        ASSERT_GT(s.count, 200);
        const QPointF o = At({0, 0, 0}), tip = At({0, 10, 0});
        // The grid samples 86 and 93 degrees, not 90: the tip lies a few
        // degrees and a fraction of a decibel off.
        EXPECT_LT(Distance(Farthest(s, o), tip), 0.12 * Distance(tip, o)) << "latitude " << lat;
        EXPECT_LT(Distance(s.centroid, tip), Distance(s.centroid, At({0, -10, 0})))
            << "the solid lies on the peak's side";
    }
}

TEST_F(ThreeDPicture, MouseTurnsItAndResetBringsTheStartBack)
{
    Show(vt::MakePlanes([](int a) { return vt::Lobe(a, 0, 0, 0.2); },
                        [](int a) { return vt::Lobe(a, 90, 0, 0.15); }));
    const QImage start = Screen();
    EXPECT_GT(rt::test::Surface(start).count, 2000);
    rt::test::OglDrag(antennalab, Ctrl3D, 60, 30);
    double lon = 0, lat = 0;
    OGLGetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LONGITUDE, &lon);
    OGLGetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LATITUDE, &lat);
    EXPECT_NEAR(lon, 30, 1e-3);
    EXPECT_NEAR(lat, 15, 1e-3);
    const QImage turned = Screen();
    EXPECT_GT(Difference(start, turned), 5) << "turning changes the picture";
    rt::test::PressButton(antennalab, ANTENNALAB_SPHERECONF);
    EXPECT_EQ(Screen(), start) << "Reset 3D view: the starting view again";
}

TEST_F(ThreeDPicture, GraphicPrintPutsTheScreensPictureOnPaper)
{
    Show(vt::MakePlanes([](int a) { return vt::Lobe(a, 0, 0, 0.2); },
                        [](int a) { return vt::Lobe(a, 90, 0, 0.15); }));
    rt::test::OglDrag(antennalab, Ctrl3D, 40, 40);
    const QImage screen = Screen();
    QTemporaryDir dir;
    const QString pdf = dir.filePath("3d.pdf");
    rt::test::SetPrinterFile(pdf.toStdString());
    vt::Menu(MENUBAR_GRAPHICPRINT);
    const QImage page = rt::test::PdfFirstPage(pdf, 100);
    ASSERT_FALSE(page.isNull());
    // The canvas's picture on the page: the part that is not paper.
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    const QImage printed = page.copy(box);
    EXPECT_GT(rt::test::Surface(printed).count, 2000) << "the solid on paper";
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LONGITUDE, 90.0);
    const QImage other = rt::test::OglRender(antennalab, Ctrl3D, screen.width(), screen.height());
    EXPECT_LT(Difference(screen, printed), Difference(screen, other) / 3)
        << "the print is the picture on the screen";
}

}  // namespace
