// SPDX-License-Identifier: GPL-3.0-or-later
// Loading pattern files: atn text checked before the reader sees it, MSI
// files through the MSI reader.
#include "pattern_load.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "msi.h"
#include "pattern_file.h"

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

bool FromMsi(const std::string &text, LoadedPattern &out, std::string &error,
             PatternStampSource stamp)
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
    const PatternStamp now = stamp ? stamp() : LocalPatternStamp();
    std::snprintf(rec.Edate, sizeof rec.Edate, "%s", now.date.c_str());
    std::snprintf(rec.Etime, sizeof rec.Etime, "%s", now.time.c_str());
    std::memcpy(rec.Hdate, rec.Edate, sizeof rec.Hdate);
    std::memcpy(rec.Htime, rec.Etime, sizeof rec.Htime);
    std::memcpy(rec.e_data, m.vertical, sizeof rec.e_data);
    std::memcpy(rec.h_data, m.horizontal, sizeof rec.h_data);
    out.format = "msi";
    return true;
}

}  // namespace

PatternStamp LocalPatternStamp()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char date[48], time[48];
    std::snprintf(date, sizeof date, "%02d-%02d-%04d", tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_year + 1900);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return {date, time};
}

std::string CheckAtnText(std::string_view text)
{
    if (text.empty())
        return "the file is empty";
    if (std::memchr(text.data(), '\0', text.size()))
        return "not a text file";
    std::vector<std::string_view> lines;
    lines.reserve(PATTERN_FIXED_LINES + 16);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(pos, end - pos));
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

std::string PatternFileExtension(const std::string &path)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = name.substr(dot + 1);
    for (char &c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext;
}

bool LoadMsiText(const std::string &text, LoadedPattern &out, std::string &error,
                 PatternStampSource stamp)
{
    return FromMsi(text, out, error, stamp);
}

bool LoadPatternText(const std::string &text, const std::string &ext, const std::string &shownName,
                     LoadedPattern &out, std::string &error, PatternStampSource stamp)
{
    if (ext == "msi" || ext == "pln" || ext == "ant")
        return FromMsi(text, out, error, stamp);
    const std::string problem = CheckAtnText(text);
    if (!problem.empty()) {
        // A file that is plainly not an atn file may still be an MSI file.
        std::string msiError;
        if (ext != "atn" && problem.rfind("line 1:", 0) == 0 && FromMsi(text, out, msiError, stamp))
            return true;
        error = problem;
        return false;
    }
    // The bytes already read, through the viewer's own reader.
    int emax = -1, hmax = -1;
    const PatternFileResult r = ReadPatternBytes(text, shownName, out.rec, out.desNO, emax, hmax);
    if (!r.ok) {
        error = r.error;
        return false;
    }
    out.clampedLevels = r.clampedLevels;
    out.format = "atn";
    return true;
}

bool ReadPatternSource(const std::string &path, std::string &text, std::string &error)
{
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

bool LoadPatternPath(const std::string &path, LoadedPattern &out, std::string &error,
                     PatternStampSource stamp)
{
    out = LoadedPattern{};
    out.path = path;
    std::string text;
    return ReadPatternSource(path, text, error)
           && LoadPatternText(text, PatternFileExtension(path), path, out, error, stamp);
}

bool LoadMsiPath(const std::string &path, LoadedPattern &out, std::string &error,
                 PatternStampSource stamp)
{
    out = LoadedPattern{};
    out.path = path;
    std::string text;
    return ReadPatternSource(path, text, error) && FromMsi(text, out, error, stamp);
}
