// SPDX-License-Identifier: GPL-3.0-or-later
// The atn file's layout: the bytes a save writes and the reader of them.
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

using safefile::Failure;
using safefile::NotRegularText;
using safefile::SystemFailure;

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

PatternFileData PatternFileDataOf(const PatternRecord &r, int lines, std::string &text)
{
    text = ViewerTextBlock(PersonLineOf(r), r.descript);
    PatternFileData d;
    d.Antype = r.Antype;
    d.Eattn = r.Eattn;
    d.Hattn = r.Hattn;
    d.lines = lines;
    d.text = text;
    d.Edate = r.Edate;
    d.Etime = r.Etime;
    d.Hdate = r.Hdate;
    d.Htime = r.Htime;
    d.e_data = r.e_data;
    d.h_data = r.h_data;
    return d;
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
    return WriteWholeFile(path, FormatPatternFile(data));
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
