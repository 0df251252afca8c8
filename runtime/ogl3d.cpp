// The 3D graph over Qt Data Visualization: a Q3DScatter in a window container
// inside the canvas, with the attributes kept in a table so that every value
// set can be read back, rendering or not.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
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
#include <deque>
#include <map>
#include <memory>

#include "internal.h"
#include "ogl3d.h"
#include "ogl3d_testing.h"
#include "test_hooks.h"

namespace rt {

namespace {

bool gForceNoGL = false;

// Camera zoom in percent times the view distance: distance 3 fills the view
// with the box.
constexpr double kZoomAtUnitDistance = 570.0;

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

QColor Rgb(double v) { return QColor::fromRgb(QRgb(int(v) & 0xFFFFFF)); }
int RgbInt(const QColor &c) { return int(c.rgb() & 0xFFFFFF); }

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
        turn(pos - last_);
        last_ = pos;
    }
    void wheelEvent(QWheelEvent *e) override { zoom(e->angleDelta().y()); }

    void turn(QPoint d)
    {
        auto *cam = scene()->activeCamera();
        cam->setXRotation(cam->xRotation() + 0.5f * float(d.x()));
        cam->setYRotation(std::clamp(cam->yRotation() + 0.5f * float(d.y()), -90.0f, 90.0f));
    }
    void zoom(int delta)
    {
        auto *cam = scene()->activeCamera();
        const float z = cam->zoomLevel() * float(std::pow(1.1, delta / 120.0));
        cam->setZoomLevel(std::clamp(z, cam->minZoomLevel(), cam->maxZoomLevel()));
    }

private:
    bool dragging_ = false;
    QPoint last_;
};

struct Plot {
    int handle = 0;
    std::vector<test::Point3D> points;
    std::map<int, double> attrs;
    QScatter3DSeries *series = nullptr;
};

class OglGraph : public QObject {
public:
    OglGraph(int panel, int ctrl, QWidget *canvas);

    int panel, ctrl;
    QPointer<QWidget> canvas;
    std::map<int, double> attrs;
    std::deque<Plot> plots;
    int nextPlot = 1;
    int refreshes = 0;
    Q3DScatter *scatter = nullptr;
    TurnZoomHandler *input = nullptr;
    QWidget *view = nullptr;      // the window container, or the notice
    QPointer<QLabel> snapshot;    // the copied picture while it stands in
    QImage snapshotImage;
    QTimer restoreTimer;
    QScatter3DSeries *axisLine[3] = {};

    void set(int attribute, double value);
    double get(int attribute) const;
    Plot *findPlot(int handle);
    void applyPlot(Plot &p, int attribute);
    void placeView();
    QImage render(QSize size, int samples);
    void showSnapshot(QWidget *target, const QImage &img, QRect where);
    void restoreLive();

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (obj == canvas && (ev->type() == QEvent::Resize || ev->type() == QEvent::Move))
            placeView();
        return false;
    }

private:
    void applyAxis(int axis);
};

std::map<std::pair<int, int>, QPointer<OglGraph>> gGraphs;

OglGraph *FindGraph(int panel, int graph)
{
    auto it = gGraphs.find({panel, graph});
    if (it == gGraphs.end())
        return nullptr;
    // A discarded panel takes its graph with it, even before Qt deletes it.
    if (!it->second || !detail::FindCtrl(panel, graph)) {
        gGraphs.erase(it);
        return nullptr;
    }
    return it->second;
}

// Graph x and y lie in the horizontal plane and z points up, while the
// scatter's y axis is the vertical one.
QValue3DAxis *ScatterAxis(Q3DScatter *s, int axis)
{
    return axis == 0 ? s->axisX() : axis == 1 ? s->axisZ() : s->axisY();
}

QVector3D ToScatter(const test::Point3D &p)
{
    return QVector3D(float(p[0]), float(p[2]), float(p[1]));
}

