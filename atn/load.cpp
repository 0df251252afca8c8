// SPDX-License-Identifier: GPL-3.0-or-later
// Reading pattern files for the tool: atn files checked before the viewer's
// reader sees them, MSI files through the MSI reader, and atomic writes.
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "atn.h"
#include "msi.h"
#include "pattern_file.h"
#include "rt.h"

namespace {

constexpr int MAX_DESCRIPTION_LINES = 100000;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

template <typename T> bool Whole(std::string_view s, T &v)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::string Quote(std::string_view s)
{
    std::string q;
    for (char c : s.substr(0, 24))
        q += (unsigned char)c < 0x20 || (unsigned char)c >= 0x7F ? '?' : c;
    return "\"" + q + (s.size() > 24 ? "...\"" : "\"");
}

std::string Lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

bool FromMsi(const std::string &text, AtnPattern &out, std::string &error)
{
    MsiPattern m;
    const MsiReadResult r = ReadMsiText(text, m);
    if (!r.ok) {
        error = "not an MSI antenna file: " + r.error;
        return false;
    }
    PatternRecord &rec = out.rec;
    rec = PatternRecord{};
    rec.Antype = -1;
    std::snprintf(rec.person, sizeof rec.person, "%s", "It is not specified.");
    // The MSI header becomes the description, one key a line, as much as fits.
    std::string d;
    out.desNO = 0;
    auto add = [&](const std::string &line) {
        if (line.empty() || d.size() + line.size() + 1 > size_t(PATTERN_DESCRIPT_MAX))
            return;
        d += line + "\n";
        ++out.desNO;
    };
    add(m.name.empty() ? std::string() : "MSI NAME " + m.name);
    add(m.make.empty() ? std::string() : "MAKE " + m.make);
    if (m.frequencyMHz) {
        char f[64];
        std::snprintf(f, sizeof f, "FREQUENCY %.3f MHz", *m.frequencyMHz);
        add(f);
    }
    add(m.comment.empty() ? std::string() : "COMMENT " + m.comment.substr(0, 150));
    std::memcpy(rec.descript, d.data(), d.size());
    std::snprintf(rec.Edate, sizeof rec.Edate, "%s", DateStr());
    std::snprintf(rec.Etime, sizeof rec.Etime, "%s", TimeStr());
    std::memcpy(rec.Hdate, rec.Edate, sizeof rec.Hdate);
    std::memcpy(rec.Htime, rec.Etime, sizeof rec.Htime);
    std::memcpy(rec.e_data, m.vertical, sizeof rec.e_data);
    std::memcpy(rec.h_data, m.horizontal, sizeof rec.h_data);
    out.format = "msi";
    return true;
}

}  // namespace

std::string CheckAtnText(const std::string &text)
{
    if (text.empty())
        return "the file is empty";
    if (std::memchr(text.data(), '\0', text.size()))
        return "not a text file";
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
    }
    // Header: type, E attenuation, H attenuation, description lines.
    std::string_view h = Trim(lines[0]);
    std::string_view tok[5];
    int count = 0;
    while (!h.empty() && count < 5) {
        size_t n = 0;
        while (n < h.size() && !IsSpace(h[n]))
            ++n;
        tok[count++] = h.substr(0, n);
        h = Trim(h.substr(n));
    }
    int type = 0, n = 0;
    double ea = 0, ha = 0;
    if (count != 4 || !Whole(tok[0], type) || !Whole(tok[1], ea) || !Whole(tok[2], ha)
        || !Whole(tok[3], n) || !std::isfinite(ea) || !std::isfinite(ha))
        return "line 1: " + Quote(lines[0])
               + " is not a pattern file header (type, two attenuations, line count)";
    if (n < 0 || n > MAX_DESCRIPTION_LINES)
        return "line 1: a description of " + std::to_string(n) + " lines";
    const size_t need = 726 + size_t(n);
    for (size_t first : {size_t(4 + n), size_t(366 + n)})
        for (size_t i = first; i < first + 360 && i < lines.size(); ++i) {
            // The reader keeps the first 10 characters of a level line.
            std::string_view v = Trim(lines[i].substr(0, 10));
            double level = 0;
            if (!Whole(v, level) || !std::isfinite(level))
                return "line " + std::to_string(i + 1) + ": " + Quote(lines[i]) + " is not a level";
        }
    if (lines.size() < need)
        return "the file ends at line " + std::to_string(lines.size()) + "; a pattern file with "
               + std::to_string(n) + " description lines has " + std::to_string(need);
    return {};
}

