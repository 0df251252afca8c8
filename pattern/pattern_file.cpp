// SPDX-License-Identifier: GPL-3.0-or-later
#include "pattern_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longest header line kept; the widest header the writer produces from
// finite numbers is about 660 characters.
constexpr int HEADER_MAX = 1023;
// Only the start of a level line is read, as the files have always been.
constexpr int LEVEL_LINE_MAX = 10;

// ---- Writing --------------------------------------------------------------

void AppendInt(std::string &out, int value)
{
    char buf[16];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

// "%f" without the locale: fixed point, six decimals, '.'.
void AppendReal(std::string &out, double value)
{
    char buf[400];  // a finite double needs at most 317 characters
    out.append(buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6).ptr);
}

void AppendPlane(std::string &out, std::string_view date, std::string_view time,
                 const double *levels)
{
    out += date;
    out += '\n';
    out += time;
    out += '\n';
    for (int i = 0; i < PATTERN_LEVELS; ++i) {
        AppendReal(out, levels ? levels[i] : 0.0);
        out += '\n';
    }
}

std::string ErrorText(const char *what, const std::string &path, int err)
{
    return std::string(what) + " \"" + path + "\": " + std::strerror(err);
}

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

// ---- Reading --------------------------------------------------------------

// Where the reader takes its bytes from: a file or a buffer in memory.
struct FileSource {
    std::FILE *f;
    int get() { return getc_unlocked(f); }
};

struct MemorySource {
    const char *p, *end;
    int get() { return p == end ? EOF : (unsigned char)*p++; }
};

// Reads one line up to its LF, which is not stored. Keeps at most max bytes
// (buf holds max + 1) and drops the rest; a NUL byte ends the text of the
// line. Returns false at end of file when no line was there (buf empty).
template <typename Source> bool ReadLineInto(Source &src, char *buf, size_t max)
{
    buf[0] = '\0';
    int c = src.get();
    if (c == EOF)
        return false;
    size_t n = 0;
    bool text = true;
    for (; c != EOF && c != '\n'; c = src.get()) {
        if (c == '\0')
            text = false;
        if (text && n < max)
            buf[n++] = char(c);
    }
    buf[n] = '\0';
    return true;
}

// The same over memory, a line at a time rather than a byte at a time.
bool ReadLineInto(MemorySource &src, char *buf, size_t max)
{
    buf[0] = '\0';
    if (src.p == src.end)
        return false;
    const char *nl = static_cast<const char *>(std::memchr(src.p, '\n', size_t(src.end - src.p)));
    const char *stop = nl ? nl : src.end;
    size_t n = std::min(size_t(stop - src.p), max);
    if (const void *nul = std::memchr(src.p, '\0', n))
        n = size_t(static_cast<const char *>(nul) - src.p);
    std::memcpy(buf, src.p, n);
    buf[n] = '\0';
    src.p = nl ? nl + 1 : src.end;
    return true;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

const char *SkipSpace(const char *p, const char *end)
{
    while (p != end && IsSpace(*p))
        ++p;
    return p;
}

// The number at the start of [p, end) after white space; p moves past it,
// and what follows is the caller's to judge. A leading '+' is allowed;
// infinities, NaN and out-of-range values count as no number.
template <typename T> bool ScanNumber(const char *&p, const char *end, T &out)
{
    const char *q = SkipSpace(p, end);
    if (q != end && *q == '+' && q + 1 != end && q[1] != '-')
        ++q;
    T value{};
    std::from_chars_result r;
    if constexpr (std::is_floating_point_v<T>)
        r = std::from_chars(q, end, value, std::chars_format::general);
    else
        r = std::from_chars(q, end, value, 10);
    if (r.ec != std::errc{})
        return false;
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(value))
            return false;
    p = r.ptr;
    out = value;
    return true;
}

// A short line as it may be shown in a sentence: control bytes and bytes
// outside ASCII become '?'.
std::string Printable(const char *text)
{
    std::string out;
    for (const char *c = text; *c; ++c)
        out += (unsigned char)*c < 0x20 || (unsigned char)*c >= 0x7F ? '?' : *c;
    return out;
}

