// SPDX-License-Identifier: GPL-3.0-or-later
// Manual positioning: the four step buttons, the step panel, and the segment
// that every single step draws on the live graph.
#include <cmath>

#include "kesto.h"
#include "kesto_uir.h"
#include "rig_protocol.h"
#include "rt.h"

std::uint16_t Sstep = 1;
std::uint16_t Lstep = 10;
int first = 1;

namespace {

constexpr double kPi = 3.141593;
double lastX = 0.0, lastY = 0.0;    // end of the last plotted segment
double lastX0 = 0.0, lastY0 = 0.0;  // its start
int lastSegment = -1;               // its plot, or -1
int lastSegmentPanel = 0;

void PolarPoint(double levelDb, double degrees, double *x, double *y)
{
    const double r = levelDb + 30.0;
    *x = r * std::sin(kPi * degrees / 180.0);
    *y = r * std::cos(kPi * degrees / 180.0);
}

void OneStep(int panel, char command, bool large)
{
    if (large)
        ProcessDrawEvents();
    unsigned a0 = 0;
    double L0 = 0.0;
    GetCtrlVal(panel, KESTOPNL_ANGLE, &a0);
    GetCtrlVal(panel, KESTOPNL_LEVEL, &L0);
    outBuffers[0] = command;
    inBuffers[0] = 0;
    CalVal(outBuffers, inBuffers);
    double x0, y0, x1, y1;
    PolarPoint(L0, a0, &x0, &y0);
    PolarPoint(Level, Angle, &x1, &y1);
    const int color = PlaneColor(PlaneType);
    if (!first)
        PlotLine(panel, KESTOPNL_GRAPH, lastX, lastY, x0, y0, color);
    lastSegment = PlotLine(panel, KESTOPNL_GRAPH, x0, y0, x1, y1, color);
    lastSegmentPanel = panel;
    lastX0 = x0;
    lastY0 = y0;
    lastX = x1;
    lastY = y1;
    first = 0;
}

int Steps(int panel, int event, char command, unsigned count, bool large)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    for (unsigned i = 0; i < count; ++i)
        OneStep(panel, command, large);
    return 0;
}

}  // namespace

void MoveStepEnd(double levelDb, unsigned angle)
{
    if (first || lastSegment < 0)
        return;
    DeleteGraphPlot(lastSegmentPanel, KESTOPNL_GRAPH, lastSegment, RT_DELAYED_DRAW);
    PolarPoint(levelDb, angle, &lastX, &lastY);
    lastSegment = PlotLine(lastSegmentPanel, KESTOPNL_GRAPH, lastX0, lastY0, lastX, lastY,
                           PlaneColor(PlaneType));
}

int PlaneColor(int plane)
{
    return plane == 0 ? RT_RED : plane == 1 ? RT_BLUE : RT_WHITE;
}

int AngInc1Callback(int panel, int, int event, void *, int, int)
{
    return Steps(panel, event, rigproto::kCmdForward, Sstep, false);
}

int AngInc10Callback(int panel, int, int event, void *, int, int)
{
    return Steps(panel, event, rigproto::kCmdForward, Lstep, true);
}

int AngDec1Callback(int panel, int, int event, void *, int, int)
{
    return Steps(panel, event, rigproto::kCmdBack, Sstep, false);
}

int AngDec10Callback(int panel, int, int event, void *, int, int)
{
    return Steps(panel, event, rigproto::kCmdBack, Lstep, true);
}

void MoveStepCallback(int, int, void *, int)
{
    if (steppnl > 0) {  // already open: bring it forward instead of a second copy
        DisplayPanel(steppnl);
        return;
    }
    steppnl = LoadPanel(0, "kesto.uir", STEPPNL);
    DisplayPanel(steppnl);
    SetCtrlVal(steppnl, STEPPNL_SSTEP, unsigned(Sstep));
    SetCtrlVal(steppnl, STEPPNL_LSTEP, unsigned(Lstep));
}

int ApplyStepCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    std::uint16_t small = Sstep;
    GetCtrlVal(panel, STEPPNL_SSTEP, &small);
    GetCtrlVal(panel, STEPPNL_LSTEP, &Lstep);
    // A running sweep steps one degree at a time and gives its saved count
    // back when it ends: the new small count takes over from there.
    if (SweepRunning())
        tval = small;
    else
        Sstep = small;
    DiscardPanel(panel);
    steppnl = 0;
    return 0;
}

int CloseStepCallback(int panel, int, int event, void *, int, int)
{
    return DiscardOnCommit(panel, event, steppnl);
}

// The counts change only through their arrows: focus goes straight on to Apply.
int SstepCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_GOT_FOCUS)
        SetActiveCtrl(panel, STEPPNL_APPLY);
    return 0;
}

int LstepCallback(int panel, int control, int event, void *cbd, int d1, int d2)
{
    return SstepCallback(panel, control, event, cbd, d1, d2);
}