OglGraph::OglGraph(int panel_, int ctrl_, QWidget *canvas_)
    : QObject(canvas_), panel(panel_), ctrl(ctrl_), canvas(canvas_)
{
    restoreTimer.setInterval(50);
    connect(&restoreTimer, &QTimer::timeout, this, [this] {
        // A print dialogue may be open between the copy and the printing.
        if (!QApplication::activeModalWidget())
            restoreLive();
    });
    attrs[RT_OGL_ATTR_VISIBLE] = 1;
    attrs[RT_OGL_ATTR_LIGHTING] = 1;
    attrs[RT_OGL_ATTR_VIEW_DISTANCE] = 3.0;
    attrs[RT_OGL_ATTR_FRAME_VISIBLE] = 1;
    attrs[RT_OGL_ATTR_GRID_VISIBLE] = 1;
    attrs[RT_OGL_ATTR_GRID_COLOR] = 0x606060;
    attrs[RT_OGL_ATTR_LABEL_SCALE] = 1.0;
    attrs[RT_OGL_ATTR_BACKGROUND_COLOR] = 0x000000;
    for (int k = 0; k < 3; ++k) {
        attrs[RT_OGL_ATTR_XAXIS_MIN + k * RT_OGL_AXIS_STRIDE] = -1;
        attrs[RT_OGL_ATTR_XAXIS_MAX + k * RT_OGL_AXIS_STRIDE] = 1;
        attrs[RT_OGL_ATTR_XAXIS_DIVISIONS + k * RT_OGL_AXIS_STRIDE] = -4;
        attrs[RT_OGL_ATTR_XAXIS_SUBDIVISIONS + k * RT_OGL_AXIS_STRIDE] = 1;
    }

    if (OpenGLUsable()) {
        scatter = new Q3DScatter();
        if (!scatter->hasContext()) {
            delete scatter;
            scatter = nullptr;
        }
    }
    if (scatter) {
        scatter->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
        scatter->setSelectionMode(QAbstract3DGraph::SelectionNone);
        scatter->setOptimizationHints(QAbstract3DGraph::OptimizationStatic);
        scatter->setAspectRatio(1.0);
        scatter->setHorizontalAspectRatio(1.0);
        input = new TurnZoomHandler(scatter);
        scatter->setActiveInputHandler(input);
        Q3DTheme *theme = scatter->activeTheme();
        theme->setType(Q3DTheme::ThemeEbony);
        theme->setLabelBackgroundEnabled(false);
        theme->setLabelBorderEnabled(false);
        theme->setLabelTextColor(QColor(220, 220, 220));
        theme->setColorStyle(Q3DTheme::ColorStyleUniform);
        static const char *const names[3] = {"X", "Y", "Z"};
        for (int k = 0; k < 3; ++k) {
            QValue3DAxis *a = ScatterAxis(scatter, k);
            a->setTitle(QString::fromLatin1(names[k]));
            a->setLabelFormat(QStringLiteral("%.0f"));
            auto *line = new QScatter3DSeries;
            line->setMesh(QAbstract3DSeries::MeshSphere);
            line->setItemSize(0.012f);
            line->setVisible(false);
            axisLine[k] = line;
            scatter->addSeries(line);
        }
        view = QWidget::createWindowContainer(scatter, canvas);
        view->setFocusPolicy(Qt::StrongFocus);
        view->setAccessibleName(QStringLiteral("3D graph"));
    } else {
        auto *notice = new QLabel(
            QStringLiteral("The 3D view needs OpenGL, which is not available on this display."),
            canvas);
        notice->setAlignment(Qt::AlignCenter);
        notice->setWordWrap(true);
        notice->setFrameShape(QFrame::Box);
        notice->setAutoFillBackground(true);
        view = notice;
    }
    for (int k = 0; k < 3; ++k)
        applyAxis(k);
    for (int a : {RT_OGL_ATTR_LIGHTING, RT_OGL_ATTR_VIEW_DISTANCE, RT_OGL_ATTR_FRAME_VISIBLE,
                  RT_OGL_ATTR_GRID_VISIBLE, RT_OGL_ATTR_GRID_COLOR, RT_OGL_ATTR_LABEL_SCALE,
                  RT_OGL_ATTR_BACKGROUND_COLOR})
        set(a, attrs[a]);
    canvas->installEventFilter(this);
    placeView();
    view->show();
}

