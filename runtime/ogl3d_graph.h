// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph's state behind the OGL calls: attributes, plots and, once the
// graph is first shown (or its picture is wanted), the view that draws them.
// Internal to the run-time and its test seams.
#pragma once

#include <QImage>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <vector>

class QDialog;
class QWidget;

namespace rt::detail {

using OglPoint = std::array<double, 3>;

struct OglPlot {
    int handle = 0;
    std::vector<OglPoint> points;
    int columns = 0, rows = 0;  // the grid: `rows` runs of `columns` points
    std::map<int, double> attrs;
    // The surface through the grid, made once per plot: a normal per point,
    // and whether the last column (row) joins back to the first.
    std::vector<std::array<float, 3>> normals;
    bool wrapColumns = false, wrapRows = false;
};

class OglGraph : public QObject {
public:
    OglGraph(int panel, int ctrl, QWidget *canvas);

    // Graph attributes. set() and get() take only the attributes the graph
    // knows; set() of a read-only one (plot count, first plot) fails too.
    static bool Known(int attribute);
    static bool ReadOnly(int attribute);
    void set(int attribute, double value);
    double get(int attribute) const;
    bool hasAttribute(int attribute) const;  // set, or present from the start

    // Plots, oldest first.
    int addPlot(std::vector<OglPoint> points, int columns, int rows);
    OglPlot *plot(int handle);
    const std::deque<OglPlot> &plots() const { return plots_; }
    bool deletePlot(int handle);  // -1: every plot
    static bool KnownPlotAttribute(int attribute);
    void setPlotAttribute(OglPlot &p, int attribute, double value);

    // The view. Until the canvas is first shown, or realize() is called, the
    // graph is its tables above; the view is a plain widget that draws the
    // scene itself, so it needs no OpenGL.
    void realize();
    bool realized() const { return realized_; }
    void refresh();
    int refreshCount() const { return refreshes_; }
    QWidget *canvas() const { return canvas_; }
    QWidget *view() const;
    // The scene as a picture of `size` (empty: the view's size) at `dpr`
    // device pixels per unit, drawn `samples` times larger and smoothed
    // down (1: as on screen).
    QImage render(QSize size, double dpr, int samples) const;
    // Where a graph point lands in a picture of `size` (units, not pixels).
    QPointF project(const OglPoint &p, QSize size) const;
    // Turning and zooming as the mouse, the wheel and the keys do it.
    void turn(double dLongitude, double dLatitude);
    void zoom(double factor);
    // Shows `img` over `where` in `target` until control is back in the event
    // loop with no dialogue open.
    void showSnapshot(QWidget *target, const QImage &img, QRect where);
    QImage snapshot() const { return snapshot_ ? snapshotImage_ : QImage(); }

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    void presetAttributes();
    static void presetPlot(OglPlot &p);
    void changed();  // the picture must be drawn again
    void placeView();
    void restoreLive();

    int panel_, ctrl_;
    QPointer<QWidget> canvas_;
    std::map<int, double> attrs_;
    std::deque<OglPlot> plots_;
    int nextPlot_ = 1;
    int refreshes_ = 0;
    bool realized_ = false;
    QPointer<QWidget> view_;     // an OglView
    QPointer<QLabel> snapshot_;  // the copied picture while it stands in
    QImage snapshotImage_;
    QTimer restoreTimer_;
};

// The graph of a canvas that OGLConvertCtrl made, or null.
OglGraph *FindOglGraph(int panel, int graph);

// Hooks for the test seams.
// In test mode the properties dialogue is not shown: this answers it (edits
// the dialogue, returns whether it is accepted). Unset: a test failure.
using OglPropertiesAnswerer = std::function<bool(QDialog &dialog, bool &answered)>;
void OglSetPropertiesAnswerer(OglPropertiesAnswerer answerer);

}  // namespace rt::detail
