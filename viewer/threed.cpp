// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D view: building the solid from the two planes, handing it to the 3D
// graph, the view and axis settings, and the properties command.
#include "threed.h"

#include <cmath>
#include <utility>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "ogl3d.h"
#include "rt.h"

namespace {

constexpr double PI_3D = 3.141592;

int Plot3D = 0;                          // the scatter plot on Ctrl3D
double latitude = 0.0, longitude = 0.0;  // view angles
double distance = 3.0;                   // view distance
double center[3] = {0.0, 0.0, 0.0};      // point looked at
SphereConfig sphereConfig = DefaultSphereConfig();

// Whole degrees of an angle as an index of a level array.
int LevelIndex(double degrees)
{
    int i = int(degrees) % 360;
    return i < 0 ? i + 360 : i;
}

void ApplyView()
{
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LATITUDE, latitude);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_LONGITUDE, longitude);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_DISTANCE, distance);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_CENTER_X, center[0]);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_CENTER_Y, center[1]);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VIEW_CENTER_Z, center[2]);
}

}  // namespace

SphereConfig DefaultSphereConfig()
{
    return {10.0, 0.0, 359.0, 50, 0.0, 359.0, 50};
}

int BuildSpherePoints(const SphereConfig &cfg, const double e_data[360], const double h_data[360],
                      double *points)
{
    const double dPolar = (cfg.polarTo - cfg.polarFrom) / cfg.polarSteps;
    const double dAzimuth = (cfg.azimuthTo - cfg.azimuthFrom) / cfg.azimuthSteps;
    double *p = points;
    double phi = cfg.polarFrom;
    for (int i = 0; i <= cfg.polarSteps; ++i) {
        const double s = std::sin(phi * PI_3D / 180);
        const double zBase = std::cos(phi * PI_3D / 180) * cfg.radius;
        const int a = LevelIndex(phi);
        double theta = cfg.azimuthFrom;
        for (int j = 0; j <= cfg.azimuthSteps; ++j) {
            const int b = LevelIndex(theta);
            const double vals = (h_data[a] / 40 + 1) * (e_data[b] / 40 + 1);
            *p++ = std::cos(theta * PI_3D / 180) * cfg.radius * s * vals;
            *p++ = std::sin(theta * PI_3D / 180) * cfg.radius * s * vals;
            *p++ = zBase * vals;
            theta += dAzimuth;
        }
        phi += dPolar;
    }
    return int((p - points) / 3);
}

void Sync3DPlotArea()
{
    int left = 0, top = 0, width = 0, height = 0;
    GetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_LEFT, &left);
    GetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_TOP, &top);
    GetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_WIDTH, &width);
    GetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_HEIGHT, &height);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_PLOTAREA_LEFT, left);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_PLOTAREA_TOP, top);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_PLOTAREA_WIDTH, width);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_PLOTAREA_HEIGHT, height);
}

int sphere(void)
{
    distance = 3.0;
    sphereConfig = DefaultSphereConfig();
    if (sphereConfig.azimuthFrom > sphereConfig.azimuthTo)
        std::swap(sphereConfig.azimuthFrom, sphereConfig.azimuthTo);
    if (sphereConfig.polarFrom > sphereConfig.polarTo)
        std::swap(sphereConfig.polarFrom, sphereConfig.polarTo);
    for (int k = 0; k < 3; ++k) {
        OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_XAXIS_MIN + RT_OGL_AXIS_STRIDE * k,
                            -sphereConfig.radius);
        OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_XAXIS_MAX + RT_OGL_AXIS_STRIDE * k,
                            sphereConfig.radius);
    }
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_XAXIS_COLOR, MakeColor(250, 0, 0));
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_YAXIS_COLOR, MakeColor(0, 250, 0));
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_ZAXIS_COLOR, MakeColor(0, 0, 250));
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_XAXIS_NAME_VISIBLE, 1);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_YAXIS_NAME_VISIBLE, 1);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_ZAXIS_NAME_VISIBLE, 1);
    return 0;
}

