// SPDX-License-Identifier: GPL-3.0-or-later
// Every callback name that "antenna.uir" binds, registered before any panel
// is loaded.
#include "antenna.h"
#include "checks_view.h"
#include "codepage.h"
#include "files_overlay.h"
#include "info.h"
#include "labreport.h"
#include "launch.h"
#include "library.h"
#include "lobes.h"
#include "rt.h"
#include "theory_view.h"
#include "threed.h"

void RegisterAntennaCallbacks()
{
    // File commands
    RT_MENU_CALLBACK(OpenCallback);
    RT_MENU_CALLBACK(CloseCallback);
    RT_MENU_CALLBACK(SaveCallback);
    RT_MENU_CALLBACK(SaveAsCallback);
    RT_MENU_CALLBACK(ExitCallback);
    RT_CTRL_CALLBACK(ExitBttnCallback);
    RT_CTRL_CALLBACK(ShutDownCallback);
    // Views
    RT_MENU_CALLBACK(PolarCallback);
    RT_MENU_CALLBACK(CartesianCallback);
    RT_MENU_CALLBACK(HighContrastCallback);
    RT_CTRL_CALLBACK(POLARGRAPHCallback);
    RT_MENU_CALLBACK(SelectEPlaneCallback);
    RT_MENU_CALLBACK(SelectHPlaneCallback);
    // Hiding a plane
    RT_MENU_CALLBACK(antDeleteECallback);
    RT_MENU_CALLBACK(antDeleteHCallback);
    // Half-power lines and MSL markers
    RT_CTRL_CALLBACK(eHPBCallback);
    RT_CTRL_CALLBACK(hHPBCallback);
    RT_CTRL_CALLBACK(eMSLCallback);
    RT_CTRL_CALLBACK(hMSLCallback);
    // Rotation
    RT_CTRL_CALLBACK(GOLEFTCallback);
    RT_CTRL_CALLBACK(GORIGHTCallback);
    RT_CTRL_CALLBACK(GOLEFT10Callback);
    RT_CTRL_CALLBACK(GORIGHT10Callback);
    // Cursors
    RT_MENU_CALLBACK(antCursorCallback);
    RT_CTRL_CALLBACK(graphCallback);
#define ANTENNA_REGISTER_STEPS(N)                                                                  \
    RT_CTRL_CALLBACK(Go##N##Callback);                                                             \
    RT_CTRL_CALLBACK(Back##N##Callback);                                                           \
    RT_CTRL_CALLBACK(BackTo##N##Callback);                                                         \
    RT_CTRL_CALLBACK(GoTo##N##Callback);
    ANTENNA_REGISTER_STEPS(1)
    ANTENNA_REGISTER_STEPS(2)
    ANTENNA_REGISTER_STEPS(3)
    ANTENNA_REGISTER_STEPS(4)
#undef ANTENNA_REGISTER_STEPS
    // 3D view
    RT_MENU_CALLBACK(ant3DCallback);
    RT_MENU_CALLBACK(antGraphicsCallback);
    RT_CTRL_CALLBACK(sphereConfigure);
    // Library, About, pictures, help, launching the measurement program
    RT_PANEL_CALLBACK(AntennaLabCallback);
    RT_PANEL_CALLBACK(LogoCallback);
    RT_MENU_CALLBACK(antHelpCallback);
    RT_MENU_CALLBACK(antContentCallback);
    RT_MENU_CALLBACK(antKestoCallback);
    RT_CTRL_CALLBACK(antImageCallback);
    RT_CTRL_CALLBACK(QuitCallback);
    // Information and printing
    RT_MENU_CALLBACK(InfoCallback);
    RT_MENU_CALLBACK(FullPrintCallback);
    RT_MENU_CALLBACK(GraphicPrintCallback);
    // Text of older files
    RT_MENU_CALLBACK(CodePageCallback);
    RT_CTRL_CALLBACK(ApplyCodePageCallback);
    RT_CTRL_CALLBACK(CloseCodePageCallback);
    // Export and lobe metrics
    RT_MENU_CALLBACK(antExportCallback);
    RT_MENU_CALLBACK(LabReportCallback);
    RT_MENU_CALLBACK(antLobeCallback);
    RT_CTRL_CALLBACK(LobeCloseCallback);
    // Checks on the open pattern
    RegisterChecksCallbacks();
    // Textbook pattern and gain by comparison
    RegisterTheoryCallbacks();
    RegisterGainCallbacks();
    // Several files on one graph
    RegisterOverlayCallbacks();
}
