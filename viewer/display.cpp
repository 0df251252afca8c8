// SPDX-License-Identifier: GPL-3.0-or-later
// Pattern display: the hand-drawn polar and Cartesian frames, the curves of
// both planes, the view commands and the plane chosen by a click on a curve.
#include <cmath>

#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "rt.h"

namespace {

const char kFont[] = "NIAppMetaFont";
constexpr int kGrey = 0xA0A0A0;
constexpr int kDarkCyan = 0x008080;

double Rad(double degrees)
{
    return degrees * PI_VIEWER / 180.0;
}

void PolarText(double x, double y, const char *text)
{
    PlotText(antennalab, ANTENNALAB_POLAR, x, y, text, kFont, kGrey, kDarkCyan);
}

void CartText(double x, double y, const char *text)
{
    PlotText(antennalab, ANTENNALAB_CARTESIAN, x, y, text, kFont, RT_WHITE, RT_TRANSPARENT);
}

void CartLine(double x1, double y1, double x2, double y2)
{
    PlotLine(antennalab, ANTENNALAB_CARTESIAN, x1, y1, x2, y2, RT_WHITE);
}

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
    for (int i = 1; i <= 7; ++i)
        PlotOval(antennalab, ANTENNALAB_POLAR, -5.0 * i, -5.0 * i, 5.0 * i, 5.0 * i, kGrey,
                 RT_TRANSPARENT);
    for (int i = 0; i <= 5; ++i) {
        const double a = 94.24776 * i / 180.0;
        PlotLine(antennalab, ANTENNALAB_POLAR, -35 * std::cos(a), -35 * std::sin(a),
                 35 * std::cos(a), 35 * std::sin(a), kGrey);
    }
    PolarText(-2.4, 3.4, " -25");
    PolarText(-2.4, 8.4, " -20");
    PolarText(-2.4, 13.4, " -15");
    PolarText(-2.4, 18.4, " -10");
    PolarText(-2.4, 23.4, "  -5");
    PolarText(-0.4, 28.4, "0");
    PolarText(-0.4, 33.4, "5");

    PolarText(34.0, -1.4, "90");
    PolarText(-36.5, -1.4, "270");
    PolarText(-1.8, -36.2, "180");
    const double r30 = Rad(30), r60 = Rad(60), r120 = Rad(120), r150 = Rad(150);
    PolarText(35 * std::cos(r60) - 0.8, 35 * std::sin(r60) - 0.8, "30");
    PolarText(35 * std::cos(r30) - 0.8, 35 * std::sin(r30) - 0.8, "60");
    PolarText(-35 * std::cos(r150) - 1.0, -35 * std::sin(r150) - 1.0, "120");
    PolarText(-35 * std::cos(r120) - 1.0, -35 * std::sin(r120) - 1.0, "150");
    PolarText(-35 * std::cos(r60) - 2.2, -35 * std::sin(r60) - 1.0, "210");
    PolarText(-35 * std::cos(r30) - 1.8, -35 * std::sin(r30) - 0.8, "240");
    PolarText(35 * std::cos(r120) - 2.0, 35 * std::sin(r120) - 1.0, "330");
    PolarText(35 * std::cos(r150) - 2.0, 35 * std::sin(r150) - 1.0, "300");
}

void Init_Cartesian()
{
    CartLine(0, 0, 0, -50);
    CartLine(-180, -50, 180, -50);
    for (int i = 1; i <= 6; ++i) {
        CartLine(30 * i, -50.2, 30 * i, -49.8);
        CartLine(-30 * i, -50.2, -30 * i, -49.8);
    }
    for (int i = 0; i <= 9; ++i)
        CartLine(-2, -5 * i, 2, -5 * i);
    static const struct {
        const char *text;
        double x;
    } angles[] = {{"0", -2},    {"-30", -34},   {"30", 26},     {"-60", -64}, {"60", 56},
                  {"-90", -94}, {"90", 86},     {"-120", -126}, {"120", 114}, {"-150", -156},
                  {"150", 145}, {"-180", -186}, {"180", 174}};
    for (const auto &a : angles)
        CartText(a.x, -53.0, a.text);
    static const char *const levels[] = {"  0",  " -5",  " -10", " -15", " -20",
                                         " -25", " -30", " -35", " -40", " -45"};
    for (int i = 0; i < 10; ++i)
        CartText(2.0, -5.0 * i - 0.8, levels[i]);
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
    const double *ex = polarPtr, *ey = polarPtr + 360, *hx = polarPtr + 720, *hy = polarPtr + 1080;
    polarPlot1 = PlotXY(antennalab, ANTENNALAB_POLAR, ex, ey, 360, RT_DOUBLE, RT_DOUBLE,
                        RT_THIN_LINE, RT_SIMPLE_DOT, RT_SOLID, 1, RT_RED);
    polarPlot2 = PlotXY(antennalab, ANTENNALAB_POLAR, hx, hy, 360, RT_DOUBLE, RT_DOUBLE,
                        RT_THIN_LINE, RT_SIMPLE_DOT, RT_SOLID, 1, RT_BLUE);
    polarPlot3 = PlotLine(antennalab, ANTENNALAB_POLAR, ex[359], ey[359], ex[0], ey[0], RT_RED);
    SetPlotAttribute(antennalab, ANTENNALAB_POLAR, polarPlot3, RT_ATTR_PLOT_THICKNESS, weight);
    polarPlot4 = PlotLine(antennalab, ANTENNALAB_POLAR, hx[359], hy[359], hx[0], hy[0], RT_BLUE);
    SetPlotAttribute(antennalab, ANTENNALAB_POLAR, polarPlot4, RT_ATTR_PLOT_THICKNESS, weight);
}

void DrawPlots()
{
    DrawPolar(1);
    carPlot1 = PlotXY(antennalab, ANTENNALAB_CARTESIAN, arrayX, carPtr, 360, RT_INTEGER, RT_DOUBLE,
                      RT_THIN_LINE, RT_SIMPLE_DOT, RT_SOLID, 1, RT_RED);
    carPlot2 = PlotXY(antennalab, ANTENNALAB_CARTESIAN, arrayX, carPtr + 360, 360, RT_INTEGER,
                      RT_DOUBLE, RT_THIN_LINE, RT_SIMPLE_DOT, RT_SOLID, 1, RT_BLUE);
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
