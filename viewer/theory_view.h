// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Textbook pattern... (the model of the open pattern's antenna type
// beside the measurement, and its cuts drawn dashed on the graphs). The gain
// by comparison panel, which the textbook models feed, is gain_view.h.
#pragma once

#include "gain_view.h"

extern int theorypnl;          // the textbook pattern panel while it is shown, else 0
extern int TheoryOverlayFlag;  // 1 while the model's cuts are drawn on the graphs

void antTheoryCallback(int menuBar, int menuItem, void *callbackData, int panel);
int TheoryTypeCallback(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int TheoryOverlayCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int TheoryCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
// Measure > Textbook pattern on the graphs: the dashed model on and off, with
// the panel open or not.
void TheoryCurvesCallback(int menuBar, int menuItem, void *callbackData, int panel);
void RegisterTheoryCallbacks();

// Open and close: the overlay goes, the panels follow the new pattern.
void TheoryPatternChanged();
// Rotation and hiding a plane: the panels and the overlay follow the planes.
void RefreshTheory();
// The dashed curves drawn again when they are on (several files on the
// graphs now show one plane, or both again).
void RedrawTheoryCurves();

// The model's cuts as dashed curves in the planes' colours on the main
// panel's polar and Cartesian graphs, each scaled to its measured plane's
// peak and turned by the aligning rotation; a plane left out (null or not
// shown) gets none. The viewer and atn draw the overlay through this.
void DrawTheoryCurves(const double *eModel, const double *hModel, const double *eMeasured,
                      const double *hMeasured, bool showE, bool showH);
void RemoveTheoryCurves();
int TheoryCurveCount();  // curves drawn now (polar and Cartesian, both planes)
