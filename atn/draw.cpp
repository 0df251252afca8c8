// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures come from the viewer's own main panel, loaded hidden: its frames
// (Init_Polar, Init_Cartesian) and its curves (BuildPlane, DrawPlots), so a
// picture cannot differ from what the viewer shows.
#include <cstring>

#include "antenna.h"
#include "antenna_uir.h"
#include "atn.h"
#include "rt.h"

namespace {

PatternRecord gRecord;
double gPolar[4 * 360];
double gCar[2 * 360];
bool gDrawn = false;

}  // namespace

bool PrepareDrawing(std::string &error)
{
    if (antennalab > 0)
        return true;
    RegisterAntennaCallbacks();
    const int panel = LoadPanel(0, "antenna.uir", ANTENNALAB);
    if (panel < 0) {
        error = "cannot load the viewer's panels from antenna.uir beside the program";
        return false;
    }
    antennalab = panel;
    // The viewer's graph size, so lines and text keep its proportions.
    for (int c : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        SetCtrlAttribute(antennalab, c, RT_ATTR_WIDTH, 450);
        SetCtrlAttribute(antennalab, c, RT_ATTR_HEIGHT, 450);
    }
    Init_Polar();
    Init_Cartesian();
    return true;
}

void DrawPattern(const PatternRecord &rec, bool showE, bool showH)
{
    if (gDrawn) {
        for (int p : {polarPlot1, polarPlot2, polarPlot3, polarPlot4})
            DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, p, RT_DELAYED_DRAW);
        for (int p : {carPlot1, carPlot2})
            DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, p, RT_DELAYED_DRAW);
    }
    std::memcpy(&gRecord, &rec, sizeof gRecord);
    ptsPtr = &gRecord;
    polarPtr = gPolar;
    carPtr = gCar;
    BuildPlane(0, 360);
    BuildPlane(1, 360);
    DrawPlots();
    gDrawn = true;
    // Left out as the viewer's E and H data commands leave a plane out.
    if (!showE) {
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot1, RT_DELAYED_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot3, RT_DELAYED_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, carPlot1, RT_DELAYED_DRAW);
    }
    if (!showH) {
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot2, RT_DELAYED_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, polarPlot4, RT_DELAYED_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, carPlot2, RT_DELAYED_DRAW);
    }
}

int PolarGraph()
{
    return ANTENNALAB_POLAR;
}
int CartesianGraph()
{
    return ANTENNALAB_CARTESIAN;
}
int DrawingPanel()
{
    return antennalab;
}
