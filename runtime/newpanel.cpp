// SPDX-License-Identifier: GPL-3.0-or-later
// Panels and controls made by the program, not loaded from a resource file.
#include "rt_newpanel.h"

#include <QApplication>
#include <QResizeEvent>

#include <algorithm>

#include "appearance.h"
#include "graph.h"
#include "internal.h"
#include "uiform.h"
#include "widget_kinds.h"

namespace rt {

using namespace detail;

namespace {

Graph *FindGraph(int panel, int control)
{
    Ctrl *c = FindCtrl(panel, control);
    return c ? qobject_cast<Graph *>(c->widget.data()) : nullptr;
}

}  // namespace

int NewPanel(int parentPanel, const char *title, int top, int left, int height, int width)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || height < 1 || width < 1)
        return -1;
    auto *w = new PanelWidget;
    w->setWindowTitle(QString::fromUtf8(title ? title : ""));
    // Without a menu bar it is a dialogue, as a loaded panel without one is.
    w->setProperty(kDialogPanel, true);
    w->setGeometry(left, top, width, height);
    Panel p;
    p.widget = w;
    if (Panel *parent = parentPanel > 0 ? FindPanel(parentPanel) : nullptr) {
        p.parent = parentPanel;
        if (parent->widget)
            w->setParent(parent->widget, Qt::Dialog);
    }
    return AddPanel(p);
}

int NewCtrl(int panel, int style, const char *label, int top, int left)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->widget || style != RT_CTRL_GRAPH)
        return -1;
    int id = kFirstUiId;
    for (const auto &[cid, c] : p->ctrls)
        id = std::max(id, cid + 1);
    auto *g = new Graph(p->widget);
    g->setObjectName(QStringLiteral("CTRL%1").arg(id));
    g->setGeometry(left, top, 300, 300);
    const QString name = QString::fromUtf8(label ? label : "");
    g->setAccessibleName(name.isEmpty() ? g->objectName() : name);
    Ctrl c;
    c.id = id;
    c.name = g->objectName();
    c.widget = g;
    c.kind = &KindOf(g);
    Ctrl &added = p->ctrls[id] = c;
    if (p->filter)
        g->installEventFilter(p->filter);
    added.kind->wire(added, panel);
    return id;
}

int SetGraphAxes(int panel, int control, const GraphAxes &axes)
{
    Graph *g = FindGraph(panel, control);
    if (!g || !(axes.xMin < axes.xMax) || !(axes.yMin < axes.yMax))
        return -1;
    g->setProperty("xMin", axes.xMin);
    g->setProperty("xMax", axes.xMax);
    g->setProperty("yMin", axes.yMin);
    g->setProperty("yMax", axes.yMax);
    g->setProperty("equalScale", axes.equalScale);
    g->setProperty("plotBackground", QColor::fromRgb(QRgb(axes.background & 0xFFFFFF)));
    // The graph paints from a cached picture, which a resize renews.
    QResizeEvent renew(g->size(), g->size());
    QCoreApplication::sendEvent(g, &renew);
    return 0;
}

int GetGraphAxes(int panel, int control, GraphAxes *axes)
{
    Graph *g = FindGraph(panel, control);
    if (!g || !axes)
        return -1;
    axes->xMin = g->property("xMin").toDouble();
    axes->xMax = g->property("xMax").toDouble();
    axes->yMin = g->property("yMin").toDouble();
    axes->yMax = g->property("yMax").toDouble();
    axes->equalScale = g->property("equalScale").toBool();
    axes->background = int(g->property("plotBackground").value<QColor>().rgb() & 0xFFFFFF);
    return 0;
}

}  // namespace rt
