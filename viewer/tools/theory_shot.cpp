// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the textbook pattern and gain panels and of the dashed model
// overlay, for looking at them without a person at the screen.
//   antenna_theory_shot <pattern.atn> <reference.atn> <folder>
#include <QPixmap>
#include <QWidget>

#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"
#include "testing.h"
#include "theory_view.h"

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    rt::test::Enable();
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
    rt::test::ChooseMenuItem(bar, MENUBAR_GAIN);
    rt::test::ChooseFile(argv[2]);
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
    shot(gainpnl, "gainpnl.png");
    return 0;
}
