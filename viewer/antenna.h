// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer antenna: program-wide state and the routines its modules share.
// Modules: shell (start-up, command state), file (file commands), planes
// (hiding a plane), display (frames, curves, views), readouts (peak,
// half-power, MSL), rotation, cursor; analysis.h holds the pure routines.
#pragma once

#include <string>
#include <vector>

#include "pattern_record.h"

// ---- Panels --------------------------------------------------------------
extern int antennalab;  // main panel
extern int logo;        // logo panel while it is shown (splash or About box)
extern int infopnl;     // newest information panel
extern int pichandle;   // antenna picture panel while it is shown
extern int LOGOflag;    // 1 while the About box is shown
extern int Ctrl3D;      // the 3D graph made from ANTENNALAB_CANVAS3D
extern int Third;       // 1 once the 3D view has been shown

// ---- The open pattern ------------------------------------------------------
constexpr int FILEPATH_SIZE = 4096;       // any path the system takes, with its NUL
extern char filepathname[FILEPATH_SIZE];  // path, or "nothing" when none is open
extern const char NO_FILE[];              // "nothing"
extern int Changed;                       // 1 when altered since it was opened
extern PatternRecord *ptsPtr;             // the record, only while a file is open
extern int desNO;                         // description lines of the record
extern int EMAX, HMAX;                    // peak indices, -1 without a peak
extern double *polarPtr;                  // 1440: E x, E y, H x, H y
extern double *carPtr;                    // 720: E levels, H levels from -180 degrees
extern int arrayX[360];                   // -180 .. 179

// A pattern is open exactly when filepathname is not the no-file marker.
bool PatternOpen();
// Sets filepathname; false, and filepathname unchanged, when path does not fit.
bool SetFilePathName(const char *path);

// ---- Display state ---------------------------------------------------------
extern int polarPlot1, polarPlot2, polarPlot3, polarPlot4;  // E, H curves; E, H closing
extern int carPlot1, carPlot2;                              // E, H traces
extern int Eflag, Hflag;                                    // 1 while the plane is hidden
extern int Cursor_Flag;                                     // 1 while cursor mode is on
extern int plot1, plot2, plot3, plot4;                      // cursor lines

// ---- Analysis state ----------------------------------------------------------
extern double Emin, Emax, Hmin, Hmax;  // half-power edges, degrees
extern int eHPBflag, hHPBflag, eMSLflag, hMSLflag;
extern int hpbPlote1, hpbPlote2, hpbPloth1, hpbPloth2;
extern int imsiPlote, imsiTexte, imsiPloth, imsiTexth;
extern int REDvalue, BLUEvalue;  // accumulated rotation of E and H

// ---- Shell -----------------------------------------------------------------
// Start-up and the event loop; returns the process status. A file named on
// the command line is opened once the logo has gone.
int AntennaMain(int argc, char **argv);
// Start-up up to the event loop: 0 when the main panel is showing, -1 when
// the run-time or a panel could not be brought up.
int AntennaStartup(int argc, char **argv);
// Binds every callback name of "antenna.uir"; called before any LoadPanel.
void RegisterAntennaCallbacks();

// The dimming operations over the four command groups.
void DimCtrl();
void UnDimCtrl();
void DimMenu();
void UnDimMenu();
void ExtUnDimMenu();
void CursorDimCtrl();
void CursorUnDimCtrl();

// ---- File commands -----------------------------------------------------------
void OpenCallback(int menuBar, int menuItem, void *callbackData, int panel);
// The open command from the point where a file has been chosen: reads it,
// shows it, or says why it cannot and keeps what was loaded. Also used for
// a file named on the command line.
// Returns false when nothing was opened; with error given, the reason goes
// there instead of into a message box.
bool OpenPatternFile(const char *path, int panel, std::string *error = nullptr);
// Reads a pattern file as the open command does (the same limits, reader
// and messages): empty when it was read, else the reason to show.
std::string ReadViewerPattern(const char *path, PatternRecord &rec, int &lines, int &emax,
                              int &hmax);
