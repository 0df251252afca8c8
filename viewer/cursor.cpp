// SPDX-License-Identifier: GPL-3.0-or-later
// The four polar-graph cursors (two per plane), their step buttons, cursor
// mode, and the Cartesian graph's own cursor.
#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"

namespace {

struct Cursor {
    int angleCtrl, levelCtrl;
    int *plot;
    int color;
    int plane;  // 0 E, 1 H
    int startAngle;
};

const Cursor kCursors[4] = {
    {ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR1_LEVEL, &plot1, RT_CYAN, 0, 5},
    {ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR2_LEVEL, &plot2, RT_WHITE, 0, 355},
    {ANTENNALAB_CURSOR3_ANGLE, ANTENNALAB_CURSOR3_LEVEL, &plot3, RT_YELLOW, 1, 10},
    {ANTENNALAB_CURSOR4_ANGLE, ANTENNALAB_CURSOR4_LEVEL, &plot4, RT_GREEN, 1, 350},
};

// Moves cursor n (0..3) to angle: one line replaced, the fields updated.
void PlotCursor(int n, short angle)
{
    const Cursor &c = kCursors[n];
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *c.plot, RT_IMMEDIATE_DRAW);
    // Whatever reaches here, the cursor reads one of the 360 stored angles.
    const int a = WrapAngle(angle);
    SetCtrlVal(antennalab, c.angleCtrl, a);
    if (PatternOpen())
        SetCtrlVal(antennalab, c.levelCtrl, (c.plane == 0 ? ptsPtr->e_data : ptsPtr->h_data)[a]);
    double x = 0, y = 0;
    RadialPoint(a, 35.0, &x, &y);
    *c.plot = PlotLine(antennalab, ANTENNALAB_POLAR, 0.0, 0.0, x, y, c.color);
}

bool PolarShowing()
{
    int v = 0;
    GetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, &v);
    return v != 0;
}

int StepCursor(int n, int step, int event)
{
    const Cursor &c = kCursors[n];
    const int hidden = c.plane == 0 ? Eflag : Hflag;
    if (PolarShowing() && Cursor_Flag == 1 && hidden == 0 && event == RT_EVENT_COMMIT) {
        short a = 0;
        GetCtrlVal(antennalab, c.angleCtrl, &a);
        PlotCursor(n, short(CursorStep(a, step)));
    }
    if (c.plane == 0)
        CalE();
    else
        CalH();
    return 0;
}

}  // namespace

void Plot1Func(short angle)
{
    PlotCursor(0, angle);
}
void Plot2Func(short angle)
{
    PlotCursor(1, angle);
}
void Plot3Func(short angle)
{
    PlotCursor(2, angle);
}
void Plot4Func(short angle)
{
    PlotCursor(3, angle);
}

void CursorLevels()
{
    if (!PatternOpen())
        return;
    for (const Cursor &c : kCursors) {
        int angle = 0;
        GetCtrlVal(antennalab, c.angleCtrl, &angle);
        const double *levels = c.plane == 0 ? ptsPtr->e_data : ptsPtr->h_data;
        SetCtrlVal(antennalab, c.levelCtrl, levels[WrapAngle(angle)]);
    }
}

#define ANTENNA_STEP_BODIES(N)                                                                     \
    int Go##N##Callback(int, int, int event, void *, int, int)                                     \
    {                                                                                              \
        return StepCursor(N - 1, 1, event);                                                        \
    }                                                                                              \
    int Back##N##Callback(int, int, int event, void *, int, int)                                   \
    {                                                                                              \
        return StepCursor(N - 1, -1, event);                                                       \
    }                                                                                              \
    int BackTo##N##Callback(int, int, int event, void *, int, int)                                 \
    {                                                                                              \
        return StepCursor(N - 1, -10, event);                                                      \
    }                                                                                              \
    int GoTo##N##Callback(int, int, int event, void *, int, int)                                   \
    {                                                                                              \
        return StepCursor(N - 1, 10, event);                                                       \
    }
ANTENNA_STEP_BODIES(1)
ANTENNA_STEP_BODIES(2)
ANTENNA_STEP_BODIES(3)
ANTENNA_STEP_BODIES(4)
#undef ANTENNA_STEP_BODIES

void antCursorCallback(int, int, void *, int)
{
    if (!PolarShowing())
        return;
    const int bar = GetPanelMenuBar(antennalab);
    if (Cursor_Flag == 1) {
        for (const Cursor &c : kCursors)
            DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *c.plot, RT_IMMEDIATE_DRAW);
        Cursor_Flag = 0;
        CursorDimCtrl();
        SetMenuBarAttribute(bar, MENUBAR_CURSOR, RT_ATTR_CHECKED, 0);
        return;
    }
    for (int n = 0; n < 4; ++n)
        PlotCursor(n, short(kCursors[n].startAngle));
    Cursor_Flag = 1;
    CursorUnDimCtrl();
    SetMenuBarAttribute(bar, MENUBAR_CURSOR, RT_ATTR_CHECKED, 1);
    CalE();
    CalH();
}

int graphCallback(int panel, int control, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        // The main panel, where the graph is, printed without a dialogue.
        SetPrintAttributeEx(1327, 0);
        SetPrintAttributeEx(1328, 0);
        SetPrintAttributeEx(1310, 1);
        SetPrintAttributeEx(1328, 0);
        PrintPanel(antennalab, "", 1, 1, 0);
    } else if (event == RT_EVENT_LEFT_CLICK) {
        int plot = 0, index = 0;
        GetGraphCursorIndex(panel, control, 1, &plot, &index);
        SetCtrlVal(panel, ANTENNALAB_CURSORINDEX, index);
        SetCtrlVal(panel, ANTENNALAB_CURSORBASE, 0);
    }
    return 0;
}
