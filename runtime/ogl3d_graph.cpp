// The 3D graph over Qt Data Visualization: a Q3DScatter in a window container
// inside the canvas, made when the canvas is first shown. Until then the
// graph is its tables of attributes and plots, which cost next to nothing.
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <QWidget>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScatter>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QAbstract3DInputHandler>
#include <QtDataVisualization/QScatter3DSeries>
#include <QtDataVisualization/QScatterDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include <algorithm>
#include <cmath>

#include "internal.h"
#include "ogl3d.h"
#include "ogl3d_graph.h"
#include "ogl3d_scene.h"

namespace rt::detail {

namespace {

bool gForceNoGL = false;

// OpenGL is usable when the platform has it and a context can be made.
bool OpenGLUsable()
{
    static int usable = -1;
    if (gForceNoGL)
        return false;
    if (usable < 0) {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
            usable = 0;
        } else {
            QOpenGLContext ctx;
            QOffscreenSurface surface;
            surface.create();
            usable = ctx.create() && surface.isValid() && ctx.makeCurrent(&surface) ? 1 : 0;
            if (usable)
                ctx.doneCurrent();
        }
    }
    return usable == 1;
}

// Turns the solid with a drag of either mouse button and zooms with the wheel.
class TurnZoomHandler : public QAbstract3DInputHandler {
public:
    explicit TurnZoomHandler(QObject *parent) : QAbstract3DInputHandler(parent) {}

    void mousePressEvent(QMouseEvent *e, const QPoint &pos) override
    {
        if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
            dragging_ = true;
            last_ = pos;
        }
    }
    void mouseReleaseEvent(QMouseEvent *, const QPoint &) override { dragging_ = false; }
    void mouseMoveEvent(QMouseEvent *, const QPoint &pos) override
    {
        if (!dragging_)
            return;
        const QPoint d = pos - last_;
        last_ = pos;
        Q3DCamera *cam = scene()->activeCamera();
        cam->setXRotation(cam->xRotation() + 0.5f * float(d.x()));
        cam->setYRotation(std::clamp(cam->yRotation() + 0.5f * float(d.y()), -90.0f, 90.0f));
    }
    void wheelEvent(QWheelEvent *e) override
    {
        Q3DCamera *cam = scene()->activeCamera();
        const float z = cam->zoomLevel() * float(std::pow(1.1, e->angleDelta().y() / 120.0));
        cam->setZoomLevel(std::clamp(z, cam->minZoomLevel(), cam->maxZoomLevel()));
    }

private:
    bool dragging_ = false;
    QPoint last_;
};

// Points as a flat mesh: each point is a few pixels drawn in one pass, which
// software OpenGL manages at a steady frame rate where a sphere mesh per
// point takes seconds a frame and hundreds of megabytes.
constexpr QAbstract3DSeries::Mesh kPointMesh = QAbstract3DSeries::MeshPoint;

}  // namespace

QValue3DAxis *OglScatterAxis(Q3DScatter *s, int axis)
{
    return axis == 0 ? s->axisX() : axis == 1 ? s->axisZ() : s->axisY();
}

void OglSetForceNoOpenGL(bool on)
{
    gForceNoGL = on;
}

OglGraph::OglGraph(int panel, int ctrl, QWidget *canvas)
    : QObject(canvas), panel_(panel), ctrl_(ctrl), canvas_(canvas)
{
    restoreTimer_.setInterval(50);
    connect(&restoreTimer_, &QTimer::timeout, this, [this] {
        // A print dialogue may be open between the copy and the printing.
        if (!QApplication::activeModalWidget())
            restoreLive();
    });
    presetAttributes();
    canvas->installEventFilter(this);
    if (canvas->isVisible())
        realize();
}

bool OglGraph::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj == canvas_) {
        if (ev->type() == QEvent::Show && !realized_)
            realize();
        else if (ev->type() == QEvent::Resize || ev->type() == QEvent::Move)
            placeView();
    }
    return false;
}

void OglGraph::realize()
{
    if (realized_ || !canvas_)
        return;
    realized_ = true;
    if (OpenGLUsable()) {
        // No multisampling on screen: software OpenGL draws twice as many
        // frames a second without it, and the points and axis lines stay
        // crisp. The picture for printing is smoothed all the same.
        QSurfaceFormat format = QSurfaceFormat::defaultFormat();
        format.setDepthBufferSize(24);
        format.setSamples(0);
        scatter_ = new Q3DScatter(&format);
        if (!scatter_->hasContext()) {
            delete scatter_;
            scatter_ = nullptr;
        }
    }
    if (scatter_) {
        makeScene();
    } else {
        auto *notice = new QLabel(
            QStringLiteral("The 3D view needs OpenGL, which is not available on this display."),
            canvas_);
        notice->setAlignment(Qt::AlignCenter);
        notice->setWordWrap(true);
        notice->setFrameShape(QFrame::Box);
        notice->setAutoFillBackground(true);
        view_ = notice;
    }
    applyAllToScene();
    for (OglPlot &p : plots_)
        addSeries(p);
    placeView();
    view_->setVisible(get(RT_OGL_ATTR_VISIBLE) != 0 && !snapshot_);
}

