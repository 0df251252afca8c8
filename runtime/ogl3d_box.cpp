// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph's box: its far walls with their grid, the axis lines in
// front of the solid where nothing hides them, and the labels.
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ogl3d.h"
#include "ogl3d_scene.h"

namespace rt::detail::ogl {

namespace {

// Values of the labelled divisions of an axis: about |divisions| segments.
std::vector<double> Ticks(double lo, double hi, int divisions)
{
    const int n = std::clamp(std::abs(divisions), 1, 50);
    std::vector<double> v;
    for (int i = 0; i <= n; ++i)
        v.push_back(lo + (hi - lo) * i / n);
    return v;
}

QColor Lighter(const QColor &c)
{
    return QColor(std::min(255, c.red() + 28), std::min(255, c.green() + 28),
                  std::min(255, c.blue() + 36));
}

// Painter helpers in the picture's units (device pixels / dpr).
struct Overlay {
    const Camera &cam;
    double dpr;
    bool at(const Vec &p, QPointF &out, double *iz = nullptr) const
    {
        double sx = 0, sy = 0, z = 0;
        if (!cam.project(p, sx, sy, z))
            return false;
        out = QPointF(sx / dpr, sy / dpr);
        if (iz)
            *iz = z;
        return true;
    }
};

}  // namespace

// The far wall of each axis, with its grid lines.
void DrawWalls(QPainter &pt, const OglGraph &g, const Camera &cam, const Box &b, double dpr,
               int wallOf[3])
{
    const Overlay o{cam, dpr};
    const QColor back = Colour(g.get(RT_OGL_ATTR_BACKGROUND_COLOR));
    const bool frame = g.get(RT_OGL_ATTR_FRAME_VISIBLE) != 0;
    const bool grid = g.get(RT_OGL_ATTR_GRID_VISIBLE) != 0;
    QColor gridColour = Colour(g.get(RT_OGL_ATTR_GRID_COLOR));
    gridColour.setAlpha(110);
    QColor minor = gridColour;
    minor.setAlpha(45);
    for (int k = 0; k < 3; ++k)
        wallOf[k] = cam.eye[k] >= (b.lo[k] + b.hi[k]) / 2 ? 0 : 1;  // 0: the far wall at lo
    // Every wall the eye sees from inside lies behind whatever the box holds.
    for (int face = 0; face < 6; ++face) {
        const int k = face / 2;
        const double w = face % 2 ? b.hi[k] : b.lo[k];
        if (face % 2 ? cam.eye[k] >= w : cam.eye[k] <= w)
            continue;
        const int u = (k + 1) % 3, v = (k + 2) % 3;
        auto corner = [&](double cu, double cv) {
            Vec p{};
            p[k] = w;
            p[u] = cu;
            p[v] = cv;
            return p;
        };
        QPolygonF wall;
        bool ok = true;
        for (const auto &uv : {std::pair{b.lo[u], b.lo[v]}, std::pair{b.hi[u], b.lo[v]},
                               std::pair{b.hi[u], b.hi[v]}, std::pair{b.lo[u], b.hi[v]}}) {
            QPointF s;
            ok = ok && o.at(corner(uv.first, uv.second), s);
            wall << s;
        }
        if (!ok)
            continue;
        if (frame) {
            pt.setPen(Qt::NoPen);
            pt.setBrush(Lighter(back));
            pt.drawPolygon(wall);
        }
        if (!grid)
            continue;
        pt.setBrush(Qt::NoBrush);
        for (int pass = 0; pass < 2; ++pass) {
            const int along = pass ? v : u, across = pass ? u : v;
            const int divisions =
                Whole(g.get(RT_OGL_ATTR_XAXIS_DIVISIONS + along * RT_OGL_AXIS_STRIDE), -50, 50);
            const int sub = std::max(
                1,
                Whole(g.get(RT_OGL_ATTR_XAXIS_SUBDIVISIONS + along * RT_OGL_AXIS_STRIDE), 1, 50));
            const std::vector<double> major = Ticks(b.lo[along], b.hi[along], divisions);
            for (std::size_t m = 0; m < major.size(); ++m) {
                for (int s = 0; s < (m + 1 < major.size() ? sub : 1); ++s) {
                    const double val =
                        s == 0 ? major[m] : major[m] + (major[m + 1] - major[m]) * s / sub;
                    pt.setPen(QPen(s == 0 ? gridColour : minor, 1.0));
                    Vec p0{}, p1{};
                    p0[k] = p1[k] = w;
                    p0[along] = p1[along] = val;
                    p0[across] = b.lo[across];
                    p1[across] = b.hi[across];
                    QPointF s0, s1;
                    if (o.at(p0, s0) && o.at(p1, s1))
                        pt.drawLine(s0, s1);
                }
            }
        }
    }
}

// The axis lines through the origin, segment by segment where the depth
// buffer has nothing nearer.
void DrawAxisLines(QPainter &pt, const OglGraph &g, const Camera &cam, const Box &b,
                   const Target &t, double dpr)
{
    const Overlay o{cam, dpr};
    for (int k = 0; k < 3; ++k) {
        const int id = RT_OGL_ATTR_XAXIS_COLOR + k;
        if (!g.hasAttribute(id))
            continue;
        pt.setPen(QPen(Colour(g.get(id)), 2.0, Qt::SolidLine, Qt::FlatCap));
        const int n = 80;
        Vec p0{std::clamp(0.0, b.lo[0], b.hi[0]), std::clamp(0.0, b.lo[1], b.hi[1]),
               std::clamp(0.0, b.lo[2], b.hi[2])};
        Vec p1 = p0;
        // Visible segments in a row make one line, drawn without gaps.
        QPolygonF run;
        const auto flush = [&] {
            if (run.size() > 1)
                pt.drawPolyline(run);
            run.clear();
        };
        for (int i = 0; i < n; ++i) {
            p0[k] = b.lo[k] + (b.hi[k] - b.lo[k]) * i / n;
            p1[k] = b.lo[k] + (b.hi[k] - b.lo[k]) * (i + 1) / n;
            QPointF s0, s1, sm;
            double iz = 0;
            bool visible = o.at(p0, s0) && o.at(p1, s1) && o.at(Scale(Add(p0, p1), 0.5), sm, &iz);
            const double dx = sm.x() * dpr, dy = sm.y() * dpr;
            if (visible && dx >= 0 && dy >= 0 && dx < t.w && dy < t.h) {
                const int px = int(dx), py = int(dy);
                const float z = t.depth[std::size_t(py) * std::size_t(t.w) + std::size_t(px)];
                visible = !(z > 0 && float(iz) < z * 0.999f);  // not behind the solid
            }
            if (!visible) {
                flush();
                continue;
            }
            if (run.isEmpty())
                run << s0;
            run << s1;
        }
        flush();
    }
}

// Numbers along three edges of the box nearest the viewer, and the axis
// names beyond their middles.
void DrawLabels(QPainter &pt, const OglGraph &g, const Camera &cam, const Box &b, double dpr,
                const int wallOf[3])
{
    const Overlay o{cam, dpr};
    const QColor back = Colour(g.get(RT_OGL_ATTR_BACKGROUND_COLOR));
    pt.setPen(qGray(back.rgb()) > 128 ? QColor(40, 40, 40) : QColor(220, 220, 220));
    QFont f = pt.font();
    f.setPixelSize(int(std::clamp(11.0 * g.get(RT_OGL_ATTR_LABEL_SCALE), 6.0, 60.0)));
    pt.setFont(f);
    const QFontMetricsF fm(f);
    const auto wall = [&](int k, bool far) { return (wallOf[k] != 0) == far ? b.hi[k] : b.lo[k]; };
    static const char *const names[3] = {"X", "Y", "Z"};
    static const int nameAttr[3] = {RT_OGL_ATTR_XAXIS_NAME_VISIBLE, RT_OGL_ATTR_YAXIS_NAME_VISIBLE,
                                    RT_OGL_ATTR_ZAXIS_NAME_VISIBLE};
    for (int k = 0; k < 3; ++k) {
        // x and y along the floor's near edges, z up the side edge behind
        // the y labels; each set moved off its edge across the floor.
        Vec fixed{};
        int across = 1;
        if (k == 0) {
            fixed = {0, wall(1, false), wall(2, true)};
        } else {
            fixed = {wall(0, false), k == 1 ? 0 : wall(1, true), k == 1 ? wall(2, true) : 0};
            across = 0;
        }
        const double side = fixed[across] > (b.lo[across] + b.hi[across]) / 2 ? 1 : -1;
        const double range = b.hi[across] - b.lo[across];
        const auto put = [&](double value, const QString &text, double share) {
            Vec p = fixed;
            p[k] = value;
            p[across] += side * share * range;
            QPointF s;
            if (!o.at(p, s))
                return;
            const QSizeF ts = fm.size(0, text);
            pt.drawText(
                QRectF(s.x() - ts.width() / 2, s.y() - ts.height() / 2, ts.width(), ts.height()),
                Qt::AlignCenter, text);
        };
        const int divisions =
            Whole(g.get(RT_OGL_ATTR_XAXIS_DIVISIONS + k * RT_OGL_AXIS_STRIDE), -50, 50);
        for (double v : Ticks(b.lo[k], b.hi[k], divisions)) {
            // z's number at the floor would cover y's last one.
            if (k == 2 && v == wall(2, true))
                continue;
            put(v, QString::number(std::abs(v) < 1e-9 ? 0.0 : v, 'g', 4), 0.09);
        }
        if (g.get(nameAttr[k]) != 0)
            put((b.lo[k] + b.hi[k]) / 2, QString::fromLatin1(names[k]), 0.22);
    }
}

}  // namespace rt::detail::ogl
