// SPDX-License-Identifier: GPL-3.0-or-later
// The OGL calls of the 3D graph: each finds the graph of (panel, canvas) and
// acts on its state. An attribute number the graph does not know is an error
// (and a test failure in test mode), never silently kept, as for panels.
#include <QCoreApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "internal.h"
#include "ogl3d.h"
#include "ogl3d_graph.h"

namespace rt {

namespace {

using detail::OglGraph;
using detail::OglPlot;

std::map<std::pair<int, int>, QPointer<OglGraph>> gGraphs;

}  // namespace

detail::OglGraph *detail::FindOglGraph(int panel, int graph)
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

int OGLConvertCtrl(int panel, int control)
{
    if (!QCoreApplication::instance())
        return -1;
    if (detail::FindOglGraph(panel, control))
        return control;
    detail::Ctrl *c = detail::FindCtrl(panel, control);
    if (!c || !c->widget)
        return -1;
    gGraphs[{panel, control}] = new OglGraph(panel, control, c->widget);
    return control;
}

int OGLSetCtrlAttribute(int panel, int graph, int attribute, double value)
{
    OglGraph *g = detail::FindOglGraph(panel, graph);
    if (!g)
        return -1;
    if (!OglGraph::Known(attribute))
        return detail::UnknownAttribute("OGLSetCtrlAttribute", attribute);
    if (OglGraph::ReadOnly(attribute))
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
    OglGraph *g = detail::FindOglGraph(panel, graph);
    if (!g || !value)
        return -1;
    if (!OglGraph::Known(attribute))
        return detail::UnknownAttribute("OGLGetCtrlAttribute", attribute);
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
    OglGraph *g = detail::FindOglGraph(panel, graph);
    if (!g)
        return -1;
    if (!points || xCount <= 0 || yCount <= 0 || dataType != RT_DOUBLE)
        return -2;
    const auto *d = static_cast<const double *>(points);
    std::vector<detail::OglPoint> pts(std::size_t(xCount) * std::size_t(yCount));
    for (std::size_t i = 0; i < pts.size(); ++i)
        pts[i] = {d[3 * i], d[3 * i + 1], d[3 * i + 2]};
    return g->addPlot(std::move(pts), xCount, yCount);
}

int OGLSetPlotAttribute(int panel, int graph, int plot, int attribute, double value)
{
    OglGraph *g = detail::FindOglGraph(panel, graph);
    OglPlot *p = g ? g->plot(plot) : nullptr;
    if (!p)
        return -1;
    if (!OglGraph::KnownPlotAttribute(attribute))
        return detail::UnknownAttribute("OGLSetPlotAttribute", attribute);
    g->setPlotAttribute(*p, attribute, value);
    return 0;
}

int OGLSetPlotAttribute(int panel, int graph, int plot, int attribute, int value)
{
    return OGLSetPlotAttribute(panel, graph, plot, attribute, double(value));
}

int OGLGetPlotAttribute(int panel, int graph, int plot, int attribute, double *value)
{
    OglGraph *g = detail::FindOglGraph(panel, graph);
    OglPlot *p = g ? g->plot(plot) : nullptr;
    if (!p || !value)
        return -1;
    if (!OglGraph::KnownPlotAttribute(attribute))
        return detail::UnknownAttribute("OGLGetPlotAttribute", attribute);
    *value = p->attrs.at(attribute);
    return 0;
}

int OGLDeletePlot(int panel, int graph, int plot, int refresh)
{
    OglGraph *g = detail::FindOglGraph(panel, graph);
    if (!g)
        return -1;
    const bool found = g->deletePlot(plot);
    if (refresh)
        OGLRefreshGraph(panel, graph);
    return found || plot == -1 ? 0 : -2;
}

int OGLRefreshGraph(int panel, int graph)
{
    OglGraph *g = detail::FindOglGraph(panel, graph);
    if (!g)
        return -1;
    g->refresh();
    return 0;
}

int OGLCopyScaledCtrlBitmap(int panel, int graph, int mode, int width, int height, int quality,
                            int canvas)
{
    (void)mode;
    OglGraph *g = detail::FindOglGraph(panel, graph);
    detail::Ctrl *c = detail::FindCtrl(panel, canvas);
    if (!g || !c || !c->widget)
        return -1;
    g->realize();  // a picture is wanted: the view is made if it was not yet
    const QSize size(width > 0 ? width : g->view()->width(),
                     height > 0 ? height : g->view()->height());
    // Twice the screen's pixels for paper, each drawn from 2 x 2 samples
    // unless `quality` asks for another count.
    const double dpr = std::max(2.0, g->view()->devicePixelRatioF());
    const QImage img = g->render(size, dpr, quality > 0 ? quality : 2);
    if (img.isNull())
        return -2;
    const QRect where = c->widget == g->canvas() ? g->view()->geometry() : c->widget->rect();
    g->showSnapshot(c->widget, img, where);
    return 0;
}

}  // namespace rt