namespace {

bool stdinTaken = false;

// Standard input, read whole up to the size limit; it may be a pipe or a
// terminal on purpose, so waiting for it is right.
bool ReadStandardInput(std::string &text, std::string &error)
{
    if (stdinTaken) {
        error = "standard input was given twice; it can be read only once";
        return false;
    }
    stdinTaken = true;
    text.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::string("cannot read: ") + std::strerror(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (text.size() + size_t(n) > PATTERN_FILE_LIMIT) {
            error = "too large for a pattern file";
            return false;
        }
        text.append(buf, size_t(n));
    }
}

bool ReadAll(const std::string &path, std::string &text, std::string &error)
{
    if (path == "-")
        return ReadStandardInput(text, error);
    // Only a regular file is read: a FIFO or a device is refused at once
    // rather than waited on.
    const PatternFileResult r = ReadWholeFile(path, PATTERN_FILE_LIMIT, text);
    if (!r.ok) {
        error = r.reason.rfind("too large", 0) == 0 ? std::string("too large for a pattern file")
                                                    : r.reason;
        return false;
    }
    return true;
}

}  // namespace

std::string ShownName(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

bool LoadMsiFile(const std::string &path, AtnPattern &out, std::string &error)
{
    out = AtnPattern{};
    out.path = path;
    std::string text;
    return ReadAll(path, text, error) && FromMsi(text, out, error);
}

bool LoadPatternFile(const std::string &path, AtnPattern &out, std::string &error)
{
    out = AtnPattern{};
    out.path = path;
    std::string text;
    if (!ReadAll(path, text, error))
        return false;
    const std::string ext =
        path == "-" ? std::string()
                    : Lower(QFileInfo(QString::fromLocal8Bit(path.c_str())).suffix().toStdString());
    if (ext == "msi" || ext == "pln" || ext == "ant")
        return FromMsi(text, out, error);
    const std::string problem = CheckAtnText(text);
    if (!problem.empty()) {
        // A file that is plainly not an atn file may still be an MSI file.
        std::string msiError;
        if (ext != "atn" && problem.rfind("line 1:", 0) == 0 && FromMsi(text, out, msiError))
            return true;
        error = problem;
        return false;
    }
    // The bytes already read, through the viewer's own reader.
    int emax = -1, hmax = -1;
    const PatternFileResult r =
        ReadPatternBytes(text, ShownName(path), out.rec, out.desNO, emax, hmax);
    if (!r.ok) {
        error = r.error;
        return false;
    }
    out.clampedLevels = r.clampedLevels;
    out.format = "atn";
    return true;
}

namespace {
bool stdoutReported = false;  // a failed write to standard output has had its message
}

bool SaveBytes(const QString &path, const QByteArray &bytes, std::string &error)
{
    if (path == QLatin1String("-")) {
        // Standard output: written and flushed here, so that a failure is
        // this output's failure; what is left is checked again at exit.
        errno = 0;
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
            || std::fflush(stdout) != 0) {
            error = std::string("cannot write: ") + std::strerror(errno ? errno : EIO);
            return false;
        }
        return true;
    }
    const PatternFileResult r =
        WriteWholeFile(path.toLocal8Bit().toStdString(),
                       std::string_view(bytes.constData(), size_t(bytes.size())));
    if (!r.ok)
        error = r.reason;
    return r.ok;
}

PlaneFigures FiguresOf(const double levels[PATTERN_LEVELS])
{
    return {PlaneReadouts(levels), PlaneLobeMetrics(levels)};
}

void Complain(const std::string &text)
{
    std::fprintf(stderr, "atn: %s\n", Printable(text).c_str());
}

std::string NotWritten(const QString &out, const std::string &reason)
{
    if (out == QLatin1String("-")) {
        stdoutReported = true;
        return "standard output: " + reason;
    }
    return out.toLocal8Bit().toStdString() + ": not written: " + reason;
}

bool CloseStandardOutput()
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    int err = errno;
    bool closed = std::fclose(stdout) == 0;
    if (!closed && flushed && errno == EBADF)
        closed = true;  // standard output was closed and nothing was written to it
    else if (!closed && flushed)
        err = errno;
    if (flushed && closed)
        return true;
    if (!stdoutReported)
        Complain(std::string("standard output: cannot write: ") + std::strerror(err ? err : EIO));
    return false;
}
