// SPDX-License-Identifier: GPL-3.0-or-later
// Curves and markers on the pattern graphs.
#include <algorithm>

#include "plots.h"
#include "rt.h"

namespace {

// The radius of the outer ring (+5 dB), where radial lines end.
constexpr double kOuterRing = 35.0;
// The level at the centre of the polar graph and the foot of the Cartesian one.
constexpr double kDrawFloor = -30.0;

int RadialLine(int panel, int control, double patternAngle, int color, double *x, double *y)
{
    RadialPoint(patternAngle, kOuterRing, x, y);
    return PlotLine(panel, control, 0.0, 0.0, *x, *y, color);
}

}  // namespace

int PlotPolarCurve(int panel, int control, const double x[LEVELS], const double y[LEVELS],
                   int color)
{
    return PlotXY(panel, control, x, y, LEVELS, RT_DOUBLE, RT_DOUBLE, RT_THIN_LINE, RT_SIMPLE_DOT,
                  RT_SOLID, 1, color);
}

int PlotClosingSegment(int panel, int control, const double x[LEVELS], const double y[LEVELS],
                       int color, int weight)
{
    const int plot = PlotLine(panel, control, x[LEVELS - 1], y[LEVELS - 1], x[0], y[0], color);
    if (weight > 0)
        SetPlotAttribute(panel, control, plot, RT_ATTR_PLOT_THICKNESS, weight);
    return plot;
}

PolarPlanePlots PlotPolarPlanes(int panel, int control, const double polar[4 * LEVELS], bool showE,
                                bool showH, int weight)
{
    const double *ex = polar, *ey = polar + LEVELS, *hx = polar + 2 * LEVELS,
                 *hy = polar + 3 * LEVELS;
    PolarPlanePlots p;
    if (showE)
        p.eCurve = PlotPolarCurve(panel, control, ex, ey, RT_RED);
    if (showH)
        p.hCurve = PlotPolarCurve(panel, control, hx, hy, RT_BLUE);
    if (showE)
        p.eClosing = PlotClosingSegment(panel, control, ex, ey, RT_RED, weight);
    if (showH)
        p.hClosing = PlotClosingSegment(panel, control, hx, hy, RT_BLUE, weight);
    return p;
}

int PlotCartesianTrace(int panel, int control, const int arrayX[LEVELS], const double car[LEVELS],
                       int color, int pointStyle)
{
    return PlotXY(panel, control, arrayX, car, LEVELS, RT_INTEGER, RT_DOUBLE, RT_THIN_LINE,
                  pointStyle, RT_SOLID, 1, color);
}

int PlotHalfPowerLine(int panel, int control, double edge, int color)
{
    double x = 0, y = 0;
    return RadialLine(panel, control, edge, color, &x, &y);
}

MslPlots PlotMslMarker(int panel, int control, int peakAngle, int color)
{
    MslPlots m;
    double x = 0, y = 0;
    m.line = RadialLine(panel, control, peakAngle, color, &x, &y);
    m.text = PlotText(panel, control, x, y, "MSL", "NIAppMetaFont", color, RT_TRANSPARENT);
    return m;
}

ModelCutPlots PlotModelCuts(int panel, int polarCtrl, int cartesianCtrl, const double *eCut,
                            const double *hCut)
{
    ModelCutPlots plots;
    int arrayX[LEVELS];
    BuildArrayX(arrayX);
    for (int plane = 0; plane < 2; ++plane) {
        const double *cut = plane == 0 ? eCut : hCut;
        if (!cut)
            continue;
        double levels[LEVELS];
        for (int k = 0; k < LEVELS; ++k)
            levels[k] = std::max(kDrawFloor, cut[k]);
        // One point more than the measurement's curve: the first again, so
        // that the dashes run on across 0 degrees.
        double x[LEVELS + 1], y[LEVELS + 1], car[LEVELS];
        BuildPolarBlock(levels, 360, x, y);
        x[LEVELS] = x[0];
        y[LEVELS] = y[0];
        BuildCarBlock(levels, car);
        const int color = plane == 0 ? RT_RED : RT_BLUE;
        plots.polar[plane] = PlotXY(panel, polarCtrl, x, y, LEVELS + 1, RT_DOUBLE, RT_DOUBLE,
                                    RT_THIN_LINE, RT_SIMPLE_DOT, RT_DASH, 1, color);
        plots.cartesian[plane] = PlotXY(panel, cartesianCtrl, arrayX, car, LEVELS, RT_INTEGER,
                                        RT_DOUBLE, RT_THIN_LINE, RT_SIMPLE_DOT, RT_DASH, 1, color);
    }
    return plots;
}
