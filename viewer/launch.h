// Starting the measurement program from the viewer, guarded by the hand-off
// marker so that only one runs at a time.
#pragma once

#include <string>
#include <vector>

// The measurement program's file name on this system.
constexpr const char *KESTO_PROGRAM = "Kesto";

enum class KestoLaunch {
    Started, // marker made, program started
    Blocked, // a marker was there (or could not be made): nothing done
    Missing, // marker made, but no program found: nothing started
    Failed,  // marker made, the program would not start
};

// Makes the marker in markerDir (empty: the current directory) and starts the
// first executable KESTO_PROGRAM found in searchDirs.
KestoLaunch LaunchKesto(const std::string &markerDir, const std::vector<std::string> &searchDirs);

// The folder of the running program.
std::string ProgramDir();

void antKestoCallback(int menuBar, int menuItem, void *callbackData, int panel);
