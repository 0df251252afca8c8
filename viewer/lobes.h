// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer's additions over its designed commands: File > Export... (the
// current view as a picture, the levels as CSV or MSI) and Measure > Lobe
// metrics... (a panel with the lobe metrics of both planes, kept up to date).
#pragma once

extern int lobepnl;  // the lobe metrics panel while it is shown, else 0

void antExportCallback(int menuBar, int menuItem, void *callbackData, int panel);
void antLobeCallback(int menuBar, int menuItem, void *callbackData, int panel);
int LobeCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
// Fills the lobe metrics panel from the open pattern, if the panel is shown:
// called after an open, a close, a rotation and hiding or showing a plane.
void RefreshLobePanel();
