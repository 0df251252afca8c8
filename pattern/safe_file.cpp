// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ErrorText(const char *what, const std::string &path, int err)
{
    return std::string(what) + " \"" + path + "\": " + std::strerror(err);
}

}  // namespace

namespace safefile {

PatternFileResult Success()
{
    PatternFileResult r;
    r.ok = true;
    return r;
}

PatternFileResult Failure(std::string sentence, std::string reason)
{
    PatternFileResult r;
    r.error = std::move(sentence);
    r.reason = std::move(reason);
    return r;
}

// "Cannot write "path": <system message>", and as the reason "cannot write:
// <system message>" ("no such file" for a missing one).
PatternFileResult SystemFailure(const char *what, const std::string &path, int err)
{
    std::string reason = err == ENOENT ? std::string("no such file") : std::string(what);
    if (err != ENOENT) {
        reason[0] = char(std::tolower((unsigned char)reason[0]));
        reason += std::string(": ") + std::strerror(err);
    }
    return Failure(ErrorText(what, path, err), reason);
}

// What a file that is not a regular file is, for messages.
const char *NotRegularText(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

}  // namespace safefile

namespace {

using safefile::Failure;
using safefile::NotRegularText;
using safefile::Success;
using safefile::SystemFailure;

bool WriteAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        ssize_t done = write(fd, p, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += done;
        n -= size_t(done);
    }
    return true;
}

// The file a save writes to: symbolic links are followed to their target,
// which need not exist yet (a save through a dangling link creates it).
bool FollowLinks(const std::string &path, std::string &target, int &err)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || size_t(n) >= link.size()) {
            err = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        link.resize(size_t(n));
        const size_t slash = target.rfind('/');
        if (link.empty() || link[0] == '/' || slash == std::string::npos)
            target = link;
        else
            target = target.substr(0, slash + 1) + link;
    }
    err = ELOOP;
    return false;
}

std::string DirectoryOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary names of a save of base: ".<start of base>~<pid>-<n>". The start
// is cut (before a whole UTF-8 character) so that the name fits the 255
// bytes of any file system whatever the length of base; the pid tells a
// temporary of a live save from one a crash left behind.
std::string TempPrefix(const std::string &base)
{
    size_t n = std::min<size_t>(base.size(), 200);
    while (n > 0 && n < base.size() && (static_cast<unsigned char>(base[n]) & 0xC0) == 0x80)
        --n;
    return "." + base.substr(0, n) + "~";
}

// Removes the temporaries of earlier saves of this file whose process is gone.
void RemoveLeftovers(int dirfd, const std::string &prefix)
{
    const int fd = dup(dirfd);
    DIR *dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return;
    }
    while (const dirent *e = readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
            continue;
        long pid = 0;
        const char *p = e->d_name + prefix.size(), *end = e->d_name + name.size();
        const auto r = std::from_chars(p, end, pid);
        if (r.ec != std::errc{} || r.ptr == end || *r.ptr != '-' || pid <= 0)
            continue;
        if (pid != getpid() && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            unlinkat(dirfd, e->d_name, 0);
    }
    closedir(dir);
}

// A file with more than one name is written in place so that every name
// keeps showing the same file. The space is reserved first, so that a full
// disk is found before a byte of the old contents changes; a write that
// fails later puts the old contents back.
PatternFileResult WriteInPlace(const std::string &path, const std::string &target,
                               std::string_view bytes)
{
    // A file larger than the process may write fails before a byte changes.
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && bytes.size() > limit.rlim_cur)
        return SystemFailure("Cannot write", path, EFBIG);
    // Read and write, so that the old contents can be put back when a write
    // fails half-way for another reason than space.
    bool readable = true;
    int fd = open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) {
        readable = false;
        fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    }
    if (fd < 0)
        return SystemFailure("Cannot write", path, errno);
    std::string old;
    struct stat st;
    if (readable && fstat(fd, &st) == 0 && st.st_size > 0) {
        old.resize(size_t(st.st_size));
        size_t got = 0;
        while (got < old.size()) {
            const ssize_t n = pread(fd, old.data() + got, old.size() - got, off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += size_t(n);
        }
        old.resize(got);
    }
    const char *failed = nullptr;
    int err = 0;
    bool touched = false;
    const int r = fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size()));
    if (r != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        failed = "Cannot write";
        err = errno;
    } else if ((touched = true, !WriteAll(fd, bytes.data(), bytes.size()))
               || ftruncate(fd, off_t(bytes.size())) != 0) {
        failed = "Cannot write";
        err = errno;
    } else if (fsync(fd) != 0) {
        failed = "Cannot flush";
        err = errno;
    }
    if (failed && touched && readable) {
        // The old bytes go back where they were: that needs no new space.
        if (lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, old.data(), old.size()))
            (void)!ftruncate(fd, off_t(old.size()));
        fsync(fd);
    }
    if (close(fd) != 0 && !failed) {
        failed = "Cannot write";
        err = errno;
    }
    if (failed)
        return SystemFailure(failed, path, err);
    return Success();
}

