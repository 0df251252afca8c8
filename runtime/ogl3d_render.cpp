// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph drawn by the processor: a perspective camera on a sphere
// round the view centre, the plots' surfaces rasterised with a depth buffer
// and Gouraud shading (two-sided light from over the viewer's shoulder), the
// box's far walls with their grid behind, and the axis lines and labels in
// front, each axis line only where the solid does not hide it (the box is
// drawn in ogl3d_box.cpp).
//
// A depth buffer rather than triangles sorted back to front: the viewer's
// solid is sampled twice over and passes through itself, and only a depth
// test per pixel shows its outer envelope without pieces of the inner one.
#include "ogl3d_render.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ogl3d.h"
#include "ogl3d_scene.h"

namespace rt::detail {

using namespace ogl;

namespace {

// Tangent of half the narrower view angle: at distance 3 the box of the
// axis ranges fits with room for the labels.
constexpr double kTanHalfView = 0.43;
// The eye's distance from the view centre per unit of view distance, in
// half box sizes: far enough that the box's far side is not much smaller
// than its near side.
constexpr double kEyePerDistance = 1.6;
constexpr double kPi = 3.14159265358979323846;

// Calls cell(a, b, c, d) with the indices of the four corners of each cell
// of a plot's grid, row by row, the cells that join a grid back to its start
// included: a and b on one row of points, c and d on the next.
template <class F> void ForEachCell(const OglPlot &p, F &&cell)
{
    const int cols = p.columns, rows = p.rows;
    const int cellRows = rows - 1 + (p.wrapRows ? 1 : 0);
    const int cellCols = cols - 1 + (p.wrapColumns ? 1 : 0);
    for (int i = 0; i < cellRows; ++i) {
        const int i1 = (i + 1) % rows;
        for (int j = 0; j < cellCols; ++j) {
            const int j1 = (j + 1) % cols;
            cell(std::size_t(i * cols + j), std::size_t(i * cols + j1), std::size_t(i1 * cols + j),
                 std::size_t(i1 * cols + j1));
        }
    }
}

// One vertex on screen: position, reciprocal depth, light.
struct ScreenVertex {
    float x, y, iz, diffuse, specular;
    bool ok;
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
    ForEachCell(p, [&](std::size_t ia, std::size_t ib, std::size_t ic, std::size_t id) {
        const ScreenVertex &a = v[ia], &b = v[ib], &c = v[ic], &d = v[id];
        if (a.ok && b.ok && c.ok)
            Rasterise(t, a, b, c, base, alpha);
        if (b.ok && d.ok && c.ok)
            Rasterise(t, b, d, c, base, alpha);
    });
}

}  // namespace

namespace ogl {

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

}  // namespace ogl

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
    ForEachCell(p, [&](std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
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
    });
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