void OglGraph::placeView()
{
    if (!canvas || !view)
        return;
    QRect r = canvas->rect();
    if (attrs.count(RT_OGL_ATTR_PLOTAREA_LEFT) || attrs.count(RT_OGL_ATTR_PLOTAREA_WIDTH)) {
        const QRect area(int(get(RT_OGL_ATTR_PLOTAREA_LEFT)), int(get(RT_OGL_ATTR_PLOTAREA_TOP)),
                         attrs.count(RT_OGL_ATTR_PLOTAREA_WIDTH) ? int(get(RT_OGL_ATTR_PLOTAREA_WIDTH)) : r.width(),
                         attrs.count(RT_OGL_ATTR_PLOTAREA_HEIGHT) ? int(get(RT_OGL_ATTR_PLOTAREA_HEIGHT)) : r.height());
        r = area.translated(-canvas->pos()).intersected(canvas->rect());
    }
    view->setGeometry(r);
    if (snapshot)
        snapshot->setGeometry(r);
}

void OglGraph::applyAxis(int k)
{
    const int off = k * RT_OGL_AXIS_STRIDE;
    const double lo = get(RT_OGL_ATTR_XAXIS_MIN + off), hi = get(RT_OGL_ATTR_XAXIS_MAX + off);
    if (!scatter)
        return;
    auto *a = ScatterAxis(scatter, k);
    if (hi > lo)
        a->setRange(float(lo), float(hi));
    const int div = std::max(1, std::abs(int(get(RT_OGL_ATTR_XAXIS_DIVISIONS + off))));
    a->setSegmentCount(div);
    a->setSubSegmentCount(std::max(1, int(get(RT_OGL_ATTR_XAXIS_SUBDIVISIONS + off))));
    // The axis line runs through the origin along the whole axis.
    if (attrs.count(RT_OGL_ATTR_XAXIS_COLOR + k)) {
        QScatterDataArray *line = new QScatterDataArray;
        const int n = 81;
        line->resize(n);
        for (int i = 0; i < n; ++i) {
            test::Point3D p{0, 0, 0};
            p[k] = lo + (hi - lo) * i / (n - 1);
            (*line)[i].setPosition(ToScatter(p));
        }
        axisLine[k]->dataProxy()->resetArray(line);
        axisLine[k]->setBaseColor(Rgb(get(RT_OGL_ATTR_XAXIS_COLOR + k)));
        axisLine[k]->setVisible(true);
    }
}

double OglGraph::get(int attribute) const
{
    switch (attribute) {
    case RT_OGL_ATTR_NUM_PLOTS: return double(plots.size());
    case RT_OGL_ATTR_FIRST_PLOT: return plots.empty() ? 0 : plots.front().handle;
    default: break;
    }
    if (scatter) {
        auto *cam = scatter->scene()->activeCamera();
        switch (attribute) {
        case RT_OGL_ATTR_VIEW_LONGITUDE: return cam->xRotation();
        case RT_OGL_ATTR_VIEW_LATITUDE: return cam->yRotation();
        case RT_OGL_ATTR_VIEW_DISTANCE: return kZoomAtUnitDistance / std::max(1.0f, cam->zoomLevel());
        default: break;
        }
    }
    auto it = attrs.find(attribute);
    return it == attrs.end() ? 0.0 : it->second;
}

