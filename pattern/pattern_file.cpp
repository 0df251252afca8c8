#include "pattern_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include <fcntl.h>
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

// Flushes the directory entry of a rename; not every file system can.
void SyncDirectoryOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Puts bytes at path through a temporary file in the same directory: the
// rename is the only step that touches the old file, and it is atomic.
PatternFileResult ReplaceFile(const std::string &path, std::string_view bytes)
{
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return {false, ErrorText("Cannot create a file beside", path, errno)};

    struct stat old;
    if (stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        fchmod(fd, old.st_mode & 07777);  // keep the permissions of the file replaced

    const char *failed = nullptr;
    int err = 0;
    if (!WriteAll(fd, bytes.data(), bytes.size())) {
        failed = "Cannot write";
        err = errno;
    } else if (fsync(fd) != 0) {
        failed = "Cannot flush";
        err = errno;
    }
    if (close(fd) != 0 && !failed) {
        failed = "Cannot write";
        err = errno;
    }
    if (!failed && rename(temp.c_str(), path.c_str()) != 0) {
        failed = "Cannot replace";
        err = errno;
    }
    if (failed) {
        unlink(temp.c_str());
        return {false, ErrorText(failed, path, err)};
    }
    SyncDirectoryOf(path);
    return {true, {}};
}

// ---- Reading --------------------------------------------------------------

// Reads one line up to its LF, which is not stored. Keeps at most max bytes
// (buf holds max + 1) and drops the rest; a NUL byte ends the text of the
// line. Returns false at end of file when no line was there (buf empty).
bool ReadLineInto(std::FILE *f, char *buf, size_t max)
{
    buf[0] = '\0';
    int c = std::getc(f);
    if (c == EOF)
        return false;
    size_t n = 0;
    bool text = true;
    for (; c != EOF && c != '\n'; c = std::getc(f)) {
        if (c == '\0')
            text = false;
        if (text && n < max)
            buf[n++] = char(c);
    }
    buf[n] = '\0';
    return true;
}

const char *SkipSpace(const char *p, const char *end)
{
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\v' || *p == '\f'))
        ++p;
    return p;
}

// The number at the start of [p, end) after white space, as a lenient scan
// takes it: "-12.5abc" gives -12.5. A leading '+' is allowed; infinities,
// NaN and out-of-range values count as no number. On success p moves past it.
template <typename T>
bool ScanNumber(const char *&p, const char *end, T &out)
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

void ReadPlane(std::FILE *f, char *date, char *time, double *levels)
{
    ReadLineInto(f, date, PATTERN_DATE_MAX);
    ReadLineInto(f, time, PATTERN_TIME_MAX);
    char line[LEVEL_LINE_MAX + 1];
    for (int i = 0; i < PATTERN_LEVELS; ++i) {
        ReadLineInto(f, line, LEVEL_LINE_MAX);
        const char *p = line;
        levels[i] = 0.0;
        ScanNumber(p, line + std::strlen(line), levels[i]);
    }
}

} // namespace

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

PatternFileResult ReadPatternFile(const std::string &path, PatternRecord &rec, int &desNO,
                                  int &EMAX, int &HMAX)
{
    rec = PatternRecord{};
    desNO = 0;
    PatternFileResult result{true, {}};
    errno = 0;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        result = {false, ErrorText("Cannot open", path, errno)};
    } else {
        // Header: the numbers in order; the first that is missing or does
        // not parse, and all after it, stay 0.
        char header[HEADER_MAX + 1];
        ReadLineInto(f, header, HEADER_MAX);
        const char *p = header, *end = header + std::strlen(header);
        int lines = 0;
        if (ScanNumber(p, end, rec.Antype) && ScanNumber(p, end, rec.Eattn) &&
            ScanNumber(p, end, rec.Hattn))
            ScanNumber(p, end, lines);

        ReadLineInto(f, rec.person, PATTERN_PERSON_MAX);

        // All n lines are consumed so that the planes are read from their
        // own lines; only what fits in the description is kept, each kept
        // line (cut if need be) followed by LF, and desNO counts those.
        char line[PATTERN_DESCRIPT_MAX + 1];
        size_t used = 0;
        for (int i = 0; i < lines && ReadLineInto(f, line, PATTERN_DESCRIPT_MAX); ++i) {
            if (used == PATTERN_DESCRIPT_MAX)
                continue;
            size_t len = std::min(std::strlen(line), PATTERN_DESCRIPT_MAX - used - 1);
            std::memcpy(rec.descript + used, line, len);
            used += len;
            rec.descript[used++] = '\n';
            ++desNO;
        }

        ReadPlane(f, rec.Edate, rec.Etime, rec.e_data);
        ReadPlane(f, rec.Hdate, rec.Htime, rec.h_data);
        if (std::ferror(f))
            result = {false, ErrorText("Cannot read", path, errno ? errno : EIO)};
        std::fclose(f);
    }
    EMAX = PeakIndex(rec.e_data);
    HMAX = PeakIndex(rec.h_data);
    return result;
}
