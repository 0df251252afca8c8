// SPDX-License-Identifier: GPL-3.0-or-later
// The rigsim program's command line: its options, their help text, and the
// rig and program settings they give.
#pragma once

#include <string>

#include "rig_model.h"

struct Settings {
    std::string link;
    bool verbose = false;
};

// Reads the command line into `rig` and `settings`. Returns -1 to go on, or
// the exit status: 0 after --help or --version, 2 for a refused command line.
int ParseOptions(int argc, char **argv, rigsim::RigModel &rig, Settings *settings);
