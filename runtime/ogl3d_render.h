// SPDX-License-Identifier: GPL-3.0-or-later
// The 3D graph's own renderer: the plots as lit, shaded surfaces through
// their grids of points, inside a box with walls, grid and labelled axes,
// drawn into an image by the processor (no OpenGL).
#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>

#include "ogl3d_graph.h"

namespace rt::detail {

// Normals and the joins of a plot's grid, once per plot.
void OglPrepareSurface(OglPlot &p);

// The scene of `g` into `img` (its size in device pixels, its device pixel
// ratio set).
void OglDrawScene(const OglGraph &g, QImage &img);

// Where graph point `p` lands in a picture of `size` units.
QPointF OglProjectPoint(const OglGraph &g, const OglPoint &p, QSize size);

}  // namespace rt::detail
