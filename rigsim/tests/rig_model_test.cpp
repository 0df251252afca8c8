// SPDX-License-Identifier: GPL-3.0-or-later
// The rig model: reply encoding, movement, silent commands, patterns, faults,
// the traffic record and the timing of replies.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "rig_model.h"

using namespace rigsim;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The measurement program's decode of a reply, without the floor.
double DecodeLevel(const Bytes &r, double attn)
{
    return rigproto::RawToLevel(rigproto::ReplyRaw(r.data()), attn);
}

unsigned DecodeAngle(const Bytes &r)
{
    return rigproto::ReplyAngle(r.data());
}

Bytes Values(const std::vector<TimedByte> &timed)
{
    Bytes v;
    for (const auto &b : timed)
        v.push_back(b.value);
    return v;
}

Bytes Send(RigModel &rig, std::uint8_t cmd)
{
    return Values(rig.receive(cmd, 0.0));
}

void MakeIso(RigModel &rig, double peak, double attn = 0.0)
{
    rig.setAntenna(Antenna::Isotropic);
    rig.setPeakLevel(peak);
    rig.setAttenuation(attn);
    rig.setLineSpeed(0);
}

}  // namespace

TEST(RigReply, LevelAndAngleSurviveTheDecode)
{
    const double peaks[] = {-49.9, -35.02, -30.0, -5.0, 0.0, 0.013, 12.345, 500.0};
    const double attns[] = {0.0, 10.0, 30.0};
    for (double peak : peaks)
        for (double attn : attns) {
            if (peak - attn < -50.0)
                continue;  // below the receiver's range
            RigModel rig;
            MakeIso(rig, peak, attn);
            for (int angle : {0, 1, 90, 255, 256, 359}) {
                rig.setAngle(angle);
                Bytes r = Send(rig, 'H');
                ASSERT_EQ(r.size(), 4u);
                EXPECT_NEAR(DecodeLevel(r, attn), peak, 0.05)
                    << "peak " << peak << " attn " << attn;
                EXPECT_EQ(DecodeAngle(r), unsigned(angle));
            }
        }
}

TEST(RigReply, WorkedExampleBytes)
{
    RigModel rig;
    MakeIso(rig, -5.0);
    rig.setAngle(90);
    EXPECT_EQ(Send(rig, 'H'), (Bytes{0x03, 0x84, 0x00, 0x5A}));

    // 10 dB of attenuation ahead of the receiver: the same bytes for a level
    // of +5 dB at the antenna.
    RigModel attenuated;
    MakeIso(attenuated, 5.0, 10.0);
    attenuated.setAngle(90);
    EXPECT_EQ(Send(attenuated, 'H'), (Bytes{0x03, 0x84, 0x00, 0x5A}));
}

TEST(RigReply, RawLevelClampsToTheReceiverRange)
{
    EXPECT_EQ(RawLevel(-50.0), 0);
    EXPECT_EQ(RawLevel(-80.0), 0);
    EXPECT_EQ(RawLevel(std::nan("")), 0);
    EXPECT_EQ(RawLevel(-49.97), 1);  // rounds to the nearest twentieth
    EXPECT_EQ(RawLevel(-49.98), 0);
    EXPECT_EQ(RawLevel(-5.0), 900);
    EXPECT_EQ(RawLevel(-5.02), 900);
    EXPECT_EQ(RawLevel(-5.03), 899);
    EXPECT_EQ(RawLevel(3226.75), 65535);
    EXPECT_EQ(RawLevel(1e6), 65535);
    EXPECT_EQ(EncodeReply(65535, 360), (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0x01, 0x68}));
}

