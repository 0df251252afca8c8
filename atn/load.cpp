// SPDX-License-Identifier: GPL-3.0-or-later
// Reading pattern files for the tool: atn files checked before the viewer's
// reader sees them, MSI files through the MSI reader, and atomic writes.
#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "atn.h"
#include "pattern_file.h"
#include "pattern_load.h"
#include "rt.h"

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
    return ReadPatternSource(path, text, error);
}

}  // namespace

std::string ShownName(const std::string &path)
{
    return path == "-" ? "standard input" : path;
}

namespace {

// The date and time the run-time gives, for an MSI file's two planes.
PatternStamp RunTimeStamp()
{
    return {DateStr(), TimeStr()};
}

}  // namespace

bool LoadMsiFile(const std::string &path, AtnPattern &out, std::string &error)
{
    out = AtnPattern{};
    out.path = path;
    std::string text;
    return ReadAll(path, text, error) && LoadMsiText(text, out, error, RunTimeStamp);
}

bool LoadPatternFile(const std::string &path, AtnPattern &out, std::string &error)
{
    out = AtnPattern{};
    out.path = path;
    std::string text;
    if (!ReadAll(path, text, error))
        return false;
    const std::string ext = path == "-" ? std::string() : PatternFileExtension(path);
    return LoadPatternText(text, ext, ShownName(path), out, error, RunTimeStamp);
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
