// SPDX-License-Identifier: GPL-3.0-or-later
// Several patterns of one plane on one graph: each in a colour and dash of
// its own, the mean with a band of one standard deviation either side, and
// a legend inside the graph that names every curve. The pattern the others
// are laid over is drawn as usual (PlotPolarPlanes, PlotCartesianTrace);
// these functions add the rest and return the handles of what they plotted.
#pragma once

#include <string>
#include <vector>

#include "analysis.h"

// Curves besides the one laid under them.
constexpr int OVERLAY_FILES_MAX = 8;

// Colours a reader with any common colour vision deficiency tells apart
// (the Okabe-Ito set without its black, which the graphs' black would hide,
// and a light grey), each with a dash pattern of its own, so that the
// curves stay apart printed in grey too.
struct OverlayStyle {
    int color;
    int lineStyle;
    const char *name;  // "orange, dashes": for a list beside the graph
};
const OverlayStyle &OverlayStyleOf(int index);  // 0 .. OVERLAY_FILES_MAX - 1

// The mean curve and its band. The mean's white is a hair off the white of
// the Cartesian frame's labels, so that its legend line is never taken for
// one of them (the graph thins out labels of one colour that crowd).
constexpr int OVERLAY_MEAN_COLOR = 0xF4F4F4;
constexpr int OVERLAY_MEAN_WEIGHT = 2;
constexpr int OVERLAY_BAND_COLOR = 0xFFFFFF;
constexpr int OVERLAY_BAND_OPACITY = 28;  // percent

// One pattern on the graph and in the legend.
struct OverlayCurve {
    const double *levels = nullptr;  // 360 levels as drawn (already turned where aligned)
    int color = 0, lineStyle = 0;
    std::string name, person;  // the file's name and its person line
    bool aligned = false;
    int rotation = 0;  // the aligning turn, 0..359 to the right
};

struct OverlayPicture {
    // The pattern laid under the others: only its legend entry is drawn
    // here (levels unused; an empty name leaves it out of the legend).
    OverlayCurve reference;
    std::vector<OverlayCurve> curves;
    // The mean and standard deviation of `bandFiles` patterns, or none.
    const double *mean = nullptr, *sd = nullptr;
    int bandFiles = 0;
};

// A legend line: "name  person", and "turned +12°" when aligned; long names
// and person lines shortened with "…" to at most the given characters (a
// person limit of 0 leaves the person out).
std::string OverlayLegendText(const std::string &name, const std::string &person, bool aligned,
                              int rotation, int nameMax = 28, int personMax = 24);

// Draws the band, the mean, the curves and the legend (in that order) on a
// polar or a Cartesian pattern graph: closed curves round the centre on the
// polar one, traces from -180 to 179 degrees on the Cartesian one, never
// below the graphs' -30 dB. The legend sits in the lower left corner, where
// a Cartesian graph shows only levels below the rig's floor; it is laid out
// for the graph's present size and font. Returns every handle plotted.
std::vector<int> PlotOverlay(int panel, int control, bool polar, const OverlayPicture &picture);