void OglGraph::set(int attribute, double value)
{
    attrs[attribute] = value;
    switch (attribute) {
    case RT_OGL_ATTR_VISIBLE:
        if (view)
            view->setVisible(value != 0 && !snapshot);
        return;
    case RT_OGL_ATTR_PLOTAREA_LEFT:
    case RT_OGL_ATTR_PLOTAREA_TOP:
    case RT_OGL_ATTR_PLOTAREA_WIDTH:
    case RT_OGL_ATTR_PLOTAREA_HEIGHT:
        placeView();
        return;
    default:
        break;
    }
    for (int k = 0; k < 3; ++k) {
        const int off = attribute - k * RT_OGL_AXIS_STRIDE;
        if (off == RT_OGL_ATTR_XAXIS_MIN || off == RT_OGL_ATTR_XAXIS_MAX
            || off == RT_OGL_ATTR_XAXIS_DIVISIONS || off == RT_OGL_ATTR_XAXIS_SUBDIVISIONS
            || attribute == RT_OGL_ATTR_XAXIS_COLOR + k) {
            applyAxis(k);
            return;
        }
    }
    if (!scatter)
        return;
    Q3DTheme *theme = scatter->activeTheme();
    Q3DCamera *cam = scatter->scene()->activeCamera();
    switch (attribute) {
    case RT_OGL_ATTR_LIGHTING:
        theme->setLightStrength(value != 0 ? 5.0f : 0.0f);
        theme->setAmbientLightStrength(value != 0 ? 0.35f : 1.0f);
        break;
    case RT_OGL_ATTR_VIEW_LONGITUDE: cam->setXRotation(float(value)); break;
    case RT_OGL_ATTR_VIEW_LATITUDE: cam->setYRotation(std::clamp(float(value), -90.0f, 90.0f)); break;
    case RT_OGL_ATTR_VIEW_DISTANCE:
        if (value > 0)
            cam->setZoomLevel(std::clamp(float(kZoomAtUnitDistance / value), cam->minZoomLevel(), cam->maxZoomLevel()));
        break;
    case RT_OGL_ATTR_VIEW_CENTER_X:
    case RT_OGL_ATTR_VIEW_CENTER_Y:
    case RT_OGL_ATTR_VIEW_CENTER_Z: {
        // The camera's target is given relative to the box, -1 to 1 per axis.
        test::Point3D t{};
        for (int k = 0; k < 3; ++k) {
            const double lo = get(RT_OGL_ATTR_XAXIS_MIN + k * RT_OGL_AXIS_STRIDE);
            const double hi = get(RT_OGL_ATTR_XAXIS_MAX + k * RT_OGL_AXIS_STRIDE);
            const double c = get(RT_OGL_ATTR_VIEW_CENTER_X + k);
            t[k] = hi > lo ? std::clamp((2 * c - lo - hi) / (hi - lo), -1.0, 1.0) : 0.0;
        }
        cam->setTarget(ToScatter(t));
        break;
    }
    case RT_OGL_ATTR_FRAME_VISIBLE: theme->setBackgroundEnabled(value != 0); break;
    case RT_OGL_ATTR_GRID_VISIBLE: theme->setGridEnabled(value != 0); break;
    case RT_OGL_ATTR_GRID_COLOR: theme->setGridLineColor(Rgb(value)); break;
    case RT_OGL_ATTR_LABEL_SCALE: {
        QFont f = theme->font();
        f.setPointSizeF(std::clamp(40.0 * value, 6.0, 160.0));
        theme->setFont(f);
        break;
    }
    case RT_OGL_ATTR_BACKGROUND_COLOR:
    {
        // The box's walls a shade lighter than the window, so that they show.
        const QColor c = Rgb(value);
        theme->setWindowColor(c);
        theme->setBackgroundColor(QColor(std::min(255, c.red() + 28), std::min(255, c.green() + 28),
                                         std::min(255, c.blue() + 36)));
        break;
    }
    case RT_OGL_ATTR_XAXIS_NAME_VISIBLE: ScatterAxis(scatter, 0)->setTitleVisible(value != 0); break;
    case RT_OGL_ATTR_YAXIS_NAME_VISIBLE: ScatterAxis(scatter, 1)->setTitleVisible(value != 0); break;
    case RT_OGL_ATTR_ZAXIS_NAME_VISIBLE: ScatterAxis(scatter, 2)->setTitleVisible(value != 0); break;
    default: break;
    }
}

