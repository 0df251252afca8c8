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

}  // namespace rt::test
