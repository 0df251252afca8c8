// SPDX-License-Identifier: GPL-3.0-or-later
// Scratch folders for tests, under $TMPDIR (or /tmp), made by mkdtemp and
// removed with everything in them, read-only parts included. Only the
// process that made a folder removes it: a forked child leaves it alone.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace testsupport {

// A new empty folder <prefix>-XXXXXX, removed when the object goes. path is
// empty (and the test has failed) when it could not be made.
struct ScratchFolder {
    explicit ScratchFolder(std::string_view prefix = "veloran-test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // A name inside the folder.
    std::string at(std::string_view name) const;

    std::string path;

private:
    pid_t owner_;
};

// The scratch folder of this test process: made on first use, removed when
// the process ends.
const std::filesystem::path &ProcessScratchDir();

// A further new folder for each call, removed when the process ends.
std::string NewScratchDir(std::string_view prefix = "veloran-test");

// A path of exactly `length` bytes under `base` that ends in "/" + leaf:
// nested folders of short names (each well under the system's name limit),
// made on the way, so that only the whole path is long.
std::string LongPath(const std::filesystem::path &base, std::size_t length,
                     const std::string &leaf);

// Removes a folder and everything in it, read-only folders included;
// nothing is said when it is not there.
void RemoveTree(const std::filesystem::path &dir);

}  // namespace testsupport
