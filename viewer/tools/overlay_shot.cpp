// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of several files laid over an open pattern, with the overlay
// panel beside the main window, for looking at them without a person at the
// screen.
//   antenna_overlay_shot <pattern.atn> <folder> <file.atn> [file.atn ...]
// Every file is aligned and the mean and band are on. VELORAN_SHOT_FONT_PT=16
// sets the application font's size and VELORAN_SHOT_DARK=1 a dark palette.
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "files_overlay.h"
#include "rt.h"
#include "testing.h"

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    rt::test::Enable();
    if (InitCVIRTE(nullptr, argv, nullptr) == 0)
        return 1;
    rt::test::UseShotLooks();
    if (AntennaStartup(1, argv) < 0)
        return 1;
    const std::string dir = argv[2];
    auto save = [&](const QPixmap &pix, const char *name) {
        pix.save(QString::fromStdString(dir + "/" + name));
    };
    auto shot = [&](int panel, const char *name) {
        rt::test::Settle();
        save(rt::test::PanelWidget(panel)->grab(), name);
    };
    const int bar = GetPanelMenuBar(antennalab);
    rt::test::ChooseFile(argv[1]);
    rt::test::ChooseMenuItem(bar, MENUBAR_OPEN);
    rt::test::ChooseMenuItem(bar, MENUBAR_OVERLAY);
    for (int i = 3; i < argc; ++i) {
        rt::test::ChooseFile(argv[i]);
        rt::test::PressButton(overlaypnl, OVERLAYPNL_ADD);
        rt::test::CommitValue(overlaypnl, OVERLAYPNL_ALIGN, 1);
    }
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_BAND, 1);
    shot(antennalab, "overlay-polar.png");
    shot(overlaypnl, "overlaypnl.png");
    rt::test::Settle();
    if (QScreen *screen = rt::test::PanelWidget(antennalab)->screen())
        save(screen->grabWindow(0), "screen-overlay.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_CARTESIAN);
    shot(antennalab, "overlay-cartesian.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_POLAR);
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_PLANE, 1);
    shot(antennalab, "overlay-h.png");
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    shot(antennalab, "overlay-h-rotated.png");
    std::printf("main %dx%d at %d,%d; panel %dx%d at %d,%d\n",
                rt::test::PanelWidget(antennalab)->width(),
                rt::test::PanelWidget(antennalab)->height(), rt::test::PanelWidget(antennalab)->x(),
                rt::test::PanelWidget(antennalab)->y(), rt::test::PanelWidget(overlaypnl)->width(),
                rt::test::PanelWidget(overlaypnl)->height(), rt::test::PanelWidget(overlaypnl)->x(),
                rt::test::PanelWidget(overlaypnl)->y());
    return 0;
}