int createSPlot(double *points, int azimuthCount, int polarCount)
{
    OGLGetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_NUM_PLOTS, &Plot3D);
    if (Plot3D != 0) {
        OGLGetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_FIRST_PLOT, &Plot3D);
        OGLDeletePlot(antennalab, Ctrl3D, Plot3D, 0);
    }
    Plot3D = OGLPlot3DScatter(antennalab, Ctrl3D, points, azimuthCount, polarCount, RT_DOUBLE);
    OGLSetPlotAttribute(antennalab, Ctrl3D, Plot3D, RT_OGL_ATTR_POINTS_VISIBLE, 1);
    OGLSetPlotAttribute(antennalab, Ctrl3D, Plot3D, RT_OGL_ATTR_POINT_COLOR, RT_RED);
    OGLSetPlotAttribute(antennalab, Ctrl3D, Plot3D, RT_OGL_ATTR_POINT_SIZE, 1.0);
    OGLSetPlotAttribute(antennalab, Ctrl3D, Plot3D, RT_OGL_ATTR_POINT_OPACITY, 100);
    OGLSetPlotAttribute(antennalab, Ctrl3D, Plot3D, RT_OGL_ATTR_PLOT_STYLE, RT_OGL_STYLE_POINTS);
    OGLSetPlotAttribute(antennalab, Ctrl3D, Plot3D, RT_OGL_ATTR_POINT_COLOR, RT_CYAN);
    OGLRefreshGraph(antennalab, Ctrl3D);
    return 0;
}

int SPlot(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    const int waiting = GetWaitCursorState();
    if (!waiting)
        SetWaitCursor(1);
    ApplyView();
    SetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_CANVAS_OGL_FLAGS, 0);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_LIGHTING, 1);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_XAXIS_SUBDIVISIONS + 2 * RT_OGL_AXIS_STRIDE,
                        5);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_LABEL_OFFSET, -0.5);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_LABEL_SCALE, 1.0);
    for (int k = 0; k < 3; ++k)
        OGLSetCtrlAttribute(antennalab, Ctrl3D,
                            RT_OGL_ATTR_XAXIS_DIVISIONS + RT_OGL_AXIS_STRIDE * k, -4);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_FRAME_VISIBLE, 1);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_GRID_VISIBLE, 1);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_GRID_COLOR, RT_CYAN);
    sphere();
    if (PatternOpen() && ptsPtr) {
        // The point buffer lives for this redraw only.
        std::vector<double> pts3D(3 * std::size_t(sphereConfig.azimuthSteps + 1)
                                  * std::size_t(sphereConfig.polarSteps + 1));
        BuildSpherePoints(sphereConfig, ptsPtr->e_data, ptsPtr->h_data, pts3D.data());
        createSPlot(pts3D.data(), sphereConfig.azimuthSteps + 1, sphereConfig.polarSteps + 1);
    }
    if (!waiting)
        SetWaitCursor(0);
    return 0;
}

void ant3DCallback(int, int, void *, int)
{
    Third = 1;
    SetCtrlAttribute(antennalab, ANTENNALAB_CARTESIAN, RT_ATTR_VISIBLE, 0);
    SetCtrlAttribute(antennalab, ANTENNALAB_CANVAS3D, RT_ATTR_VISIBLE, 1);
    SetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, 0);
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VISIBLE, 1);
    const int bar = GetPanelMenuBar(antennalab);
    if (PatternOpen()) {
        for (int item : {MENUBAR_EDATA, MENUBAR_HDATA, MENUBAR_CURSOR})
            SetMenuBarAttribute(bar, item, RT_ATTR_DIMMED, 0);
        ExtUnDimMenu();
    } else {
        DimCtrl();
        DimMenu();
        CursorDimCtrl();
    }
    SPlot(antennalab, Ctrl3D, RT_EVENT_COMMIT, nullptr, 0, 0);
}

int sphereConfigure(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    sphere();
    // Back to the starting view as well, whatever the mouse made of it.
    ApplyView();
    OGLRefreshGraph(antennalab, Ctrl3D);
    return 0;
}

void antGraphicsCallback(int, int, void *, int)
{
    OGLPropertiesPopup(antennalab, Ctrl3D);
}

// ---- Hooks called by start-up, the views and the file commands ----------------

int Viewer3DConvert()
{
    const int graph = OGLConvertCtrl(antennalab, ANTENNALAB_CANVAS3D);
    return graph;
}

void Viewer3DHide()
{
    Sync3DPlotArea();
    OGLSetCtrlAttribute(antennalab, Ctrl3D, RT_OGL_ATTR_VISIBLE, 0);
}

void Viewer3DRedraw()
{
    SPlot(antennalab, Ctrl3D, RT_EVENT_COMMIT, nullptr, 0, 0);
}

void Viewer3DClear()
{
    OGLDeletePlot(antennalab, Ctrl3D, Plot3D, 0);
    OGLRefreshGraph(antennalab, Ctrl3D);
}
