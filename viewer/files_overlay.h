// SPDX-License-Identifier: GPL-3.0-or-later
// File > Overlay... : up to eight more pattern files laid over the open one,
// one plane of each on the polar and Cartesian graphs with a legend; each
// file shown or hidden, removed, or turned to match the open pattern; with
// three files or more of one antenna type, their mean with a band of one
// standard deviation and the repeatability figures.
#pragma once

#include <string>

extern int overlaypnl;  // the overlay panel while it is shown, else 0

void antOverlayCallback(int menuBar, int menuItem, void *callbackData, int panel);
int OverlayPlaneCallback(int panel, int control, int event, void *callbackData, int eventData1,
                         int eventData2);
int OverlayFileCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int OverlayAddCallback(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int OverlayRemoveCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int OverlayClearCallback(int panel, int control, int event, void *callbackData, int eventData1,
                         int eventData2);
int OverlayShownCallback(int panel, int control, int event, void *callbackData, int eventData1,
                         int eventData2);
int OverlayAlignCallback(int panel, int control, int event, void *callbackData, int eventData1,
                         int eventData2);
int OverlayBandCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int OverlayCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                         int eventData2);
void RegisterOverlayCallbacks();

// Open and close: the files go with the pattern they were laid over.
void ClearFileOverlay();
// Rotation, hiding a plane, the dashed model drawn: the overlay follows the
// open pattern and stays on top.
void RefreshFileOverlay();
// The plane the overlay shows (0 E, 1 H), or -1 while it shows nothing.
int FileOverlayPlane();
// The Add button once a file is chosen: false, with the reason shown as
// File > Open shows it, when the file is left out.
bool AddOverlayFile(const std::string &path);
// How many files are laid over the open pattern, and the curves and
// legend items they put on the polar graph (for tests).
int OverlayFileCount();
int OverlayPolarItemCount();
