// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a session and what a program keeps for its user between runs.
#pragma once

#include <string>

// Calls `handler` with the signal's number from the event loop when the
// desktop ends the program with SIGTERM or SIGHUP (a user logging out, a
// shutdown); the program then ends as that signal ends it. The signal itself
// only writes one byte to a pipe: the handler runs as ordinary code, between
// two events. Call once the run-time is initialised.
void OnEndSignal(void (*handler)(int signal));

// The path of a file named `name` that the program keeps for its user between
// runs, in the user's data folder for the program (made when missing). Empty
// when there is no such folder: then `error`, when given, says why the
// folder could not be made, or stays empty when none is wanted (in test mode
// the folder is the one of the settings file that the test named, and there
// is none without one).
std::string UserDataFile(const char *name, std::string *error = nullptr);
