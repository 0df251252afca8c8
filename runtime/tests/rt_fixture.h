// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests that drive panels.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "scratch.h"
#include "testing.h"

namespace rt::test {

// Titles and texts of the pop-ups shown so far, one "title|text" a line.
inline std::string PopupLog()
{
    std::string s;
    for (const auto &p : Popups())
        s += p.kind + ":" + p.title + "|" + p.text + "\n";
    return s;
}

// The scratch folder of this test process (removed when it ends).
inline std::filesystem::path ScratchDir()
{
    return testsupport::ProcessScratchDir();
}

using testsupport::LongPath;

}  // namespace rt::test