TEST(RigMovement, ForwardBackAndInitialise)
{
    RigModel rig;
    MakeIso(rig, -5.0);
    for (int k = 1; k <= 359; ++k) {
        Bytes r = Send(rig, 'A');
        ASSERT_EQ(r.size(), 4u);
        ASSERT_EQ(DecodeAngle(r), unsigned(k));
    }
    EXPECT_EQ(rig.angle(), 359);
    EXPECT_EQ(DecodeAngle(Send(rig, 'A')), 0u);    // wraps forward
    EXPECT_EQ(DecodeAngle(Send(rig, 'B')), 359u);  // and back
    EXPECT_EQ(DecodeAngle(Send(rig, 'B')), 358u);
    EXPECT_EQ(rig.steps(), 362);

    rig.setAngle(123);
    rig.setSound(true);
    Bytes r = Send(rig, 'C');
    EXPECT_EQ(DecodeAngle(r), 0u);
    EXPECT_EQ(rig.angle(), 0);
    EXPECT_FALSE(rig.sound());
    EXPECT_EQ(rig.attenuation(), 0.0);

    EXPECT_EQ(DecodeAngle(Send(rig, 'H')), 0u);  // H does not move
    EXPECT_EQ(rig.angle(), 0);
}

TEST(RigMovement, StartAngleIsWrapped)
{
    RigModel rig;
    rig.setAngle(-1);
    EXPECT_EQ(rig.angle(), 359);
    rig.setAngle(725);
    EXPECT_EQ(rig.angle(), 5);
}

TEST(RigCommands, SoundAndUnknownBytesGetNoReply)
{
    RigModel rig;
    MakeIso(rig, -5.0);
    rig.setAngle(7);
    EXPECT_TRUE(Send(rig, 'I').empty());
    EXPECT_TRUE(rig.sound());
    EXPECT_TRUE(Send(rig, 'J').empty());
    EXPECT_FALSE(rig.sound());
    for (std::uint8_t b : {std::uint8_t('a'), std::uint8_t('h'), std::uint8_t(0),
                           std::uint8_t(0xFF), std::uint8_t('\r'), std::uint8_t('Z')})
        EXPECT_TRUE(Send(rig, b).empty()) << int(b);
    EXPECT_EQ(rig.angle(), 7);
    EXPECT_EQ(rig.exchanges(), 0);
    EXPECT_EQ(rig.sent().size(), 0u);
    EXPECT_EQ(rig.received().size(), 8u);
}

TEST(RigPatterns, PeakAtBoresightAndFloorBelowTheProgramsFloor)
{
    for (Antenna a : {Antenna::Isotropic, Antenna::Dipole, Antenna::Horn, Antenna::Yagi})
        for (Plane p : {Plane::E, Plane::H}) {
            double best = -1e9;
            int bestAngle = -1;
            for (int deg = 0; deg < 360; ++deg) {
                double l = PatternLevelDb(a, p, deg, -5.0);
                EXPECT_LE(l, -5.0 + 1e-9);
                EXPECT_GE(l, -5.0 - kPatternDepthDb - 0.01);
                if (l > best + 1e-9) {
                    best = l;
                    bestAngle = deg;
                }
            }
            EXPECT_NEAR(best, -5.0, 1e-6) << AntennaName(a) << PlaneName(p);
            EXPECT_EQ(bestAngle, 0) << AntennaName(a) << PlaneName(p);
        }
}