// A header field: a number that white space or the end of the line follows.
template <typename T> bool ScanField(const char *&p, const char *end, T &out)
{
    T value{};
    const char *q = p;
    if (!ScanNumber(q, end, value) || (q != end && !IsSpace(*q)))
        return false;
    p = q;
    out = value;
    return true;
}

// The reader proper, over any source. It stops at the first line that
// shows the bytes are not a pattern file and says which line that is;
// everything read up to there stays in rec, the rest stays empty or 0.
template <typename Source>
PatternFileResult ParsePattern(Source &src, const std::string &name, PatternRecord &rec, int &desNO)
{
    long long lineNo = 0;
    auto next = [&](char *buf, size_t max) {
        if (!ReadLineInto(src, buf, max))
            return false;
        ++lineNo;
        return true;
    };
    auto refuse = [&](const std::string &why) {
        return Failure("\"" + name + "\" is not a pattern file: " + why,
                       "not a pattern file: " + why);
    };

    // Header: type, E and H attenuation, description line count.
    char header[HEADER_MAX + 1];
    if (!next(header, HEADER_MAX))
        return refuse("the file is empty.");
    const char *p = header, *end = header + std::strlen(header);
    int lines = -1;
    if (!ScanField(p, end, rec.Antype) || !ScanField(p, end, rec.Eattn)
        || !ScanField(p, end, rec.Hattn) || !ScanField(p, end, lines) || lines < 0)
        return refuse("line 1 does not start with the four numbers of a pattern header "
                      "(antenna type, E and H attenuation, number of description lines).");

    const long long total = PATTERN_FIXED_LINES + (long long)lines;
    auto shortFile = [&] {
        return refuse("it ends after line " + std::to_string(lineNo) + ", but its header promises "
                      + std::to_string(total) + " lines.");
    };

    // The viewer shows the first 20 characters of the person line; the
    // whole line (within its limit) is kept so that a save gives it back.
    if (!next(rec.personLine, PATTERN_PERSON_LINE_MAX))
        return shortFile();
    std::memcpy(rec.person, rec.personLine,
                std::min(std::strlen(rec.personLine), size_t(PATTERN_PERSON_MAX)));

    // All n lines are consumed so that the planes are read from their own
    // lines; only what fits in the description is kept, each kept line (cut
    // if need be) followed by LF, and desNO counts those.
    char line[PATTERN_DESCRIPT_MAX + 1];
    size_t used = 0;
    for (int i = 0; i < lines; ++i) {
        if (!next(line, PATTERN_DESCRIPT_MAX))
            return shortFile();
        if (used == PATTERN_DESCRIPT_MAX)
            continue;
        size_t len = std::min(std::strlen(line), PATTERN_DESCRIPT_MAX - used - 1);
        std::memcpy(rec.descript + used, line, len);
        used += len;
        rec.descript[used++] = '\n';
        ++desNO;
    }

    int clamped = 0;
    struct Plane {
        char *date, *time;
        double *levels;
        const char *label;
    } planes[] = {{rec.Edate, rec.Etime, rec.e_data, "E"}, {rec.Hdate, rec.Htime, rec.h_data, "H"}};
    for (const Plane &pl : planes) {
        if (!next(pl.date, PATTERN_DATE_MAX) || !next(pl.time, PATTERN_TIME_MAX))
            return shortFile();
        // Only the first characters of a level line count, as the files
        // have always been read; a level beyond the limit is taken as the
        // limit.
        char level[LEVEL_LINE_MAX + 1];
        for (int i = 0; i < PATTERN_LEVELS; ++i) {
            if (!next(level, LEVEL_LINE_MAX))
                return shortFile();
            const char *q = level, *levelEnd = level + std::strlen(level);
            double v = 0.0;
            // The sentence is made only for a line that is refused.
            auto where = [&] {
                return "line " + std::to_string(lineNo) + " should hold the " + pl.label
                       + "-plane level at " + std::to_string(i) + " degrees, but ";
            };
            if (!ScanNumber(q, levelEnd, v))
                return refuse(where() + "it does not start with a number.");
            // Only blanks (and the CR of a CR LF file) may follow the number
            // within the kept characters: a time line read as a level, or a
            // level in exponent form cut before its exponent, is not a level.
            if (SkipSpace(q, levelEnd) != levelEnd)
                return refuse(where() + "\"" + Printable(level) + "\" is not a number.");
            pl.levels[i] = std::clamp(v, -PATTERN_LEVEL_LIMIT, PATTERN_LEVEL_LIMIT);
            clamped += pl.levels[i] != v;
        }
    }
    PatternFileResult done;
    done.ok = true;
    done.clampedLevels = clamped;
    return done;
}

}  // namespace

