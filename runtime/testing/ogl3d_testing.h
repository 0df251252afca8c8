// Test seams of the 3D graph. Only tests include this.
#pragma once

#include <array>
#include <functional>
#include <vector>

class QDialog;
class QImage;
class QWidget;

namespace rt::test {

using Point3D = std::array<double, 3>;

// Whether the graph renders with OpenGL (false: the notice is shown, or the
// graph has not been shown yet).
bool OglRenders(int panel, int graph);
// Whether the graph's rendering (or its notice) has been made: when the
// canvas was first shown, or a picture of it was wanted.
bool OglRealized(int panel, int graph);
// Makes every later OGLConvertCtrl behave as if OpenGL were missing.
void OglForceNoOpenGL(bool on);
// Plot handles on the graph, oldest first, and the points of one plot.
std::vector<int> OglPlots(int panel, int graph);
std::vector<Point3D> OglPlotPoints(int panel, int graph, int plot);
// How often the graph was refreshed (OGLRefreshGraph, or a delete with refresh).
int OglRefreshCount(int panel, int graph);
// The widget that shows the graph inside the canvas: the rendering's window
// container, or the notice when OpenGL is missing.
QWidget *OglViewWidget(int panel, int graph);
// The snapshot shown by OGLCopyScaledCtrlBitmap, or a null image.
QImage OglSnapshot(int panel, int graph);
// Renders the live view now (a null image without OpenGL).
QImage OglRender(int panel, int graph, int width, int height);
// The camera as the user left it: horizontal and vertical turn in degrees,
// zoom in percent.
std::array<double, 3> OglCamera(int panel, int graph);
// Sends a mouse drag (dx, dy pixels, either button) or wheel steps (120 per
// notch) to the graph's input handling, as the user's mouse would.
void OglDrag(int panel, int graph, int dx, int dy);
void OglWheel(int panel, int graph, int delta);

// Answers the next OGLPropertiesPopup: `edit` may change the dialogue's
// fields (object names "longitude", "latitude", "distance", "pointSize",
// "pointColor", "backgroundColor", "grid"; the colour buttons keep their
// colour in the property "rgb"), then the dialogue is accepted or cancelled.
void AnswerOglProperties(std::function<void(QDialog &)> edit, bool accept = true);

}  // namespace rt::test
