// SPDX-License-Identifier: GPL-3.0-or-later
// The rigsim program end to end: start it, open its device through the link
// as a serial client would, exchange bytes, reopen, command it from standard
// input, stop it with SIGTERM.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "rig_model.h"
#include "rig_process.h"
#include "scratch.h"

using rigsim_test::RigProcess;

namespace {

using Bytes = std::vector<unsigned char>;

// The scratch folder of this test process, removed when it ends.
std::string ScratchDir()
{
    return testsupport::ProcessScratchDir().string();
}

int OpenSerial(const std::string &path)
{
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios tio;
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

Bytes Exchange(int fd, unsigned char cmd, std::size_t want = 4, int timeoutMs = 2000)
{
    Bytes got;
    if (write(fd, &cmd, 1) != 1)
        return got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.size() < want) {
        int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                           deadline - std::chrono::steady_clock::now())
                           .count());
        pollfd pfd{fd, POLLIN, 0};
        if (left <= 0 || poll(&pfd, 1, left) <= 0)
            break;
        unsigned char buf[16];
        ssize_t n = read(fd, buf, std::min(sizeof buf, want - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

bool IsSymlink(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

TEST(RigsimProgram, ServesTheProtocolOnAPseudoTerminal)
{
    std::string link = ScratchDir() + "/rig";
    // A stale link from an earlier run is replaced.
    unlink(link.c_str());
    ASSERT_EQ(symlink("/dev/pts/no-such-device", link.c_str()), 0);

    RigProcess rig;
    ASSERT_TRUE(rig.start(
        {"--link", link, "--antenna", "iso", "--angle", "90", "--step-ms", "0", "--init-ms", "0"}));
    EXPECT_EQ(rig.device.rfind("/dev/pts/", 0), 0u) << rig.device;
    char target[256] = {0};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(rig.device, target);

    int fd = OpenSerial(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x03, 0x84, 0x00, 0x5A}));
    EXPECT_EQ(Exchange(fd, 'A'), (Bytes{0x03, 0x84, 0x00, 0x5B}));
    EXPECT_TRUE(Exchange(fd, 'I', 1, 200).empty());  // no reply to sound on
    close(fd);

    // The client goes away and comes back: the rig keeps serving.
    fd = OpenSerial(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'B'), (Bytes{0x03, 0x84, 0x00, 0x5A}));

    // Commands on standard input: move the positioner, attenuate 10 dB.
    const char cmds[] = "p 10\na 10\n";
    ASSERT_EQ(write(rig.in, cmds, sizeof cmds - 1), ssize_t(sizeof cmds - 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x02, 0xBC, 0x00, 0x0A}));  // -15 dB at the receiver
    EXPECT_EQ(Exchange(fd, 'C'), (Bytes{0x02, 0xBC, 0x00, 0x00}));
    close(fd);

    EXPECT_EQ(rig.stop(), 0);
    EXPECT_FALSE(IsSymlink(link));
}

TEST(RigsimProgram, PacesRepliesAndInjectsFaults)
{
    std::string link = ScratchDir() + "/rig-f";
    RigProcess rig;
    ASSERT_TRUE(rig.start({"--link", link, "--antenna", "iso", "--step-ms", "40", "--fault",
                           "short:2", "--fault-count", "1"}));
    int fd = OpenSerial(rig.device);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'A', 4, 300).size(), 2u);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(fd, 'A').size(), 4u);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 40.0 + 5 * 1.04 - 0.5);
    EXPECT_LT(ms, 200.0);
    close(fd);
    EXPECT_EQ(rig.stop(), 0);
    EXPECT_FALSE(IsSymlink(link));
}

