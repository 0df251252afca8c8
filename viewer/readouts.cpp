// SPDX-License-Identifier: GPL-3.0-or-later
// Readouts of the polar view: peak of each plane, cursor differences, and
// the half-power and MSL overlays on the polar graph.
#include <cstdlib>

#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "lobe.h"
#include "plots.h"
#include "rt.h"

namespace {

void PeakReadout(const double *levels, int peak, int angleCtrl, int levelCtrl)
{
    SetCtrlVal(antennalab, angleCtrl, peak);
    // Without a peak there is no level to show; the old one stays.
    if (peak >= 0 && peak < LEVELS)
        SetCtrlVal(antennalab, levelCtrl, levels[peak]);
}

void Differences(int angle1, int angle2, int level1, int level2, int angleDiff, int levelDiff)
{
    int a1 = 0, a2 = 0;
    double l1 = 0, l2 = 0;
    GetCtrlVal(antennalab, angle1, &a1);
    GetCtrlVal(antennalab, angle2, &a2);
    SetCtrlVal(antennalab, angleDiff, std::abs(a1 - a2));
    GetCtrlVal(antennalab, level1, &l1);
    GetCtrlVal(antennalab, level2, &l2);
    SetCtrlVal(antennalab, levelDiff, l1 - l2);
}

// The half-power search of one plane and its readouts. Edges that are not
// found keep their old values; a plane without a beamwidth shows 0 rather
// than what an earlier file or rotation left in the readouts.
void HalfPowerReadout(const double *levels, int peak, double *left, double *right, int widthCtrl,
                      int levelCtrl)
{
    const ViewerReadouts d = PlaneReadouts(levels, peak);
    if (d.search.leftFound)
        *left = d.search.left;
    if (d.search.rightFound)
        *right = d.search.right;
    if (d.search.leftFound && d.search.rightFound) {
        SetCtrlAttribute(antennalab, widthCtrl, RT_ATTR_DIMMED, 0);
        SetCtrlAttribute(antennalab, levelCtrl, RT_ATTR_DIMMED, 0);
    }
    SetCtrlVal(antennalab, widthCtrl, d.hpbWidth);
    SetCtrlVal(antennalab, levelCtrl, d.hpbLevel);
}

// The two half-power lines of a plane, drawn from the edges as they are now
// or removed.
void ToggleHalfPower(int *flag, double left, double right, int *plotLeft, int *plotRight, int color)
{
    if (*flag == 0) {
        *plotLeft = PlotHalfPowerLine(antennalab, ANTENNALAB_POLAR, left, color);
        *plotRight = PlotHalfPowerLine(antennalab, ANTENNALAB_POLAR, right, color);
        *flag = 1;
    } else {
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *plotLeft, RT_IMMEDIATE_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *plotRight, RT_IMMEDIATE_DRAW);
        *flag = 0;
    }
}

// The MSL marker: a line to the outer ring at the peak angle shown in the
// readout, and the text "MSL" at its end.
void ToggleMsl(int panel, int *flag, int peakCtrl, int *line, int *text, int color)
{
    if (*flag == 0) {
        int v = 0;
        GetCtrlVal(panel, peakCtrl, &v);
        const MslPlots m = PlotMslMarker(antennalab, ANTENNALAB_POLAR, v, color);
        *line = m.line;
        *text = m.text;
        *flag = 1;
    } else {
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *text, RT_IMMEDIATE_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *line, RT_IMMEDIATE_DRAW);
        *flag = 0;
    }
}

}  // namespace

void ViewData()
{
    if (!PatternOpen())
        return;
    const PatternRecord &r = *ptsPtr;
    // Every cursor reads the level at its own angle (0 right after an open),
    // and the differences follow, so that no readout is left from before a
    // rotation or from the file opened earlier.
    CursorLevels();
    CalE();
    CalH();
    PeakReadout(r.e_data, EMAX, ANTENNALAB_EPEAKANGLE, ANTENNALAB_EPEAKLEVEL);
    PeakReadout(r.h_data, HMAX, ANTENNALAB_HPEAKANGLE, ANTENNALAB_HPEAKLEVEL);
    HalfPowerReadout(r.e_data, EMAX, &Emin, &Emax, ANTENNALAB_EHPB, ANTENNALAB_EHPBLEVEL);
    HalfPowerReadout(r.h_data, HMAX, &Hmin, &Hmax, ANTENNALAB_HHPB, ANTENNALAB_HHPBLEVEL);
}

int eHPBCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT && PatternOpen())
        ToggleHalfPower(&eHPBflag, Emin, Emax, &hpbPlote1, &hpbPlote2, RT_RED);
    return 0;
}

int hHPBCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT && PatternOpen())
        ToggleHalfPower(&hHPBflag, Hmin, Hmax, &hpbPloth1, &hpbPloth2, RT_BLUE);
    return 0;
}

int eMSLCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT && PatternOpen())
        ToggleMsl(panel, &eMSLflag, ANTENNALAB_EPEAKANGLE, &imsiPlote, &imsiTexte, RT_RED);
    return 0;
}

int hMSLCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT && PatternOpen())
        ToggleMsl(panel, &hMSLflag, ANTENNALAB_HPEAKANGLE, &imsiPloth, &imsiTexth, RT_BLUE);
    return 0;
}

void CalE()
{
    Differences(ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR1_LEVEL,
                ANTENNALAB_CURSOR2_LEVEL, ANTENNALAB_EANGLEDIFF, ANTENNALAB_ELEVELDIFF);
}

void CalH()
{
    Differences(ANTENNALAB_CURSOR3_ANGLE, ANTENNALAB_CURSOR4_ANGLE, ANTENNALAB_CURSOR3_LEVEL,
                ANTENNALAB_CURSOR4_LEVEL, ANTENNALAB_HANGLEDIFF, ANTENNALAB_HLEVELDIFF);
}

void RemoveOverlays()
{
    struct Overlay {
        int *flag, *plotA, *plotB, toggle;
    } overlays[] = {
        {&eHPBflag, &hpbPlote1, &hpbPlote2, ANTENNALAB_EHPBBTN},
        {&hHPBflag, &hpbPloth1, &hpbPloth2, ANTENNALAB_HHPBBTN},
        {&eMSLflag, &imsiTexte, &imsiPlote, ANTENNALAB_EMSLBTN},
        {&hMSLflag, &imsiTexth, &imsiPloth, ANTENNALAB_HMSLBTN},
    };
    for (auto &o : overlays) {
        if (*o.flag != 1)
            continue;
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *o.plotA, RT_IMMEDIATE_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *o.plotB, RT_IMMEDIATE_DRAW);
        *o.flag = 0;
        SetCtrlVal(antennalab, o.toggle, 0);  // the toggle shows the overlay is gone
    }
}
