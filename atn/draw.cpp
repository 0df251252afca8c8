// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures are drawn on two graphs of the tool's own, made offscreen with
// the viewer's sizes and axes, through the same drawing calls as the viewer
// (frames, curves, model cuts), so that a picture cannot differ from what
// the viewer shows.
#include "analysis.h"
#include "atn.h"
#include "plots.h"
#include "rt.h"
#include "rt_newpanel.h"
#include "theory.h"

namespace {

int gPanel = 0, gPolar = 0, gCartesian = 0;
double gPolarXY[4 * LEVELS];
double gCar[2 * LEVELS];
int gArrayX[LEVELS];
// What is on the graphs besides the frames (0 or -1: nothing).
PolarPlanePlots gCurves;
int gTraces[2] = {0, 0};
ModelCutPlots gCuts;

void Delete(int ctrl, int &plot)
{
    if (plot > 0)
        DeleteGraphPlot(gPanel, ctrl, plot, RT_DELAYED_DRAW);
    plot = 0;
}

}  // namespace

bool PrepareDrawing(std::string &error)
{
    if (gPanel > 0)
        return true;
    const int panel = NewPanel(0, "atn", 0, 0, PATTERN_GRAPH_SIZE + 6, PATTERN_GRAPH_SIZE + 28);
    const int polar = panel > 0 ? NewPolarGraph(panel, 3, 28) : -1;
    const int cartesian = panel > 0 ? NewCartesianGraph(panel, 3, 28) : -1;
    if (polar < 0 || cartesian < 0) {
        error = "cannot make the graphs to draw on";
        if (panel > 0)
            DiscardPanel(panel);
        return false;
    }
    gPanel = panel;
    gPolar = polar;
    gCartesian = cartesian;
    PlotPolarFrame(gPanel, gPolar);
    PlotCartesianFrame(gPanel, gCartesian);
    return true;
}

void DrawPattern(const PatternRecord &rec, bool showE, bool showH)
{
    for (int *p : {&gCurves.eCurve, &gCurves.hCurve, &gCurves.eClosing, &gCurves.hClosing})
        Delete(gPolar, *p);
    for (int &p : gTraces)
        Delete(gCartesian, p);
    BuildPolarBlock(rec.e_data, 360, gPolarXY, gPolarXY + LEVELS);
    BuildPolarBlock(rec.h_data, 360, gPolarXY + 2 * LEVELS, gPolarXY + 3 * LEVELS);
    BuildCarBlock(rec.e_data, gCar);
    BuildCarBlock(rec.h_data, gCar + LEVELS);
    BuildArrayX(gArrayX);
    // A plane not wanted is left out, as the viewer's E and H data
    // commands leave it out.
    gCurves = PlotPolarPlanes(gPanel, gPolar, gPolarXY, showE, showH, 1);
    if (showE)
        gTraces[0] = PlotCartesianTrace(gPanel, gCartesian, gArrayX, gCar, RT_RED, RT_SIMPLE_DOT);
    if (showH)
        gTraces[1] =
            PlotCartesianTrace(gPanel, gCartesian, gArrayX, gCar + LEVELS, RT_BLUE, RT_SIMPLE_DOT);
}

void RemoveModelCuts()
{
    for (int plane = 0; plane < 2; ++plane) {
        Delete(gPolar, gCuts.polar[plane]);
        Delete(gCartesian, gCuts.cartesian[plane]);
    }
}

void DrawModelCuts(const double *eModel, const double *hModel, const PatternRecord &r)
{
    RemoveModelCuts();
    TheoryComparison c[2];
    if (eModel)
        c[0] = CompareWithModel(r.e_data, eModel);
    if (hModel)
        c[1] = CompareWithModel(r.h_data, hModel);
    gCuts = PlotModelCuts(gPanel, gPolar, gCartesian, c[0].valid ? c[0].scaled : nullptr,
                          c[1].valid ? c[1].scaled : nullptr);
}

int PolarGraph()
{
    return gPolar;
}
int CartesianGraph()
{
    return gCartesian;
}
int DrawingPanel()
{
    return gPanel;
}
