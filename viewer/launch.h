// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the measurement program from the viewer, guarded by the hand-off
// marker so that only one runs at a time.
#pragma once

#include <string>

// The measurement program's file name on this system.
constexpr const char *KESTO_PROGRAM = "Kesto";

enum class KestoLaunch {
    Started,   // marker made, program started
    Blocked,   // a marker was there: nothing done
    NoMarker,  // the marker could not be made: nothing started
    Missing,   // no program found: nothing started, the marker removed again
    Failed,    // the program would not start: the marker removed again
};

// Makes the marker in markerDir (empty: the current directory) and starts
// KESTO_PROGRAM where FindRunTimeFile finds it, if it is executable there.
// On NoMarker the system's error number goes to *error when given.
KestoLaunch LaunchKesto(const std::string &markerDir, int *error = nullptr);

void antKestoCallback(int menuBar, int menuItem, void *callbackData, int panel);
