// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph drawn by the processor: a perspective camera on a sphere
// round the view centre, the plots' surfaces rasterised with a depth buffer
// and Gouraud shading (two-sided light from over the viewer's shoulder), the
// box's far walls with their grid behind, and the axis lines and labels in
// front, each axis line only where the solid does not hide it.
//
// A depth buffer rather than triangles sorted back to front: the viewer's
// solid is sampled twice over and passes through itself, and only a depth
// test per pixel shows its outer envelope without pieces of the inner one.
#include "ogl3d_render.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ogl3d.h"

namespace rt::detail {

namespace {

using Vec = std::array<double, 3>;

Vec Sub(const Vec &a, const Vec &b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double Dot(const Vec &a, const Vec &b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec Cross(const Vec &a, const Vec &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Len(const Vec &a)
{
    return std::sqrt(Dot(a, a));
}
Vec Scale(const Vec &a, double s)
{
    return {a[0] * s, a[1] * s, a[2] * s};
}
Vec Add(const Vec &a, const Vec &b)
{
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
Vec Unit(const Vec &a)
{
    const double l = Len(a);
    return l > 0 ? Scale(a, 1 / l) : Vec{0, 0, 0};
}

// Tangent of half the narrower view angle: at distance 3 the box of the
// axis ranges fits with room for the labels.
constexpr double kTanHalfView = 0.43;
// The eye's distance from the view centre per unit of view distance, in
// half box sizes: far enough that the box's far side is not much smaller
// than its near side.
constexpr double kEyePerDistance = 1.6;
constexpr double kPi = 3.14159265358979323846;

// A whole number from an attribute's value, whatever the caller passed.
int Whole(double v, int lo, int hi)
{
    return std::isfinite(v) ? int(std::clamp(v, double(lo), double(hi))) : lo;
}
// A colour attribute: 0xRRGGBB.
QColor Colour(double v)
{
    return QColor::fromRgb(QRgb(unsigned(Whole(v, 0, 0xFFFFFF))));
}

struct Camera {
    Vec eye{}, right{}, up{}, fwd{};
    double scale = 1, cx = 0, cy = 0;  // device pixels
    double nearZ = 0.01;

    // Screen position and reciprocal depth; false behind the near plane.
    bool project(const Vec &p, double &sx, double &sy, double &iz) const
    {
        const Vec d = Sub(p, eye);
        const double z = Dot(d, fwd);
        if (z < nearZ)
            return false;
        iz = 1 / z;
        sx = cx + scale * Dot(d, right) * iz;
        sy = cy - scale * Dot(d, up) * iz;
        return true;
    }
};

struct Box {
    double lo[3], hi[3];
};

Box AxisBox(const OglGraph &g)
{
    Box b{};
    for (int k = 0; k < 3; ++k) {
        b.lo[k] = g.get(RT_OGL_ATTR_XAXIS_MIN + k * RT_OGL_AXIS_STRIDE);
        b.hi[k] = g.get(RT_OGL_ATTR_XAXIS_MAX + k * RT_OGL_AXIS_STRIDE);
        if (!(b.hi[k] > b.lo[k])) {
            b.lo[k] = -1;
            b.hi[k] = 1;
        }
    }
    return b;
}

// The camera for a picture of w x h device pixels.
Camera MakeCamera(const OglGraph &g, double w, double h)
{
    const Box b = AxisBox(g);
    double half = 0;
    for (int k = 0; k < 3; ++k)
        half = std::max(half, (b.hi[k] - b.lo[k]) / 2);
    const double lon = g.get(RT_OGL_ATTR_VIEW_LONGITUDE) * kPi / 180;
    const double lat = std::clamp(g.get(RT_OGL_ATTR_VIEW_LATITUDE), -90.0, 90.0) * kPi / 180;
    const double dist = std::max(0.05, g.get(RT_OGL_ATTR_VIEW_DISTANCE)) * kEyePerDistance * half;
    const Vec centre{g.get(RT_OGL_ATTR_VIEW_CENTER_X), g.get(RT_OGL_ATTR_VIEW_CENTER_Y),
                     g.get(RT_OGL_ATTR_VIEW_CENTER_Z)};
    // Longitude 0, latitude 0: from the -y side, x to the right, z up.
    const Vec toEye{-std::sin(lon) * std::cos(lat), -std::cos(lon) * std::cos(lat), std::sin(lat)};
    Camera c;
    c.eye = Add(centre, Scale(toEye, dist));
    c.fwd = Scale(toEye, -1);
    c.right = {std::cos(lon), -std::sin(lon), 0};
    c.up = Cross(c.right, c.fwd);
    c.scale = std::min(w, h) / 2 / kTanHalfView;
    c.cx = w / 2;
    c.cy = h / 2;
    c.nearZ = half * 0.02;
    return c;
}

// One vertex on screen: position, reciprocal depth, light.
struct ScreenVertex {
    float x, y, iz, diffuse, specular;
    bool ok;
};

// The depth buffer and the picture it guards.
struct Target {
    QImage &img;
    std::vector<float> &depth;  // reciprocal depth, 0: nothing yet
    int w, h;
    Target(QImage &i, std::vector<float> &d) : img(i), depth(d), w(i.width()), h(i.height())
    {
        depth.assign(std::size_t(w) * std::size_t(h), 0.0f);
    }
};

// Fills one triangle, interpolating depth and light across it.
void Rasterise(Target &t, const ScreenVertex &a, const ScreenVertex &b, const ScreenVertex &c,
               const float base[3], float alpha)
{
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (std::fabs(area) < 1e-6f)
        return;
    // Clamped as floats first: a point far off the picture stays a valid int.
    const auto pixel = [](float v, int last) {
        return int(std::clamp(v, -1.0f, float(last) + 1.0f));
    };
    const int x0 = std::max(0, pixel(std::floor(std::min({a.x, b.x, c.x})), t.w));
    const int x1 = std::min(t.w - 1, pixel(std::ceil(std::max({a.x, b.x, c.x})), t.w));
    const int y0 = std::max(0, pixel(std::floor(std::min({a.y, b.y, c.y})), t.h));
    const int y1 = std::min(t.h - 1, pixel(std::ceil(std::max({a.y, b.y, c.y})), t.h));
    if (x0 > x1 || y0 > y1)
        return;
    const float inv = 1.0f / area;
    // Edge functions: e_a is the weight of vertex a (opposite edge b-c).
    const auto edge = [](const ScreenVertex &p, const ScreenVertex &q, float x, float y) {
        return (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x);
    };
    const float dAx = -(c.y - b.y) * inv, dBx = -(a.y - c.y) * inv, dCx = -(b.y - a.y) * inv;
    uchar *bits = t.img.bits();
    const qsizetype stride = t.img.bytesPerLine();
    for (int y = y0; y <= y1; ++y) {
        const float py = float(y) + 0.5f, px = float(x0) + 0.5f;
        float wa = edge(b, c, px, py) * inv;
        float wb = edge(c, a, px, py) * inv;
        float wc = edge(a, b, px, py) * inv;
        // The row's span inside all three edges, a pixel wider each side
        // so that rounding never opens a crack; the test below decides.
        float from = 0, to = float(x1 - x0);
        bool empty = false;
        for (const auto &[w, d] : {std::pair{wa, dAx}, std::pair{wb, dBx}, std::pair{wc, dCx}}) {
            if (d > 0)
                from = std::max(from, -w / d - 1);
            else if (d < 0)
                to = std::min(to, -w / d + 1);
            else if (w < 0)
                empty = true;
        }
        if (empty || from > to)
            continue;
        const int skip = int(from);
        wa += dAx * float(skip);
        wb += dBx * float(skip);
        wc += dCx * float(skip);
        const int xEnd = std::min(x1, x0 + int(to) + 1);
        auto *line = reinterpret_cast<QRgb *>(bits + stride * y);
        float *zl = t.depth.data() + std::size_t(y) * std::size_t(t.w);
        for (int x = x0 + skip; x <= xEnd; ++x, wa += dAx, wb += dBx, wc += dCx) {
            if (wa < 0 || wb < 0 || wc < 0)
                continue;
            const float iz = wa * a.iz + wb * b.iz + wc * c.iz;
            if (iz <= zl[x])
                continue;
            zl[x] = iz;
            const float d = wa * a.diffuse + wb * b.diffuse + wc * c.diffuse;
            const float s = 255.0f * (wa * a.specular + wb * b.specular + wc * c.specular);
            int rgb[3];
            for (int k = 0; k < 3; ++k)
                rgb[k] = std::min(255, int(base[k] * d + s + 0.5f));
            if (alpha < 1.0f) {
                const QRgb old = line[x];
                const int o[3] = {qRed(old), qGreen(old), qBlue(old)};
                for (int k = 0; k < 3; ++k)
                    rgb[k] = int(alpha * float(rgb[k]) + (1 - alpha) * float(o[k]));
            }
            line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
}

void DrawPlot(Target &t, const Camera &cam, const OglPlot &p, bool lit, double dpr)
{
    const std::size_t n = p.points.size();
    if (n == 0 || p.attrs.at(RT_OGL_ATTR_POINTS_VISIBLE) == 0)
        return;
    const QColor colour = Colour(p.attrs.at(RT_OGL_ATTR_POINT_COLOR));
    const float base[3] = {float(colour.red()), float(colour.green()), float(colour.blue())};
    const float alpha = float(std::clamp(p.attrs.at(RT_OGL_ATTR_POINT_OPACITY) / 100.0, 0.0, 1.0));
    if (alpha <= 0)
        return;
    // Light from above and left of the viewer, and the highlight it makes.
    const Vec light =
        Unit(Add(Add(Scale(cam.right, -0.45), Scale(cam.up, 0.6)), Scale(cam.fwd, -1)));
    const Vec half = Unit(Sub(light, cam.fwd));
    std::vector<ScreenVertex> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        double sx = 0, sy = 0, iz = 0;
        // Far off the picture (or not a number) counts as not drawable.
        v[i].ok =
            cam.project(p.points[i], sx, sy, iz) && std::fabs(sx) < 1e6 && std::fabs(sy) < 1e6;
        v[i].x = float(sx);
        v[i].y = float(sy);
        v[i].iz = float(iz);
        if (lit) {
            const Vec nrm{p.normals[i][0], p.normals[i][1], p.normals[i][2]};
            const double d = std::fabs(Dot(nrm, light));
            const double h = std::fabs(Dot(nrm, half));
            v[i].diffuse = float(0.22 + 0.78 * d);
            v[i].specular = float(0.3 * std::pow(h, 30.0));
        } else {
            v[i].diffuse = 1;
            v[i].specular = 0;
        }
    }
    const int cols = p.columns, rows = p.rows;
    if (cols < 2 || rows < 2) {
        // No surface to make: the points as small squares.
        const int r = std::max(
            1, int(std::lround(1.5 * dpr
                               * std::clamp(p.attrs.at(RT_OGL_ATTR_POINT_SIZE), 0.1, 10.0))));
        for (const ScreenVertex &s : v) {
            if (!s.ok)
                continue;
            for (int y = int(s.y) - r; y <= int(s.y) + r; ++y)
                for (int x = int(s.x) - r; x <= int(s.x) + r; ++x)
                    if (x >= 0 && y >= 0 && x < t.w && y < t.h) {
                        float &z = t.depth[std::size_t(y) * std::size_t(t.w) + std::size_t(x)];
                        if (s.iz > z) {
                            z = s.iz;
                            reinterpret_cast<QRgb *>(t.img.scanLine(y))[x] =
                                qRgb(int(base[0]), int(base[1]), int(base[2]));
                        }
                    }
        }
        return;
    }
    const int quadRows = rows - 1 + (p.wrapRows ? 1 : 0);
    const int quadCols = cols - 1 + (p.wrapColumns ? 1 : 0);
    for (int i = 0; i < quadRows; ++i) {
        const int i1 = (i + 1) % rows;
        for (int j = 0; j < quadCols; ++j) {
            const int j1 = (j + 1) % cols;
            const ScreenVertex &a = v[std::size_t(i * cols + j)];
            const ScreenVertex &b = v[std::size_t(i * cols + j1)];
            const ScreenVertex &c = v[std::size_t(i1 * cols + j)];
            const ScreenVertex &d = v[std::size_t(i1 * cols + j1)];
            if (a.ok && b.ok && c.ok)
                Rasterise(t, a, b, c, base, alpha);
            if (b.ok && d.ok && c.ok)
                Rasterise(t, b, d, c, base, alpha);
        }
    }
}

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

}  // namespace

void OglPrepareSurface(OglPlot &p)
{
    const int cols = p.columns, rows = p.rows;
    const std::size_t n = p.points.size();
    p.normals.assign(n, {0, 0, 1});
    p.wrapColumns = p.wrapRows = false;
    if (cols < 2 || rows < 2 || n != std::size_t(cols) * std::size_t(rows))
        return;
    const auto at = [&](int i, int j) -> const Vec & {
        return p.points[std::size_t(i * cols + j)];
    };
    // A direction joins back when its last line of points lies about as
    // near its first as neighbouring lines lie to each other.
    const auto joins = [&](bool columns) {
        const int count = columns ? cols : rows, other = columns ? rows : cols;
        if (count < 3)
            return false;
        double step = 0, gap = 0;
        for (int o = 0; o < other; ++o) {
            const auto pt = [&](int c) { return columns ? at(o, c) : at(c, o); };
            for (int c = 0; c + 1 < count; ++c)
                step += Len(Sub(pt(c + 1), pt(c)));
            gap += Len(Sub(pt(count - 1), pt(0)));
        }
        step /= double(count - 1);
        return step > 0 && gap <= 1.5 * step;
    };
    p.wrapColumns = joins(true);
    p.wrapRows = joins(false);
    // Each point's normal: the area-weighted sum of its triangles' normals.
    std::vector<Vec> sum(n, Vec{0, 0, 0});
    const int quadRows = rows - 1 + (p.wrapRows ? 1 : 0);
    const int quadCols = cols - 1 + (p.wrapColumns ? 1 : 0);
    for (int i = 0; i < quadRows; ++i) {
        const int i1 = (i + 1) % rows;
        for (int j = 0; j < quadCols; ++j) {
            const int j1 = (j + 1) % cols;
            const std::size_t a = std::size_t(i * cols + j), b = std::size_t(i * cols + j1),
                              c = std::size_t(i1 * cols + j), d = std::size_t(i1 * cols + j1);
            const Vec n1 = Cross(Sub(p.points[b], p.points[a]), Sub(p.points[c], p.points[a]));
            const Vec n2 = Cross(Sub(p.points[d], p.points[b]), Sub(p.points[c], p.points[b]));
            // A point that is not a number (or overflows) spoils no neighbour.
            const auto usable = [](const Vec &v) { return std::isfinite(Dot(v, v)); };
            if (usable(n1))
                for (std::size_t k : {a, b, c})
                    sum[k] = Add(sum[k], n1);
            if (usable(n2))
                for (std::size_t k : {b, d, c})
                    sum[k] = Add(sum[k], n2);
        }
    }
    Vec centroid{0, 0, 0};
    std::size_t finite = 0;
    for (const Vec &q : p.points)
        if (std::isfinite(Dot(q, q))) {
            centroid = Add(centroid, q);
            ++finite;
        }
    centroid = Scale(centroid, finite ? 1.0 / double(finite) : 0.0);
    for (std::size_t k = 0; k < n; ++k) {
        Vec u = Unit(sum[k]);
        if (!(Len(u) > 0))
            u = Unit(Sub(p.points[k], centroid));
        if (!(Len(u) > 0) || !std::isfinite(Len(u)))
            u = {0, 0, 1};
        p.normals[k] = {float(u[0]), float(u[1]), float(u[2])};
    }
}

void OglDrawScene(const OglGraph &g, QImage &img)
{
    const double dpr = img.devicePixelRatio();
    const Camera cam = MakeCamera(g, img.width(), img.height());
    const Box b = AxisBox(g);
    img.fill(Colour(g.get(RT_OGL_ATTR_BACKGROUND_COLOR)));
    int wallOf[3] = {0, 0, 0};
    {
        QPainter pt(&img);
        pt.setRenderHint(QPainter::Antialiasing);
        DrawWalls(pt, g, cam, b, dpr, wallOf);
    }
    static std::vector<float> depth;  // kept from frame to frame: no new pages each time
    Target t(img, depth);
    const bool lit = g.get(RT_OGL_ATTR_LIGHTING) != 0;
    for (const OglPlot &p : g.plots())
        DrawPlot(t, cam, p, lit, dpr);
    QPainter pt(&img);
    pt.setRenderHint(QPainter::Antialiasing);
    pt.setRenderHint(QPainter::TextAntialiasing);
    DrawAxisLines(pt, g, cam, b, t, dpr);
    DrawLabels(pt, g, cam, b, dpr, wallOf);
}

QPointF OglProjectPoint(const OglGraph &g, const OglPoint &p, QSize size)
{
    const Camera cam = MakeCamera(g, size.width(), size.height());
    double sx = 0, sy = 0, iz = 0;
    if (!cam.project(p, sx, sy, iz))
        return {-1, -1};
    return {sx, sy};
}

}  // namespace rt::detail
