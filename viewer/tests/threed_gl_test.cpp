// The 3D view with OpenGL: the solid is rendered, the mouse turns it, and
// graphic printing puts the rendered picture on paper.
#include <QTemporaryDir>

#include "ogl3d.h"
#include "ogl3d_testing.h"
#include "pdf_check.h"
#include "threed.h"
#include "viewer_fixture.h"

namespace {

TEST(ThreeDGL, SolidIsRenderedTurnedAndPrinted)
{
    vt::Start();
    EXPECT_FALSE(rt::test::OglRealized(antennalab, Ctrl3D)) << "no OpenGL until the 3D view shows";
    vt::Open(
        vt::WriteAtn("gl.atn", vt::MakePlanes([](int a) { return vt::Lobe(a, 0, 0, 0.2); },
                                              [](int a) { return vt::Lobe(a, 90, 0, 0.15); })));
    vt::Menu(MENUBAR_3D);
    ProcessDrawEvents();
    ASSERT_TRUE(rt::test::OglRenders(antennalab, Ctrl3D)) << "no OpenGL on this display";
    // The view set before the rendering existed is the one it shows.
    double distance = 0;
    OGLGetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_DISTANCE, &distance);
    EXPECT_NEAR(distance, 3.0, 1e-3);
    const QImage shot = rt::test::OglRender(antennalab, Ctrl3D, 450, 450);
    EXPECT_GT(rt::test::CountColour(shot, qRgb(0, 255, 255), 100), 300) << "cyan points drawn";

    rt::test::OglDrag(antennalab, Ctrl3D, 60, 30);
    double lon = 0;
    OGLGetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LONGITUDE, &lon);
    EXPECT_NEAR(lon, 30, 1e-3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath("3d.pdf");
    rt::test::SetPrinterFile(pdf.toStdString());
    vt::Menu(MENUBAR_GRAPHICPRINT);
    const QImage page = rt::test::PdfFirstPage(pdf, 100);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(rt::test::CountColour(page, qRgb(0, 255, 255), 100), 100) << "the solid on paper";
}

}  // namespace
