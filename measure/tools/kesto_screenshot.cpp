// SPDX-License-Identifier: GPL-3.0-or-later
// Saves pictures of Kesto measuring on the rig at port 1 (for example the
// simulated rig on a pseudo-terminal, through VELORAN_COM1): an E sweep with
// the settings in force, then an H sweep with the readings per step and
// settle time given, the progress during it and both traces at its end; the
// record is saved as an atn file. For looking at the windows without a
// person at the screen.
//   kesto_screenshot <folder> <readings> <settle ms> [stop at step]
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"
#include "testing.h"

namespace {

std::string dir;

void Shot(int panel, const char *name)
{
    for (int i = 0; i < 5; ++i)
        ProcessSystemEvents();
    rt::test::PanelWidget(panel)->grab().save(QString::fromStdString(dir + "/" + name));
}

int Progress()
{
    int v = 0;
    GetCtrlVal(kestopnl, KESTOPNL_PROGRESS, &v);
    return v;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    dir = argv[1];
    const int readings = std::atoi(argv[2]);
    const int settle = std::atoi(argv[3]);
    const int shotAt = argc > 4 ? std::atoi(argv[4]) : 120;
    rt::test::Enable();
    rt::test::SetDelayScale(1.0);  // settle times are waited for real
    rt::test::OnUserEventWait([] { rt::test::PressButton(portpnl, PORTPNL_COM1); });
    rt::test::SetRunScript([&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        ReadPerStep = 1;
        SettleTime = 0;
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // E: one reading, no settle
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_READINGS);
        SetCtrlVal(readpnl, READPNL_READINGS, readings);
        SetCtrlVal(readpnl, READPNL_SETTLE, settle);
        Shot(readpnl, "readings.png");
        rt::test::PressButton(readpnl, READPNL_APPLY);
        // The progress while the H sweep runs.
        QTimer watch;
        bool taken = false;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!taken && Progress() >= shotAt) {
                taken = true;
                Shot(kestopnl, "progress.png");
            }
        });
        watch.start(20);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        watch.stop();
        Shot(kestopnl, "both-traces.png");
        rt::test::ChooseFile(dir + "/sweeps.atn");
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        rt::test::AnswerConfirm(1);
    });
    static char arg0[] = "Kesto";
    static char *args[] = {arg0, nullptr};
    return KestoMain(1, args);
}