Plot *OglGraph::findPlot(int handle)
{
    for (auto &p : plots)
        if (p.handle == handle)
            return &p;
    return nullptr;
}

void OglGraph::applyPlot(Plot &p, int attribute)
{
    if (!p.series)
        return;
    auto val = [&](int a, double dflt) {
        auto it = p.attrs.find(a);
        return it == p.attrs.end() ? dflt : it->second;
    };
    switch (attribute) {
    case RT_OGL_ATTR_POINTS_VISIBLE: p.series->setVisible(val(attribute, 1) != 0); break;
    case RT_OGL_ATTR_POINT_COLOR:
    case RT_OGL_ATTR_POINT_OPACITY: {
        QColor c = Rgb(val(RT_OGL_ATTR_POINT_COLOR, 0x00FFFF));
        c.setAlphaF(float(std::clamp(val(RT_OGL_ATTR_POINT_OPACITY, 100) / 100.0, 0.0, 1.0)));
        p.series->setBaseColor(c);
        break;
    }
    case RT_OGL_ATTR_POINT_SIZE:
        p.series->setItemSize(float(std::clamp(0.05 * val(attribute, 1.0), 0.005, 1.0)));
        break;
    default: break;
    }
}

QImage OglGraph::render(QSize size, int samples)
{
    if (!view)
        return {};
    if (size.isEmpty())
        size = view->size();
    if (scatter)
        return scatter->renderToImage(samples < 0 ? 4 : samples, size);
    QImage img(size, QImage::Format_RGB32);
    img.fill(view->palette().color(QPalette::Window));
    view->render(&img);
    return img;
}

void OglGraph::showSnapshot(QWidget *target, const QImage &img, QRect where)
{
    if (!snapshot) {
        snapshot = new QLabel(target);
        snapshot->setAlignment(Qt::AlignCenter);
    }
    snapshotImage = img;
    snapshot->setPixmap(QPixmap::fromImage(img).scaled(where.size(), Qt::KeepAspectRatio,
                                                       Qt::SmoothTransformation));
    snapshot->setGeometry(where);
    snapshot->show();
    snapshot->raise();
    if (view && target == canvas)
        view->hide();
    restoreTimer.start();
}

void OglGraph::restoreLive()
{
    restoreTimer.stop();
    if (snapshot)
        delete snapshot.data();
    if (view)
        view->setVisible(get(RT_OGL_ATTR_VISIBLE) != 0);
}

std::deque<std::pair<std::function<void(QDialog &)>, bool>> gPropertyAnswers;

QPushButton *ColourButton(const QString &name, int rgb, QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(name);
    auto paint = [b](int v) {
        b->setProperty("rgb", v);
        b->setText(QColor::fromRgb(QRgb(v)).name());
        b->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; }")
                             .arg(QColor::fromRgb(QRgb(v)).name(),
                                  qGray(QRgb(v)) > 128 ? QStringLiteral("black") : QStringLiteral("white")));
    };
    paint(rgb);
    QObject::connect(b, &QPushButton::clicked, b, [b, paint] {
        detail::ModalScope modal;
        const QColor c = QColorDialog::getColor(QColor::fromRgb(QRgb(b->property("rgb").toInt())),
                                                b->window(), QStringLiteral("Choose a colour"));
        if (c.isValid())
            paint(RgbInt(c));
    });
    return b;
}

QDoubleSpinBox *Spin(const QString &name, double lo, double hi, double step, int decimals,
                     double value, QWidget *parent)
{
    auto *s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setDecimals(decimals);
    s->setValue(value);
    return s;
}

} // namespace

// ---- Calls ----------------------------------------------------------------------

