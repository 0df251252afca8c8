// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process serial backend: exchanges, every fault kind as a reader of
// the port sees it, the virtual clock and real-time pacing.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "sim_com_backend.h"

using namespace rigsim;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Port {
    std::shared_ptr<RigModel> rig = std::make_shared<RigModel>();
    SimComBackend com;

    explicit Port(SimTiming timing = SimTiming::Virtual) : com(rig, timing)
    {
        rig->setAntenna(Antenna::Isotropic);
        rig->setPeakLevel(-5.0);
        rig->setAngle(90);
        EXPECT_EQ(com.open(rt::ComSettings{}), 0);
    }

    // One exchange the way the measurement program makes it: one byte out,
    // four bytes in.
    int exchange(std::uint8_t cmd, Bytes *reply, int timeoutMs = 1000)
    {
        EXPECT_EQ(com.write(&cmd, 1), 1);
        unsigned char buf[4] = {0, 0, 0, 0};
        int n = com.read(buf, 4, timeoutMs);
        reply->assign(buf, buf + (n > 0 ? n : 0));
        return n;
    }
};

const Bytes kAt90{0x03, 0x84, 0x00, 0x5A};
const Bytes kAt91{0x03, 0x84, 0x00, 0x5B};

}  // namespace

TEST(SimCom, ExchangeAndClosedPort)
{
    Port p;
    Bytes r;
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, kAt90);
    EXPECT_EQ(p.exchange('A', &r), 4);
    EXPECT_EQ(r, kAt91);
    // Sound commands leave nothing to read.
    unsigned char j = 'J';
    EXPECT_EQ(p.com.write(&j, 1), 1);
    unsigned char buf[4];
    EXPECT_EQ(p.com.read(buf, 4, 50), 0);

    p.com.close();
    EXPECT_EQ(p.com.write(&j, 1), rt::kComPortNotOpen);
    EXPECT_EQ(p.com.read(buf, 4, 50), rt::kComPortNotOpen);
}

TEST(SimCom, SilenceTimesOutAfterTheTimeout)
{
    Port p;
    p.rig->injectFault(Fault::silence());
    double before = p.com.nowMs();
    Bytes r;
    EXPECT_EQ(p.exchange('A', &r, 700), 0);
    EXPECT_NEAR(p.com.nowMs() - before, 700.0, 1e-9);
    EXPECT_EQ(p.rig->angle(), 91);  // the rig still moved
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, kAt91);
}

TEST(SimCom, ShortReplyGivesTheBytesThatCame)
{
    for (int k = 0; k <= 3; ++k) {
        Port p;
        p.rig->injectFault(Fault::shortReply(k));
        Bytes r;
        EXPECT_EQ(p.exchange('H', &r, 500), k);
        EXPECT_EQ(r, Bytes(kAt90.begin(), kAt90.begin() + k));
        // Nothing of the damaged reply is left over for the next exchange.
        EXPECT_EQ(p.exchange('H', &r, 500), 4);
        EXPECT_EQ(r, kAt90);
    }
}

TEST(SimCom, GarbageAndScriptedReplies)
{
    Port p;
    p.rig->injectFault(Fault::garbage(Bytes{0x12, 0x34, 0x56, 0x78}));
    p.rig->injectFault(Fault::scripted({0xFF, 0xFF, 0x01, 0x68}));
    p.rig->setSeed(7);
    p.rig->injectFault(Fault::garbage(4), 3);
    Bytes r;
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, (Bytes{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, (Bytes{0xFF, 0xFF, 0x01, 0x68}));
    std::vector<Bytes> random;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.exchange('H', &r), 4);
        random.push_back(r);
    }
    EXPECT_FALSE(random[0] == random[1] && random[1] == random[2]);
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, kAt90);
}

TEST(SimCom, GarbageLongerThanTheReplyShiftsTheNextRead)
{
    Port p;
    p.rig->injectFault(Fault::garbage(Bytes{1, 2, 3, 4, 5, 6}));
    Bytes r;
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, (Bytes{5, 6, 0x03, 0x84}));
}

