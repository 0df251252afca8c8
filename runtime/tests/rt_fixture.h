// Helpers for tests that drive panels.
#pragma once

#include <gtest/gtest.h>

#include <string>

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

} // namespace rt::test
