// SPDX-License-Identifier: GPL-3.0-or-later
// One item drawn on a graph control, in graph units. Qt-free so that tests
// can read back what a program plotted.
#pragma once

#include <string>
#include <vector>

namespace rt {

enum class PlotKind { Line, XY, Oval, Text, Polygon };

struct PlotItem {
    int handle = 0;
    PlotKind kind = PlotKind::Line;
    // Line: two points; XY and Polygon: every point; Oval: the two corners;
    // Text: one point.
    std::vector<double> xs, ys;
    int color = 0;          // line or text colour, 0xRRGGBB
    int fillColor = 0;      // oval or polygon fill, text background; may be transparent
    int fillOpacity = 100;  // percent, of a polygon's fill
    int thickness = 1;
    int plotStyle = 0, pointStyle = 0, lineStyle = 0, pointFrequency = 1;
    std::string text, font;
};

}  // namespace rt
