// SPDX-License-Identifier: GPL-3.0-or-later
// A run-time serial port bound to the simulated rig: the programs' own calls
// reach the model, time-outs cost no real time, and the error codes are the
// library's.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "bind_sim_rig.h"
#include "rig_process.h"
#include "rt.h"

using namespace rigsim;

namespace {

std::string Read4(int port, int *count)
{
    char buf[4] = {0, 0, 0, 0};
    *count = rt::ComRd(port, buf, 4);
    return std::string(buf, buf + (*count > 0 ? *count : 0));
}

}  // namespace

TEST(BindSimulatedRig, ProgramCallsReachTheModel)
{
    auto rig = std::make_shared<RigModel>();
    rig->setAntenna(Antenna::Isotropic);
    rig->setAngle(90);
    BindSimulatedRig(2, rig);
    ASSERT_EQ(rt::OpenComConfig(2, "", 9600, 0, 8, 1, 512, 512), 0);

    int n = 0;
    ASSERT_EQ(rt::ComWrt(2, "H", 1), 1);
    EXPECT_EQ(Read4(2, &n), std::string("\x03\x84\x00\x5A", 4));
    EXPECT_EQ(n, 4);
    EXPECT_EQ(rt::ReturnRS232Err(), 0);

    // A silent rig: the read waits out the port's time-out in virtual time.
    rig->injectFault(Fault::silence());
    auto start = std::chrono::steady_clock::now();
    double v0 = rig->virtualNowMs();
    rt::ComWrt(2, "A", 1);
    Read4(2, &n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(rt::ReturnRS232Err(), rt::kComTimeout);
    EXPECT_GE(rig->virtualNowMs() - v0, 1000.0);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.5);

    // A reply later than the time-out is read by the next exchange unless the
    // input queue is flushed once it has arrived.
    rig->injectFault(Fault::late(3000));
    rt::ComWrt(2, "A", 1);  // 92
    Read4(2, &n);
    EXPECT_EQ(n, 0);
    rig->advanceVirtualTime(2000);
    rt::FlushInQ(2);
    rt::ComWrt(2, "H", 1);
    EXPECT_EQ(Read4(2, &n), std::string("\x03\x84\x00\x5C", 4));

    EXPECT_EQ(rt::CloseCom(2), 0);
    EXPECT_EQ(rig->received(), (std::vector<std::uint8_t>{'H', 'A', 'A', 'H'}));
}

TEST(BindSimulatedRig, AReopenDropsWhatArrivedAndStillGetsWhatIsOnItsWay)
{
    auto rig = std::make_shared<RigModel>();
    BindSimulatedRig(3, rig);
    ASSERT_EQ(rt::OpenComConfig(3, "", 9600, 0, 8, 1, 512, 512), 0);
    rt::ComWrt(3, "AAA", 3);  // three replies queued, none read
    rig->advanceVirtualTime(1000);
    ASSERT_EQ(rt::OpenComConfig(3, "", 9600, 0, 8, 1, 512, 512), 0);
    int n = 0;
    rt::ComWrt(3, "H", 1);
    std::string r = Read4(3, &n);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(r.substr(2), std::string("\x00\x03", 2));  // the rig kept its angle
    // A reply the rig is still sending when the port is opened again arrives
    // on the new open, as it does on a real line.
    rig->injectFault(Fault::late(3000));
    rt::ComWrt(3, "A", 1);
    rig->advanceVirtualTime(1000);
    ASSERT_EQ(rt::ReopenCom(3), 0);
    r = Read4(3, &n);
    EXPECT_EQ(n, 0) << "not there yet";
    rig->advanceVirtualTime(3000);
    r = Read4(3, &n);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(r.substr(2), std::string("\x00\x04", 2));
    // An unplugged adapter takes what was on its way with it.
    rig->injectFault(Fault::late(3000));
    rt::ComWrt(3, "A", 1);
    rig->unplugNow(0);
    ASSERT_EQ(rt::ReopenCom(3), 0);
    rig->advanceVirtualTime(5000);
    r = Read4(3, &n);
    EXPECT_EQ(n, 0);
    rt::CloseCom(3);
}

