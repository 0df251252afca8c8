// SPDX-License-Identifier: GPL-3.0-or-later
// The graph services over the graph control.
#include "graph.h"
#include "internal.h"

#include <cmath>

namespace rt {

namespace {

Graph *FindGraph(int panel, int control)
{
    detail::Ctrl *c = detail::FindCtrl(panel, control);
    return c ? qobject_cast<Graph *>(c->widget) : nullptr;
}

double ValueAt(const void *data, int type, int i)
{
    return type == RT_INTEGER ? double(static_cast<const int *>(data)[i])
                              : static_cast<const double *>(data)[i];
}

}  // namespace

int MakeColor(int red, int green, int blue)
{
    return ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF);
}

int PlotLine(int panel, int control, double x1, double y1, double x2, double y2, int color)
{
    Graph *g = FindGraph(panel, control);
    if (!g)
        return -1;
    PlotItem it;
    it.kind = PlotKind::Line;
    it.xs = {x1, x2};
    it.ys = {y1, y2};
    it.color = color;
    return g->add(std::move(it));
}

int PlotXY(int panel, int control, const void *x, const void *y, int count, int xType, int yType,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color)
{
    Graph *g = FindGraph(panel, control);
    if (!g || !x || !y || count <= 0)
        return -1;
    PlotItem it;
    it.kind = PlotKind::XY;
    it.xs.resize(count);
    it.ys.resize(count);
    for (int i = 0; i < count; ++i) {
        it.xs[i] = ValueAt(x, xType, i);
        it.ys[i] = ValueAt(y, yType, i);
    }
    it.plotStyle = plotStyle;
    it.pointStyle = pointStyle;
    it.lineStyle = lineStyle;
    it.pointFrequency = pointFrequency;
    it.color = color;
    return g->add(std::move(it));
}

int PlotOval(int panel, int control, double x1, double y1, double x2, double y2, int color,
             int fillColor)
{
    Graph *g = FindGraph(panel, control);
    if (!g)
        return -1;
    PlotItem it;
    it.kind = PlotKind::Oval;
    it.xs = {x1, x2};
    it.ys = {y1, y2};
    it.color = color;
    it.fillColor = fillColor;
    return g->add(std::move(it));
}

int PlotText(int panel, int control, double x, double y, const char *text, const char *font,
             int textColor, int backgroundColor)
{
    Graph *g = FindGraph(panel, control);
    if (!g || !text)
        return -1;
    PlotItem it;
    it.kind = PlotKind::Text;
    it.xs = {x};
    it.ys = {y};
    it.text = text;
    it.font = font ? font : "";
    it.color = textColor;
    it.fillColor = backgroundColor;
    return g->add(std::move(it));
}

int PlotPolygon(int panel, int control, const void *x, const void *y, int count, int xType,
                int yType, int color, int fillColor)
{
    Graph *g = FindGraph(panel, control);
    if (!g || !x || !y || count <= 0)
        return -1;
    PlotItem it;
    it.kind = PlotKind::Polygon;
    it.xs.resize(count);
    it.ys.resize(count);
    for (int i = 0; i < count; ++i) {
        it.xs[i] = ValueAt(x, xType, i);
        it.ys[i] = ValueAt(y, yType, i);
    }
    it.color = color;
    it.fillColor = fillColor;
    return g->add(std::move(it));
}

int GetGraphTextSize(int panel, int control, const char *text, double *width, double *height)
{
    Graph *g = FindGraph(panel, control);
    if (!g || !text)
        return -1;
    const QSizeF s = g->textSize(text);
    if (width)
        *width = s.width();
    if (height)
        *height = s.height();
    return 0;
}

int SetPlotAttribute(int panel, int control, int plot, int attribute, int value)
{
    Graph *g = FindGraph(panel, control);
    if (!g)
        return -1;
    if (attribute == RT_ATTR_PLOT_THICKNESS)
        return g->setThickness(plot, value) ? 0 : -1;
    if (attribute == RT_ATTR_PLOT_COLOR || attribute == RT_ATTR_TEXT_COLOR)
        return g->setColor(plot, value) ? 0 : -1;
    if (attribute == RT_ATTR_LINE_STYLE)
        return g->setLineStyle(plot, value) ? 0 : -1;
    if (attribute == RT_ATTR_FILL_OPACITY)
        return g->setFillOpacity(plot, value) ? 0 : -1;
    return -1;
}

int DeleteGraphPlot(int panel, int control, int plot, int refresh)
{
    Graph *g = FindGraph(panel, control);
    if (!g)
        return -1;
    const bool ok = g->remove(plot);
    if (refresh == RT_IMMEDIATE_DRAW && g->isVisible())
        g->repaint();
    return ok ? 0 : -1;
}

int GetGraphCursorIndex(int panel, int control, int cursor, int *plot, int *index)
{
    Graph *g = FindGraph(panel, control);
    if (!g || cursor != 1)
        return -1;
    if (plot)
        *plot = g->cursorPlot();
    if (index)
        *index = g->cursorIndex();
    return 0;
}

int GetGraphCursor(int panel, int control, int cursor, double *x, double *y)
{
    Graph *g = FindGraph(panel, control);
    if (!g || cursor != 1)
        return -1;
    if (x)
        *x = g->cursorX();
    if (y)
        *y = g->cursorY();
    return 0;
}

int SetGraphColorMap(int panel, int control, const int *from, const int *to, int count,
                     int labelsOnTop)
{
    Graph *g = FindGraph(panel, control);
    if (!g || count < 0 || (count > 0 && (!from || !to)))
        return -1;
    std::vector<std::pair<int, int>> map;
    for (int i = 0; i < count; ++i)
        map.emplace_back(from[i], to[i]);
    g->setColorMap(std::move(map), labelsOnTop != 0);
    return 0;
}

int RefreshGraph(int panel, int control)
{
    Graph *g = FindGraph(panel, control);
    if (!g)
        return -1;
    g->update();
    return 0;
}

}  // namespace rt
