// SPDX-License-Identifier: GPL-3.0-or-later
// Panels and controls a program makes at run time, without a resource file:
// for instance a graph to draw pictures on, offscreen, in a program that
// shows no window.
#pragma once

#include "rt.h"

namespace rt {

// A panel of its own, hidden until DisplayPanel shows it. Returns its
// handle > 0, or -1 without the run-time (or for a size below 1 pixel).
// DiscardPanel removes it like a loaded panel.
int NewPanel(int parentPanel, const char *title, int top, int left, int height, int width);

// The styles NewCtrl makes.
enum { RT_CTRL_GRAPH = 1 };
// A control of `style` on a panel (made or loaded), its top left corner at
// (left, top) of the panel; `label` names it for screen readers. Returns its
// control id, or -1 (no such panel, an unknown style). A graph starts at
// 300 x 300 pixels with axes from -10 to 10, black, as RT_ATTR_WIDTH,
// RT_ATTR_HEIGHT and SetGraphAxes change them.
int NewCtrl(int panel, int style, const char *label, int top, int left);

// The fixed axes of a graph control: ranges in graph units, whether a unit
// is as long across as up (the ranges then keep the middle of the control),
// and the colour of the plot area.
struct GraphAxes {
    double xMin = -10, xMax = 10, yMin = -10, yMax = 10;
    bool equalScale = false;
    int background = RT_BLACK;
};
// 0, or -1 when the control is not a graph (or a range is empty).
int SetGraphAxes(int panel, int control, const GraphAxes &axes);
int GetGraphAxes(int panel, int control, GraphAxes *axes);

}  // namespace rt