int OGLConvertCtrl(int panel, int control)
{
    if (!QCoreApplication::instance())
        return -1;
    if (FindGraph(panel, control))
        return control;
    detail::Ctrl *c = detail::FindCtrl(panel, control);
    if (!c || !c->widget)
        return -1;
    gGraphs[{panel, control}] = new OglGraph(panel, control, c->widget);
    return control;
}

int OGLSetCtrlAttribute(int panel, int graph, int attribute, double value)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g)
        return -1;
    if (attribute == RT_OGL_ATTR_NUM_PLOTS || attribute == RT_OGL_ATTR_FIRST_PLOT)
        return -2;
    g->set(attribute, value);
    return 0;
}

int OGLSetCtrlAttribute(int panel, int graph, int attribute, int value)
{
    return OGLSetCtrlAttribute(panel, graph, attribute, double(value));
}

int OGLGetCtrlAttribute(int panel, int graph, int attribute, double *value)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g || !value)
        return -1;
    *value = g->get(attribute);
    return 0;
}

int OGLGetCtrlAttribute(int panel, int graph, int attribute, int *value)
{
    double d = 0;
    const int r = value ? OGLGetCtrlAttribute(panel, graph, attribute, &d) : -1;
    if (r == 0)
        *value = int(std::lround(d));
    return r;
}

int OGLPlot3DScatter(int panel, int graph, const void *points, int xCount, int yCount, int dataType)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g)
        return -1;
    if (!points || xCount <= 0 || yCount <= 0 || dataType != RT_DOUBLE)
        return -2;
    Plot p;
    p.handle = g->nextPlot++;
    const auto *d = static_cast<const double *>(points);
    const std::size_t n = std::size_t(xCount) * std::size_t(yCount);
    p.points.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        p.points[i] = {d[3 * i], d[3 * i + 1], d[3 * i + 2]};
    p.attrs[RT_OGL_ATTR_PLOT_STYLE] = RT_OGL_STYLE_POINTS;
    p.attrs[RT_OGL_ATTR_POINTS_VISIBLE] = 1;
    p.attrs[RT_OGL_ATTR_POINT_COLOR] = 0x00FFFF;
    p.attrs[RT_OGL_ATTR_POINT_SIZE] = 1.0;
    p.attrs[RT_OGL_ATTR_POINT_OPACITY] = 100;
    if (g->scatter) {
        auto *data = new QScatterDataArray;
        data->resize(qsizetype(n));
        for (std::size_t i = 0; i < n; ++i)
            (*data)[qsizetype(i)].setPosition(ToScatter(p.points[i]));
        p.series = new QScatter3DSeries;
        p.series->setMesh(QAbstract3DSeries::MeshSphere);
        p.series->setMeshSmooth(false);
        p.series->dataProxy()->resetArray(data);
        g->scatter->addSeries(p.series);
    }
    g->plots.push_back(std::move(p));
    Plot &added = g->plots.back();
    for (int a : {RT_OGL_ATTR_POINTS_VISIBLE, RT_OGL_ATTR_POINT_COLOR, RT_OGL_ATTR_POINT_SIZE})
        g->applyPlot(added, a);
    return added.handle;
}

int OGLSetPlotAttribute(int panel, int graph, int plot, int attribute, double value)
{
    OglGraph *g = FindGraph(panel, graph);
    Plot *p = g ? g->findPlot(plot) : nullptr;
    if (!p)
        return -1;
    p->attrs[attribute] = value;
    g->applyPlot(*p, attribute);
    return 0;
}

int OGLSetPlotAttribute(int panel, int graph, int plot, int attribute, int value)
{
    return OGLSetPlotAttribute(panel, graph, plot, attribute, double(value));
}

int OGLGetPlotAttribute(int panel, int graph, int plot, int attribute, double *value)
{
    OglGraph *g = FindGraph(panel, graph);
    Plot *p = g ? g->findPlot(plot) : nullptr;
    if (!p || !value)
        return -1;
    auto it = p->attrs.find(attribute);
    *value = it == p->attrs.end() ? 0.0 : it->second;
    return 0;
}

