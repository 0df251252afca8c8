// SPDX-License-Identifier: GPL-3.0-or-later
// rigsim: the simulated rig on a pseudo-terminal, so that the measurement
// program can run for real without hardware. Serves the command protocol on
// the master side with real line and positioner pacing; the slave side is
// what the measurement program opens as its serial port.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "rig_model.h"
#include "rigsim_args.h"
#include "rigsim_options.h"

namespace {

volatile sig_atomic_t stopSignal = 0;

void OnSignal(int sig)
{
    stopSignal = sig;
}

// What the antenna is and how it is set up: "Yagi (500 MHz), type 9, textbook
// model, seen from 2.00 m, E cut 1.5 deg off the beam".
std::string AntennaText(const rigsim::RigState &s, const rigsim::AntennaCuts &cuts)
{
    std::string t = rigsim::AntennaLabel(s.type);
    if (s.type != rigsim::kIsotropic)
        t += cuts.textbook ? ", textbook model"
                           : std::string(", hand-made ") + rigsim::AntennaName(cuts.standIn);
    char more[160];
    if (s.rangeM > 0) {
        std::snprintf(more, sizeof more, ", seen from %.2f m", s.rangeM);
        t += more;
    }
    for (const auto &[name, off] : {std::pair{"E", s.misalignE}, std::pair{"H", s.misalignH}})
        if (off != 0) {
            std::snprintf(more, sizeof more, ", %s cut %.1f deg off the beam", name, off);
            t += more;
        }
    return t;
}

void ShowState(const rigsim::RigModel &rig)
{
    const rigsim::RigState s = rig.state();
    char noise[64] = "";
    if (s.noiseDb > 0)
        std::snprintf(noise, sizeof noise, " (noise %.2f dB)", s.noiseDb);
    char drift[96] = "";
    if (s.driftDbPerMin != 0)
        std::snprintf(drift, sizeof drift, " (drift %+.3f dB/min, now %+.2f dB)", s.driftDbPerMin,
                      rigsim::DriftDb(s, rig.realNowMs()));
    char floor[64] = "";
    if (std::isfinite(s.floorDb))
        std::snprintf(floor, sizeof floor, " (receiver floor %.1f dB)", s.floorDb);
    std::fprintf(stderr,
                 "rigsim: %s; %s cut, angle %d, attenuator %.1f dB, sound %s, "
                 "level at receiver %.2f dB%s%s%s, %d fault(s) queued%s\n",
                 AntennaText(s, rig.cuts()).c_str(), rigsim::PlaneName(s.plane), s.angle,
                 s.attenuation, s.sound ? "on" : "off", rigsim::ReceiverLevelDb(s), floor, noise,
                 drift, rig.pendingFaults(), rig.pluggedIn() ? "" : ", line unplugged");
}

// One line typed on standard input. Returns false on "q".
bool HandleCommand(rigsim::RigModel &rig, const std::string &line)
{
    using rigsim::args::Command;
    Command c;
    const std::string why = rigsim::args::ParseCommand(line, &c);
    if (!why.empty()) {
        std::fprintf(stderr, "rigsim: %s\n", why.c_str());
        return true;
    }
    switch (c.kind) {
    case Command::Empty:
        return true;
    case Command::PlaneE:
        rig.setPlane(rigsim::Plane::E);
        break;
    case Command::PlaneH:
        rig.setPlane(rigsim::Plane::H);
        break;
    case Command::TogglePlane:
        rig.update([](rigsim::RigState &s) {
            s.plane = s.plane == rigsim::Plane::E ? rigsim::Plane::H : rigsim::Plane::E;
        });
        break;
    case Command::Attenuate:
        rig.setAttenuation(c.value);
        break;
    case Command::Position:
        rig.setAngle(c.count);
        break;
    case Command::Silence:
        rig.injectFault(rigsim::Fault::silence(), c.count);
        break;
    case Command::ShortReply:
        rig.injectFault(rigsim::Fault::shortReply(c.count));
        break;
    case Command::Garbage:
        rig.injectFault(rigsim::Fault::garbage(4));
        break;
    case Command::Late:
        rig.injectFault(rigsim::Fault::late(c.value));
        break;
    case Command::ClearFaults:
        rig.clearFaults();
        break;
    case Command::Unplug:
        rig.unplugNow(c.value);
        break;
    case Command::PlugIn:
        rig.plugBackIn();
        break;
    case Command::Quit:
        return false;
    case Command::Show:
        break;
    }
    ShowState(rig);
    return true;
}

// Points `link` at `target`, replacing an existing symlink in one step. A
// file or directory of that name is never replaced.
bool MakeLink(const std::string &link, const std::string &target)
{
    struct stat st;
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        std::fprintf(stderr, "rigsim: %s exists and is not a symlink; not replaced\n",
                     link.c_str());
        return false;
    }
    std::string tmp = link + ".tmp." + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(target.c_str(), tmp.c_str()) != 0 || rename(tmp.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "rigsim: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

// Removes the link only while it still points at our device.
void RemoveLink(const std::string &link, const std::string &target)
{
    char buf[4096];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    if (n < 0)
        return;
    buf[n] = '\0';
    if (target == buf)
        unlink(link.c_str());
}

// Waits with the stop signals open, so that SIGINT/SIGTERM still end the
// program while the line is hung up (and every poll returns at once).
void SleepMs(long ms, const sigset_t *signalsOpen)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    ppoll(nullptr, 0, &ts, signalsOpen);
}

// The line to the host: a pseudo-terminal whose slave side is the host's
// serial device, reached through the link. Pulled out, the device and the
// link go away; plugged in again, a new pseudo-terminal takes the same link.
struct Line {
    std::string link;
    std::string device;
    int master = -1;

