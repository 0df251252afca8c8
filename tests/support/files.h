// SPDX-License-Identifier: GPL-3.0-or-later
// Files as tests write and read them, the sample patterns beside the
// programs, and a file size limit that makes writes fail as on a full disk.
#pragma once

#include <csignal>
#include <string>
#include <string_view>

#include <sys/resource.h>

namespace testsupport {

// Writes bytes to path as they are, replacing what was there.
void PutFile(const std::string &path, std::string_view bytes);
// The bytes of a file; empty when it cannot be read.
std::string GetFile(const std::string &path);

// The path of one of the sample patterns the viewer ships ("horn.atn"), in
// the folder beside the programs; the same pointer for the same name, kept
// for the whole run.
const char *SampleFile(std::string_view name);

// While it lives, writes fail once a file would grow past limit bytes, as
// on a full disk (a file size limit binds root too); SIGXFSZ is ignored
// meanwhile, so that the write fails instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

// A file system of 64 KiB mounted for one test, to fill up; only root can
// mount it, so ok() is false (and the test should skip) otherwise or when
// the mount fails. Unmounted and removed at the end.
class SmallDisk {
public:
    SmallDisk();
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool ok() const { return !dir.empty(); }
    std::string path(const std::string &name) const { return dir + "/" + name; }
    // Writes a filler file until not one byte more fits.
    void Fill() const;

private:
    std::string dir;
};

}  // namespace testsupport