int OGLDeletePlot(int panel, int graph, int plot, int refresh)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g)
        return -1;
    bool found = false;
    for (auto it = g->plots.begin(); it != g->plots.end();) {
        if (plot == -1 || it->handle == plot) {
            if (it->series && g->scatter) {
                g->scatter->removeSeries(it->series);
                delete it->series;
            }
            it = g->plots.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    if (refresh)
        OGLRefreshGraph(panel, graph);
    return found || plot == -1 ? 0 : -2;
}

int OGLRefreshGraph(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g)
        return -1;
    ++g->refreshes;
    if (g->scatter)
        g->scatter->requestUpdate();
    else if (g->view)
        g->view->update();
    return 0;
}

int OGLPropertiesPopup(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g)
        return -1;
    const int firstPlot = int(g->get(RT_OGL_ATTR_FIRST_PLOT));
    double pointSize = 1.0, pointColour = 0x00FFFF;
    if (firstPlot) {
        OGLGetPlotAttribute(panel, graph, firstPlot, RT_OGL_ATTR_POINT_SIZE, &pointSize);
        OGLGetPlotAttribute(panel, graph, firstPlot, RT_OGL_ATTR_POINT_COLOR, &pointColour);
    }
    QDialog dlg(g->canvas ? g->canvas->window() : nullptr);
    dlg.setWindowTitle(QStringLiteral("3D Graph Properties"));
    auto *form = new QFormLayout(&dlg);
    auto *lon = Spin(QStringLiteral("longitude"), -360, 360, 5, 1, g->get(RT_OGL_ATTR_VIEW_LONGITUDE), &dlg);
    auto *lat = Spin(QStringLiteral("latitude"), -90, 90, 5, 1, g->get(RT_OGL_ATTR_VIEW_LATITUDE), &dlg);
    auto *dist = Spin(QStringLiteral("distance"), 0.6, 30, 0.1, 2, g->get(RT_OGL_ATTR_VIEW_DISTANCE), &dlg);
    auto *size = Spin(QStringLiteral("pointSize"), 0.1, 10, 0.1, 1, pointSize, &dlg);
    auto *colour = ColourButton(QStringLiteral("pointColor"), int(pointColour), &dlg);
    auto *back = ColourButton(QStringLiteral("backgroundColor"),
                              int(g->get(RT_OGL_ATTR_BACKGROUND_COLOR)), &dlg);
    auto *grid = new QCheckBox(QStringLiteral("Show the grid"), &dlg);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setChecked(g->get(RT_OGL_ATTR_GRID_VISIBLE) != 0);
    form->addRow(QStringLiteral("Turn (degrees)"), lon);
    form->addRow(QStringLiteral("Elevation (degrees)"), lat);
    form->addRow(QStringLiteral("Distance"), dist);
    form->addRow(QStringLiteral("Point size"), size);
    form->addRow(QStringLiteral("Point colour"), colour);
    form->addRow(QStringLiteral("Background colour"), back);
    form->addRow(QString(), grid);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    form->addRow(buttons);

    bool accepted = false;
    if (auto *t = detail::Hooks()) {
        t->notePopup("ogl-properties", dlg.windowTitle().toStdString(), "");
        if (gPropertyAnswers.empty()) {
            t->failure("unexpected 3D properties pop-up");
            return 0;
        }
        auto answer = std::move(gPropertyAnswers.front());
        gPropertyAnswers.pop_front();
        if (answer.first)
            answer.first(dlg);
        accepted = answer.second;
    } else {
        detail::ModalScope modal;
        accepted = dlg.exec() == QDialog::Accepted;
    }
    if (!accepted)
        return 0;
    // Re-resolve: a callback run during the dialogue may have changed the graph.
    g = FindGraph(panel, graph);
    if (!g)
        return -1;
    g->set(RT_OGL_ATTR_VIEW_LONGITUDE, lon->value());
    g->set(RT_OGL_ATTR_VIEW_LATITUDE, lat->value());
    g->set(RT_OGL_ATTR_VIEW_DISTANCE, dist->value());
    g->set(RT_OGL_ATTR_BACKGROUND_COLOR, back->property("rgb").toInt());
    g->set(RT_OGL_ATTR_GRID_VISIBLE, grid->isChecked() ? 1 : 0);
    for (auto &p : g->plots) {
        p.attrs[RT_OGL_ATTR_POINT_SIZE] = size->value();
        p.attrs[RT_OGL_ATTR_POINT_COLOR] = colour->property("rgb").toInt();
        g->applyPlot(p, RT_OGL_ATTR_POINT_SIZE);
        g->applyPlot(p, RT_OGL_ATTR_POINT_COLOR);
    }
    OGLRefreshGraph(panel, graph);
    return 1;
}

