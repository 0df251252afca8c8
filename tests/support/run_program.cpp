// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_program.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <chrono>
#include <csignal>

namespace testsupport {

RunResult RunProgram(const QString &program, const QStringList &args, const RunOptions &how,
                     const QString &path)
{
    QProcess p;
    if (!how.input.isEmpty())
        p.setStandardInputFile(how.input);
    if (!how.output.isEmpty())
        p.setStandardOutputFile(how.output);
    if (!path.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), path);
        p.setProcessEnvironment(env);
    }
    if (const rlim_t limit = how.fileLimit)
        p.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit l{};
            getrlimit(RLIMIT_FSIZE, &l);
            l.rlim_cur = limit;
            setrlimit(RLIMIT_FSIZE, &l);
        });
    const auto start = std::chrono::steady_clock::now();
    p.start(program, args);
    RunResult r;
    r.finished = p.waitForFinished(60000);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
        r.crashed = true;
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.status = r.crashed ? -1 : p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

RunResult Atn(const QStringList &args, const RunOptions &how)
{
    return RunProgram(QStringLiteral(VELORAN_ATN_EXE), args, how);
}

RunResult AtnWithPath(const QStringList &args, const QString &path)
{
    return RunProgram(QStringLiteral(VELORAN_ATN_EXE), args, {}, path);
}

}  // namespace testsupport