// Opens a file named elsewhere than in the open dialogue (a recent file, a
// file dropped on the window) as File > Open does once a file is chosen.
void OpenChosenFile(const char *path, int panel);
// Recent files, the window title and dropped files (recent.cpp).
void StartDesktopFeatures();
// View > High-contrast graphs (contrast.cpp): the choice kept in settings.
void StartGraphContrast();
void HighContrastCallback(int menuBar, int menuItem, void *callbackData, int panel);
// The logo panel's version line (start-up and About).
void FillLogo(int panel);
void NoteRecentFile(const char *path);
// Whether opened and saved files join the recent list (not for a self-check
// run from a script, which is no user's session).
void KeepRecentFiles(bool keep);
std::vector<std::string> RecentFiles();
void UpdateWindowTitle();
// The keyboard's plane selection and the selected plane in words (keys.cpp).
void SelectEPlaneCallback(int menuBar, int menuItem, void *callbackData, int panel);
void SelectHPlaneCallback(int menuBar, int menuItem, void *callbackData, int panel);
void ShowSelectedPlane();
// The pattern in memory is now what the open file holds (just read or saved).
void NoteSavedContent();
// Changes that no save has written yet: the title's mark.
bool UnsavedChanges();
void CloseCallback(int menuBar, int menuItem, void *callbackData, int panel);
void SaveCallback(int menuBar, int menuItem, void *callbackData, int panel);
void SaveAsCallback(int menuBar, int menuItem, void *callbackData, int panel);
void ExitCallback(int menuBar, int menuItem, void *callbackData, int panel);
int ExitBttnCallback(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int ShutDownCallback(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
// Writes the open record to path (a hidden plane as zeros); shows the
// reason and returns false when the file could not be written.
bool SavePattern(const char *path);

// ---- Hiding a plane ----------------------------------------------------------
void antDeleteECallback(int menuBar, int menuItem, void *callbackData, int panel);
void antDeleteHCallback(int menuBar, int menuItem, void *callbackData, int panel);

// ---- Display -----------------------------------------------------------------
void Init_Polar();
void Init_Cartesian();
void SetAttribute();
// Fills polar, car and arrayX from the record for one plane (0 E, 1 H);
// angle180 is the turn used at 180 degrees (360 on open, 0 on rotation).
void BuildPlane(int plane, int angle180);
void DrawPlots();
void DrawPolar(int weight);
void PolarCallback(int menuBar, int menuItem, void *callbackData, int panel);
void CartesianCallback(int menuBar, int menuItem, void *callbackData, int panel);
int POLARGRAPHCallback(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);

// ---- Readouts and markers -----------------------------------------------------
void ViewData();
void CalE();
void CalH();
// Each cursor's level field from the level at the angle its field holds.
void CursorLevels();
int eHPBCallback(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int hHPBCallback(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int eMSLCallback(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int hMSLCallback(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
// Removes every half-power and MSL overlay that is shown (open command).
void RemoveOverlays();

// ---- Rotation -------------------------------------------------------------------
void CanRotate();
int GOLEFTCallback(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int GORIGHTCallback(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int GOLEFT10Callback(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int GORIGHT10Callback(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);

// ---- Cursors ----------------------------------------------------------------------
void Plot1Func(short angle);
void Plot2Func(short angle);
void Plot3Func(short angle);
void Plot4Func(short angle);
void antCursorCallback(int menuBar, int menuItem, void *callbackData, int panel);
int graphCallback(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
#define ANTENNA_STEP_CALLBACKS(N)                                                                  \
    int Go##N##Callback(int, int, int, void *, int, int);                                          \
    int Back##N##Callback(int, int, int, void *, int, int);                                        \
    int BackTo##N##Callback(int, int, int, void *, int, int);                                      \
    int GoTo##N##Callback(int, int, int, void *, int, int);
ANTENNA_STEP_CALLBACKS(1)
ANTENNA_STEP_CALLBACKS(2)
ANTENNA_STEP_CALLBACKS(3)
ANTENNA_STEP_CALLBACKS(4)
#undef ANTENNA_STEP_CALLBACKS

// ---- 3D view hooks --------------------------------------------------------------
// The 3D view lives in its own module; the shell calls it only through these.
int Viewer3DConvert();  // start-up: turns ANTENNALAB_CANVAS3D into the 3D graph, gives Ctrl3D
void Viewer3DHide();    // the 3D drawing switch off (start-up layout, polar and Cartesian views)
void Viewer3DRedraw();  // open, once the 3D view has been used: redraw the solid
void Viewer3DClear();   // close, once the 3D view has been used: remove the solid