void OglGraph::makeScene()
{
    scatter_->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    scatter_->setSelectionMode(QAbstract3DGraph::SelectionNone);
    scatter_->setOptimizationHints(QAbstract3DGraph::OptimizationStatic);
    scatter_->setAspectRatio(1.0);
    scatter_->setHorizontalAspectRatio(1.0);
    input_ = new TurnZoomHandler(scatter_);
    scatter_->setActiveInputHandler(input_);
    Q3DTheme *theme = scatter_->activeTheme();
    theme->setType(Q3DTheme::ThemeEbony);
    theme->setLabelBackgroundEnabled(false);
    theme->setLabelBorderEnabled(false);
    theme->setLabelTextColor(QColor(220, 220, 220));
    theme->setColorStyle(Q3DTheme::ColorStyleUniform);
    static const char *const names[3] = {"X", "Y", "Z"};
    for (int k = 0; k < 3; ++k) {
        QValue3DAxis *a = OglScatterAxis(scatter_, k);
        a->setTitle(QString::fromLatin1(names[k]));
        a->setLabelFormat(QStringLiteral("%.0f"));
        auto *line = new QScatter3DSeries;
        line->setMesh(kPointMesh);
        line->setItemSize(0.012f);
        line->setVisible(false);
        axisLine_[k] = line;
        scatter_->addSeries(line);
    }
    view_ = QWidget::createWindowContainer(scatter_, canvas_);
    view_->setFocusPolicy(Qt::StrongFocus);
    view_->setAccessibleName(QStringLiteral("3D graph"));
}

void OglGraph::placeView()
{
    if (!canvas_ || !view_)
        return;
    QRect r = canvas_->rect();
    if (hasAttribute(RT_OGL_ATTR_PLOTAREA_LEFT) || hasAttribute(RT_OGL_ATTR_PLOTAREA_WIDTH)) {
        const auto dim = [&](int a, int whole) { return hasAttribute(a) ? int(get(a)) : whole; };
        const QRect area(int(get(RT_OGL_ATTR_PLOTAREA_LEFT)), int(get(RT_OGL_ATTR_PLOTAREA_TOP)),
                         dim(RT_OGL_ATTR_PLOTAREA_WIDTH, r.width()),
                         dim(RT_OGL_ATTR_PLOTAREA_HEIGHT, r.height()));
        r = area.translated(-canvas_->pos()).intersected(canvas_->rect());
    }
    view_->setGeometry(r);
    if (snapshot_)
        snapshot_->setGeometry(r);
}

// ---- Plots ----------------------------------------------------------------------

int OglGraph::addPlot(std::vector<OglPoint> points)
{
    OglPlot p;
    p.handle = nextPlot_++;
    p.points = std::move(points);
    presetPlot(p);
    plots_.push_back(std::move(p));
    OglPlot &added = plots_.back();
    if (scatter_)
        addSeries(added);
    return added.handle;
}

void OglGraph::addSeries(OglPlot &p)
{
    if (!scatter_ || p.series)
        return;
    auto *data = new QScatterDataArray;
    data->resize(qsizetype(p.points.size()));
    for (std::size_t i = 0; i < p.points.size(); ++i)
        (*data)[qsizetype(i)].setPosition(OglToScatter(p.points[i]));
    p.series = new QScatter3DSeries;
    p.series->setMesh(kPointMesh);
    p.series->dataProxy()->resetArray(data);
    for (int a : {RT_OGL_ATTR_POINTS_VISIBLE, RT_OGL_ATTR_POINT_COLOR, RT_OGL_ATTR_POINT_SIZE})
        applyPlotToScene(p, a);
    scatter_->addSeries(p.series);
}

OglPlot *OglGraph::plot(int handle)
{
    for (auto &p : plots_)
        if (p.handle == handle)
            return &p;
    return nullptr;
}

bool OglGraph::deletePlot(int handle)
{
    bool found = false;
    for (auto it = plots_.begin(); it != plots_.end();) {
        if (handle == -1 || it->handle == handle) {
            if (it->series && scatter_) {
                scatter_->removeSeries(it->series);
                delete it->series;
            }
            it = plots_.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

// ---- Rendering --------------------------------------------------------------------

void OglGraph::refresh()
{
    ++refreshes_;
    if (scatter_)
        scatter_->requestUpdate();
    else if (view_)
        view_->update();
}

QImage OglGraph::render(QSize size, int samples)
{
    realize();
    if (!view_)
        return {};
    if (size.isEmpty())
        size = view_->size();
    if (scatter_)
        return scatter_->renderToImage(samples < 0 ? 4 : samples, size);
    QImage img(size, QImage::Format_RGB32);
    img.fill(view_->palette().color(QPalette::Window));
    view_->render(&img);
    return img;
}

void OglGraph::showSnapshot(QWidget *target, const QImage &img, QRect where)
{
    if (!snapshot_) {
        snapshot_ = new QLabel(target);
        snapshot_->setAlignment(Qt::AlignCenter);
    }
    snapshotImage_ = img;
    snapshot_->setPixmap(QPixmap::fromImage(img).scaled(where.size(), Qt::KeepAspectRatio,
                                                        Qt::SmoothTransformation));
    snapshot_->setGeometry(where);
    snapshot_->show();
    snapshot_->raise();
    if (view_ && target == canvas_)
        view_->hide();
    restoreTimer_.start();
}

void OglGraph::restoreLive()
{
    restoreTimer_.stop();
    if (snapshot_)
        delete snapshot_.data();
    if (view_)
        view_->setVisible(get(RT_OGL_ATTR_VISIBLE) != 0);
}

}  // namespace rt::detail
