// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph: plots of grids of points, each drawn as a lit, shaded surface
// through its points, in a box with three value axes inside a canvas
// control. The canvas keeps its control id, which is also the graph's id.
// The graph draws itself without OpenGL, so it works on any display.
#pragma once

namespace rt {

// ---- Graph attributes -------------------------------------------------------
enum {
    RT_OGL_ATTR_VISIBLE = 10003,   // 1 shows the rendering, 0 hides it
    RT_OGL_ATTR_LIGHTING = 10005,  // 1 lit solid, 0 flat colours
    // Plot area in the coordinates of the canvas's parent (like the control's
    // own left/top); the rendering covers the part of it inside the canvas.
    RT_OGL_ATTR_PLOTAREA_LEFT = 10010,
    RT_OGL_ATTR_PLOTAREA_TOP = 10011,
    RT_OGL_ATTR_PLOTAREA_WIDTH = 10012,
    RT_OGL_ATTR_PLOTAREA_HEIGHT = 10013,
    // Viewpoint: angles in degrees, distance in multiples of the box size.
    RT_OGL_ATTR_VIEW_LONGITUDE = 10032,  // turn about the vertical (z) axis
    RT_OGL_ATTR_VIEW_LATITUDE = 10033,   // height above the x-y plane, -90..90
    RT_OGL_ATTR_VIEW_DISTANCE = 10034,   // 3.0 shows the whole box
    RT_OGL_ATTR_VIEW_CENTER_X = 10036,   // point looked at, graph units
    RT_OGL_ATTR_VIEW_CENTER_Y = 10037,
    RT_OGL_ATTR_VIEW_CENTER_Z = 10038,
    RT_OGL_ATTR_FRAME_VISIBLE = 10051,  // the box's back walls
    RT_OGL_ATTR_GRID_VISIBLE = 10053,
    RT_OGL_ATTR_GRID_COLOR = 10054,    // 0xRRGGBB
    RT_OGL_ATTR_LABEL_OFFSET = 10074,  // kept, no visible effect
    RT_OGL_ATTR_LABEL_SCALE = 10075,   // size of the axis labels, 1.0 normal
    // Per axis: add RT_OGL_AXIS_STRIDE times the axis number (x 0, y 1, z 2).
    RT_OGL_ATTR_XAXIS_SUBDIVISIONS = 10124,  // grid lines between two labels
    RT_OGL_ATTR_XAXIS_MIN = 10129,
    RT_OGL_ATTR_XAXIS_MAX = 10130,
    RT_OGL_ATTR_XAXIS_DIVISIONS = 10131,  // labelled segments; negative: about |n|
    RT_OGL_AXIS_STRIDE = 100,
    RT_OGL_ATTR_BACKGROUND_COLOR = 10400,
    RT_OGL_ATTR_XAXIS_COLOR = 10406,  // colour of the axis line through 0
    RT_OGL_ATTR_YAXIS_COLOR = 10407,
    RT_OGL_ATTR_ZAXIS_COLOR = 10408,
    RT_OGL_ATTR_XAXIS_NAME_VISIBLE = 10409,  // axis titles "X", "Y", "Z"
    RT_OGL_ATTR_YAXIS_NAME_VISIBLE = 10411,
    RT_OGL_ATTR_ZAXIS_NAME_VISIBLE = 10413,
    RT_OGL_ATTR_NUM_PLOTS = 10450,   // read only
    RT_OGL_ATTR_FIRST_PLOT = 10451,  // read only: oldest plot, 0 when none
};

// ---- Plot attributes ----------------------------------------------------------
enum {
    RT_OGL_ATTR_PLOT_STYLE = 10481,      // RT_OGL_STYLE_POINTS
    RT_OGL_ATTR_POINTS_VISIBLE = 10490,  // 0 hides the plot
    RT_OGL_ATTR_POINT_COLOR = 10491,     // 0xRRGGBB, the surface's base colour
    RT_OGL_ATTR_POINT_SIZE = 10492,      // kept; size of the dots of a one-line plot
    RT_OGL_ATTR_POINT_OPACITY = 10493,   // percent, 100 opaque
};
enum { RT_OGL_STYLE_POINTS = 0 };

// A control attribute of the canvas that holds a 3D graph; kept, no effect.
enum { RT_ATTR_CANVAS_OGL_FLAGS = 513 };

// Turns a canvas control into a 3D graph. Returns the graph id (the control
// id) or a negative error. Converting the same canvas again returns the same
// graph.
int OGLConvertCtrl(int panel, int control);

int OGLSetCtrlAttribute(int panel, int graph, int attribute, int value);
int OGLSetCtrlAttribute(int panel, int graph, int attribute, double value);
int OGLGetCtrlAttribute(int panel, int graph, int attribute, int *value);
int OGLGetCtrlAttribute(int panel, int graph, int attribute, double *value);

// A plot of yCount rows of xCount points, each three numbers x, y, z in a
// row; dataType RT_DOUBLE (4). Neighbouring points of the grid are joined
// into a surface, closed where the last row (column) comes back to the
// first. Returns the plot handle (> 0) or negative.
int OGLPlot3DScatter(int panel, int graph, const void *points, int xCount, int yCount,
                     int dataType);
int OGLSetPlotAttribute(int panel, int graph, int plot, int attribute, int value);
int OGLSetPlotAttribute(int panel, int graph, int plot, int attribute, double value);
int OGLGetPlotAttribute(int panel, int graph, int plot, int attribute, double *value);
// plot -1 deletes every plot.
int OGLDeletePlot(int panel, int graph, int plot, int refresh);
int OGLRefreshGraph(int panel, int graph);

// The interactive properties dialogue: view angles, distance, surface colour,
// background, grid. 1 when the user applied changes, 0 when cancelled.
int OGLPropertiesPopup(int panel, int graph);

// Renders the graph into an image and shows it in `canvas` in place of the
// live view until control returns to the event loop with no dialogue open,
// so that printing the canvas prints the picture. mode is unused; width and
// height -1 take the view's own size; the picture has twice the screen's
// pixels, each from quality x quality samples (-1: 2).
int OGLCopyScaledCtrlBitmap(int panel, int graph, int mode, int width, int height, int quality,
                            int canvas);

}  // namespace rt
