// SPDX-License-Identifier: GPL-3.0-or-later
// Saves pictures of Kesto's panels (the port chooser, the main panel after a
// sweep against the simulated rig, after a second sweep whose level drifted
// and after a save, the readings, information and step panels),
// for looking at the layout without a person at the screen.
//   kesto_looks_screenshot <folder>
// The main panel comes with a picture of the whole screen (screen-main.png),
// and the main window's size and smallest size are printed.
// VELORAN_SHOT_FONT_PT=14 sets the application font's size and
// VELORAN_SHOT_DARK=1 a dark palette, as a user's desktop may.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <string>

#include "bind_sim_rig.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"
#include "testing.h"

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const std::string dir = argv[1];
    auto save = [&](int panel, const char *name) {
        rt::test::Settle();
        rt::test::PanelWidget(panel)->grab().save(QString::fromStdString(dir + "/" + name));
    };
    rt::test::Enable();
    // The desktop's font and palette are there before the program starts.
    static char name[] = "Kesto";
    static char *startArgs[] = {name, nullptr};
    if (InitCVIRTE(nullptr, startArgs, nullptr) == 0)
        return 1;
    rt::test::UseShotLooks();
    auto rig = std::make_shared<rigsim::RigModel>();
    rig->setAntenna(rigsim::Antenna::Dipole);
    rigsim::BindSimulatedRig(1, rig);
    rt::test::OnUserEventWait([&] {
        save(portpnl, "chooser.png");
        rt::test::PressButton(portpnl, PORTPNL_COM1);
    });
    rt::test::SetRunScript([&] {
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        for (int i = 0; i < 200; ++i)
            ProcessSystemEvents();
        rt::test::PressButton(kestopnl, KESTOPNL_STOP);
        save(kestopnl, "main.png");
        QWidget *main = rt::test::PanelWidget(kestopnl);
        main->screen()->grabWindow(0).save(QString::fromStdString(dir + "/screen-main.png"));
        std::printf("window %dx%d, smallest %dx%d, screen %dx%d\n", main->width(), main->height(),
                    main->minimumSizeHint().width(), main->minimumSizeHint().height(),
                    main->screen()->availableGeometry().width(),
                    main->screen()->availableGeometry().height());
        // The status line: an H sweep on a drifting rig (its closure warns),
        // then the record saved.
        rig->setStepTimeMs(100.0);
        rig->setDrift(3.0);
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        save(kestopnl, "main-closure.png");
        rt::test::ChooseFile(dir + "/looks.atn");
        rt::test::ChooseMenuItem(GetPanelMenuBar(kestopnl), KESTOMENU_SAVE);
        save(kestopnl, "main-saved.png");
        rt::test::ChooseMenuItem(GetPanelMenuBar(kestopnl), KESTOMENU_READINGS);
        save(readpnl, "readings.png");
        rt::test::ChooseMenuItem(GetPanelMenuBar(kestopnl), KESTOMENU_INFO);
        save(infopnl, "info.png");
        rt::test::ChooseMenuItem(GetPanelMenuBar(kestopnl), KESTOMENU_STEP);
        save(steppnl, "step.png");
        rt::test::ChooseMenuItem(GetPanelMenuBar(kestopnl), KESTOMENU_PORT);
        save(compnl, "port.png");
        QuitUserInterface(0);
    });
    static char arg0[] = "Kesto";
    static char *args[] = {arg0, nullptr};
    return KestoMain(1, args);
}