namespace {

struct RunResult {
    int status = -1;
    std::string out, err;
};

// Runs the program with `args` (shell words) and no input, under a time
// limit so that a program that starts serving fails the test instead of
// hanging it.
RunResult RunRigsim(const std::string &args)
{
    rigsim_test::ScratchDir dir;
    RunResult r;
    const std::string cmd = std::string("timeout 10 ") + RIGSIM_EXE + " " + args + " </dev/null >"
                            + dir.path + "/out 2>" + dir.path + "/err";
    const int status = std::system(cmd.c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (auto [name, text] : {std::pair{"/out", &r.out}, std::pair{"/err", &r.err}}) {
        if (FILE *f = std::fopen((dir.path + name).c_str(), "r")) {
            char buf[512];
            while (std::fgets(buf, sizeof buf, f))
                *text += buf;
            std::fclose(f);
        }
    }
    return r;
}

}  // namespace

TEST(RigsimProgram, RefusesUnknownOrIncompleteOptions)
{
    for (const char *bad :
         {"--antenna", "--plane", "--frobnicate", "-z", "extra", "--antenna=bowtie", "--plane=X",
          "--antenna bowtie", "--unplug 1:5 --unplug-steps 1:5"}) {
        const RunResult r = RunRigsim(std::string(bad) + " --link none");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << bad << ": " << r.err;
        EXPECT_EQ(r.err.rfind("rigsim: ", 0), 0u) << r.err;
        EXPECT_TRUE(r.out.empty()) << "no device announced: " << r.out;
    }
    EXPECT_NE(RunRigsim("--frobnicate").err.find("'frobnicate'"), std::string::npos);
}

TEST(RigsimProgram, AnswersHelpAndVersion)
{
    for (const char *help : {"--help", "-h"}) {
        const RunResult r = RunRigsim(help);
        EXPECT_EQ(r.status, 0) << help;
        EXPECT_EQ(r.out.rfind("Usage: rigsim [options]\n", 0), 0u) << r.out;
        for (const char *item : {"--unplug <N:MS>", "--noise <DB>", "short:K", "0 to 3",
                                 "Commands on standard input", "u [MS]", "Protocol: H report"})
            EXPECT_NE(r.out.find(item), std::string::npos) << item;
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
    const RunResult v = RunRigsim("--version --link none");
    EXPECT_EQ(v.status, 0);
    const std::string version = VELORAN_VERSION;
    EXPECT_EQ(v.out,
              "rigsim " + (version.empty() ? std::string("(development build)") : version) + "\n");
}

TEST(RigsimProgram, TakesOptionValuesAfterAnEqualsSign)
{
    RigProcess rig;
    ASSERT_TRUE(rig.start({"--link=none", "--antenna=iso", "--angle=33", "--step-ms=0"}));
    int fd = OpenSerial(rig.device);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x03, 0x84, 0x00, 0x21}));
    close(fd);
    EXPECT_EQ(rig.stop(), 0);
}

namespace {

bool WaitFor(const std::function<bool()> &cond, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

// A USB adapter pulled out after the second step and plugged back 600 ms
// later: the host's line dies, the link goes away, and a new device comes back
// at the same link with the rig where it was.
TEST(RigsimProgram, UnplugsAndComesBackOnTheSameLink)
{
    rigsim_test::ScratchDir dir;
    ASSERT_FALSE(dir.path.empty());
    const std::string link = dir.path + "/rig";
    RigProcess rig;
    ASSERT_TRUE(rig.start(
        {"--link", link, "--antenna", "iso", "--step-ms", "0", "--unplug-steps", "2:600"}));
    int fd = OpenSerial(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'H').size(), 4u);
    EXPECT_EQ(Exchange(fd, 'A'), (Bytes{0x03, 0x84, 0x00, 0x01}));
    EXPECT_EQ(Exchange(fd, 'A'), (Bytes{0x03, 0x84, 0x00, 0x02}));  // the step it waits for
    auto pulled = std::chrono::steady_clock::now();
    EXPECT_TRUE(Exchange(fd, 'A', 4, 300).empty());
    EXPECT_FALSE(IsSymlink(link));
    EXPECT_NE(access(rig.device.c_str(), F_OK), 0) << "the old device node is gone";
    // The old descriptor stays dead.
    unsigned char h = 'H';
    EXPECT_LT(write(fd, &h, 1), 0);
    close(fd);

    ASSERT_TRUE(WaitFor([&] { return IsSymlink(link); }, 3000));
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pulled)
                    .count();
    EXPECT_GE(ms, 590.0);
    char target[256] = {0};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(rigsim_test::ReadLine(rig.out, 1000), target);  // the new device, announced

    fd = OpenSerial(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x03, 0x84, 0x00, 0x02}));
    close(fd);
    EXPECT_EQ(rig.stop(), 0);
    EXPECT_FALSE(IsSymlink(link));
}

TEST(RigsimProgram, UnplugAndReplugFromStandardInput)
{
    rigsim_test::ScratchDir dir;
    const std::string link = dir.path + "/rig";
    RigProcess rig;
    ASSERT_TRUE(rig.start({"--link", link, "--antenna", "iso", "--angle", "7"}));
    const char out[] = "u -1\n";
    ASSERT_EQ(write(rig.in, out, sizeof out - 1), ssize_t(sizeof out - 1));
    ASSERT_TRUE(WaitFor([&] { return !IsSymlink(link); }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(IsSymlink(link)) << "-1 keeps it out until r";
    const char in[] = "p 9\nr\n";
    ASSERT_EQ(write(rig.in, in, sizeof in - 1), ssize_t(sizeof in - 1));
    ASSERT_TRUE(WaitFor([&] { return IsSymlink(link); }, 2000));
    int fd = OpenSerial(link);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x03, 0x84, 0x00, 0x09}));
    close(fd);
    EXPECT_EQ(rig.stop(), 0);
}

