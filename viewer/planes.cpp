// SPDX-License-Identifier: GPL-3.0-or-later
// Hiding and showing the E and H planes. A hidden plane keeps its levels in
// memory; a save writes it as zeros.
#include "antenna.h"
#include "antenna_uir.h"
#include "checks_view.h"
#include "files_overlay.h"
#include "lobes.h"
#include "plots.h"
#include "rt.h"
#include "theory_view.h"

namespace {

struct Plane {
    int *flag;
    int item;
    const char *hideText, *showText;
    int *polarCurve, *polarClose, *carTrace;
    int block;  // 0 E, 1 H
    int color;
};

void TogglePlane(const Plane &p)
{
    if (!PatternOpen())
        return;
    Changed = 1;
    const int bar = GetPanelMenuBar(antennalab);
    if (*p.flag == 0) {
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *p.polarCurve, RT_IMMEDIATE_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, *p.polarClose, RT_IMMEDIATE_DRAW);
        DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, *p.carTrace, RT_IMMEDIATE_DRAW);
        SetMenuBarAttribute(bar, p.item, RT_ATTR_ITEM_NAME, p.showText);
        *p.flag = 1;
        return;
    }
    SetMenuBarAttribute(bar, p.item, RT_ATTR_ITEM_NAME, p.hideText);
    const double *x = polarPtr + p.block * 720, *y = x + 360;
    // Drawn back as the menu command draws it: point style 24 on the trace,
    // the closing segment at the graph's own weight.
    *p.carTrace = PlotCartesianTrace(antennalab, ANTENNALAB_CARTESIAN, arrayX,
                                     carPtr + p.block * 360, p.color, RT_SOLID_CIRCLE);
    *p.polarCurve = PlotPolarCurve(antennalab, ANTENNALAB_POLAR, x, y, p.color);
    *p.polarClose = PlotClosingSegment(antennalab, ANTENNALAB_POLAR, x, y, p.color, 0);
    *p.flag = 0;
}

}  // namespace

void antDeleteECallback(int, int, void *, int)
{
    TogglePlane({&Eflag, MENUBAR_EDATA, " E Data delete", " E Data view", &polarPlot1, &polarPlot3,
                 &carPlot1, 0, RT_RED});
    RefreshLobePanel();
    RefreshChecksPanel();
    RefreshTheory();
    RefreshFileOverlay();
}

void antDeleteHCallback(int, int, void *, int)
{
    TogglePlane({&Hflag, MENUBAR_HDATA, " H data delete", " H data view", &polarPlot2, &polarPlot4,
                 &carPlot2, 1, RT_BLUE});
    RefreshLobePanel();
    RefreshChecksPanel();
    RefreshTheory();
    RefreshFileOverlay();
}
