// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests that drive panels.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

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

// A scratch folder of this test process: made by mkdtemp under $TMPDIR (or
// /tmp) on first use and removed with everything in it when the process
// ends (a forked child leaves it alone).
inline std::filesystem::path ScratchDir()
{
    struct Folder {
        std::filesystem::path path;
        pid_t owner = getpid();
        Folder()
        {
            const char *tmp = std::getenv("TMPDIR");
            std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/veloran-test-XXXXXX";
            if (mkdtemp(templ.data()))
                path = templ;
        }
        ~Folder()
        {
            std::error_code ec;
            if (getpid() == owner && !path.empty())
                std::filesystem::remove_all(path, ec);
        }
    };
    static Folder folder;
    if (folder.path.empty())
        ADD_FAILURE() << "cannot make a scratch folder";
    return folder.path;
}

// A path of exactly `length` bytes under `base` that ends in "/" + leaf:
// nested folders of short names (each well under the system's name limit),
// made on the way, so that only the whole path is long.
inline std::string LongPath(const std::filesystem::path &base, std::size_t length,
                            const std::string &leaf)
{
    std::string dir = base.string();
    const std::size_t tail = leaf.size() + 1;
    if (dir.size() + tail + 2 > length) {
        ADD_FAILURE() << "the base folder leaves no room for " << length << " bytes";
        return {};
    }
    // Each step adds "/" and a name of up to 100 bytes; the last one takes
    // what is left, at least one byte.
    while (dir.size() + tail < length) {
        std::size_t room = length - tail - dir.size() - 1;
        std::size_t n = room > 100 ? 100 : room;
        if (room > 100 && room - n < 2)  // keep a name for the last step
            n = room - 2;
        dir += "/" + std::string(n, 'd');
    }
    std::filesystem::create_directories(dir);
    return dir + "/" + leaf;
}

}  // namespace rt::test
