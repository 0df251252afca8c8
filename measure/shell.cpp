// SPDX-License-Identifier: GPL-3.0-or-later
// Shell of the measurement program: start-up, the two exit commands, and the
// polar frame of the live graph.
#include <cmath>
#include <cstdio>
#include <string>

#include "handoff.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"
#include "rt_session.h"

int kestopnl = 0;
int menu_handle = 0;
int portpnl = 0;
int compnl = 0;
int infopnl = 0;
int steppnl = 0;

namespace {

constexpr double kPi = 3.141593;
constexpr int kLabelBackground = 0x808000;
const char *const kFont = "NIAppMetaFont";

void QuitKesto(const char *title)
{
    bool declined = false;
    if (QuestionSave != 0) {
        if (ConfirmPopup("Save", "Save the data to the file?")) {
            // No to saving a stopped sweep goes back to the program.
            if (SaveRecord() == KESTO_SAVE_DECLINED)
                return;
        } else {
            declined = true;
        }
    }
    if (!ConfirmPopup(title, "Are you want to quit?"))
        return;
    // Not saving was the user's choice: nothing is kept for the next start.
    if (declined)
        DropRecovery();
    // A sweep that is still running would go on stepping over a closed port
    // and ask about the connection at every step: it is stopped as by Stop,
    // makes its closing exchange, and the port is closed once it has ended.
    if (SweepRunning())
        StopCallback(kestopnl, KESTOPNL_STOP, RT_EVENT_COMMIT, nullptr, 0, 0);
    else
        CloseCom(COMnumber);
    QuitUserInterface(0);
    DeleteFile(HANDOFF_MARKER_NAME);
}

}  // namespace

int DiscardOnCommit(int panel, int event, int &handle)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    DiscardPanel(panel);
    handle = 0;
    return 0;
}

void Init_Polar(void)
{
    for (int k = 1; k <= 7; ++k)
        PlotOval(kestopnl, KESTOPNL_GRAPH, -5.0 * k, -5.0 * k, 5.0 * k, 5.0 * k, RT_BLACK,
                 RT_TRANSPARENT);
    for (int k = 0; k <= 5; ++k) {
        const double t = 94.24779 * k / 180.0;
        PlotLine(kestopnl, KESTOPNL_GRAPH, -35.0 * std::cos(t), -35.0 * std::sin(t),
                 35.0 * std::cos(t), 35.0 * std::sin(t), RT_BLACK);
    }
    struct Label {
        const char *text;
        double x, y;
    };
    static const Label fixed[] = {
        {" -25", -2.4, 3.2},  {" -20", -2.4, 8.4},  {" -15", -2.4, 13.4}, {" -10", -2.4, 18.4},
        {" -5", -2.0, 23.4},  {" 0", -1.2, 28.4},   {" 5", -1.2, 33.4},   {"90", 34.0, -1.6},
        {"270", -36.4, -1.6}, {"180", -1.8, -36.6},
    };
    for (const Label &l : fixed)
        PlotText(kestopnl, KESTOPNL_GRAPH, l.x, l.y, l.text, kFont, RT_BLACK, kLabelBackground);
    // Angle labels just inside the outer ring, moved down-left by their size.
    struct AngleLabel {
        const char *text;
        int degrees;
        double shift;
    };
    static const AngleLabel around[] = {
        {"30", 30, 0.8},   {"60", 60, 0.8},   {"120", 120, 1.0}, {"150", 150, 1.0},
        {"210", 210, 0.8}, {"240", 240, 0.8}, {"330", 330, 1.0}, {"300", 300, 1.0},
    };
    for (const AngleLabel &l : around) {
        const double a = kPi * l.degrees / 180.0;
        PlotText(kestopnl, KESTOPNL_GRAPH, 35.0 * std::sin(a) - l.shift,
                 35.0 * std::cos(a) - l.shift, l.text, kFont, RT_BLACK, kLabelBackground);
    }
}

void DelScrnCallback(int, int, void *, int)
{
    DeleteGraphPlot(kestopnl, KESTOPNL_GRAPH, -1, RT_IMMEDIATE_DRAW);
    Init_Polar();
}

void ExitKestoCXallback(int, int, void *, int)
{
    QuitKesto("Confirm");
}

int ExitBttnCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        QuitKesto("Confrim");
    return 0;
}

