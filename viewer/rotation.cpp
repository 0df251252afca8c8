// SPDX-License-Identifier: GPL-3.0-or-later
// Rotation of the selected plane by 1 or 10 degrees, with its curves, peak
// and half-power readouts rebuilt.
#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "checks_view.h"
#include "files_overlay.h"
#include "lobes.h"
#include "rt.h"
#include "theory_view.h"

namespace {

void HidePlane(int plane)
{
    const int polarCurve = plane == 0 ? polarPlot1 : polarPlot2;
    const int polarClose = plane == 0 ? polarPlot3 : polarPlot4;
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarCurve, RT_IMMEDIATE_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarClose, RT_IMMEDIATE_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, plane == 0 ? carPlot1 : carPlot2,
                    RT_IMMEDIATE_DRAW);
}

int RotateStep(int step)
{
    // The colour of the rotation display names the selected plane; without
    // one (no pattern open) nothing turns.
    int color = 0;
    GetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_COLOR, &color);
    int plane;
    if (color == RT_RED)
        plane = 0;
    else if (color == RT_BLUE)
        plane = 1;
    else
        return 0;
    if (!PatternOpen())
        return 0;
    CanRotate();
    int &counter = plane == 0 ? REDvalue : BLUEvalue;
    counter = RotationCounter(counter, step);
    SetCtrlVal(antennalab, ANTENNALAB_ROTATION, counter);
    double *levels = plane == 0 ? ptsPtr->e_data : ptsPtr->h_data;
    RotateLevels(levels, step);
    BuildPlane(plane, 0);
    (plane == 0 ? EMAX : HMAX) = PeakIndex(levels);
    DrawPlots();
    // A hidden plane stays hidden: its menu item still offers to show it.
    if (Eflag == 1)
        HidePlane(0);
    if (Hflag == 1)
        HidePlane(1);
    ViewData();
    RefreshLobePanel();
    RefreshChecksPanel();
    RefreshTheory();
    RefreshFileOverlay();
    return 0;
}

}  // namespace

void CanRotate()
{
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot1, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot2, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot3, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot4, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, carPlot1, RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, carPlot2, RT_DELAYED_DRAW);
    Changed = 1;
}

int GOLEFTCallback(int, int, int event, void *, int, int)
{
    return event == RT_EVENT_COMMIT ? RotateStep(-1) : 0;
}

int GORIGHTCallback(int, int, int event, void *, int, int)
{
    return event == RT_EVENT_COMMIT ? RotateStep(1) : 0;
}

int GOLEFT10Callback(int, int, int event, void *, int, int)
{
    return event == RT_EVENT_COMMIT ? RotateStep(-10) : 0;
}

int GORIGHT10Callback(int, int, int event, void *, int, int)
{
    return event == RT_EVENT_COMMIT ? RotateStep(10) : 0;
}
