// SPDX-License-Identifier: GPL-3.0-or-later
// Files, locale-independent formatting and scanning, date and time strings.
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "rt.h"

namespace rt {

namespace {

std::vector<FILE *> gFiles;

FILE *FileOf(int handle)
{
    return handle >= 0 && handle < int(gFiles.size()) ? gFiles[handle] : nullptr;
}

// Appends the text of one directive; false for an unknown one.
bool FormatOne(std::string &out, char conv, va_list *ap)
{
    char buf[352];  // the longest double in fixed notation with six decimals fits
    switch (conv) {
    case 'd':
    case 'i': {
        auto r = std::to_chars(buf, buf + sizeof buf, va_arg(*ap, int));
        out.append(buf, r.ptr);
        return true;
    }
    case 'f': {
        const double v = va_arg(*ap, double);
        auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
        out.append(buf, r.ec == std::errc() ? r.ptr : buf);
        return true;
    }
    case 's': {
        const char *s = va_arg(*ap, const char *);
        out += s ? s : "";
        return true;
    }
    case '%':
        out += '%';
        return true;
    default:
        return false;
    }
}

std::string FormatV(const char *format, va_list ap)
{
    std::string out;
    if (!format)
        return out;
    va_list args;
    va_copy(args, ap);
    if (std::strncmp(format, "%s<", 3) == 0)
        format += 3;
    for (const char *p = format; *p; ++p) {
        if (*p == '%' && p[1]) {
            if (FormatOne(out, p[1], &args)) {
                ++p;
                continue;
            }
        }
        out += *p;
    }
    va_end(args);
    return out;
}

const char *SkipSpace(const char *s)
{
    while (*s && std::isspace(static_cast<unsigned char>(*s)))
        ++s;
    return s;
}

}  // namespace

int OpenFile(const char *fileName, int action, int mode, int type)
{
    (void)type;  // no line-end translation on this platform
    if (!fileName)
        return -1;
    const char *how = "rb";
    if (action == RT_WRITE || action == RT_READ_WRITE) {
        if (mode == RT_TRUNCATE)
            how = action == RT_WRITE ? "wb" : "w+b";
        else if (mode == RT_APPEND)
            how = action == RT_WRITE ? "ab" : "a+b";
        else
            how = "r+b";
    }
    FILE *f = std::fopen(fileName, how);
    if (!f && std::strcmp(how, "r+b") == 0)
        f = std::fopen(fileName, "w+b");  // open without truncation creates a missing file
    if (!f)
        return -1;
    for (size_t i = 0; i < gFiles.size(); ++i)
        if (!gFiles[i]) {
            gFiles[i] = f;
            return int(i);
        }
    gFiles.push_back(f);
    return int(gFiles.size() - 1);
}

int ReadLine(int file, char *buffer, int maxChars)
{
    FILE *f = FileOf(file);
    if (!f || !buffer || maxChars < 0)
        return -1;
    int kept = 0, seen = 0, c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') {
        ++seen;
        if (kept < maxChars)
            buffer[kept++] = char(c);
    }
    buffer[kept] = '\0';
    if (c == EOF && seen == 0)
        return -2;
    return kept;
}

int WriteFile(int file, const char *data, std::size_t count)
{
    FILE *f = FileOf(file);
    if (!f || !data)
        return -1;
    return std::fwrite(data, 1, count, f) == count ? int(count) : -1;
}

int CloseFile(int file)
{
    FILE *f = FileOf(file);
    if (!f)
        return -1;
    gFiles[file] = nullptr;
    return std::fclose(f) == 0 ? 0 : -1;
}

int DeleteFile(const char *fileName)
{
    if (!fileName)
        return -1;
    return ::unlink(fileName) == 0 ? 0 : -1;
}

int GetFileInfo(const char *fileName, long *size)
{
    if (size)
        *size = 0;
    struct stat st;
    if (!fileName || ::stat(fileName, &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
    if (size)
        *size = long(st.st_size);
    return 1;
}

int GetDir(char *buffer, std::size_t size)
{
    return buffer && ::getcwd(buffer, size) ? 0 : -1;
}

int Fmt(char *target, std::size_t size, const char *format, ...)
{
    if (!target || size == 0)
        return -1;
    va_list ap;
    va_start(ap, format);
    const std::string s = FormatV(format, ap);
    va_end(ap);
    const std::size_t n = std::min(s.size(), size - 1);
    std::memcpy(target, s.data(), n);
    target[n] = '\0';
    return int(n);
}

int FmtFile(int file, const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    const std::string s = FormatV(format, ap);
    va_end(ap);
    return WriteFile(file, s.data(), s.size());
}

int Scan(const char *source, const char *format, ...)
{
    if (!source || !format)
        return 0;
    if (std::strncmp(format, "%s>", 3) == 0)
        format += 3;
    va_list ap;
    va_start(ap, format);
    int converted = 0;
    const char *s = source;
    const char *end = source + std::strlen(source);
    for (const char *p = format; *p; ++p) {
        if (*p == '%' && (p[1] == 'd' || p[1] == 'i' || p[1] == 'f')) {
            s = SkipSpace(s);
            if (*s == '+')
                ++s;
            bool ok;
            if (p[1] == 'f') {
                double v;
                auto r = std::from_chars(s, end, v, std::chars_format::general);
                ok = r.ec == std::errc();
                if (ok) {
                    *va_arg(ap, double *) = v;
                    s = r.ptr;
                }
            } else {
                int v;
                auto r = std::from_chars(s, end, v);
                ok = r.ec == std::errc();
                if (ok) {
                    *va_arg(ap, int *) = v;
                    s = r.ptr;
                }
            }
            if (!ok)
                break;
            ++converted;
            ++p;
        } else if (std::isspace(static_cast<unsigned char>(*p))) {
            s = SkipSpace(s);
        } else if (*s == *p) {
            ++s;
        } else {
            break;
        }
    }
    va_end(ap);
    return converted;
}

const char *DateStr(void)
{
    static char buf[48];
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
    return buf;
}

const char *TimeStr(void)
{
    static char buf[48];
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

}  // namespace rt