    bool plugIn()
    {
        int slave = -1;
        char name[256] = {0};
        struct termios tio;
        std::memset(&tio, 0, sizeof tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        if (openpty(&master, &slave, name, &tio, nullptr) != 0) {
            std::fprintf(stderr, "rigsim: openpty failed: %s\n", std::strerror(errno));
            master = -1;
            return false;
        }
        // The slave is the client's: while no client has it open the master
        // reports a hang-up, and the loop waits for the next client. Keeping a
        // slave descriptor here would carry stale bytes and an exclusive-open
        // flag over from one client to the next.
        close(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        fcntl(master, F_SETFD, FD_CLOEXEC);
        device = name;
        if (link != "none" && !MakeLink(link, device)) {
            close(master);
            master = -1;
            return false;
        }
        // The first line of standard output is the device; each replug adds
        // the new one.
        if (std::printf("%s\n", device.c_str()) < 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "rigsim: the device name could not be written out: %s\n",
                         std::strerror(errno));
            pullOut();
            return false;
        }
        return true;
    }

    void pullOut()
    {
        if (master < 0)
            return;
        if (link != "none")
            RemoveLink(link, device);
        close(master);
        master = -1;
    }
};

}  // namespace

int main(int argc, char **argv)
{
    rigsim::RigModel rig;
    rig.setStepTimeMs(10);
    rig.setInitTimeMs(500);
    rig.setAutoPlaneSwitch(true);
    Settings settings;
    if (int status = ParseOptions(argc, argv, rig, &settings); status >= 0)
        return status;
    const std::string link = settings.link;
    const bool verbose = settings.verbose;
    // The antenna's cuts are computed once, before a host can ask for them
    // (for a wire type nec2c runs now; without it the hand-made pattern
    // stands in, and that is said on standard error).
    rig.cuts();

    Line line;
    line.link = link;
    if (!line.plugIn())
        return 1;
    int status = 0;  // 1 once the line cannot be plugged in again
    if (link != "none")
        std::fprintf(stderr, "rigsim: serving on %s (link %s)\n", line.device.c_str(),
                     link.c_str());
    ShowState(rig);

    // Signals stay blocked except inside ppoll, so none is lost between the
    // check of the flag and the wait.
    sigset_t block, waitMask;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGHUP);
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::deque<rigsim::TimedByte> outgoing;
    bool stdinOpen = true;
    std::string stdinLine;
    bool running = true;

    // After the reply that a scheduled unplug waits for has gone out, the
    // line stays up until the host sends its next byte or this grace time has
    // passed, so that the host can read that reply (bytes still in the pty
    // when the master closes are lost), even on a loaded machine.
    constexpr double kUnplugGraceMs = 500.0;
    double sentAllAtMs = 0.0;

