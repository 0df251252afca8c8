// SPDX-License-Identifier: GPL-3.0-or-later
// Sweep benchmark.
//
// Default mode, in-process: how long a full sweep takes against the simulated
// rig bound in-process (no QSerialPort, no poll timer) (a) at 9600 baud with
// real-time pacing and no step time, compared with the wire time of its 360
// exchanges, and (b) against an instant rig, giving our own cost per step
// with the graph drawing included.
//   sweep_bench [--shot main.png]   (--shot also saves a picture of the panel)
//
// Wire mode: the real program as a person runs it: the rigsim program on a
// pseudo-terminal paced at 9600 baud, Kesto's own start-up through the port
// chooser, the real serial layer (QSerialPort) and the poll timer running.
// The exchanges actually made on the line are counted from the rig's log;
// then a bare client (plain reads and writes on the same line, nothing else)
// makes the same exchanges in the same order: the floor.
//   sweep_bench --wire [--runs N] [--rigsim PATH]
#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "bind_sim_rig.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "rig_protocol.h"
#include "rt.h"
#include "testing.h"

extern char **environ;

namespace {

double SweepSeconds()
{
    // Each sweep goes over the last one as if that had been saved: no
    // question before it.
    PlaneSweepsSaved();
    const auto t0 = std::chrono::steady_clock::now();
    rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Seconds on the wire for `n` exchanges: one command byte and a four-byte
// reply, ten bits a byte at 9600 baud.
double WireSeconds(std::size_t n)
{
    return double(n) * 5 * 10 / 9600.0;
}

struct Rig {
    pid_t pid = -1;
    std::string link, log;
};

bool StartRig(Rig &rig, const std::string &exe, const std::string &dir)
{
    rig.link = dir + "/rig";
    rig.log = dir + "/rig.log";
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, STDERR_FILENO, rig.log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> args = {
        exe, "--link",    rig.link, "--baud",          "9600",     "--step-ms", "0", "--init-ms",
        "0", "--antenna", "horn",   "--no-auto-plane", "--verbose"};
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&rig.pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        return false;
    for (int i = 0; i < 500 && !std::filesystem::exists(rig.link); ++i)
        usleep(10000);
    return std::filesystem::exists(rig.link);
}

// The command bytes the rig has received since byte `from` of its log.
std::string Commands(const Rig &rig, std::streamoff from)
{
    std::ifstream in(rig.log);
    in.seekg(from);
    std::string line, cmds;
    while (std::getline(in, line))
        if (line.rfind("rigsim: got 0x", 0) == 0)
            cmds += char(std::stoi(line.substr(14, 2), nullptr, 16));
    return cmds;
}

std::streamoff LogSize(const Rig &rig)
{
    std::error_code ec;
    return std::streamoff(std::filesystem::file_size(rig.log, ec));
}

// The floor: the same exchanges on the same line with plain reads and writes.
double BareClient(const std::string &link, const std::string &cmds)
{
    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
    tcflush(fd, TCIOFLUSH);
    const double t0 = Now();
    for (char c : cmds) {
        if (write(fd, &c, 1) != 1)
            break;
        if (!rigproto::HasReply(std::uint8_t(c)))
            continue;  // no reply
        unsigned char buf[rigproto::kReplySize];
        int got = 0;
        while (got < rigproto::kReplySize) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                break;
            const ssize_t n = read(fd, buf + got, size_t(rigproto::kReplySize - got));
            if (n <= 0)
                break;
            got += int(n);
        }
    }
    const double s = Now() - t0;
    close(fd);
    return s;
}

int WireMode(int argc, char **argv)
{
    int runs = 3;
    std::string rigsim =
        QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath().toStdString() + "/rigsim";
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--rigsim") == 0)
            rigsim = argv[i + 1];
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sweep-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::string dir = pattern;
    Rig rig;
    if (!StartRig(rig, rigsim, dir)) {
        std::fprintf(stderr, "sweep_bench: cannot start %s\n", rigsim.c_str());
        return 1;
    }
    setenv("VELORAN_COM1", rig.link.c_str(), 1);
    // What Kesto keeps for its user (an unsaved sweep) stays in the scratch folder.
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    std::filesystem::current_path(dir);  // Kesto deletes kesto.inf where it runs

    struct Run {
        double seconds;
        std::string cmds;
        double cpu;  // the program's processor time during the sweep
    };
    std::vector<Run> program;
    // The chooser's Port 1 once it waits; then the sweeps from the event loop.
    QTimer::singleShot(0, [] {
        if (auto *b = qobject_cast<QAbstractButton *>(rt::test::CtrlWidget(portpnl, PORTPNL_COM1)))
            b->click();
    });
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(500, [&] {
            auto *autoButton =
                qobject_cast<QAbstractButton *>(rt::test::CtrlWidget(kestopnl, KESTOPNL_AUTO));
            for (int r = 0; r < runs && autoButton; ++r) {
                DelScrnCallback(menu_handle, 0, nullptr, kestopnl);
                PlaneSweepsSaved();  // no question over the sweep before
                ProcessSystemEvents();
                const std::streamoff from = LogSize(rig);
                const double c0 = CpuSeconds();
                const double t0 = Now();
                autoButton->click();
                const double s = Now() - t0;
                const double cpu = CpuSeconds() - c0;
                usleep(50000);  // the rig's log catches up
                program.push_back({s, Commands(rig, from), cpu});
            }
            QuitUserInterface(0);
        });
    });
    static char arg0[] = "Kesto";
    static char *args[] = {arg0, nullptr};
    KestoMain(1, args);

    std::printf("wire mode: Kesto through QSerialPort, rigsim on a pseudo-terminal at 9600 baud, "
                "poll timer every %.2f s\n",
                KESTO_POLL_INTERVAL);
    int status = 0;
    double bestProgram = 1e9, bestBare = 1e9, bestWire = 0;
    std::vector<double> ratios;
    for (const Run &r : program) {
        const auto count = [&](char c) { return std::count(r.cmds.begin(), r.cmds.end(), c); };
        const std::size_t exchanges =
            std::size_t(count('A') + count('B') + count('C') + count('H'));
        if (count('A') != 359 || count('C') != 1) {
            std::printf("  unexpected exchanges: %ld A, %ld C\n", long(count('A')),
                        long(count('C')));
            status = 1;
        }
        const double bare = BareClient(rig.link, r.cmds);
        const double wire = WireSeconds(exchanges);
        std::printf("  sweep %.3f s, %zu exchanges (359 A + 1 C + %ld H); bare client %.3f s; "
                    "wire %.3f s; program/bare %.3f, program/wire %.3f; program cpu %.3f s\n",
                    r.seconds, exchanges, long(count('H')), bare, wire, r.seconds / bare,
                    r.seconds / wire, r.cpu);
        ratios.push_back(r.seconds / bare);
        if (r.seconds < bestProgram) {
            bestProgram = r.seconds;
            bestWire = wire;
        }
        bestBare = std::min(bestBare, bare);
    }
    if (!program.empty()) {
        std::sort(ratios.begin(), ratios.end());
        std::printf("best of %zu: program/bare %.3f, program/wire %.3f; median of the runs' "
                    "program/bare %.3f\n",
                    program.size(), bestProgram / bestBare, bestProgram / bestWire,
                    ratios[ratios.size() / 2]);
    } else
        status = 1;
    kill(rig.pid, SIGTERM);
    waitpid(rig.pid, nullptr, 0);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--wire") == 0) {
            if (!InitCVIRTE(nullptr, argv, nullptr))
                return 1;
            return WireMode(argc, argv);
        }
    const char *shot = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--shot") == 0)
            shot = argv[i + 1];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    rt::test::Enable();
    if (!InitCVIRTE(nullptr, argv, nullptr))
        return 1;

    auto paced = std::make_shared<rigsim::RigModel>();
    paced->setAntenna(rigsim::Antenna::Horn);
    paced->setLineSpeed(9600);
    paced->setStepTimeMs(0);
    paced->setInitTimeMs(0);
    rigsim::BindSimulatedRig(1, paced, rigsim::SimTiming::RealTime);
    auto instant = std::make_shared<rigsim::RigModel>();
    instant->setAntenna(rigsim::Antenna::Yagi);
    instant->setLineSpeed(0);
    rigsim::BindSimulatedRig(2, instant, rigsim::SimTiming::Virtual);

    rt::test::OnUserEventWait([] { rt::test::PressButton(portpnl, PORTPNL_COM1); });
    int status = 0;
    rt::test::SetRunScript([&] {
        rt::test::PanelWidget(kestopnl)->show();
        ProcessSystemEvents();
        // (a) paced by the line: 360 exchanges (359 A and one C) of 5 bytes.
        const double wire = WireSeconds(360);
        const double paced_s = SweepSeconds();
        std::printf("9600 baud, no step time: sweep %.3f s, wire time %.3f s, %+.1f %%\n", paced_s,
                    wire, 100.0 * (paced_s - wire) / wire);

        // (b) instant rig on port 2: only our own work is left.
        SetCtrlVal(kestopnl, KESTOPNL_PLANE, 1);
        PlaneType = 1;
        if (OpenComConfig(2, "", 9600, 0, 8, 1, 512, 512) != 0) {
            status = 1;
            return;
        }
        COMnumber = 2;
        const int runs = 5;
        double best = 1e9, total = 0;
        for (int r = 0; r < runs; ++r) {
            const double s = SweepSeconds();
            best = std::min(best, s);
            total += s;
        }
        std::printf("instant rig: %d sweeps, per step best %.1f us, mean %.1f us "
                    "(%d plot items on the graph at the end)\n",
                    runs, best / 359 * 1e6, total / runs / 359 * 1e6,
                    rt::test::PlotCount(kestopnl, KESTOPNL_GRAPH));
        if (shot) {
            rt::test::PanelWidget(kestopnl)->grab().save(QString::fromUtf8(shot));
            std::printf("panel picture: %s\n", shot);
        }
    });
    static char arg0[] = "Kesto";
    static char *args[] = {arg0, nullptr};
    KestoMain(1, args);
    return status;
}