void RegisterKestoCallbacks(void)
{
    RT_CTRL_CALLBACK(AutoCallback);
    RT_CTRL_CALLBACK(StopCallback);
    RT_CTRL_CALLBACK(KestoTimerCallback);
    RT_CTRL_CALLBACK(AngInc1Callback);
    RT_CTRL_CALLBACK(AngInc10Callback);
    RT_CTRL_CALLBACK(AngDec1Callback);
    RT_CTRL_CALLBACK(AngDec10Callback);
    RT_CTRL_CALLBACK(ApplyStepCallback);
    RT_CTRL_CALLBACK(CloseStepCallback);
    RT_CTRL_CALLBACK(SstepCallback);
    RT_CTRL_CALLBACK(LstepCallback);
    RT_CTRL_CALLBACK(AttnValCallback);
    RT_CTRL_CALLBACK(CloseComCallback);
    RT_CTRL_CALLBACK(PortNumberCallback);
    RT_CTRL_CALLBACK(RefreshPortsCallback);
    RT_CTRL_CALLBACK(AntTypeCallback);
    RT_CTRL_CALLBACK(PlaneTypeCallback);
    RT_CTRL_CALLBACK(AcceptCallback);
    RT_CTRL_CALLBACK(EscCallback);
    RT_CTRL_CALLBACK(ExitBttnCallback);
    RT_MENU_CALLBACK(COMportCallback);
    RT_MENU_CALLBACK(ANTinitCallback);
    RT_MENU_CALLBACK(MoveStepCallback);
    RT_MENU_CALLBACK(ReadingsCallback);
    RT_CTRL_CALLBACK(ApplyReadingsCallback);
    RT_CTRL_CALLBACK(CloseReadingsCallback);
    RT_MENU_CALLBACK(SoundCallback);
    RT_MENU_CALLBACK(HighContrastCallback);
    RT_MENU_CALLBACK(DelScrnCallback);
    RT_MENU_CALLBACK(InfoEditCallback);
    RT_MENU_CALLBACK(SaveFileCallback);
    RT_MENU_CALLBACK(ExitKestoCXallback);
}

int KestoMain(int argc, char **argv)
{
    static const ProgramInfo program = {
        "Kesto", "org.veloran.kesto",
        "Measures antenna patterns with the Veloran rig over a serial port.", nullptr, nullptr};
    const CommandLine cl = ReadCommandLine(argc, argv, program);
    if (cl.exitStatus >= 0)
        return cl.exitStatus;
    if (!InitCVIRTE(nullptr, argv, nullptr))
        return -1;
    RegisterKestoCallbacks();
    OnEndSignal(KestoEndSignal);
    kestopnl = LoadPanel(0, "kesto.uir", KESTOPNL);
    if (cl.selfCheck) {
        // Where the panels were found, so that an installation can be
        // checked from a script; nothing else runs.
        const std::string path = FindRunTimeFile("kesto.uir");
        std::printf("panels kesto.uir %s\n", path.empty() ? "(missing)" : path.c_str());
        return kestopnl < 0 ? 1 : 0;
    }
    if (kestopnl < 0)
        return -1;
    SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_INTERVAL, KESTO_POLL_INTERVAL);
    RS232Error = -100;
    PortSel();
    if (GoOut != 0) {
        ExitKestoCXallback(0, 0, nullptr, 0);
        // The program ends here whatever the answer was, so the hand-off
        // marker must not outlive it.
        DeleteFile(HANDOFF_MARKER_NAME);
        return 0;
    }
    Init_Imsi_Data();
    LoadReadingSettings();
    LoadClosureSetting();
    ResetKestoTitle();
    Init_Polar();
    soundcheck = 1;
    first = 1;
    menu_handle = GetPanelMenuBar(kestopnl);
    StartGraphContrast();
    SetPanelAttribute(kestopnl, RT_ATTR_CAN_MAXIMIZE, 0);
    SetPanelAttribute(kestopnl, RT_ATTR_SIZABLE, 0);
    DisplayPanel(kestopnl);
    OfferRecovery();
    OpenRigPort();
    RunUserInterface();
    CloseCom(COMnumber);
    // However the event loop ended (also through the No of the connection
    // question), the program is gone and the viewer may start it again.
    DeleteFile(HANDOFF_MARKER_NAME);
    return 0;
}