// A line that cannot be plugged in again, or a device name that cannot be
// written out, ends the program with status 1, not as if all went well.
TEST(RigsimProgram, EndsWithAFailureWhenTheLineCannotBeOffered)
{
    rigsim_test::ScratchDir dir;
    const std::string link = dir.path + "/rig";
    RigProcess rig;
    ASSERT_TRUE(rig.start({"--link", link, "--antenna", "iso"}));
    const char out[] = "u -1\n";
    ASSERT_EQ(write(rig.in, out, sizeof out - 1), ssize_t(sizeof out - 1));
    ASSERT_TRUE(WaitFor([&] { return !IsSymlink(link); }, 2000));
    std::ofstream(link) << "someone else's file";
    const char in[] = "r\n";
    ASSERT_EQ(write(rig.in, in, sizeof in - 1), ssize_t(sizeof in - 1));
    EXPECT_EQ(rig.wait(5000), 1);
    EXPECT_EQ(rig.stop(), -1) << "it ended by itself";

    const std::string cmd = "timeout 10 " + std::string(RIGSIM_EXE) + " --link " + dir.path
                            + "/rig2 --antenna iso > /dev/full 2>/dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_FALSE(IsSymlink(dir.path + "/rig2")) << "no link is left to a line nobody serves";
}

// Numbers out of range are refused at start with a message and status 2,
// instead of being converted with undefined results.
TEST(RigsimProgram, RefusesOptionNumbersOutOfRange)
{
    struct Case {
        const char *args;
        const char *says;
    };
    const Case cases[] = {
        {"--fault late:1e300", "--fault late:MS takes a number of ms from 0 to 3600000"},
        {"--angle 1e20", "--angle takes a whole number of degrees"},
        {"--baud 1e30", "--baud takes a whole number of baud from 0 to 4000000"},
        {"--seed -1", "--seed takes a whole number from 0 to 4294967295"},
        {"--fault short:4", "from 0 to 3"},
        {"--fault-count 1e20", "--fault-count takes"},
        {"--noise -1", "--noise takes a number of dB from 0 to 100"},
        {"--unplug 0:100", "--unplug N takes"},
    };
    for (const Case &c : cases) {
        // The old behaviour, a rig that starts serving, ends at the time
        // limit and fails here.
        const RunResult r = RunRigsim(std::string(c.args) + " --link none");
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
    }
}

TEST(RigsimProgram, RefusesCommandNumbersOutOfRange)
{
    RigProcess rig;
    ASSERT_TRUE(
        rig.start({"--link", "none", "--antenna", "iso", "--angle", "7", "--step-ms", "0"}));
    const char cmds[] = "p 1e20\nx 1e20\nk 9\nl 1e300\n";
    ASSERT_EQ(write(rig.in, cmds, sizeof cmds - 1), ssize_t(sizeof cmds - 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int fd = OpenSerial(rig.device);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x03, 0x84, 0x00, 0x07}));  // not moved, no fault queued
    EXPECT_EQ(Exchange(fd, 'H'), (Bytes{0x03, 0x84, 0x00, 0x07}));
    close(fd);
    EXPECT_EQ(rig.stop(), 0);
}

// --drift makes the program's levels creep with real time, and --help says so.
TEST(RigsimProgram, DriftRaisesTheLevelWithTime)
{
    EXPECT_NE(RunRigsim("--help").out.find("--drift <DB_PER_MIN>"), std::string::npos);
    RigProcess proc;
    ASSERT_TRUE(proc.start({"--link", "none", "--antenna", "iso", "--drift", "100", "--step-ms",
                            "0", "--init-ms", "0"}));
    int fd = OpenSerial(proc.device);
    ASSERT_GE(fd, 0);
    const auto levelOf = [](const Bytes &r) {
        return r.size() == 4 ? (r[0] * 256 + r[1]) / 20.0 - 50.0 : -999.0;
    };
    const double first = levelOf(Exchange(fd, 'H'));
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    const double later = levelOf(Exchange(fd, 'H'));
    // 100 dB a minute: 1.5 dB in 0.9 s; only a gross miss fails.
    EXPECT_GT(later - first, 0.7) << first << " then " << later;
    EXPECT_LT(later - first, 6.0) << first << " then " << later;
    close(fd);
    EXPECT_EQ(proc.stop(), 0);
}

