// Scratch files for the pattern tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

// Scratch directories of this test process, under $TMPDIR (or /tmp), made
// by mkdtemp and removed when the process ends (not by forked children).
struct ScratchDirs {
    pid_t owner = getpid();
    std::vector<std::string> dirs;
    ~ScratchDirs()
    {
        if (getpid() != owner)
            return;
        std::error_code ec;
        for (const auto &d : dirs) {
            // Read-only files and folders left by a test must go too.
            std::filesystem::permissions(d, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
            std::filesystem::remove_all(d, ec);
        }
    }
};

// A fresh empty directory per call.
inline std::string ScratchDir()
{
    static ScratchDirs all;
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/pattern-XXXXXX";
    char *made = mkdtemp(templ.data());
    EXPECT_NE(made, nullptr);
    all.dirs.push_back(templ);
    return templ;
}

inline void PutFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string GetFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
