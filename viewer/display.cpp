// SPDX-License-Identifier: GPL-3.0-or-later
// Pattern display: the hand-drawn polar and Cartesian frames, the curves of
// both planes, the view commands and the plane chosen by a click on a curve.
#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "plots.h"
#include "rt.h"

namespace {

int MenuBar()
{
    return GetPanelMenuBar(antennalab);
}

void SetPlotCommands(int dimmed)
{
    for (int item : {MENUBAR_CURSOR, MENUBAR_EDATA, MENUBAR_HDATA})
        SetMenuBarAttribute(MenuBar(), item, RT_ATTR_DIMMED, dimmed);
}

void ShowView(int polar, int cartesian)
{
    SetCtrlAttribute(antennalab, ANTENNALAB_CARTESIAN, RT_ATTR_VISIBLE, cartesian);
    SetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_VISIBLE, 0);
    SetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, polar);
    Viewer3DHide();
}

}  // namespace

void Init_Polar()
{
    PlotPolarFrame(antennalab, ANTENNALAB_POLAR);
}

void Init_Cartesian()
{
    PlotCartesianFrame(antennalab, ANTENNALAB_CARTESIAN);
}

void SetAttribute()
{
    for (int c : {ANTENNALAB_CARTESIAN, ANTENNALAB_POLAR, ANTENNALAB_CANVAS3D}) {
        SetCtrlAttribute(antennalab, c, RT_ATTR_TOP, 3);
        SetCtrlAttribute(antennalab, c, RT_ATTR_LEFT, 28);
        SetCtrlAttribute(antennalab, c, RT_ATTR_WIDTH, 450);
        SetCtrlAttribute(antennalab, c, RT_ATTR_HEIGHT, 450);
        SetCtrlAttribute(antennalab, c, RT_ATTR_VISIBLE, 0);
    }
    Viewer3DHide();
}

void BuildPlane(int plane, int angle180)
{
    const double *levels = plane == 0 ? ptsPtr->e_data : ptsPtr->h_data;
    double *x = polarPtr + plane * 720;
    BuildPolarBlock(levels, angle180, x, x + 360);
    BuildCarBlock(levels, carPtr + plane * 360);
    BuildArrayX(arrayX);
}

void DrawPolar(int weight)
{
    const PolarPlanePlots p =
        PlotPolarPlanes(antennalab, ANTENNALAB_POLAR, polarPtr, true, true, weight);
    polarPlot1 = p.eCurve;
    polarPlot2 = p.hCurve;
    polarPlot3 = p.eClosing;
    polarPlot4 = p.hClosing;
}

void DrawPlots()
{
    DrawPolar(1);
    carPlot1 =
        PlotCartesianTrace(antennalab, ANTENNALAB_CARTESIAN, arrayX, carPtr, RT_RED, RT_SIMPLE_DOT);
    carPlot2 = PlotCartesianTrace(antennalab, ANTENNALAB_CARTESIAN, arrayX, carPtr + 360, RT_BLUE,
                                  RT_SIMPLE_DOT);
}

void PolarCallback(int, int, void *, int)
{
    ShowView(1, 0);
    if (PatternOpen()) {
        SetPlotCommands(0);
        UnDimCtrl();
        UnDimMenu();
    }
    SetMenuBarAttribute(MenuBar(), MENUBAR_CURSOR, RT_ATTR_CHECKED, Cursor_Flag == 1);
    if (Cursor_Flag == 1)
        CursorUnDimCtrl();
    else
        CursorDimCtrl();
}

void CartesianCallback(int, int, void *, int)
{
    ShowView(0, 1);
    SetMenuBarAttribute(MenuBar(), MENUBAR_CURSOR, RT_ATTR_DIMMED, 1);
    SetMenuBarAttribute(MenuBar(), MENUBAR_EDATA, RT_ATTR_DIMMED, 0);
    SetMenuBarAttribute(MenuBar(), MENUBAR_HDATA, RT_ATTR_DIMMED, 0);
    if (PatternOpen()) {
        SetPlotCommands(0);
        ExtUnDimMenu();
    } else {
        DimCtrl();
        DimMenu();
        CursorDimCtrl();
    }
}

int POLARGRAPHCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_LEFT_CLICK || !PatternOpen())
        return 0;
    int plot = 0, index = 0;
    GetGraphCursorIndex(panel, control, 1, &plot, &index);
    int color, value;
    if (plot == polarPlot1 || plot == polarPlot3) {
        color = RT_RED;
        value = REDvalue;
    } else if (plot == polarPlot2 || plot == polarPlot4) {
        color = RT_BLUE;
        value = BLUEvalue;
    } else {
        return 0;
    }
    SetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_COLOR, color);
    SetCtrlAttribute(antennalab, ANTENNALAB_ROTATION, RT_ATTR_TEXT_BGCOLOR, color);
    SetCtrlVal(antennalab, ANTENNALAB_ROTATION, value);
    return 0;
}
