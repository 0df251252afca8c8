// SPDX-License-Identifier: GPL-3.0-or-later
// Saves pictures of the main panel with a pattern open, in the polar, the
// Cartesian and the 3D view, and of the information, picture, code page and
// lobe metrics panels, for looking at the layout without a person at the screen.
//   antenna_screenshot <pattern.atn> <folder> [analysis]
// VELORAN_SHOT_FONT_PT=14 sets the application font's size and
// VELORAN_SHOT_DARK=1 a dark palette, as a user's desktop may. Each main
// panel picture comes with one of the whole screen (screen-*.png), and the
// main window's size and smallest size are printed.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdio>

#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "codepage.h"
#include "lobes.h"
#include "rt.h"
#include "testing.h"

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    rt::test::Enable();
    // The desktop's font and palette are there before the program starts.
    if (InitCVIRTE(nullptr, argv, nullptr) == 0)
        return 1;
    rt::test::UseShotLooks();
    if (AntennaStartup(argc, argv) < 0)
        return 1;
    const std::string dir = argv[2];
    const int bar = GetPanelMenuBar(antennalab);
    QWidget *panel = rt::test::PanelWidget(antennalab);
    auto save = [&](const QPixmap &pix, const char *name) {
        pix.save(QString::fromStdString(dir + "/" + name));
    };
    auto shot = [&](const char *name) {
        rt::test::Settle();
        save(panel->grab(), name);
        if (QScreen *screen = panel->screen())
            save(screen->grabWindow(0), ("screen-" + std::string(name)).c_str());
    };
    std::printf("window %dx%d, smallest %dx%d, screen %dx%d\n", panel->width(), panel->height(),
                panel->minimumSizeHint().width(), panel->minimumSizeHint().height(),
                panel->screen()->availableGeometry().width(),
                panel->screen()->availableGeometry().height());
    if (QWidget *area = panel->findChild<QWidget *>(QStringLiteral("graphArea")))
        std::printf("graph area %dx%d, polar graph %dx%d\n", area->width(), area->height(),
                    rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR)->width(),
                    rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR)->height());
    if (qEnvironmentVariableIsSet("VELORAN_SHOT_CONTRAST"))
        rt::test::ChooseMenuItem(bar, MENUBAR_CONTRAST);
    shot("start.png");
    rt::test::ChooseFile(argv[1]);
    rt::test::ChooseMenuItem(bar, MENUBAR_OPEN);
    shot("polar.png");
    if (argc > 3) {  // an extra argument shows the overlays and cursors too
        for (int c : {ANTENNALAB_EHPBBTN, ANTENNALAB_HHPBBTN, ANTENNALAB_EMSLBTN})
            rt::test::PressButton(antennalab, c);
        rt::test::ChooseMenuItem(bar, MENUBAR_CURSOR);
        shot("analysis.png");
    }
    rt::test::ChooseMenuItem(bar, MENUBAR_CARTESIAN);
    shot("cartesian.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_3D);
    shot("threed.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_INFO);
    QWidget *info = rt::test::PanelWidget(infopnl);
    rt::test::Settle();
    save(info->grab(), "info.png");
    rt::test::PressButton(infopnl, INFOPNL_PICTURE);
    rt::test::Settle();
    save(rt::test::PanelWidget(pichandle)->grab(), "picture.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_CODEPAGE);
    rt::test::Settle();
    save(rt::test::PanelWidget(codepnl)->grab(), "codepage.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_POLAR);
    rt::test::ChooseMenuItem(bar, MENUBAR_LOBES);
    rt::test::Settle();
    save(rt::test::PanelWidget(lobepnl)->grab(), "lobes.png");
    return 0;
}
