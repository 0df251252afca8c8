// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM and SIGHUP through a self-pipe watched by the event loop, and the
// user's data folder of the program.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "rt_session.h"
#include "test_hooks.h"

namespace {

int gPipe[2] = {-1, -1};
void (*gHandler)(int) = nullptr;

// Only what is safe in a signal handler: one write to the pipe.
extern "C" void NoteEndSignal(int sig)
{
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    if (write(gPipe[1], &b, 1) < 0) {
        // The pipe is full: a signal is already waiting to be served.
    }
    errno = saved;
}

void ServeEndSignal()
{
    unsigned char b = 0;
    if (read(gPipe[0], &b, 1) != 1)
        return;
    if (gHandler)
        gHandler(b);
    // End as the signal would have ended the program.
    std::signal(b, SIG_DFL);
    std::raise(b);
}

}  // namespace

void OnEndSignal(void (*handler)(int signal))
{
    gHandler = handler;
    if (gPipe[0] >= 0 || !QCoreApplication::instance())
        return;
    if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return;
    }
    auto *notifier =
        new QSocketNotifier(gPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { ServeEndSignal(); });
    struct sigaction sa {};
    sa.sa_handler = NoteEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

namespace {

// Makes the folder and any missing parents (mode 0700, as a user's data
// folder should be), saying why when one cannot be made.
bool MakeFolders(const std::string &dir, std::string *why)
{
    for (std::size_t at = 1; at <= dir.size(); ++at) {
        if (at != dir.size() && dir[at] != '/')
            continue;
        const std::string part = dir.substr(0, at);
        struct stat st {};
        if (stat(part.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                *why = "\"" + part + "\" is not a folder";
                return false;
            }
            continue;
        }
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            *why = std::strerror(errno);
            return false;
        }
    }
    return true;
}

}  // namespace

std::string UserDataFile(const char *name, std::string *error)
{
    QString dir;
    if (auto *hooks = rt::detail::Hooks()) {
        const std::string ini = hooks->settingsFile();
        if (ini.empty())
            return {};
        dir = QFileInfo(QString::fromStdString(ini)).absolutePath();
    } else {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    if (dir.isEmpty()) {
        if (error)
            *error = "the system names no data folder for this user";
        return {};
    }
    if (std::string why; !MakeFolders(QFile::encodeName(dir).toStdString(), &why)) {
        if (error)
            *error = "the folder \"" + dir.toStdString() + "\" could not be made: " + why;
        return {};
    }
    return QDir(dir).filePath(QString::fromUtf8(name)).toStdString();
}
