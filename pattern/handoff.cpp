// SPDX-License-Identifier: GPL-3.0-or-later
#include "handoff.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string MarkerPath(const std::string &dir)
{
    if (dir.empty())
        return HANDOFF_MARKER_NAME;
    return dir.back() == '/' ? dir + HANDOFF_MARKER_NAME : dir + "/" + HANDOFF_MARKER_NAME;
}

}  // namespace

HandoffCreate CreateHandoffMarker(const std::string &dir, int *error)
{
    std::string path = MarkerPath(dir);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return HandoffCreate::Exists;
        if (error)
            *error = errno;
        return HandoffCreate::Error;
    }
    static const char content[] = "kesto";  // written with its zero byte
    const ssize_t n = write(fd, content, sizeof content);
    int err = n < 0 ? errno : ENOSPC;  // a short write: the disk is full
    bool ok = n == ssize_t(sizeof content);
    if (close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(path.c_str());
        if (error)
            *error = err;
        return HandoffCreate::Error;
    }
    return HandoffCreate::Created;
}

int HandoffMarkerExists(const std::string &dir)
{
    struct stat st;
    if (lstat(MarkerPath(dir).c_str(), &st) == 0)
        return 1;
    return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
}

bool DeleteHandoffMarker(const std::string &dir)
{
    return unlink(MarkerPath(dir).c_str()) == 0 || errno == ENOENT;
}
