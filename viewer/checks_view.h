// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Checks...: the checks on the open pattern (how far each plane
// rose above the floor, figures that are only bounds, the noise, the two
// planes at boresight and the far field) with the range distance they need,
// kept as a user setting.
#pragma once

#include <optional>

extern int checkpnl;  // the checks panel while it is shown, else 0

void antChecksCallback(int menuBar, int menuItem, void *callbackData, int panel);
int CheckDistanceCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int ChecksCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
void RegisterChecksCallbacks();

// Fills the checks panel from the open pattern, if the panel is shown:
// called after an open, a close, a rotation and hiding or showing a plane.
void RefreshChecksPanel();

// The range distance in metres as the user set it, or none.
std::optional<double> RangeDistance();