TEST(RigPatterns, ShapesOfTheCuts)
{
    auto L = [](Antenna a, Plane p, double deg) { return PatternLevelDb(a, p, deg, -5.0); };
    // Dipole: nulls across its axis in E, round in H.
    EXPECT_LT(L(Antenna::Dipole, Plane::E, 90), -30.0);
    EXPECT_LT(L(Antenna::Dipole, Plane::E, 270), -30.0);
    EXPECT_NEAR(L(Antenna::Dipole, Plane::E, 180), -5.0, 1e-6);
    EXPECT_NEAR(L(Antenna::Dipole, Plane::E, 39), -5.0 - 3.0, 0.2);  // half power at +-39 deg
    EXPECT_NEAR(L(Antenna::Dipole, Plane::E, 321), -5.0 - 3.0, 0.2);
    for (int deg = 0; deg < 360; deg += 15)
        EXPECT_NEAR(L(Antenna::Dipole, Plane::H, deg), -5.0, 1e-6);

    // Horn: E and H differ; E has a side lobe (a local maximum off the main
    // lobe), and the back is below the -30 dB floor.
    double diff = 0;
    for (int deg = 0; deg < 180; ++deg)
        diff = std::max(
            diff, std::fabs(L(Antenna::Horn, Plane::E, deg) - L(Antenna::Horn, Plane::H, deg)));
    EXPECT_GT(diff, 6.0);
    bool sideLobe = false;
    for (int deg = 20; deg < 90; ++deg)
        if (L(Antenna::Horn, Plane::E, deg) > L(Antenna::Horn, Plane::E, deg - 1)
            && L(Antenna::Horn, Plane::E, deg) > L(Antenna::Horn, Plane::E, deg + 1)) {
            sideLobe = true;
            EXPECT_LT(L(Antenna::Horn, Plane::E, deg), -5.0 - 10.0);
        }
    EXPECT_TRUE(sideLobe);
    EXPECT_LT(L(Antenna::Horn, Plane::E, 180), -30.0);
    EXPECT_LT(L(Antenna::Horn, Plane::H, 180), -30.0);
    // Symmetric about the boresight.
    EXPECT_NEAR(L(Antenna::Horn, Plane::H, 25), L(Antenna::Horn, Plane::H, 335), 1e-9);

    // Yagi: forward beam, E narrower than H, weaker back lobe.
    EXPECT_LT(L(Antenna::Yagi, Plane::E, 60), L(Antenna::Yagi, Plane::H, 60) - 1.0);
    EXPECT_LT(L(Antenna::Yagi, Plane::H, 180), -5.0 - 8.0);
}

TEST(RigPatterns, BoresightAndAttenuatorShiftTheReading)
{
    RigModel rig;
    rig.setAntenna(Antenna::Horn);
    rig.setBoresight(40);
    rig.setAngle(40);
    EXPECT_NEAR(rig.receiverLevelDb(), -5.0, 1e-9);
    rig.setAttenuation(30);
    EXPECT_NEAR(rig.receiverLevelDb(), -35.0, 1e-9);
    rig.setAngle(220);
    // Back of the horn with 30 dB in: below the receiver's range.
    EXPECT_EQ(RawLevel(rig.receiverLevelDb()), 0);
}

TEST(RigPlane, SweepFollowedByInitialiseSwitchesTheCut)
{
    RigModel rig;
    rig.setLineSpeed(0);
    rig.setAutoPlaneSwitch(true);
    for (int k = 0; k < 100; ++k)
        Send(rig, 'A');
    Send(rig, 'C');  // stopped early: same cut
    EXPECT_EQ(rig.plane(), Plane::E);
    for (int k = 0; k < 359; ++k)
        Send(rig, 'A');
    Send(rig, 'C');
    EXPECT_EQ(rig.plane(), Plane::H);
    Send(rig, 'C');  // a second C (Stop) right after: no further switch
    EXPECT_EQ(rig.plane(), Plane::H);
    for (int k = 0; k < 359; ++k)
        Send(rig, 'A');
    Send(rig, 'C');
    EXPECT_EQ(rig.plane(), Plane::E);

    RigModel fixed;
    fixed.setLineSpeed(0);
    for (int k = 0; k < 359; ++k)
        Send(fixed, 'A');
    Send(fixed, 'C');
    EXPECT_EQ(fixed.plane(), Plane::E);
}

