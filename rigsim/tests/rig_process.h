// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the rigsim program for a test and stops it again.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scratch.h"

extern char **environ;

namespace rigsim_test {

// A scratch folder under $TMPDIR (or /tmp), removed with what is in it.
struct ScratchDir : testsupport::ScratchFolder {
    ScratchDir() : ScratchFolder("rigsim-test") {}
};

// Reads one line of `fd`, waiting up to `timeoutMs` for it.
inline std::string ReadLine(int fd, int timeoutMs)
{
    std::string line;
    char c;
    pollfd pfd{fd, POLLIN, 0};
    while (poll(&pfd, 1, timeoutMs) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

struct RigProcess {
    pid_t pid = -1;
    int in = -1;   // its standard input
    int out = -1;  // its standard output
    std::string device;

    bool start(const std::vector<std::string> &args)
    {
        int inPipe[2], outPipe[2];
        if (pipe(inPipe) != 0 || pipe(outPipe) != 0)
            return false;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, inPipe[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&fa, outPipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&fa, inPipe[1]);
        posix_spawn_file_actions_addclose(&fa, outPipe[0]);
        std::vector<char *> argv;
        std::string exe = RIGSIM_EXE;
        argv.push_back(exe.data());
        std::vector<std::string> copy = args;
        for (auto &a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        close(inPipe[0]);
        close(outPipe[1]);
        in = inPipe[1];
        out = outPipe[0];
        if (rc != 0)
            return false;
        // First line of its output: the device path.
        device = ReadLine(out, 5000);
        return !device.empty();
    }

    // Waits up to `ms` for it to end by itself; its exit status, or -1.
    int wait(int ms)
    {
        int status = 0;
        for (int i = 0; pid > 0 && i < ms / 10; ++i) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    int stop()
    {
        if (pid <= 0)
            return -1;
        kill(pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        pid = -1;
        return -1;
    }

    ~RigProcess()
    {
        stop();
        if (in >= 0)
            close(in);
        if (out >= 0)
            close(out);
    }
};

}  // namespace rigsim_test
