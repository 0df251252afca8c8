// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph's attributes as a table: which numbers exist, their starting
// values, and what a change of each does to the view.
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ogl3d.h"
#include "ogl3d_graph.h"

namespace rt::detail {

namespace {

// What a change of an attribute does.
enum class Apply {
    Stored,   // kept and read back only
    Visible,  // shows or hides the view
    Area,     // places the view
    Redraw,   // the picture is drawn again
};

struct AttrRow {
    int id;
    Apply apply;
    bool preset;  // present from the start (the plot area is not)
    double initial;
};

const std::vector<AttrRow> &Table()
{
    static const std::vector<AttrRow> table = [] {
        std::vector<AttrRow> t = {
            {RT_OGL_ATTR_VISIBLE, Apply::Visible, true, 1},
            {RT_OGL_ATTR_LIGHTING, Apply::Redraw, true, 1},
            {RT_OGL_ATTR_PLOTAREA_LEFT, Apply::Area, false, 0},
            {RT_OGL_ATTR_PLOTAREA_TOP, Apply::Area, false, 0},
            {RT_OGL_ATTR_PLOTAREA_WIDTH, Apply::Area, false, 0},
            {RT_OGL_ATTR_PLOTAREA_HEIGHT, Apply::Area, false, 0},
            {RT_OGL_ATTR_VIEW_LONGITUDE, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_VIEW_LATITUDE, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_VIEW_DISTANCE, Apply::Redraw, true, 3.0},
            {RT_OGL_ATTR_VIEW_CENTER_X, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_VIEW_CENTER_Y, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_VIEW_CENTER_Z, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_FRAME_VISIBLE, Apply::Redraw, true, 1},
            {RT_OGL_ATTR_GRID_VISIBLE, Apply::Redraw, true, 1},
            {RT_OGL_ATTR_GRID_COLOR, Apply::Redraw, true, 0x606060},
            {RT_OGL_ATTR_LABEL_OFFSET, Apply::Stored, false, 0},
            {RT_OGL_ATTR_LABEL_SCALE, Apply::Redraw, true, 1.0},
            {RT_OGL_ATTR_BACKGROUND_COLOR, Apply::Redraw, true, 0x000000},
            {RT_OGL_ATTR_XAXIS_NAME_VISIBLE, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_YAXIS_NAME_VISIBLE, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_ZAXIS_NAME_VISIBLE, Apply::Redraw, false, 0},
            {RT_OGL_ATTR_NUM_PLOTS, Apply::Stored, false, 0},
            {RT_OGL_ATTR_FIRST_PLOT, Apply::Stored, false, 0},
        };
        for (int k = 0; k < 3; ++k) {
            const int off = k * RT_OGL_AXIS_STRIDE;
            t.push_back({RT_OGL_ATTR_XAXIS_MIN + off, Apply::Redraw, true, -1});
            t.push_back({RT_OGL_ATTR_XAXIS_MAX + off, Apply::Redraw, true, 1});
            t.push_back({RT_OGL_ATTR_XAXIS_DIVISIONS + off, Apply::Redraw, true, -4});
            t.push_back({RT_OGL_ATTR_XAXIS_SUBDIVISIONS + off, Apply::Redraw, true, 1});
            t.push_back({RT_OGL_ATTR_XAXIS_COLOR + k, Apply::Redraw, false, 0});
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
    auto it = attrs_.find(attribute);
    return it == attrs_.end() ? 0.0 : it->second;
}

void OglGraph::set(int attribute, double value)
{
    attrs_[attribute] = value;
    const AttrRow *s = Row(attribute);
    if (!s)
        return;
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
    case Apply::Redraw:
        changed();
        return;
    }
}

bool OglGraph::hasAttribute(int attribute) const
{
    return attrs_.count(attribute) != 0;
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
    changed();
}

}  // namespace rt::detail
