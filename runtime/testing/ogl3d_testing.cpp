// Test seams of the 3D graph: reading back its state, and the user's mouse
// and wheel sent straight to its input handling.
#include <QMouseEvent>
#include <QWheelEvent>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScatter>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/QAbstract3DInputHandler>

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

}  // namespace

bool OglRenders(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g && g->renders();
}

bool OglRealized(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g && g->realized();
}

void OglForceNoOpenGL(bool on)
{
    detail::OglSetForceNoOpenGL(on);
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
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->view() : nullptr;
}

QImage OglSnapshot(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g ? g->snapshot() : QImage();
}

QImage OglRender(int panel, int graph, int width, int height)
{
    OglGraph *g = FindOglGraph(panel, graph);
    return g && g->renders() ? g->render(QSize(width, height), 0) : QImage();
}

std::array<double, 3> OglCamera(int panel, int graph)
{
    OglGraph *g = FindOglGraph(panel, graph);
    if (!g || !g->scatter())
        return {0, 0, 0};
    const Q3DCamera *cam = g->scatter()->scene()->activeCamera();
    return {cam->xRotation(), cam->yRotation(), cam->zoomLevel()};
}

void OglDrag(int panel, int graph, int dx, int dy)
{
    OglGraph *g = FindOglGraph(panel, graph);
    if (!g || !g->input())
        return;
    const QPointF a(100, 100), b(100 + dx, 100 + dy);
    QMouseEvent press(QEvent::MouseButtonPress, a, a, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, b, b, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, b, b, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    g->input()->mousePressEvent(&press, a.toPoint());
    g->input()->mouseMoveEvent(&move, b.toPoint());
    g->input()->mouseReleaseEvent(&release, b.toPoint());
}

void OglWheel(int panel, int graph, int delta)
{
    OglGraph *g = FindOglGraph(panel, graph);
    if (!g || !g->input())
        return;
    QWheelEvent wheel(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    g->input()->wheelEvent(&wheel);
}

void AnswerOglProperties(std::function<void(QDialog &)> edit, bool accept)
{
    gPropertyAnswers.emplace_back(std::move(edit), accept);
    detail::OglSetPropertiesAnswerer(AnswerNext);
}

}  // namespace rt::test
