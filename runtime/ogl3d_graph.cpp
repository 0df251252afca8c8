// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph: its plots and the view inside the canvas, made when the
// canvas is first shown. The view is a plain widget that draws the scene with
// the run-time's own renderer, so it works on any display, remote desktops
// and virtual machines included. The mouse, the wheel and the arrow keys
// turn and zoom it.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "accessible.h"
#include "internal.h"
#include "ogl3d.h"
#include "ogl3d_graph.h"
#include "ogl3d_render.h"

namespace rt::detail {

// The live view: keeps its last frame and draws a new one only after a change.
class OglView : public QWidget {
public:
    OglView(OglGraph *graph, QWidget *parent) : QWidget(parent), graph_(graph)
    {
        setFocusPolicy(Qt::StrongFocus);
        // Marked before anything asks for its accessibility.
        setProperty(kChart, true);
        setAccessibleName(QStringLiteral("3D graph"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void changed()
    {
        dirty_ = true;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const double dpr = devicePixelRatioF();
        const QSize pixels(int(std::lround(width() * dpr)), int(std::lround(height() * dpr)));
        if (frame_.size() != pixels || frame_.devicePixelRatio() != dpr) {
            frame_ = QImage(pixels, QImage::Format_RGB32);
            frame_.setDevicePixelRatio(dpr);
            dirty_ = true;
        }
        if (dirty_ && !frame_.isNull()) {
            OglDrawScene(*graph_, frame_);
            dirty_ = false;
        }
        QPainter p(this);
        p.drawImage(0, 0, frame_);
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
            dragging_ = true;
            last_ = e->position();
        }
    }
    void mouseReleaseEvent(QMouseEvent *) override { dragging_ = false; }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (!dragging_)
            return;
        const QPointF d = e->position() - last_;
        last_ = e->position();
        graph_->turn(0.5 * d.x(), 0.5 * d.y());
    }
    void wheelEvent(QWheelEvent *e) override
    {
        graph_->zoom(std::pow(1.1, -e->angleDelta().y() / 120.0));
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        switch (e->key()) {
        case Qt::Key_Left:
            graph_->turn(-5, 0);
            break;
        case Qt::Key_Right:
            graph_->turn(5, 0);
            break;
        case Qt::Key_Up:
            graph_->turn(0, -5);
            break;
        case Qt::Key_Down:
            graph_->turn(0, 5);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:  // + without Shift on many keyboards
            graph_->zoom(1 / 1.1);
            break;
        case Qt::Key_Minus:
            graph_->zoom(1.1);
            break;
        default:
            QWidget::keyPressEvent(e);
        }
    }

private:
    OglGraph *graph_;
    QImage frame_;
    bool dirty_ = true;
    bool dragging_ = false;
    QPointF last_;
};

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

QWidget *OglGraph::view() const
{
    return view_.data();
}

void OglGraph::realize()
{
    if (realized_ || !canvas_)
        return;
    realized_ = true;
    view_ = new OglView(this, canvas_);
    placeView();
    view_->setVisible(get(RT_OGL_ATTR_VISIBLE) != 0 && !snapshot_);
}

void OglGraph::changed()
{
    if (view_)
        static_cast<OglView *>(view_.data())->changed();
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

void OglGraph::turn(double dLongitude, double dLatitude)
{
    double lon = std::fmod(get(RT_OGL_ATTR_VIEW_LONGITUDE) + dLongitude, 360.0);
    attrs_[RT_OGL_ATTR_VIEW_LONGITUDE] = lon;
    attrs_[RT_OGL_ATTR_VIEW_LATITUDE] =
        std::clamp(get(RT_OGL_ATTR_VIEW_LATITUDE) + dLatitude, -90.0, 90.0);
    changed();
}

void OglGraph::zoom(double factor)
{
    attrs_[RT_OGL_ATTR_VIEW_DISTANCE] =
        std::clamp(get(RT_OGL_ATTR_VIEW_DISTANCE) * factor, 0.6, 30.0);
    changed();
}

// ---- Plots ----------------------------------------------------------------------

int OglGraph::addPlot(std::vector<OglPoint> points, int columns, int rows)
{
    OglPlot p;
    p.handle = nextPlot_++;
    p.points = std::move(points);
    p.columns = columns;
    p.rows = rows;
    presetPlot(p);
    OglPrepareSurface(p);
    plots_.push_back(std::move(p));
    changed();
    return plots_.back().handle;
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
            it = plots_.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    if (found)
        changed();
    return found;
}

// ---- Pictures ---------------------------------------------------------------------

void OglGraph::refresh()
{
    ++refreshes_;
    changed();
}

QImage OglGraph::render(QSize size, double dpr, int samples) const
{
    if (size.isEmpty())
        size = view_ ? view_->size() : canvas_ ? canvas_->size() : QSize(450, 450);
    if (size.isEmpty())
        return {};
    samples = std::clamp(samples, 1, 4);
    const double scale = dpr * samples;
    QImage img(
        QSize(int(std::lround(size.width() * scale)), int(std::lround(size.height() * scale))),
        QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    OglDrawScene(*this, img);
    if (samples == 1)
        return img;
    QImage out = img.scaled(
        QSize(int(std::lround(size.width() * dpr)), int(std::lround(size.height() * dpr))),
        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out.setDevicePixelRatio(dpr);
    return out;
}

QPointF OglGraph::project(const OglPoint &p, QSize size) const
{
    return OglProjectPoint(*this, p, size);
}

void OglGraph::showSnapshot(QWidget *target, const QImage &img, QRect where)
{
    if (!snapshot_) {
        snapshot_ = new QLabel(target);
        snapshot_->setAlignment(Qt::AlignCenter);
    }
    snapshotImage_ = img;
    QPixmap pm = QPixmap::fromImage(img);
    const double dpr = target->devicePixelRatioF();
    pm = pm.scaled(where.size() * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pm.setDevicePixelRatio(dpr);
    snapshot_->setPixmap(pm);
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
