// Helpers shared by the 3D graph's sources that talk to Qt Data Visualization.
#pragma once

#include <QColor>
#include <QVector3D>

#include "ogl3d_graph.h"

class QValue3DAxis;

namespace rt::detail {

// Camera zoom in percent times the view distance: distance 3 fills the view
// with the box.
constexpr double kOglZoomAtUnitDistance = 570.0;

// Item size of a point of size 1.0 (the point size attribute), as a share of
// the box. Points are drawn flat, a few pixels across: small enough that the
// rows of the sampling grid show the shape, large enough that the points
// close into a surface.
constexpr double kOglPointSizeUnit = 0.045;

inline QColor OglRgb(double v)
{
    return QColor::fromRgb(QRgb(int(v) & 0xFFFFFF));
}
inline int OglRgbInt(const QColor &c)
{
    return int(c.rgb() & 0xFFFFFF);
}

// Graph x and y lie in the horizontal plane and z points up, while the
// scatter's y axis is the vertical one.
QValue3DAxis *OglScatterAxis(Q3DScatter *s, int axis);

inline QVector3D OglToScatter(const OglPoint &p)
{
    return QVector3D(float(p[0]), float(p[2]), float(p[1]));
}

}  // namespace rt::detail
