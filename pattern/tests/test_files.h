// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch files for the pattern tests.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/mount.h>
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

// A file system of 64 KiB mounted for one test, to fill up; only root can
// mount it, so ok() is false (and the test should skip) otherwise or when
// the mount fails. Unmounted and removed at the end.
class SmallDisk {
public:
    SmallDisk()
    {
        if (geteuid() != 0)
            return;
        const char *tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/smalldisk-XXXXXX";
        if (!mkdtemp(templ.data()))
            return;
        if (mount("tmpfs", templ.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
            rmdir(templ.c_str());
            return;
        }
        dir = templ;
    }
    ~SmallDisk()
    {
        if (dir.empty())
            return;
        umount2(dir.c_str(), MNT_DETACH);
        rmdir(dir.c_str());
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool ok() const { return !dir.empty(); }
    std::string path(const std::string &name) const { return dir + "/" + name; }
    // Writes a filler file until not one byte more fits.
    void Fill() const
    {
        std::FILE *f = std::fopen((dir + "/filler").c_str(), "wb");
        if (!f)
            return;
        std::setvbuf(f, nullptr, _IONBF, 0);
        static const char block[4096] = {};
        while (std::fwrite(block, 1, sizeof block, f) == sizeof block) {
        }
        while (std::fwrite(block, 1, 1, f) == 1) {
        }
        std::fclose(f);
    }

private:
    std::string dir;
};
