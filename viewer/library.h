// SPDX-License-Identifier: GPL-3.0-or-later
// The antenna library (names, descriptions and pictures of the sixteen
// antenna types), the About box, the picture panel, the help command and
// the main panel's own callback.
#pragma once

#include "antennas.h"

constexpr int ANT_TYPES = ANTENNA_TYPES;

extern const char *const AntName[ANT_TYPES];
extern const char *const AntDescript[ANT_TYPES];
extern const char *const AntPicture[ANT_TYPES];  // picture file beside the program

// The library entry of a type, or null for a type outside 0 to 15.
const char *AntNameOf(int type);
const char *AntDescriptOf(int type);
const char *AntPictureOf(int type);

// The help document opened by the help command, beside the program.
constexpr const char *ANTENNA_HELP_FILE = "antenna-help.html";

void antHelpCallback(int menuBar, int menuItem, void *callbackData, int panel);
void antContentCallback(int menuBar, int menuItem, void *callbackData, int panel);
int antImageCallback(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int QuitCallback(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int AntennaLabCallback(int panel, int event, void *callbackData, int eventData1, int eventData2);
// Panel callback of the logo panel: its window's close button closes the
// About box.
int LogoCallback(int panel, int event, void *callbackData, int eventData1, int eventData2);
