// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the textbook pattern, checks, lobe metrics and gain panels and
// of the dashed model overlay, for looking at them without a person at the
// screen.
//   antenna_theory_shot <pattern.atn> <reference.atn> <folder> [repeat.atn]
// VELORAN_SHOT_FONT_PT=16 sets the application font's size,
// VELORAN_SHOT_DARK=1 a dark palette and VELORAN_SHOT_DISTANCE the range
// distance the checks panel is given (3 m unless set).
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "checks_view.h"
#include "lobes.h"
#include "rt.h"
#include "testing.h"
#include "theory_view.h"

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    rt::test::Enable();
    if (InitCVIRTE(nullptr, argv, nullptr) == 0)
        return 1;
    if (const int pt = qEnvironmentVariableIntValue("VELORAN_SHOT_FONT_PT"); pt > 0)
        rt::test::UseFontSize(pt);
    if (qEnvironmentVariableIsSet("VELORAN_SHOT_DARK"))
        rt::test::UseDarkPalette(true);
    if (AntennaStartup(1, argv) < 0)
        return 1;
    const std::string dir = argv[3];
    auto settle = [] {
        for (int i = 0; i < 5; ++i)
            ProcessSystemEvents();
    };
    auto shot = [&](int panel, const char *name) {
        settle();
        rt::test::PanelWidget(panel)->grab().save(QString::fromStdString(dir + "/" + name));
    };
    const int bar = GetPanelMenuBar(antennalab);
    rt::test::ChooseFile(argv[1]);
    rt::test::ChooseMenuItem(bar, MENUBAR_OPEN);
    rt::test::ChooseMenuItem(bar, MENUBAR_THEORY);
    rt::test::CommitValue(theorypnl, THEORYPNL_OVERLAY, 1);
    shot(antennalab, "overlay-polar.png");
    shot(theorypnl, "theorypnl.png");
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    shot(antennalab, "overlay-rotated.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_CARTESIAN);
    shot(antennalab, "overlay-cartesian.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_POLAR);
    rt::test::ChooseMenuItem(bar, MENUBAR_CHECKS);
    const QByteArray distance = qgetenv("VELORAN_SHOT_DISTANCE");
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE,
                         distance.isNull() ? "3" : distance.toStdString());
    shot(checkpnl, "checkpnl.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_LOBES);
    shot(lobepnl, "lobepnl.png");
    rt::test::ChooseMenuItem(bar, MENUBAR_GAIN);
    rt::test::ChooseFile(argv[2]);
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
    if (argc > 4) {
        rt::test::ChooseFile(argv[4]);
        rt::test::PressButton(gainpnl, GAINPNL_REPADD);
    }
    shot(gainpnl, "gainpnl.png");
    std::printf("screen %dx%d\n",
                rt::test::PanelWidget(gainpnl)->screen()->availableGeometry().width(),
                rt::test::PanelWidget(gainpnl)->screen()->availableGeometry().height());
    for (int p : {checkpnl, lobepnl, gainpnl})
        std::printf("panel %dx%d\n", rt::test::PanelWidget(p)->width(),
                    rt::test::PanelWidget(p)->height());
    return 0;
}