// The operator remounts the antenna once the rig is home: the closing C of a
// whole sweep reads the swept cut at 0 degrees, the next command the other.
TEST(RigPlane, TheClosingCOfASweepIsAnsweredFromTheSweptCut)
{
    RigModel rig;
    rig.setLineSpeed(0);
    rig.setAntenna(Antenna::Dipole);
    rig.setBoresight(90.0);  // at 0 degrees the E cut has its null, the H cut its peak
    rig.setAutoPlaneSwitch(true);
    const auto levelAt0 = [](Plane p) {
        RigModel m;
        m.setAntenna(Antenna::Dipole);
        m.setBoresight(90.0);
        m.setPlane(p);
        m.setAngle(0);
        const auto r = m.report();
        return DecodeLevel(Bytes(r.begin(), r.end()), 0.0);
    };
    ASSERT_GT(levelAt0(Plane::H) - levelAt0(Plane::E), 10.0) << "the cuts tell apart at 0";
    for (Plane swept : {Plane::E, Plane::H}) {
        ASSERT_EQ(rig.plane(), swept);
        for (int k = 0; k < 359; ++k)
            Send(rig, 'A');
        const Bytes closing = Send(rig, 'C');
        EXPECT_EQ(DecodeAngle(closing), 0u) << "home";
        EXPECT_DOUBLE_EQ(DecodeLevel(closing, 0.0), levelAt0(swept));
        const Plane other = swept == Plane::E ? Plane::H : Plane::E;
        EXPECT_EQ(rig.plane(), other) << "switched after the reply";
        EXPECT_DOUBLE_EQ(DecodeLevel(Send(rig, 'H'), 0.0), levelAt0(other));
    }
}

TEST(RigDrift, TheLevelCreepsWithTheRigsTimeAndReportShowsNoDrift)
{
    RigModel rig;
    MakeIso(rig, -10.0);
    // The rig's timeline only runs forwards: each reply is made at `ms` or later.
    const auto at = [&](double ms) { return DecodeLevel(Values(rig.receive('H', ms)), 0.0); };
    EXPECT_DOUBLE_EQ(at(0.0), -10.0) << "nothing without a drift";
    EXPECT_DOUBLE_EQ(at(60000.0), -10.0);
    rig.setDrift(1.5);
    EXPECT_EQ(rig.drift(), 1.5);
    EXPECT_NEAR(at(120000.0), -7.0, 0.026) << "1.5 dB a minute from the start";
    EXPECT_NEAR(at(140000.0), -6.5, 0.026);
    // The reply to a step comes at the step's end.
    rig.setStepTimeMs(30000.0);
    EXPECT_NEAR(DecodeLevel(Values(rig.receive('A', 160000.0)), 0.0), -5.25, 0.026);
    rig.setDrift(-3.0);
    EXPECT_NEAR(at(240000.0), -22.0, 0.026) << "downwards";
    const auto r = rig.report();
    EXPECT_DOUBLE_EQ(DecodeLevel(Bytes(r.begin(), r.end()), 0.0), -10.0);
    rig.setDrift(std::nan(""));
    EXPECT_EQ(rig.drift(), 0.0) << "brought into range";
    EXPECT_DOUBLE_EQ(DriftDb(rig.state(), 1e6), 0.0);
}

TEST(RigFaults, QueueCountsAndPermanence)
{
    RigModel rig;
    MakeIso(rig, -5.0);
    rig.setAngle(90);
    const Bytes normal{0x03, 0x84, 0x00, 0x5B};
    rig.injectFault(Fault::silence(), 2);
    rig.injectFault(Fault::scripted({0x03, 0x84, 0x01, 0x68}));
    rig.injectFault(Fault::shortReply(3));
    EXPECT_TRUE(Send(rig, 'I').empty());  // silent commands use no fault
    EXPECT_TRUE(Send(rig, 'A').empty());
    EXPECT_TRUE(Send(rig, 'B').empty());
    EXPECT_EQ(rig.angle(), 90);  // the commands were still carried out
    EXPECT_EQ(Send(rig, 'H'), (Bytes{0x03, 0x84, 0x01, 0x68}));
    EXPECT_EQ(Send(rig, 'A'), (Bytes{0x03, 0x84, 0x00}));
    EXPECT_EQ(rig.pendingFaults(), 0);
    EXPECT_EQ(Send(rig, 'H'), normal);

    rig.injectFault(Fault::garbage(Bytes{0xDE, 0xAD}), kPermanent);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Send(rig, 'H'), (Bytes{0xDE, 0xAD}));
    rig.clearFaults();
    EXPECT_EQ(Send(rig, 'H'), normal);

    rig.injectFault(Fault::garbage(6));
    Bytes g = Send(rig, 'H');
    EXPECT_EQ(g.size(), 6u);

    Fault chatty = Fault::scripted({0x55});
    chatty.onSilentCommands = true;
    rig.injectFault(chatty);
    EXPECT_EQ(Send(rig, 'J'), (Bytes{0x55}));
    EXPECT_EQ(Send(rig, 'H'), normal);
}

