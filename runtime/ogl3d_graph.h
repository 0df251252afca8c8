// The 3D graph's state behind the OGL calls: attributes, plots and, once the
// graph is first shown (or its picture is wanted), the OpenGL rendering.
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
class Q3DScatter;
class QAbstract3DInputHandler;
class QScatter3DSeries;

namespace rt::detail {

using OglPoint = std::array<double, 3>;

struct OglPlot {
    int handle = 0;
    std::vector<OglPoint> points;
    std::map<int, double> attrs;
    QScatter3DSeries *series = nullptr;  // while the graph renders
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
    int addPlot(std::vector<OglPoint> points);
    OglPlot *plot(int handle);
    const std::deque<OglPlot> &plots() const { return plots_; }
    bool deletePlot(int handle);  // -1: every plot
    static bool KnownPlotAttribute(int attribute);
    void setPlotAttribute(OglPlot &p, int attribute, double value);

    // The rendering. Until the canvas is first shown, or realize() is called,
    // nothing of OpenGL exists: the attributes and plots wait in the tables
    // above and are applied when the rendering is made.
    void realize();
    bool realized() const { return realized_; }
    bool renders() const { return scatter_ != nullptr; }
    void refresh();
    int refreshCount() const { return refreshes_; }
    QWidget *canvas() const { return canvas_; }
    QWidget *view() const { return view_; }
    Q3DScatter *scatter() const { return scatter_; }
    QAbstract3DInputHandler *input() const { return input_; }
    // The rendering as an image (size empty: the view's size).
    QImage render(QSize size, int samples);
    // Shows `img` over `where` in `target` until control is back in the event
    // loop with no dialogue open.
    void showSnapshot(QWidget *target, const QImage &img, QRect where);
    QImage snapshot() const { return snapshot_ ? snapshotImage_ : QImage(); }

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    void presetAttributes();
    static void presetPlot(OglPlot &p);
    void makeScene();
    void applyAllToScene();
    void applyToScene(int attribute);
    void applyAxis(int axis);
    void applyPlotToScene(OglPlot &p, int attribute);
    void addSeries(OglPlot &p);
    void placeView();
    void restoreLive();

    int panel_, ctrl_;
    QPointer<QWidget> canvas_;
    std::map<int, double> attrs_;
    std::deque<OglPlot> plots_;
    int nextPlot_ = 1;
    int refreshes_ = 0;
    bool realized_ = false;
    Q3DScatter *scatter_ = nullptr;
    QAbstract3DInputHandler *input_ = nullptr;
    QWidget *view_ = nullptr;    // the window container, or the notice
    QPointer<QLabel> snapshot_;  // the copied picture while it stands in
    QImage snapshotImage_;
    QTimer restoreTimer_;
    QScatter3DSeries *axisLine_[3] = {};
};

// The graph of a canvas that OGLConvertCtrl made, or null.
OglGraph *FindOglGraph(int panel, int graph);

// Hooks for the test seams.
// Makes every graph realized later behave as if OpenGL were missing.
void OglSetForceNoOpenGL(bool on);
// In test mode the properties dialogue is not shown: this answers it (edits
// the dialogue, returns whether it is accepted). Unset: a test failure.
using OglPropertiesAnswerer = std::function<bool(QDialog &dialog, bool &answered)>;
void OglSetPropertiesAnswerer(OglPropertiesAnswerer answerer);

}  // namespace rt::detail
