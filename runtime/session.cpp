// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM and SIGHUP through a self-pipe watched by the event loop, and the
// user's data folder of the program.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
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

std::string UserDataFile(const char *name)
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
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return {};
    return QDir(dir).filePath(QString::fromUtf8(name)).toStdString();
}