std::string KestoTextBlock(std::string_view person, std::string_view descript)
{
    std::string text(person);
    text += descript;
    text += '\n';
    return text;
}

std::string ViewerTextBlock(std::string_view person, std::string_view descript)
{
    std::string text(person);
    text += '\n';
    text += descript;
    return text;
}

std::string FormatPatternFile(const PatternFileData &data)
{
    std::string out;
    out.reserve(data.text.size() + 2 * PATTERN_LEVELS * 12 + 64);
    AppendInt(out, data.Antype);
    out += ' ';
    AppendReal(out, data.Eattn);
    out += ' ';
    AppendReal(out, data.Hattn);
    out += ' ';
    AppendInt(out, data.lines);
    out += '\n';
    out += data.text;
    AppendPlane(out, data.Edate, data.Etime, data.e_data);
    AppendPlane(out, data.Hdate, data.Htime, data.h_data);
    return out;
}

PatternFileResult WritePatternFile(const std::string &path, const PatternFileData &data)
{
    return ReplaceFile(path, FormatPatternFile(data));
}

PatternFileResult WriteWholeFile(const std::string &path, std::string_view bytes)
{
    return ReplaceFile(path, bytes);
}

PatternFileResult ReadPatternBytes(std::string_view bytes, const std::string &name,
                                   PatternRecord &rec, int &desNO, int &EMAX, int &HMAX)
{
    rec = PatternRecord{};
    desNO = 0;
    MemorySource src{bytes.data(), bytes.data() + bytes.size()};
    const PatternFileResult result = ParsePattern(src, name, rec, desNO);
    EMAX = PeakIndex(rec.e_data);
    HMAX = PeakIndex(rec.h_data);
    return result;
}

namespace {

PatternFileResult ReadRegularFile(const std::string &path, PatternRecord &rec, int &desNO)
{
    // Opened without waiting, so that a FIFO without a writer cannot hang
    // the caller; only a regular file is read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return SystemFailure("Cannot open", path, errno);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const int err = errno;
        close(fd);
        return SystemFailure("Cannot open", path, err);
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return Failure("\"" + path + "\" is " + NotRegularText(st.st_mode)
                           + ", not a pattern file; it was not opened.",
                       std::string(NotRegularText(st.st_mode)) + ", not a regular file");
    }
    std::FILE *f = fdopen(fd, "rb");
    if (!f) {
        const int err = errno;
        close(fd);
        return SystemFailure("Cannot open", path, err);
    }
    FileSource src{f};
    errno = 0;
    PatternFileResult result = ParsePattern(src, path, rec, desNO);
    if (std::ferror(f))
        result = SystemFailure("Cannot read", path, errno ? errno : EIO);
    std::fclose(f);
    return result;
}

}  // namespace

PatternFileResult ReadPatternFile(const std::string &path, PatternRecord &rec, int &desNO,
                                  int &EMAX, int &HMAX)
{
    rec = PatternRecord{};
    desNO = 0;
    const PatternFileResult result = ReadRegularFile(path, rec, desNO);
    EMAX = PeakIndex(rec.e_data);
    HMAX = PeakIndex(rec.h_data);
    return result;
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
