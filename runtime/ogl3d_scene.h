// SPDX-License-Identifier: GPL-3.0-or-later
// What the 3D graph's renderer and the drawing of its box share: vectors,
// the camera, the axis box and the depth buffer.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ogl3d_graph.h"

namespace rt::detail::ogl {

using Vec = std::array<double, 3>;

inline Vec Sub(const Vec &a, const Vec &b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline double Dot(const Vec &a, const Vec &b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec Cross(const Vec &a, const Vec &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline double Len(const Vec &a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec Scale(const Vec &a, double s)
{
    return {a[0] * s, a[1] * s, a[2] * s};
}
inline Vec Add(const Vec &a, const Vec &b)
{
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec Unit(const Vec &a)
{
    const double l = Len(a);
    return l > 0 ? Scale(a, 1 / l) : Vec{0, 0, 0};
}

// A whole number from an attribute's value, whatever the caller passed.
inline int Whole(double v, int lo, int hi)
{
    return std::isfinite(v) ? int(std::clamp(v, double(lo), double(hi))) : lo;
}
// A colour attribute: 0xRRGGBB.
inline QColor Colour(double v)
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

// The axis ranges, each at least a little wide.
Box AxisBox(const OglGraph &g);
// The camera for a picture of w x h device pixels.
Camera MakeCamera(const OglGraph &g, double w, double h);

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

// The far walls of the box with their grid, behind everything; wallOf[k]
// is 0 where the far wall of axis k lies at its minimum, 1 at its maximum.
void DrawWalls(QPainter &pt, const OglGraph &g, const Camera &cam, const Box &b, double dpr,
               int wallOf[3]);
// The axis lines through the origin, where the solid does not hide them.
void DrawAxisLines(QPainter &pt, const OglGraph &g, const Camera &cam, const Box &b,
                   const Target &t, double dpr);
// The numbers along the box's near edges and the axis names.
void DrawLabels(QPainter &pt, const OglGraph &g, const Camera &cam, const Box &b, double dpr,
                const int wallOf[3]);

}  // namespace rt::detail::ogl