// Puts bytes at path so that the file is either the old one or the whole
// new one, whatever happens meanwhile. A symbolic link is kept and its
// target replaced; the new file keeps the mode and, where the saver may set
// it, the owner of the old one. The new contents go to an unnamed file in
// the target's folder (O_TMPFILE) that gets a name only just before the
// rename, so that a crash leaves nothing behind; where the file system has
// no unnamed files, a hidden temporary name is used, and temporaries whose
// process has died are removed at the next save of that file.
PatternFileResult ReplaceFile(const std::string &path, std::string_view bytes)
{
    std::string target;
    int err = 0;
    if (!FollowLinks(path, target, err))
        return SystemFailure("Cannot write", path, err);

    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return Failure("Cannot write \"" + path + "\": it is " + NotRegularText(old.st_mode)
                           + ", not a regular file.",
                       std::string("it is ") + NotRegularText(old.st_mode)
                           + ", not a regular file");
    if (exists && ((old.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0))
        return Failure("\"" + path
                           + "\" is read-only. Save under another name, or make the "
                             "file writable first.",
                       "the file is read-only");
    if (exists && old.st_nlink > 1)
        return WriteInPlace(path, target, bytes);

    const std::string dirName = DirectoryOf(target), base = BaseOf(target);
    const int dirfd = open(dirName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0)
        return SystemFailure("Cannot write", path, errno);
    const std::string prefix = TempPrefix(base);
    RemoveLeftovers(dirfd, prefix);

    std::string temp;
    bool named = false;
    int fd = openat(dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT)) {
        named = true;
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temp = prefix + std::to_string(getpid()) + "-" + std::to_string(counter++);
            fd = openat(dirfd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
    }
    if (fd < 0) {
        err = errno;
        close(dirfd);
        return SystemFailure("Cannot create a file beside", path, err);
    }

    if (exists) {
        // The owner first: a change of owner clears the set-id bits of the mode.
        if (fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)fchown(fd, (uid_t)-1, old.st_gid);
        fchmod(fd, old.st_mode & 07777);
    }

    const char *failed = nullptr;
    if (!WriteAll(fd, bytes.data(), bytes.size())) {
        failed = "Cannot write";
        err = errno;
    } else if (fsync(fd) != 0) {
        failed = "Cannot flush";
        err = errno;
    }
    if (!failed && !named) {
        // The unnamed file gets its temporary name just before the rename.
        static unsigned counter = 0;
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp = prefix + std::to_string(getpid()) + "-" + std::to_string(counter++);
            if (linkat(AT_FDCWD, self.c_str(), dirfd, temp.c_str(), AT_SYMLINK_FOLLOW) == 0
                || linkat(fd, "", dirfd, temp.c_str(), AT_EMPTY_PATH) == 0) {
                named = true;
                break;
            }
            if (errno != EEXIST)
                break;
        }
        if (!named) {
            failed = "Cannot create a file beside";
            err = errno;
        }
    }
    if (close(fd) != 0 && !failed) {
        failed = "Cannot write";
        err = errno;
    }
    if (!failed && renameat(dirfd, temp.c_str(), dirfd, base.c_str()) != 0) {
        failed = "Cannot replace";
        err = errno;
    }
    if (failed && named)
        unlinkat(dirfd, temp.c_str(), 0);
    if (!failed)
        fsync(dirfd);  // the rename itself on disk; not every file system can
    close(dirfd);
    if (failed)
        return SystemFailure(failed, path, err);
    return Success();
}

}  // namespace

PatternFileResult WriteWholeFile(const std::string &path, std::string_view bytes)
{
    return ReplaceFile(path, bytes);
}

PatternFileResult ReadWholeFile(const std::string &path, std::size_t maxBytes, std::string &bytes)
{
    bytes.clear();
    auto special = [&](mode_t mode) {
        return Failure("\"" + path + "\" is " + NotRegularText(mode)
                           + ", not a regular file; it was not read.",
                       std::string(NotRegularText(mode)) + ", not a regular file");
    };
    auto tooLarge = [&] {
        return Failure("\"" + path + "\" is too large (over " + std::to_string(maxBytes)
                           + " bytes); it was not read.",
                       "too large (over " + std::to_string(maxBytes) + " bytes)");
    };
    // Looked at before it is opened: opening a device can have effects of
    // its own, and a FIFO would wait for a writer.
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return SystemFailure("Cannot open", path, errno);
    if (!S_ISREG(st.st_mode))
        return special(st.st_mode);
    // Opened without waiting and looked at again, in case the name was
    // replaced in between.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return SystemFailure("Cannot open", path, errno);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        close(fd);
        return S_ISREG(st.st_mode) ? SystemFailure("Cannot open", path, err) : special(st.st_mode);
    }
    if (st.st_size > 0 && std::size_t(st.st_size) > maxBytes) {
        close(fd);
        return tooLarge();
    }
    bytes.resize(std::min<std::size_t>(maxBytes, std::size_t(st.st_size)) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > maxBytes)
                break;
            bytes.resize(std::min(maxBytes + 1, used * 2 + 4096));
        }
        const ssize_t n = read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            close(fd);
            bytes.clear();
            return SystemFailure("Cannot read", path, err);
        }
        if (n == 0)
            break;
        used += std::size_t(n);
    }
    close(fd);
    if (used > maxBytes) {
        bytes.clear();
        return tooLarge();
    }
    bytes.resize(used);
    PatternFileResult ok;
    ok.ok = true;
    return ok;
}
