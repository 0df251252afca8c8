// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing patterns on a graph control of the run-time: the polar and
// Cartesian frames, the curves of the planes, the half-power lines, the MSL
// marker and a textbook model's dashed cuts. Each function draws on the
// graph (panel, control) it is given and returns the handles of what it
// plotted; nothing is kept here, so every plot belongs to the caller.
#pragma once

#include "analysis.h"

// ---- The graphs --------------------------------------------------------------
// The pattern graphs as the viewer's main panel holds them, 450 x 450 pixels
// with its axis ranges, equal scale and background, made on `panel` with
// their top left corner at (left, top). Return the control id, or -1.
constexpr int PATTERN_GRAPH_SIZE = 450;
int NewPolarGraph(int panel, int top, int left);
int NewCartesianGraph(int panel, int top, int left);

// ---- Frames ----------------------------------------------------------------------
// The rings, diameters and labels of the polar graph (radius = level + 30,
// 0 degrees at the top, clockwise), and the axes, ticks and labels of the
// Cartesian graph (-180..180 degrees, 0..-50 dB). Their handles are not kept.
void PlotPolarFrame(int panel, int control);
void PlotCartesianFrame(int panel, int control);

// ---- Plane curves -----------------------------------------------------------------
// One plane's 360-point polar curve (x, y: its blocks of the polar arrays),
// thin and solid.
int PlotPolarCurve(int panel, int control, const double x[LEVELS], const double y[LEVELS],
                   int color);
// The segment from 359 degrees back to 0 that closes the curve; a weight
// above 0 is set as its line weight, 0 leaves the graph's own.
int PlotClosingSegment(int panel, int control, const double x[LEVELS], const double y[LEVELS],
                       int color, int weight);

// Both planes on the polar graph, `polar` holding the blocks E x, E y, H x,
// H y: the E curve (red), the H curve (blue), then the E and H closing
// segments with the given weight, so that H lies on top. A plane left out
// gets no plots: its handles are 0.
struct PolarPlanePlots {
    int eCurve = 0, hCurve = 0, eClosing = 0, hClosing = 0;
};
PolarPlanePlots PlotPolarPlanes(int panel, int control, const double polar[4 * LEVELS], bool showE,
                                bool showH, int weight);

// One plane's Cartesian trace: x the angles -180..179 (BuildArrayX), y its
// block of the Cartesian array, a thin solid line with the given point style.
int PlotCartesianTrace(int panel, int control, const int arrayX[LEVELS], const double car[LEVELS],
                       int color, int pointStyle);

// ---- Markers ------------------------------------------------------------------------
// A radial line from the centre to the outer ring at a pattern angle
// (degrees clockwise from the top, turned to the graph's whole degree): a
// half-power line.
int PlotHalfPowerLine(int panel, int control, double edge, int color);
// The MSL marker of a peak angle: the radial line and the text "MSL" at its
// outer end.
struct MslPlots {
    int line = 0, text = 0;
};
MslPlots PlotMslMarker(int panel, int control, int peakAngle, int color);

// ---- A model's cuts -------------------------------------------------------------------
// Each plane's model cut (360 levels, already scaled and turned to the
// measurement; null: none for that plane) as a dashed curve in the plane's
// colour: closed on the polar graph, as a trace on the Cartesian graph, and
// never below the graphs' -30 dB centre. Handles are -1 where nothing was
// drawn; index 0 is E, 1 is H.
struct ModelCutPlots {
    int polar[2] = {-1, -1};
    int cartesian[2] = {-1, -1};
};
ModelCutPlots PlotModelCuts(int panel, int polarCtrl, int cartesianCtrl, const double *eCut,
                            const double *hCut);