TEST(SimCom, LateBytesAreReadByTheNextExchange)
{
    Port p;
    p.rig->injectFault(Fault::late(150));
    Bytes r;
    EXPECT_EQ(p.exchange('A', &r, 100), 0);  // angle 91, reply held back
    // The next exchange gets the stale reply first.
    EXPECT_EQ(p.exchange('A', &r, 100), 4);  // angle 92
    EXPECT_EQ(r, kAt91);
    EXPECT_EQ(p.exchange('H', &r, 100), 4);
    EXPECT_EQ(r, (Bytes{0x03, 0x84, 0x00, 0x5C}));
    EXPECT_EQ(p.exchange('H', &r, 100), 4);  // back in step
    EXPECT_EQ(r, (Bytes{0x03, 0x84, 0x00, 0x5C}));
}

TEST(SimCom, FlushDropsLateBytesOnlyOnceTheyHaveArrived)
{
    Port p;
    p.rig->injectFault(Fault::late(150));
    Bytes r;
    EXPECT_EQ(p.exchange('A', &r, 100), 0);
    p.com.flushInput();  // still on the way: nothing to drop yet
    EXPECT_EQ(p.com.bytesWaiting(), 0);
    p.rig->advanceVirtualTime(100);
    EXPECT_EQ(p.com.bytesWaiting(), 4);
    p.com.flushInput();
    EXPECT_EQ(p.com.bytesWaiting(), 0);
    EXPECT_EQ(p.exchange('H', &r, 100), 4);
    EXPECT_EQ(r, kAt91);
}

TEST(SimCom, PartialReadsLeaveTheRestQueued)
{
    Port p;
    unsigned char h = 'H';
    p.com.write(&h, 1);
    unsigned char buf[4];
    EXPECT_EQ(p.com.read(buf, 1, 100), 1);
    EXPECT_EQ(buf[0], 0x03);
    EXPECT_EQ(p.com.read(buf, 4, 100), 3);  // only three left, then time-out
    EXPECT_EQ(Bytes(buf, buf + 3), (Bytes{0x84, 0x00, 0x5A}));
}

TEST(SimCom, VirtualTimeDoesNotSleep)
{
    Port p;
    p.rig->setStepTimeMs(50);
    p.rig->setLineSpeed(9600);
    auto start = std::chrono::steady_clock::now();
    double v0 = p.com.nowMs();
    Bytes r;
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(p.exchange('A', &r), 4);
    double real = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(real, 0.5);
    EXPECT_NEAR(p.com.nowMs() - v0, 1000 * (50.0 + 5 * 10000.0 / 9600.0), 1e-6);
    EXPECT_EQ(p.rig->angle(), (90 + 1000) % 360);
}

TEST(SimCom, FullSweepWireTime)
{
    Port p;
    Bytes r;
    double v0 = p.com.nowMs();
    p.exchange('H', &r);
    for (int i = 0; i < 359; ++i)
        p.exchange('A', &r);
    p.exchange('C', &r);
    EXPECT_NEAR((p.com.nowMs() - v0) / 1000.0, 1.88, 0.005);
    EXPECT_EQ(p.rig->received().size(), 361u);
    EXPECT_EQ(p.rig->sent().size(), 361u * 4u);
}

TEST(SimCom, RealTimePacing)
{
    Port p(SimTiming::RealTime);
    p.rig->setStepTimeMs(5);
    const int n = 20;
    const double expectedMs = n * (5.0 + 5 * 10000.0 / 9600.0);
    Bytes r;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(p.exchange('A', &r), 4);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, expectedMs * 0.99);
    // Only a gross regression above: a loaded machine may run late, never early.
    EXPECT_LE(ms, expectedMs * 4.0);

    // A real time-out really waits.
    p.rig->injectFault(Fault::silence());
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(p.exchange('H', &r, 30), 0);
    ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 29.0);
}

