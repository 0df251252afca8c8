// SPDX-License-Identifier: GPL-3.0-or-later
// The graph cursor: snapping to the nearest plotted item on a click, and
// stepping along a curve from the keyboard.
#include "graph.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <limits>

#include "rt.h"

namespace rt {

namespace {

double segmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double len2 = QPointF::dotProduct(d, d);
    double t = len2 > 0 ? QPointF::dotProduct(p - a, d) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF q = a + t * d - p;
    return std::hypot(q.x(), q.y());
}

}  // namespace

double Graph::pixelDistance(const PlotItem &it, QPointF px, int *index) const
{
    *index = 0;
    switch (it.kind) {
    case PlotKind::Line: {
        const QPointF a = toPixel(it.xs[0], it.ys[0]), b = toPixel(it.xs[1], it.ys[1]);
        *index = QLineF(px, a).length() <= QLineF(px, b).length() ? 0 : 1;
        return segmentDistance(px, a, b);
    }
    case PlotKind::XY: {
        double best = std::numeric_limits<double>::max();
        double bestVertex = best;
        const int n = int(it.xs.size());
        QPointF prev;
        for (int i = 0; i < n; ++i) {
            const QPointF q = toPixel(it.xs[i], it.ys[i]);
            const double dv = QLineF(px, q).length();
            if (dv < bestVertex) {
                bestVertex = dv;
                *index = i;
            }
            best = std::min(best, i > 0 && it.plotStyle != RT_SCATTER ? segmentDistance(px, prev, q)
                                                                      : dv);
            prev = q;
        }
        return best;
    }
    case PlotKind::Oval: {
        const QRectF r =
            QRectF(toPixel(it.xs[0], it.ys[0]), toPixel(it.xs[1], it.ys[1])).normalized();
        const QPointF c = r.center();
        const double rx = std::max(r.width() / 2, 0.5), ry = std::max(r.height() / 2, 0.5);
        const double dx = (px.x() - c.x()) / rx, dy = (px.y() - c.y()) / ry;
        const double k = std::hypot(dx, dy);
        if (!(it.fillColor & RT_TRANSPARENT) && k <= 1)
            return 0;
        return std::abs(k - 1) * std::min(rx, ry);
    }
    case PlotKind::Polygon:
        return std::numeric_limits<double>::max();  // a filled area, never a point to read
    case PlotKind::Text: {
        const QPointF at = toPixel(it.xs[0], it.ys[0]);
        const QRectF box(at.x(), at.y() - 12, 8.0 * it.text.size(), 12);
        const double dx = std::max({box.left() - px.x(), 0.0, px.x() - box.right()});
        const double dy = std::max({box.top() - px.y(), 0.0, px.y() - box.bottom()});
        return std::hypot(dx, dy);
    }
    }
    return std::numeric_limits<double>::max();
}

void Graph::snapCursor(double x, double y)
{
    const QPointF px = toPixel(x, y);
    double best = std::numeric_limits<double>::max();
    cursorPlot_ = 0;
    cursorIndex_ = 0;
    cursorX_ = x;
    cursorY_ = y;
    // The topmost (latest) item wins a tie, as it is the one drawn on top.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        int index = 0;
        const double d = pixelDistance(*it, px, &index);
        if (d < best) {
            best = d;
            cursorPlot_ = it->handle;
            cursorIndex_ = index;
            const size_t k =
                it->kind == PlotKind::Oval || it->kind == PlotKind::Text ? 0 : size_t(index);
            cursorX_ = it->xs[k];
            cursorY_ = it->ys[k];
        }
    }
    cursorPlaced_ = true;
    update();
}

void Graph::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(e);
    const QPointF g = toGraph(e->position());
    if (cursorCount_ > 0)
        snapCursor(g.x(), g.y());
    if (onEvent)
        onEvent(RT_EVENT_LEFT_CLICK);
}

void Graph::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && commitOnClick_ && onEvent)
        onEvent(RT_EVENT_COMMIT);
}

bool Graph::event(QEvent *e)
{
    // A graph with a cursor is reached with Tab too, so that its cursor can
    // be moved from the keyboard.
    if (e->type() == QEvent::Polish && cursorCount_ > 0)
        setFocusPolicy(Qt::StrongFocus);
    return QWidget::event(e);
}

void Graph::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if (cursorCount_ <= 0 || (key != Qt::Key_Left && key != Qt::Key_Right)
        || (e->modifiers() & ~Qt::ShiftModifier))
        return QWidget::keyPressEvent(e);
    const PlotItem *on = nullptr;
    for (const auto &it : items_)
        if (it.handle == cursorPlot_ && it.kind == PlotKind::XY)
            on = &it;
    int index = cursorIndex_;
    if (!on) {
        // Not on a curve yet: the first point of the latest curve.
        for (auto it = items_.rbegin(); it != items_.rend() && !on; ++it)
            if (it->kind == PlotKind::XY && !it->xs.empty())
                on = &*it;
        if (!on)
            return QWidget::keyPressEvent(e);
        index = 0;
    } else {
        const int step = (e->modifiers() & Qt::ShiftModifier) ? 10 : 1;
        index += key == Qt::Key_Right ? step : -step;
    }
    index = std::clamp(index, 0, int(on->xs.size()) - 1);
    cursorPlot_ = on->handle;
    cursorIndex_ = index;
    cursorX_ = on->xs[index];
    cursorY_ = on->ys[index];
    cursorPlaced_ = true;
    update();
    if (onEvent)
        onEvent(RT_EVENT_LEFT_CLICK);
}

}  // namespace rt
