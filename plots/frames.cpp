// SPDX-License-Identifier: GPL-3.0-or-later
// The pattern graphs and their hand-drawn frames.
#include <cmath>

#include "plots.h"
#include "rt.h"
#include "rt_newpanel.h"

namespace {

const char kFont[] = "NIAppMetaFont";
constexpr int kGrey = 0xA0A0A0;
constexpr int kDarkCyan = 0x008080;

double Rad(double degrees)
{
    return degrees * PI_VIEWER / 180.0;
}

int NewPatternGraph(int panel, int top, int left, const char *label, const GraphAxes &axes)
{
    const int ctrl = NewCtrl(panel, RT_CTRL_GRAPH, label, top, left);
    if (ctrl < 0)
        return -1;
    SetCtrlAttribute(panel, ctrl, RT_ATTR_WIDTH, PATTERN_GRAPH_SIZE);
    SetCtrlAttribute(panel, ctrl, RT_ATTR_HEIGHT, PATTERN_GRAPH_SIZE);
    SetGraphAxes(panel, ctrl, axes);
    return ctrl;
}

}  // namespace

int NewPolarGraph(int panel, int top, int left)
{
    // Everything the frame draws lies within -36.5..35 across and
    // -36.2..35 up; equal scale keeps the rings round.
    GraphAxes axes;
    axes.xMin = axes.yMin = -40.0;
    axes.xMax = axes.yMax = 40.0;
    axes.equalScale = true;
    axes.background = RT_BLACK;
    return NewPatternGraph(panel, top, left, "Polar graph", axes);
}

int NewCartesianGraph(int panel, int top, int left)
{
    GraphAxes axes;
    axes.xMin = -192.0;
    axes.xMax = 196.0;
    axes.yMin = -57.0;
    axes.yMax = 8.0;
    axes.equalScale = false;
    axes.background = RT_BLACK;
    return NewPatternGraph(panel, top, left, "Cartesian graph", axes);
}

void PlotPolarFrame(int panel, int control)
{
    auto text = [panel, control](double x, double y, const char *s) {
        PlotText(panel, control, x, y, s, kFont, kGrey, kDarkCyan);
    };
    for (int i = 1; i <= 7; ++i)
        PlotOval(panel, control, -5.0 * i, -5.0 * i, 5.0 * i, 5.0 * i, kGrey, RT_TRANSPARENT);
    for (int i = 0; i <= 5; ++i) {
        const double a = 94.24776 * i / 180.0;
        PlotLine(panel, control, -35 * std::cos(a), -35 * std::sin(a), 35 * std::cos(a),
                 35 * std::sin(a), kGrey);
    }
    text(-2.4, 3.4, " -25");
    text(-2.4, 8.4, " -20");
    text(-2.4, 13.4, " -15");
    text(-2.4, 18.4, " -10");
    text(-2.4, 23.4, "  -5");
    text(-0.4, 28.4, "0");
    text(-0.4, 33.4, "5");

    text(34.0, -1.4, "90");
    text(-36.5, -1.4, "270");
    text(-1.8, -36.2, "180");
    const double r30 = Rad(30), r60 = Rad(60), r120 = Rad(120), r150 = Rad(150);
    text(35 * std::cos(r60) - 0.8, 35 * std::sin(r60) - 0.8, "30");
    text(35 * std::cos(r30) - 0.8, 35 * std::sin(r30) - 0.8, "60");
    text(-35 * std::cos(r150) - 1.0, -35 * std::sin(r150) - 1.0, "120");
    text(-35 * std::cos(r120) - 1.0, -35 * std::sin(r120) - 1.0, "150");
    text(-35 * std::cos(r60) - 2.2, -35 * std::sin(r60) - 1.0, "210");
    text(-35 * std::cos(r30) - 1.8, -35 * std::sin(r30) - 0.8, "240");
    text(35 * std::cos(r120) - 2.0, 35 * std::sin(r120) - 1.0, "330");
    text(35 * std::cos(r150) - 2.0, 35 * std::sin(r150) - 1.0, "300");
}

void PlotCartesianFrame(int panel, int control)
{
    auto line = [panel, control](double x1, double y1, double x2, double y2) {
        PlotLine(panel, control, x1, y1, x2, y2, RT_WHITE);
    };
    line(0, 0, 0, -50);
    line(-180, -50, 180, -50);
    for (int i = 1; i <= 6; ++i) {
        line(30 * i, -50.2, 30 * i, -49.8);
        line(-30 * i, -50.2, -30 * i, -49.8);
    }
    for (int i = 0; i <= 9; ++i)
        line(-2, -5 * i, 2, -5 * i);
    static const struct {
        const char *text;
        double x;
    } angles[] = {{"0", -2},    {"-30", -34},   {"30", 26},     {"-60", -64}, {"60", 56},
                  {"-90", -94}, {"90", 86},     {"-120", -126}, {"120", 114}, {"-150", -156},
                  {"150", 145}, {"-180", -186}, {"180", 174}};
    for (const auto &a : angles)
        PlotText(panel, control, a.x, -53.0, a.text, kFont, RT_WHITE, RT_TRANSPARENT);
    static const char *const levels[] = {"  0",  " -5",  " -10", " -15", " -20",
                                         " -25", " -30", " -35", " -40", " -45"};
    for (int i = 0; i < 10; ++i)
        PlotText(panel, control, 2.0, -5.0 * i - 0.8, levels[i], kFont, RT_WHITE, RT_TRANSPARENT);
}
