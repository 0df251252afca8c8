// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch files for the pattern tests and the suites that share them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "files.h"
#include "scratch.h"

using testsupport::GetFile;
using testsupport::PutFile;
using testsupport::SmallDisk;

// A fresh empty folder per call, removed when the process ends.
inline std::string ScratchDir()
{
    return testsupport::NewScratchDir("pattern");
}