// --noise and --seed give the program the same receiver noise as the
// in-process rig with the same seed, reply for reply.
TEST(RigsimProgram, NoiseMatchesTheInProcessRig)
{
    RigProcess proc;
    ASSERT_TRUE(proc.start({"--link", "none", "--antenna", "iso", "--noise", "0.7", "--seed", "42",
                            "--step-ms", "0", "--init-ms", "0"}));
    rigsim::RigModel model;
    model.setAntenna(rigsim::Antenna::Isotropic);
    model.setNoise(0.7);
    model.setSeed(42);
    int fd = OpenSerial(proc.device);
    ASSERT_GE(fd, 0);
    std::set<Bytes> distinct;
    for (unsigned char cmd : {'H', 'H', 'A', 'H', 'B', 'C', 'H', 'H', 'H', 'H'}) {
        std::vector<rigsim::TimedByte> timed = model.receive(cmd, 0.0);
        Bytes expected;
        for (const auto &b : timed)
            expected.push_back(b.value);
        const Bytes got = Exchange(fd, cmd);
        EXPECT_EQ(got, expected) << cmd;
        distinct.insert(Bytes(got.begin(), got.begin() + 2));
    }
    EXPECT_GT(distinct.size(), 5u) << "the levels jitter";
    close(fd);
    EXPECT_EQ(proc.stop(), 0);
}

// The program's antennas are the in-process rig's textbook antennas, with the
// same imperfections from the same options, reply for reply.
TEST(RigsimProgram, MeasuresTheTextbookAntennasAsTheInProcessRigDoes)
{
    struct Case {
        std::vector<std::string> args;
        std::function<void(rigsim::RigModel &)> setUp;
    };
    const Case cases[] = {
        {{"--antenna", "yagi"}, [](rigsim::RigModel &m) { m.setAntenna(rigsim::Antenna::Yagi); }},
        {{"--antenna", "14", "--distance", "0.2", "--misalign", "0:3", "--floor", "-35", "--attn",
          "10", "--plane", "H", "--boresight", "20"},
         [](rigsim::RigModel &m) {
             m.setRange(0.2);
             m.setAntennaType(14);
             m.setMisalignment(0, 3);
             m.setReceiverFloor(-35);
             m.setAttenuation(10);
             m.setPlane(rigsim::Plane::H);
             m.setBoresight(20);
         }},
        {{"--antenna", "dipole", "--hand-made"},
         [](rigsim::RigModel &m) { m.setAntennaType(0, true); }},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {"--link", "none", "--step-ms", "0", "--init-ms", "0"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RigProcess proc;
        ASSERT_TRUE(proc.start(args));
        rigsim::RigModel model;
        c.setUp(model);
        int fd = OpenSerial(proc.device);
        ASSERT_GE(fd, 0);
        std::vector<unsigned char> cmds = {'H'};
        cmds.insert(cmds.end(), 60, 'A');
        cmds.insert(cmds.end(), {'B', 'B', 'H'});
        std::set<Bytes> levels;
        for (unsigned char cmd : cmds) {
            Bytes expected;
            for (const auto &b : model.receive(cmd, 0.0))
                expected.push_back(b.value);
            const Bytes got = Exchange(fd, cmd);
            ASSERT_EQ(got, expected) << c.args[1] << " " << cmd;
            levels.insert(Bytes(got.begin(), got.begin() + 2));
        }
        EXPECT_GT(levels.size(), 20u) << "a pattern, not a flat level: " << c.args[1];
        close(fd);
        EXPECT_EQ(proc.stop(), 0);
    }
}

TEST(RigsimProgram, HelpNamesTheImperfectionsAndTheTypes)
{
    const RunResult r = RunRigsim("--help");
    for (const char *item :
         {"--antenna <NAME|TYPE>", "--distance <M>", "--misalign <DEG|E:H>", "--floor <DB>",
          "--hand-made", "2D^2/lambda", "Antenna types for --antenna TYPE", " 9  Yagi (500 MHz)\n",
          "12  Horn (10 GHz)\n"})
        EXPECT_NE(r.out.find(item), std::string::npos) << item;
    for (const char *bad :
         {"--antenna 16", "--antenna Yagi", "--misalign 0:91", "--distance -1", "--floor x"}) {
        const RunResult refused = RunRigsim(std::string(bad) + " --link none");
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(refused.err.rfind("rigsim: --", 0), 0u) << refused.err;
    }
}

// Without nec2c a wire type is served with its hand-made pattern, and the
// program says so on standard error.
TEST(RigsimProgram, SaysSoWhenNec2cIsMissing)
{
    rigsim_test::ScratchDir dir;
    std::filesystem::create_directory(dir.path + "/empty");
    const std::string cmd = "timeout 1 env PATH=" + dir.path + "/empty " + RIGSIM_EXE
                            + " --link none --antenna yagi </dev/null >" + dir.path + "/out 2>"
                            + dir.path + "/err";
    std::system(cmd.c_str());
    std::ifstream in(dir.path + "/err");
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(err.find("rigsim: the textbook model of Yagi (500 MHz), type 9 cannot be computed "
                       "(nec2c is not installed"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("the hand-made yagi pattern stands in"), std::string::npos) << err;
    EXPECT_NE(err.find("hand-made yagi; E cut"), std::string::npos) << "the state says so too";
}
