// Saves pictures of the main panel with a pattern open, in the polar and the
// Cartesian view, for looking at the layout without a person at the screen.
//   antenna_screenshot <pattern.atn> <folder>
#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"
#include "testing.h"

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    rt::test::Enable();
    if (AntennaStartup(argc, argv) < 0)
        return 1;
    const std::string dir = argv[2];
    const int bar = GetPanelMenuBar(antennalab);
    QWidget *panel = rt::test::PanelWidget(antennalab);
    auto shot = [&](const char *name) {
        for (int i = 0; i < 5; ++i)
            ProcessSystemEvents();
        panel->grab().save(QString::fromStdString(dir + "/" + name));
    };
    shot("start.png");
    rt::test::ChooseFile(argv[1]);
    rt::test::ChooseMenuItem(bar, MENUBAR_OPEN);
    shot("polar.png");
    if (argc > 3) { // an extra argument shows the overlays and cursors too
        for (int c : {ANTENNALAB_EHPBBTN, ANTENNALAB_HHPBBTN, ANTENNALAB_EMSLBTN})
            rt::test::PressButton(antennalab, c);
        rt::test::ChooseMenuItem(bar, MENUBAR_CURSOR);
        shot("analysis.png");
    }
    rt::test::ChooseMenuItem(bar, MENUBAR_CARTESIAN);
    shot("cartesian.png");
    return 0;
}