TEST(RigFaults, AFaultHeldBackUntilAStepsReply)
{
    RigModel rig;
    MakeIso(rig, -5.0);
    rig.setAngle(0);
    rig.injectFaultAtStep(Fault::silence(), 3, 2);
    EXPECT_EQ(Send(rig, 'A').size(), 4u);
    EXPECT_EQ(Send(rig, 'H').size(), 4u);  // no step yet: H keeps its reply
    EXPECT_EQ(Send(rig, 'B').size(), 4u);
    EXPECT_TRUE(Send(rig, 'A').empty()) << "the third step's reply";
    EXPECT_TRUE(Send(rig, 'H').empty()) << "and the next reply, the fault's second";
    EXPECT_EQ(Send(rig, 'H').size(), 4u);
    EXPECT_EQ(rig.pendingFaults(), 0);
    EXPECT_EQ(rig.angle(), 1);
}

TEST(RigTiming, WireStepAndLateTimes)
{
    RigModel rig;
    MakeIso(rig, -5.0);
    rig.setLineSpeed(9600);
    rig.setStepTimeMs(20);
    rig.setInitTimeMs(300);
    const double byte = 10000.0 / 9600.0;
    EXPECT_NEAR(rig.byteTimeMs(), byte, 1e-12);

    auto r = rig.receive('A', 100.0);
    ASSERT_EQ(r.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(r[i].atMs, 100.0 + byte + 20.0 + (i + 1) * byte, 1e-9);

    // A command written while the rig is still busy waits for it.
    auto h = rig.receive('H', 101.0);
    auto c = rig.receive('C', 101.5);
    EXPECT_NEAR(h.back().atMs, r.back().atMs + 4 * byte, 1e-9);
    EXPECT_NEAR(c.back().atMs, h.back().atMs + 300.0 + 4 * byte, 1e-9);

    rig.injectFault(Fault::late(5000));
    auto late = rig.receive('H', 2000.0);
    EXPECT_NEAR(late.front().atMs, 2000.0 + byte + 5000.0 + byte, 1e-9);

    // The record holds every byte in order with its time.
    auto t = rig.traffic();
    ASSERT_EQ(t.size(), 4u * 5u);
    EXPECT_EQ(t[0].dir, Direction::ToRig);
    EXPECT_EQ(t[0].value, 'A');
    EXPECT_NEAR(t[0].atMs, 100.0 + byte, 1e-9);
    EXPECT_EQ(t[1].dir, Direction::FromRig);
    EXPECT_EQ(rig.received(), (Bytes{'A', 'H', 'C', 'H'}));
    rig.clearTraffic();
    EXPECT_TRUE(rig.traffic().empty());
}

// A report is made from one state: with the positioner stepping on another
// thread, each report's level is the pattern's level at that report's angle.
TEST(RigState, ReportReadsLevelAndAngleTogether)
{
    RigModel rig;
    rig.setAntenna(Antenna::Horn);  // a level that changes with every degree
    rig.setLineSpeed(0);
    std::atomic<bool> done{false};
    std::thread stepper([&] {
        for (int i = 0; i < 200000 && !done; ++i)
            rig.receive(kCmdForward, 0.0);
        done = true;
    });
    RigState fixed = rig.state();
    int mismatches = 0, reports = 0;
    while (!done) {
        auto r = rig.report();
        fixed.angle = int(DecodeAngle(Bytes(r.begin(), r.end())));
        if (r[0] * 256 + r[1] != RawLevel(ReceiverLevelDb(fixed)))
            ++mismatches;
        ++reports;
    }
    stepper.join();
    EXPECT_GT(reports, 0);
    EXPECT_EQ(mismatches, 0) << "of " << reports;
}

TEST(RigState, UpdateKeepsTheStateInRange)
{
    RigModel rig;
    rig.update([](RigState &s) {
        s.angle = -1;
        s.noiseDb = -2.0;
        s.stepMs = -5.0;
        s.baud = -9600;
        s.autoPlaneMinSteps = 0;
        s.attenuation = 12.5;
    });
    const RigState s = rig.state();
    EXPECT_EQ(s.angle, 359);
    EXPECT_EQ(s.noiseDb, 0.0);
    EXPECT_EQ(s.stepMs, 0.0);
    EXPECT_EQ(s.baud, 0);
    EXPECT_EQ(s.autoPlaneMinSteps, 1);
    EXPECT_EQ(s.attenuation, 12.5);
    rig.setNoise(std::nan(""));
    EXPECT_EQ(rig.noise(), 0.0);
}

namespace {

// Levels decoded from `n` replies to H at the rig's present angle.
std::vector<double> NoisyReadings(RigModel &rig, int n)
{
    std::vector<double> v;
    for (int i = 0; i < n; ++i)
        v.push_back(DecodeLevel(Send(rig, kCmdReport), 0.0));
    return v;
}

double Mean(const std::vector<double> &v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s / double(v.size());
}

double StdDev(const std::vector<double> &v)
{
    const double m = Mean(v);
    double s = 0;
    for (double x : v)
        s += (x - m) * (x - m);
    return std::sqrt(s / double(v.size() - 1));
}

}  // namespace

// Receiver noise: each reply draws anew around the pattern's level, with the
// asked spread, so that averaging N readings narrows it by sqrt(N).
TEST(RigNoise, SpreadMeanAndAveraging)
{
    for (double sigma : {0.2, 0.5, 1.0}) {
        RigModel rig;
        MakeIso(rig, -10.0);
        rig.setNoise(sigma);
        rig.setSeed(2024);
        const std::vector<double> v = NoisyReadings(rig, 4000);
        EXPECT_NEAR(Mean(v), -10.0, 0.05) << sigma;
        // The reply's 0.05 dB steps add a little spread of their own.
        const double expected = std::sqrt(sigma * sigma + 0.05 * 0.05 / 12.0);
        EXPECT_NEAR(StdDev(v), expected, 0.06 * expected) << sigma;
        std::vector<double> means;
        for (std::size_t i = 0; i + 4 <= v.size(); i += 4)
            means.push_back(Mean({v[i], v[i + 1], v[i + 2], v[i + 3]}));
        EXPECT_NEAR(StdDev(means) / StdDev(v), 0.5, 0.06) << sigma;
    }
}

TEST(RigNoise, SeededSequenceRepeatsAndFaultsDoNotShiftIt)
{
    auto readings = [](std::uint32_t seed, bool garbageBetween) {
        RigModel rig;
        MakeIso(rig, -10.0);
        rig.setNoise(0.5);
        rig.setSeed(seed);
        std::vector<double> v;
        for (int i = 0; i < 50; ++i) {
            if (garbageBetween && i % 10 == 0) {
                rig.injectFault(Fault::garbage(4));
                Send(rig, kCmdReport);  // random bytes instead of a reading
            }
            v.push_back(DecodeLevel(Send(rig, kCmdReport), 0.0));
        }
        return v;
    };
    EXPECT_EQ(readings(7, false), readings(7, false));
    EXPECT_NE(readings(7, false), readings(8, false));
    // A garbage reply takes the place of a reading (which draws noise), so
    // compare the readings after it: the same as without the garbage, one
    // draw further on.
    RigModel ref;
    MakeIso(ref, -10.0);
    ref.setNoise(0.5);
    ref.setSeed(7);
    const std::vector<double> plain = NoisyReadings(ref, 60);
    const std::vector<double> withGarbage = readings(7, true);
    EXPECT_EQ(withGarbage[0], plain[1]);
    EXPECT_EQ(withGarbage[49], plain[54]);
    // No noise: every reading exact.
    RigModel quiet;
    MakeIso(quiet, -10.0);
    for (double l : NoisyReadings(quiet, 20))
        EXPECT_EQ(l, -10.0);
}
