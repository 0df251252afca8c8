// SPDX-License-Identifier: GPL-3.0-or-later
// Test seams of the 3D graph. Only tests include this.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include <QPoint>
#include <QPointF>
#include <QRect>

class QDialog;
class QImage;
class QWidget;

namespace rt::test {

using Point3D = std::array<double, 3>;

// Whether the graph's view has been made: when the canvas was first shown,
// or a picture of it was wanted.
bool OglRealized(int panel, int graph);
// Plot handles on the graph, oldest first, and the points of one plot.
std::vector<int> OglPlots(int panel, int graph);
std::vector<Point3D> OglPlotPoints(int panel, int graph, int plot);
// How often the graph was refreshed (OGLRefreshGraph, or a delete with refresh).
int OglRefreshCount(int panel, int graph);
// The widget that shows the graph inside the canvas.
QWidget *OglViewWidget(int panel, int graph);
// The snapshot shown by OGLCopyScaledCtrlBitmap, or a null image.
QImage OglSnapshot(int panel, int graph);
// The picture the view draws at width x height units and `dpr` device
// pixels per unit.
QImage OglRender(int panel, int graph, int width, int height, double dpr = 1.0);
// Where the graph point (x, y, z) lands in that picture, in units.
QPointF OglProject(int panel, int graph, const Point3D &p, int width, int height);
// Sends a mouse drag (dx, dy pixels, left button), wheel steps (120 per
// notch) or a key press to the graph's view, as the user would.
void OglDrag(int panel, int graph, int dx, int dy);
void OglWheel(int panel, int graph, int delta);
void OglKey(int panel, int graph, int qtKey);

// The pixels of a picture that show a cyan surface, lit or not (more green
// and blue than red, green and blue alike): how many, where, and how much
// their brightness varies. Walls, grid lines, axis lines and labels are
// not counted, except a cyan grid: switch it off first.
struct SurfacePixels {
    int count = 0;
    QRect bounds;       // device pixels
    QPointF centroid;   // device pixels
    int darkest = 255;  // green channel
    int brightest = 0;
    int shades = 0;  // distinct green values
    std::vector<QPoint> pixels;
};
SurfacePixels Surface(const QImage &img);

// Answers the next OGLPropertiesPopup: `edit` may change the dialogue's
// fields (object names "longitude", "latitude", "distance", "pointColor",
// "backgroundColor", "grid"; the colour buttons keep their colour in the
// property "rgb"), then the dialogue is accepted or cancelled.
void AnswerOglProperties(std::function<void(QDialog &)> edit, bool accept = true);

}  // namespace rt::test
