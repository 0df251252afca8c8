// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Textbook pattern... (the model of the open pattern's antenna type
// beside the measurement, and its cuts drawn dashed on the graphs) and
// Measure > Gain by comparison... (the antenna's gain from a reference
// antenna of known gain measured in the same set-up).
#pragma once

#include <string>

extern int theorypnl;          // the textbook pattern panel while it is shown, else 0
extern int gainpnl;            // the gain panel while it is shown, else 0
extern int TheoryOverlayFlag;  // 1 while the model's cuts are drawn on the graphs

void antTheoryCallback(int menuBar, int menuItem, void *callbackData, int panel);
void antGainCallback(int menuBar, int menuItem, void *callbackData, int panel);
int TheoryTypeCallback(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int TheoryOverlayCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int TheoryCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int GainBrowseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int GainRefGainCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int GainCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
void RegisterTheoryCallbacks();

// Open and close: the overlay goes, the panels follow the new pattern.
void TheoryPatternChanged();
// Rotation and hiding a plane: the panels and the overlay follow the planes.
void RefreshTheory();

// The model's cuts as dashed curves in the planes' colours on the main
// panel's polar and Cartesian graphs, each scaled to its measured plane's
// peak and turned by the aligning rotation; a plane left out (null or not
// shown) gets none. The viewer and atn draw the overlay through this.
void DrawTheoryCurves(const double *eModel, const double *hModel, const double *eMeasured,
                      const double *hMeasured, bool showE, bool showH);
void RemoveTheoryCurves();
int TheoryCurveCount();  // curves drawn now (polar and Cartesian, both planes)

// Sets the gain panel's reference file (what the file chooser does); false
// with a message shown when it cannot be read.
bool SetGainReference(const std::string &path);