int OGLCopyScaledCtrlBitmap(int panel, int graph, int mode, int width, int height, int quality,
                            int canvas)
{
    (void)mode;
    OglGraph *g = FindGraph(panel, graph);
    detail::Ctrl *c = detail::FindCtrl(panel, canvas);
    if (!g || !c || !c->widget)
        return -1;
    const QSize size(width > 0 ? width : g->view->width(), height > 0 ? height : g->view->height());
    const QImage img = g->render(size, quality);
    if (img.isNull())
        return -2;
    const QRect where = c->widget == g->canvas ? g->view->geometry() : c->widget->rect();
    g->showSnapshot(c->widget, img, where);
    return 0;
}

// ---- Test seams -------------------------------------------------------------------

namespace test {

bool OglRenders(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    return g && g->scatter;
}

void OglForceNoOpenGL(bool on) { gForceNoGL = on; }

std::vector<int> OglPlots(int panel, int graph)
{
    std::vector<int> v;
    if (OglGraph *g = FindGraph(panel, graph))
        for (auto &p : g->plots)
            v.push_back(p.handle);
    return v;
}

std::vector<Point3D> OglPlotPoints(int panel, int graph, int plot)
{
    OglGraph *g = FindGraph(panel, graph);
    Plot *p = g ? g->findPlot(plot) : nullptr;
    return p ? p->points : std::vector<Point3D>{};
}

int OglRefreshCount(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    return g ? g->refreshes : 0;
}

QWidget *OglViewWidget(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    return g ? g->view : nullptr;
}

QImage OglSnapshot(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    return g && g->snapshot ? g->snapshotImage : QImage();
}

QImage OglRender(int panel, int graph, int width, int height)
{
    OglGraph *g = FindGraph(panel, graph);
    return g && g->scatter ? g->render(QSize(width, height), 0) : QImage();
}

std::array<double, 3> OglCamera(int panel, int graph)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g || !g->scatter)
        return {0, 0, 0};
    auto *cam = g->scatter->scene()->activeCamera();
    return {cam->xRotation(), cam->yRotation(), cam->zoomLevel()};
}

void OglDrag(int panel, int graph, int dx, int dy)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g || !g->input)
        return;
    const QPointF a(100, 100), b(100 + dx, 100 + dy);
    QMouseEvent press(QEvent::MouseButtonPress, a, a, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, b, b, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, b, b, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    g->input->mousePressEvent(&press, a.toPoint());
    g->input->mouseMoveEvent(&move, b.toPoint());
    g->input->mouseReleaseEvent(&release, b.toPoint());
}

void OglWheel(int panel, int graph, int delta)
{
    OglGraph *g = FindGraph(panel, graph);
    if (!g || !g->input)
        return;
    QWheelEvent wheel(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    g->input->wheelEvent(&wheel);
}

void AnswerOglProperties(std::function<void(QDialog &)> edit, bool accept)
{
    gPropertyAnswers.emplace_back(std::move(edit), accept);
}

} // namespace test
} // namespace rt
