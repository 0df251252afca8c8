// SPDX-License-Identifier: GPL-3.0-or-later
// The NEC-2 engine behind a process boundary: nec2c run on a deck in a
// private temporary folder, with a time limit, its output read back.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "model_parts.h"

extern char **environ;

using theory_parts::NecJob;

const char NEC2C_MISSING[] =
    "nec2c is not installed: install the Debian package nec2c for the wire antennas' models";

namespace {

bool WriteWhole(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
    f.close();
    return bool(f);
}

void RemoveJobFiles(const NecJob &job)
{
    if (job.dir.empty())
        return;
    std::remove((job.dir + "/deck.nec").c_str());
    std::remove((job.dir + "/deck.out").c_str());
    rmdir(job.dir.c_str());
}

}  // namespace

namespace theory_parts {

NecJob StartNec(const std::string &deck)
{
    NecJob job;
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/veloran-nec-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
        job.error = std::string("cannot make a folder for nec2c: ") + std::strerror(errno);
        return job;
    }
    job.dir = buf.data();
    const std::string in = job.dir + "/deck.nec", out = job.dir + "/deck.out";
    if (!WriteWhole(in, deck)) {
        job.error = "cannot write the nec2c deck in " + job.dir;
        RemoveJobFiles(job);
        job.dir.clear();
        return job;
    }
    const std::string inArg = "-i" + in, outArg = "-o" + out;
    char *argv[] = {const_cast<char *>("nec2c"), const_cast<char *>(inArg.c_str()),
                    const_cast<char *>(outArg.c_str()), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&job.pid, "nec2c", &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) {
        job.pid = -1;
        job.error = rc == ENOENT ? std::string(NEC2C_MISSING)
                                 : std::string("cannot run nec2c: ") + std::strerror(rc);
        RemoveJobFiles(job);
        job.dir.clear();
    }
    return job;
}

bool FinishNec(NecJob &job, int timeoutMs, std::string &output, std::string &error)
{
    if (job.pid < 0) {
        error = job.error;
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool done = false;
    while (!done) {
        const pid_t r = waitpid(job.pid, &status, WNOHANG);
        if (r == job.pid) {
            done = true;
        } else if (r < 0 && errno != EINTR) {
            error = std::string("lost the nec2c process: ") + std::strerror(errno);
            RemoveJobFiles(job);
            return false;
        } else if (std::chrono::steady_clock::now() > deadline) {
            kill(job.pid, SIGKILL);
            waitpid(job.pid, &status, 0);
            error = "nec2c took longer than " + std::to_string(timeoutMs / 1000) + " s; stopped";
            RemoveJobFiles(job);
            return false;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::ifstream f(job.dir + "/deck.out", std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    output = ss.str();
    RemoveJobFiles(job);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "nec2c failed on the deck (status " + std::to_string(WEXITSTATUS(status)) + ")";
        return false;
    }
    if (output.empty()) {
        error = "nec2c wrote no output";
        return false;
    }
    return true;
}

}  // namespace theory_parts

bool RunNec2c(const std::string &deck, std::string &output, std::string &error, int timeoutMs)
{
    theory_parts::NecJob job = theory_parts::StartNec(deck);
    return theory_parts::FinishNec(job, timeoutMs, output, error);
}
