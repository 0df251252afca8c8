// SPDX-License-Identifier: GPL-3.0-or-later
// Test seams of the 3D graph: reading back its state and pictures, and the
// user's mouse, wheel and keys sent to its view.
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <deque>

#include "ogl3d_graph.h"
#include "ogl3d_testing.h"

namespace rt::test {

namespace {

using detail::FindOglGraph;
using detail::OglGraph;

std::deque<std::pair<std::function<void(QDialog &)>, bool>> gPropertyAnswers;

bool AnswerNext(QDialog &dlg, bool &answered)
{
    answered = !gPropertyAnswers.empty();
    if (!answered)
        return false;
    auto answer = std::move(gPropertyAnswers.front());
    gPropertyAnswers.pop_front();
    if (answer.first)
        answer.first(dlg);
    return answer.second;
}

QWidget *View(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->view() : nullptr;
}

}  // namespace

bool OglRealized(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g && g->realized();
}

std::vector<int> OglPlots(int panel, int graph)
{
    std::vector<int> v;
    if (OglGraph *g = FindOglGraph(panel, graph))
        for (const auto &p : g->plots())
            v.push_back(p.handle);
    return v;
}

std::vector<Point3D> OglPlotPoints(int panel, int graph, int plot)
{
    OglGraph *g = FindOglGraph(panel, graph);
    const detail::OglPlot *p = g ? g->plot(plot) : nullptr;
    return p ? p->points : std::vector<Point3D>{};
}

int OglRefreshCount(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->refreshCount() : 0;
}

QWidget *OglViewWidget(int panel, int graph)
{
    return View(panel, graph);
}

QImage OglSnapshot(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->snapshot() : QImage();
}

QImage OglRender(int panel, int graph, int width, int height, double dpr)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->render(QSize(width, height), dpr, 1) : QImage();
}

QPointF OglProject(int panel, int graph, const Point3D &p, int width, int height)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->project(p, QSize(width, height)) : QPointF(-1, -1);
}

void OglDrag(int panel, int graph, int dx, int dy)
{
    QWidget *w = View(panel, graph);
    if (!w)
        return;
    const QPointF a(100, 100), b(100 + dx, 100 + dy);
    QMouseEvent press(QEvent::MouseButtonPress, a, w->mapToGlobal(a), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, b, w->mapToGlobal(b), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, b, w->mapToGlobal(b), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &move);
    QCoreApplication::sendEvent(w, &release);
}

void OglWheel(int panel, int graph, int delta)
{
    QWidget *w = View(panel, graph);
    if (!w)
        return;
    QWheelEvent wheel(QPointF(100, 100), w->mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &wheel);
}

void OglKey(int panel, int graph, int qtKey)
{
    QWidget *w = View(panel, graph);
    if (!w)
        return;
    QKeyEvent key(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &key);
}

SurfacePixels Surface(const QImage &img)
{
    SurfacePixels s;
    bool seen[256] = {};
    double sx = 0, sy = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (g - r <= 40 || std::abs(g - b) > 30)
                continue;
            ++s.count;
            s.bounds |= QRect(x, y, 1, 1);
            sx += x;
            sy += y;
            s.darkest = std::min(s.darkest, g);
            s.brightest = std::max(s.brightest, g);
            if (!seen[g]) {
                seen[g] = true;
                ++s.shades;
            }
            s.pixels.emplace_back(x, y);
        }
    if (s.count)
        s.centroid = QPointF(sx / s.count, sy / s.count);
    return s;
}

void AnswerOglProperties(std::function<void(QDialog &)> edit, bool accept)
{
    gPropertyAnswers.emplace_back(std::move(edit), accept);
    detail::OglSetPropertiesAnswerer(AnswerNext);
}

}  // namespace rt::test