    while (running && !stopSignal) {
        struct timespec timeout;
        struct timespec *tp = nullptr;
        double wait = -1.0;
        if (line.master < 0) {
            wait = rig.unplugLeftMs();  // -1: until a command plugs it back in
        } else if (!outgoing.empty()) {
            wait = std::max(0.0, outgoing.front().atMs - rig.realNowMs());
        } else if (rig.unplugDue()) {
            wait = std::max(0.0, sentAllAtMs + kUnplugGraceMs - rig.realNowMs());
        }
        if (wait >= 0.0) {
            timeout.tv_sec = time_t(wait / 1000.0);
            timeout.tv_nsec = long((wait - double(timeout.tv_sec) * 1000.0) * 1e6);
            tp = &timeout;
        }
        // A negative descriptor is left out of the poll.
        struct pollfd fds[2] = {{stdinOpen ? STDIN_FILENO : -1, POLLIN, 0},
                                {line.master, POLLIN, 0}};
        int n = ppoll(fds, 2, tp, &waitMask);
        if (n < 0 && errno != EINTR) {
            std::fprintf(stderr, "rigsim: poll failed: %s\n", std::strerror(errno));
            break;
        }
        if (n > 0 && line.master >= 0 && (fds[1].revents & POLLIN)) {
            unsigned char buf[256];
            ssize_t got = read(line.master, buf, sizeof buf);
            for (ssize_t i = 0; i < got; ++i) {
                if (rig.unplugDue()) {
                    // The host goes on while the line is about to go: this
                    // byte is lost with the adapter.
                    if (outgoing.empty())
                        rig.lineUp();
                    break;
                }
                rigsim::Plane before = rig.plane();
                auto reply = rig.receive(buf[i], rig.realNowMs());
                outgoing.insert(outgoing.end(), reply.begin(), reply.end());
                if (verbose) {
                    std::fprintf(stderr, "rigsim: got 0x%02X", buf[i]);
                    if (buf[i] >= 0x20 && buf[i] < 0x7F)
                        std::fprintf(stderr, " '%c'", buf[i]);
                    std::fprintf(stderr, " ->");
                    for (const auto &b : reply)
                        std::fprintf(stderr, " %02X", b.value);
                    std::fprintf(stderr, "  angle %d sound %s\n", rig.angle(),
                                 rig.sound() ? "on" : "off");
                }
                if (rig.plane() != before)
                    std::fprintf(stderr, "rigsim: sweep ended, now measuring the %s cut\n",
                                 rigsim::PlaneName(rig.plane()));
            }
            if (got < 0 && errno != EAGAIN && errno != EINTR)
                SleepMs(50, &waitMask);  // no client on the line; wait for the next one
        } else if (n > 0 && line.master >= 0 && (fds[1].revents & (POLLHUP | POLLERR))) {
            SleepMs(50, &waitMask);
        }
        if (n > 0 && stdinOpen && (fds[0].revents & (POLLIN | POLLHUP))) {
            char buf[256];
            ssize_t got = read(STDIN_FILENO, buf, sizeof buf);
            if (got <= 0) {
                stdinOpen = false;  // no console: keep serving
            } else {
                stdinLine.append(buf, std::size_t(got));
                std::size_t nl;
                while (running && (nl = stdinLine.find('\n')) != std::string::npos) {
                    running = HandleCommand(rig, stdinLine.substr(0, nl));
                    stdinLine.erase(0, nl + 1);
                }
            }
        }
        // Send whatever is due. A full line (no client reading) drops bytes,
        // as a real line would.
        double now = rig.realNowMs();
        if (line.master >= 0) {
            unsigned char due[512];
            std::size_t count = 0;
            while (!outgoing.empty() && outgoing.front().atMs <= now && count < sizeof due) {
                due[count++] = outgoing.front().value;
                outgoing.pop_front();
            }
            if (count > 0) {
                sentAllAtMs = now;
                if (write(line.master, due, count) < 0 && verbose)
                    std::fprintf(stderr, "rigsim: reply dropped: %s\n", std::strerror(errno));
            }
            if (outgoing.empty() && rig.unplugDue() && now >= sentAllAtMs + kUnplugGraceMs)
                rig.lineUp();
        }
        // Unplug and plug back in.
        if (line.master >= 0 && !rig.pluggedIn()) {
            outgoing.clear();
            line.pullOut();
            double left = rig.unplugLeftMs();
            if (left < 0)
                std::fprintf(stderr, "rigsim: line unplugged until the command r\n");
            else
                std::fprintf(stderr, "rigsim: line unplugged for %.0f ms\n", left);
        }
        if (line.master < 0 && rig.lineUp()) {
            if (!line.plugIn()) {
                status = 1;
                break;
            }
            std::fprintf(stderr, "rigsim: line plugged in again on %s\n", line.device.c_str());
        }
    }

    line.pullOut();
    std::fprintf(stderr, "rigsim: stopped\n");
    return status;
}