// The demo's path: the run-time's real serial device, opened on the
// pseudo-terminal that the rigsim program serves.
TEST(RigsimDevice, RunTimePortTalksToTheProgram)
{
    rigsim_test::RigProcess proc;
    ASSERT_TRUE(
        proc.start({"--link", "none", "--antenna", "iso", "--angle", "90", "--step-ms", "0"}));
    ASSERT_EQ(rt::OpenComConfig(4, proc.device.c_str(), 9600, 0, 8, 1, 512, 512), 0);
    int n = 0;
    rt::ComWrt(4, "H", 1);
    EXPECT_EQ(Read4(4, &n), std::string("\x03\x84\x00\x5A", 4));
    rt::ComWrt(4, "I", 1);
    rt::ComWrt(4, "A", 1);
    EXPECT_EQ(Read4(4, &n), std::string("\x03\x84\x00\x5B", 4));
    rt::ComWrt(4, "C", 1);
    EXPECT_EQ(Read4(4, &n), std::string("\x03\x84\x00\x00", 4));
    rt::CloseCom(4);

    // Reopened after a close, as the port-setting command does.
    ASSERT_EQ(rt::OpenComConfig(4, proc.device.c_str(), 9600, 0, 8, 1, 512, 512), 0);
    rt::ComWrt(4, "B", 1);
    EXPECT_EQ(Read4(4, &n), std::string("\x03\x84\x01\x67", 4));
    rt::CloseCom(4);
    EXPECT_EQ(proc.stop(), 0);
}

namespace {

// Opens `port` again and again until it opens or `timeoutMs` has passed, as a
// program retrying after a replug would. The time it took, or -1.
double ReopenWithin(int port, const char *device, int timeoutMs)
{
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (rt::OpenComConfig(port, device, 9600, 0, 8, 1, 512, 512) == 0)
            return ms;
        if (ms > timeoutMs)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

// The in-process rig unplugged after its second reply for 400 ms: the program's
// exchanges fail, a reopen fails until the adapter is back, then works, and
// the rig has kept its angle.
TEST(BindSimulatedRig, UnplugAndReplug)
{
    auto rig = std::make_shared<RigModel>();
    rig->setAntenna(Antenna::Isotropic);
    rig->setAngle(90);
    rig->unplugAfterReplies(2, 400);
    BindSimulatedRig(1, rig);
    ASSERT_EQ(rt::OpenComConfig(1, "", 9600, 0, 8, 1, 512, 512), 0);
    int n = 0;
    rt::ComWrt(1, "H", 1);
    Read4(1, &n);
    rt::ComWrt(1, "A", 1);
    EXPECT_EQ(Read4(1, &n), std::string("\x03\x84\x00\x5B", 4));
    const auto pulled = std::chrono::steady_clock::now();
    EXPECT_LT(rt::ComWrt(1, "A", 1), 0);
    Read4(1, &n);
    EXPECT_EQ(n, 0);
    EXPECT_NE(rt::ReturnRS232Err(), 0);
    EXPECT_LT(rt::OpenComConfig(1, "", 9600, 0, 8, 1, 512, 512), 0);
    EXPECT_GE(ReopenWithin(1, "", 3000), 0.0);
    const double outFor =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pulled)
            .count();
    EXPECT_GE(outFor, 400.0);
    rt::ComWrt(1, "H", 1);
    EXPECT_EQ(Read4(1, &n), std::string("\x03\x84\x00\x5B", 4));
    rt::CloseCom(1);
}

// The same through the real serial device on the rigsim program's link.
TEST(RigsimDevice, RunTimePortSurvivesAReplugOfTheProgramsLine)
{
    rigsim_test::ScratchDir dir;
    const std::string link = dir.path + "/rig";
    rigsim_test::RigProcess proc;
    ASSERT_TRUE(proc.start({"--link", link, "--antenna", "iso", "--angle", "90", "--step-ms", "0",
                            "--unplug", "2:700"}));
    ASSERT_EQ(rt::OpenComConfig(4, link.c_str(), 9600, 0, 8, 1, 512, 512), 0);
    int n = 0;
    rt::ComWrt(4, "H", 1);
    Read4(4, &n);
    rt::ComWrt(4, "A", 1);
    EXPECT_EQ(Read4(4, &n), std::string("\x03\x84\x00\x5B", 4));
    const auto pulled = std::chrono::steady_clock::now();
    rt::ComWrt(4, "A", 1);
    Read4(4, &n);
    EXPECT_EQ(n, 0);
    EXPECT_NE(rt::ReturnRS232Err(), 0);
    EXPECT_LT(rt::OpenComConfig(4, link.c_str(), 9600, 0, 8, 1, 512, 512), 0);
    EXPECT_GE(ReopenWithin(4, link.c_str(), 5000), 0.0);
    const double outFor =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pulled)
            .count();
    EXPECT_GE(outFor, 690.0);
    rt::ComWrt(4, "H", 1);
    EXPECT_EQ(Read4(4, &n), std::string("\x03\x84\x00\x5B", 4));
    rt::CloseCom(4);
    EXPECT_EQ(proc.stop(), 0);
}
