// The 3D graph's attributes as a table: which numbers exist, their starting
// values, and how each reaches the rendering once there is one.
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScatter>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QScatter3DSeries>
#include <QtDataVisualization/QScatterDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include <algorithm>
#include <cmath>

#include "ogl3d.h"
#include "ogl3d_graph.h"
#include "ogl3d_scene.h"

namespace rt::detail {

namespace {

// How an attribute reaches the rendering.
enum class Apply {
    Stored,   // kept and read back only
    Visible,  // shows or hides the view
    Area,     // places the view
    Axis,     // range, divisions and axis line of one axis
    Center,   // the camera's target, relative to the axis ranges
    Scene,    // a setting of the scatter, through `scene`
};

using SceneFn = void (*)(Q3DScatter &, double);

struct AttrRow {
    int id;
    Apply apply;
    bool preset;  // present from the start (the plot area is not)
    double initial;
    SceneFn scene = nullptr;
};

QValue3DAxis *AxisOf(Q3DScatter &s, int k)
{
    return OglScatterAxis(&s, k);
}

void SetLighting(Q3DScatter &s, double v)
{
    s.activeTheme()->setLightStrength(v != 0 ? 5.0f : 0.0f);
    s.activeTheme()->setAmbientLightStrength(v != 0 ? 0.35f : 1.0f);
}

void SetLongitude(Q3DScatter &s, double v)
{
    s.scene()->activeCamera()->setXRotation(float(v));
}

void SetLatitude(Q3DScatter &s, double v)
{
    s.scene()->activeCamera()->setYRotation(std::clamp(float(v), -90.0f, 90.0f));
}

void SetDistance(Q3DScatter &s, double v)
{
    Q3DCamera *cam = s.scene()->activeCamera();
    if (v > 0)
        cam->setZoomLevel(std::clamp(float(kOglZoomAtUnitDistance / v), cam->minZoomLevel(),
                                     cam->maxZoomLevel()));
}

void SetLabelScale(Q3DScatter &s, double v)
{
    QFont f = s.activeTheme()->font();
    f.setPointSizeF(std::clamp(40.0 * v, 6.0, 160.0));
    s.activeTheme()->setFont(f);
}

void SetBackground(Q3DScatter &s, double v)
{
    // The box's walls a shade lighter than the window, so that they show.
    const QColor c = OglRgb(v);
    s.activeTheme()->setWindowColor(c);
    s.activeTheme()->setBackgroundColor(QColor(
        std::min(255, c.red() + 28), std::min(255, c.green() + 28), std::min(255, c.blue() + 36)));
}

const std::vector<AttrRow> &Table()
{
    static const std::vector<AttrRow> table = [] {
        std::vector<AttrRow> t = {
            {RT_OGL_ATTR_VISIBLE, Apply::Visible, true, 1},
            {RT_OGL_ATTR_LIGHTING, Apply::Scene, true, 1, SetLighting},
            {RT_OGL_ATTR_PLOTAREA_LEFT, Apply::Area, false, 0},
            {RT_OGL_ATTR_PLOTAREA_TOP, Apply::Area, false, 0},
            {RT_OGL_ATTR_PLOTAREA_WIDTH, Apply::Area, false, 0},
            {RT_OGL_ATTR_PLOTAREA_HEIGHT, Apply::Area, false, 0},
            {RT_OGL_ATTR_VIEW_LONGITUDE, Apply::Scene, false, 0, SetLongitude},
            {RT_OGL_ATTR_VIEW_LATITUDE, Apply::Scene, false, 0, SetLatitude},
            {RT_OGL_ATTR_VIEW_DISTANCE, Apply::Scene, true, 3.0, SetDistance},
            {RT_OGL_ATTR_VIEW_CENTER_X, Apply::Center, false, 0},
            {RT_OGL_ATTR_VIEW_CENTER_Y, Apply::Center, false, 0},
            {RT_OGL_ATTR_VIEW_CENTER_Z, Apply::Center, false, 0},
            {RT_OGL_ATTR_FRAME_VISIBLE, Apply::Scene, true, 1,
             [](Q3DScatter &s, double v) { s.activeTheme()->setBackgroundEnabled(v != 0); }},
            {RT_OGL_ATTR_GRID_VISIBLE, Apply::Scene, true, 1,
             [](Q3DScatter &s, double v) { s.activeTheme()->setGridEnabled(v != 0); }},
            {RT_OGL_ATTR_GRID_COLOR, Apply::Scene, true, 0x606060,
             [](Q3DScatter &s, double v) { s.activeTheme()->setGridLineColor(OglRgb(v)); }},
            {RT_OGL_ATTR_LABEL_OFFSET, Apply::Stored, false, 0},
            {RT_OGL_ATTR_LABEL_SCALE, Apply::Scene, true, 1.0, SetLabelScale},
            {RT_OGL_ATTR_BACKGROUND_COLOR, Apply::Scene, true, 0x000000, SetBackground},
            {RT_OGL_ATTR_XAXIS_NAME_VISIBLE, Apply::Scene, false, 0,
             [](Q3DScatter &s, double v) { AxisOf(s, 0)->setTitleVisible(v != 0); }},
            {RT_OGL_ATTR_YAXIS_NAME_VISIBLE, Apply::Scene, false, 0,
             [](Q3DScatter &s, double v) { AxisOf(s, 1)->setTitleVisible(v != 0); }},
            {RT_OGL_ATTR_ZAXIS_NAME_VISIBLE, Apply::Scene, false, 0,
             [](Q3DScatter &s, double v) { AxisOf(s, 2)->setTitleVisible(v != 0); }},
            {RT_OGL_ATTR_NUM_PLOTS, Apply::Stored, false, 0},
            {RT_OGL_ATTR_FIRST_PLOT, Apply::Stored, false, 0},
        };
        for (int k = 0; k < 3; ++k) {
            const int off = k * RT_OGL_AXIS_STRIDE;
            t.push_back({RT_OGL_ATTR_XAXIS_MIN + off, Apply::Axis, true, -1});
            t.push_back({RT_OGL_ATTR_XAXIS_MAX + off, Apply::Axis, true, 1});
            t.push_back({RT_OGL_ATTR_XAXIS_DIVISIONS + off, Apply::Axis, true, -4});
            t.push_back({RT_OGL_ATTR_XAXIS_SUBDIVISIONS + off, Apply::Axis, true, 1});
            t.push_back({RT_OGL_ATTR_XAXIS_COLOR + k, Apply::Axis, false, 0});
        }
        return t;
    }();
    return table;
}

const AttrRow *Row(int attribute)
{
    for (const AttrRow &s : Table())
        if (s.id == attribute)
            return &s;
    return nullptr;
}

// The axis (0, 1, 2) an axis attribute belongs to.
int AxisOfAttribute(int attribute)
{
    for (int k = 0; k < 3; ++k)
        if (attribute == RT_OGL_ATTR_XAXIS_COLOR + k)
            return k;
    return (attribute - RT_OGL_ATTR_XAXIS_SUBDIVISIONS) / RT_OGL_AXIS_STRIDE;
}

}  // namespace

bool OglGraph::Known(int attribute)
{
    return Row(attribute) != nullptr;
}

bool OglGraph::ReadOnly(int attribute)
{
    return attribute == RT_OGL_ATTR_NUM_PLOTS || attribute == RT_OGL_ATTR_FIRST_PLOT;
}

void OglGraph::presetAttributes()
{
    for (const AttrRow &s : Table())
        if (s.preset)
            attrs_[s.id] = s.initial;
}

double OglGraph::get(int attribute) const
{
    switch (attribute) {
    case RT_OGL_ATTR_NUM_PLOTS:
        return double(plots_.size());
    case RT_OGL_ATTR_FIRST_PLOT:
        return plots_.empty() ? 0 : plots_.front().handle;
    default:
        break;
    }
    if (scatter_) {
        // The mouse turns and zooms the camera: the view is what it shows.
        const Q3DCamera *cam = scatter_->scene()->activeCamera();
        switch (attribute) {
        case RT_OGL_ATTR_VIEW_LONGITUDE:
            return cam->xRotation();
        case RT_OGL_ATTR_VIEW_LATITUDE:
            return cam->yRotation();
        case RT_OGL_ATTR_VIEW_DISTANCE:
            return kOglZoomAtUnitDistance / std::max(1.0f, cam->zoomLevel());
        default:
            break;
        }
    }
    auto it = attrs_.find(attribute);
    return it == attrs_.end() ? 0.0 : it->second;
}

void OglGraph::set(int attribute, double value)
{
    attrs_[attribute] = value;
    applyToScene(attribute);
}

bool OglGraph::hasAttribute(int attribute) const
{
    return attrs_.count(attribute) != 0;
}

void OglGraph::applyToScene(int attribute)
{
    const AttrRow *s = Row(attribute);
    if (!s || !realized_)
        return;
    // The value given, not what get() reads back from the camera.
    auto it = attrs_.find(attribute);
    const double value = it == attrs_.end() ? 0.0 : it->second;
    switch (s->apply) {
    case Apply::Stored:
        return;
    case Apply::Visible:
        if (view_)
            view_->setVisible(value != 0 && !snapshot_);
        return;
    case Apply::Area:
        placeView();
        return;
    case Apply::Axis:
        applyAxis(AxisOfAttribute(attribute));
        return;
    case Apply::Center:
        if (scatter_) {
            // The camera's target is given relative to the box, -1 to 1 per axis.
            OglPoint t{};
            for (int k = 0; k < 3; ++k) {
                const double lo = get(RT_OGL_ATTR_XAXIS_MIN + k * RT_OGL_AXIS_STRIDE);
                const double hi = get(RT_OGL_ATTR_XAXIS_MAX + k * RT_OGL_AXIS_STRIDE);
                const double c = get(RT_OGL_ATTR_VIEW_CENTER_X + k);
                t[k] = hi > lo ? std::clamp((2 * c - lo - hi) / (hi - lo), -1.0, 1.0) : 0.0;
            }
            scatter_->scene()->activeCamera()->setTarget(OglToScatter(t));
        }
        return;
    case Apply::Scene:
        if (scatter_ && s->scene)
            s->scene(*scatter_, value);
        return;
    }
}

// Every attribute that has been given a value, for a rendering just made.
void OglGraph::applyAllToScene()
{
    for (int k = 0; k < 3; ++k)
        applyAxis(k);
    for (const AttrRow &s : Table())
        if (s.apply != Apply::Axis && s.apply != Apply::Stored && attrs_.count(s.id))
            applyToScene(s.id);
}

void OglGraph::applyAxis(int k)
{
    const int off = k * RT_OGL_AXIS_STRIDE;
    const double lo = get(RT_OGL_ATTR_XAXIS_MIN + off), hi = get(RT_OGL_ATTR_XAXIS_MAX + off);
    if (!scatter_)
        return;
    QValue3DAxis *a = OglScatterAxis(scatter_, k);
    if (hi > lo)
        a->setRange(float(lo), float(hi));
    a->setSegmentCount(std::max(1, std::abs(int(get(RT_OGL_ATTR_XAXIS_DIVISIONS + off)))));
    a->setSubSegmentCount(std::max(1, int(get(RT_OGL_ATTR_XAXIS_SUBDIVISIONS + off))));
    // The axis line runs through the origin along the whole axis.
    if (attrs_.count(RT_OGL_ATTR_XAXIS_COLOR + k)) {
        auto *line = new QScatterDataArray;
        const int n = 81;
        line->resize(n);
        for (int i = 0; i < n; ++i) {
            OglPoint p{0, 0, 0};
            p[k] = lo + (hi - lo) * i / (n - 1);
            (*line)[i].setPosition(OglToScatter(p));
        }
        axisLine_[k]->dataProxy()->resetArray(line);
        axisLine_[k]->setBaseColor(OglRgb(get(RT_OGL_ATTR_XAXIS_COLOR + k)));
        axisLine_[k]->setVisible(true);
    }
}

// ---- Plot attributes ------------------------------------------------------------

namespace {

struct PlotAttrRow {
    int id;
    double initial;
};

const PlotAttrRow kPlotAttrs[] = {
    {RT_OGL_ATTR_PLOT_STYLE, RT_OGL_STYLE_POINTS},
    {RT_OGL_ATTR_POINTS_VISIBLE, 1},
    {RT_OGL_ATTR_POINT_COLOR, 0x00FFFF},
    {RT_OGL_ATTR_POINT_SIZE, 1.0},
    {RT_OGL_ATTR_POINT_OPACITY, 100},
};

}  // namespace

bool OglGraph::KnownPlotAttribute(int attribute)
{
    return std::any_of(std::begin(kPlotAttrs), std::end(kPlotAttrs),
                       [attribute](const PlotAttrRow &s) { return s.id == attribute; });
}

void OglGraph::presetPlot(OglPlot &p)
{
    for (const PlotAttrRow &s : kPlotAttrs)
        p.attrs[s.id] = s.initial;
}

void OglGraph::setPlotAttribute(OglPlot &p, int attribute, double value)
{
    p.attrs[attribute] = value;
    applyPlotToScene(p, attribute);
}

void OglGraph::applyPlotToScene(OglPlot &p, int attribute)
{
    if (!p.series)
        return;
    const double value = p.attrs[attribute];
    switch (attribute) {
    case RT_OGL_ATTR_POINTS_VISIBLE:
        p.series->setVisible(value != 0);
        break;
    case RT_OGL_ATTR_POINT_COLOR:
    case RT_OGL_ATTR_POINT_OPACITY: {
        QColor c = OglRgb(p.attrs[RT_OGL_ATTR_POINT_COLOR]);
        c.setAlphaF(float(std::clamp(p.attrs[RT_OGL_ATTR_POINT_OPACITY] / 100.0, 0.0, 1.0)));
        p.series->setBaseColor(c);
        break;
    }
    case RT_OGL_ATTR_POINT_SIZE:
        p.series->setItemSize(float(std::clamp(kOglPointSizeUnit * value, 0.005, 1.0)));
        break;
    default:
        break;
    }
}

}  // namespace rt::detail
