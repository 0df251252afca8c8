// SPDX-License-Identifier: GPL-3.0-or-later
// Running a program as a user runs it from a shell, and what it did: its
// exit status, standard output and standard error.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include <sys/resource.h>

namespace testsupport {

struct RunResult {
    int status = -1;        // the exit code; -1 when it crashed or was stopped
    bool finished = false;  // ended within the time limit
    bool crashed = false;   // ended by a signal, or stopped at the time limit
    std::string out, err;
    double seconds = 0;  // from start to end
};

struct RunOptions {
    rlim_t fileLimit = 0;  // bytes a file may grow to; 0 for no limit
    QString input;         // a file as standard input
    QString output;        // a file as standard output
};

// Runs program with args, killed after a minute. A path that is not empty
// is the program's PATH.
RunResult RunProgram(const QString &program, const QStringList &args, const RunOptions &how = {},
                     const QString &path = {});

// atn, the command-line tool of this build.
RunResult Atn(const QStringList &args, const RunOptions &how = {});
// The same with PATH set to path (without a program it looks for, or with
// a stand-in for one).
RunResult AtnWithPath(const QStringList &args, const QString &path);

}  // namespace testsupport