// Pulling the adapter out: the reply that the unplug waits for still arrives,
// then the open line is dead for good, a new open fails until the adapter is
// back, and the rig keeps its angle throughout.
TEST(SimCom, UnplugAfterRepliesAndReplug)
{
    Port p;
    // Long enough that the checks of the unplugged line cannot miss it on a
    // loaded machine.
    const double outMs = 400;
    p.rig->unplugAfterReplies(2, outMs);
    Bytes r;
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(p.exchange('A', &r), 4);  // the second reply: still delivered
    EXPECT_EQ(r, kAt91);
    EXPECT_TRUE(p.rig->unplugDue());
    EXPECT_TRUE(p.rig->pluggedIn());  // not yet: the host has not moved on

    const auto pulled = std::chrono::steady_clock::now();
    unsigned char a = 'A';
    EXPECT_EQ(p.com.write(&a, 1), rt::kComWriteFailed);
    unsigned char buf[4];
    double v0 = p.com.nowMs();
    EXPECT_EQ(p.com.read(buf, 4, 1000), 0);
    EXPECT_EQ(p.com.nowMs(), v0);  // a vanished device answers at once
    EXPECT_FALSE(p.rig->pluggedIn());
    EXPECT_EQ(p.rig->unplugs(), 1);
    SimComBackend other(p.rig);
    EXPECT_EQ(other.open(rt::ComSettings{}), rt::kComCannotOpenPort);

    while (!p.rig->pluggedIn())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double outFor =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - pulled)
            .count();
    EXPECT_GE(outFor, outMs);
    // The line opened before the unplug stays dead; a new open works.
    EXPECT_EQ(p.com.write(&a, 1), rt::kComWriteFailed);
    EXPECT_EQ(p.com.read(buf, 4, 100), 0);
    ASSERT_EQ(p.com.open(rt::ComSettings{}), 0);
    EXPECT_EQ(p.exchange('H', &r), 4);
    EXPECT_EQ(r, kAt91);  // the A sent into the dead line never reached the rig
    EXPECT_EQ(p.rig->received(), (Bytes{'H', 'A', 'H'}));
}

TEST(SimCom, UnplugCountsStepsOrRepliesAsAsked)
{
    struct Case {
        bool steps;
        int n;
        const char *cmds;
        std::size_t answered;  // exchanges that got their reply
    };
    // H and C count as replies but not as steps; I gives no reply at all.
    for (const Case &c : {Case{false, 3, "HIHAAA", 3}, Case{true, 2, "HHAHCAH", 6},
                          Case{false, 1, "CAA", 1}, Case{true, 1, "HBA", 2}}) {
        Port p;
        if (c.steps)
            p.rig->unplugAfterSteps(c.n, -1);
        else
            p.rig->unplugAfterReplies(c.n, -1);
        std::size_t answered = 0;
        for (const char *q = c.cmds; *q; ++q) {
            unsigned char cmd = std::uint8_t(*q);
            if (p.com.write(&cmd, 1) != 1)
                break;
            unsigned char buf[4];
            if (cmd != 'I' && p.com.read(buf, 4, 100) == 4)
                ++answered;
        }
        EXPECT_EQ(answered, c.answered) << c.cmds;
        EXPECT_FALSE(p.rig->pluggedIn()) << c.cmds;
        EXPECT_EQ(p.rig->unplugLeftMs(), -1.0);
        p.rig->plugBackIn();
        EXPECT_EQ(p.com.open(rt::ComSettings{}), 0) << c.cmds;
    }
}

TEST(SimCom, UnplugNowDropsBytesOnTheWay)
{
    Port p;
    unsigned char h = 'H';
    p.com.write(&h, 1);
    p.rig->unplugNow(0);  // out and back in at once: the line is still new
    EXPECT_TRUE(p.rig->pluggedIn());
    unsigned char buf[4];
    EXPECT_EQ(p.com.read(buf, 4, 100), 0);
    EXPECT_EQ(p.com.bytesWaiting(), 0);
    EXPECT_EQ(p.com.open(rt::ComSettings{}), 0);
    Bytes r;
    EXPECT_EQ(p.exchange('H', &r), 4);
}
