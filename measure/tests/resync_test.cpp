// SPDX-License-Identifier: GPL-3.0-or-later
// A sweep stays in step whatever the rig, the line or the user do: late
// replies answered quickly, lost replies, replies that cannot be right and
// a replug answered before the cable is back. Every saved level is the
// rig's at its angle, and the rig makes exactly 359 steps.
#include "kesto_fixture.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "rig_process.h"

using kt::ExpectedLevel;
using kt::Questions;
using kt::RunKesto;

namespace {

class ResyncTest : public kt::InScratchDir {};

int Count(const std::string &s, char c)
{
    return int(std::count(s.begin(), s.end(), c));
}

// Every sample is the rig's level at its own angle.
void ExpectSamplesInStep(rigsim::Antenna antenna)
{
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(imsi_Edata[i], ExpectedLevel(antenna, i), 1e-9) << "sample " << i;
}

// What the user does when the connection question comes: wait, then Yes.
std::function<void()> gOnQuestion;

void AnswerEachQuestion(std::function<void()> wait)
{
    static bool armed = false;
    gOnQuestion = [wait = std::move(wait)] {
        wait();
        rt::test::AnswerConfirm(1);
    };
    if (armed)
        return;
    armed = true;
    static std::function<void()> rearm = [] {
        if (gOnQuestion)
            gOnQuestion();
        rt::test::OnNextPopup(rearm);
    };
    rt::test::OnNextPopup(rearm);
}

// Runs a full E sweep from angle 0 on the in-process rig; each connection
// question is answered Yes after `yesMs` of the rig's time.
void SweepAnsweringYes(const std::shared_ptr<rigsim::RigModel> &rig, double yesMs)
{
    rig->setAngle(0);
    AnswerEachQuestion([rig, yesMs] { rig->advanceVirtualTime(yesMs); });
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    gOnQuestion = {};
}

// ---- A late reply answered quickly ----------------------------------------------------

struct LateCase {
    double lateMs;
    double yesMs;
};

class LateReply : public ResyncTest, public testing::WithParamInterface<LateCase> {};

TEST_P(LateReply, TheStepIsMadeOnceAndEverySampleIsAtItsAngle)
{
    const LateCase c = GetParam();
    auto rig = kt::MakeRig(1);
    rig->injectFaultAtStep(rigsim::Fault::late(c.lateMs), 100);
    SweepAnsweringYes(rig, c.yesMs);
    EXPECT_EQ(rig->steps(), 359);
    EXPECT_EQ(Count(kt::Received(*rig), 'A'), 359);
    EXPECT_EQ(Questions(), 1) << rt::test::PopupLog();
    ExpectSamplesInStep(rig->antenna());
    EXPECT_EQ(RigLinkDown(), 0);
}

INSTANTIATE_TEST_SUITE_P(Timings, LateReply,
                         testing::Values(LateCase{3000, 100}, LateCase{3000, 1600},
                                         LateCase{1000, 50}, LateCase{1500, 50},
                                         LateCase{2000, 4000}, LateCase{4000, 50},
                                         LateCase{4000, 1000}, LateCase{4000, 4000},
                                         LateCase{2500, 700}),
                         [](const auto &info) {
                             return "Late" + std::to_string(int(info.param.lateMs)) + "Yes"
                                    + std::to_string(int(info.param.yesMs));
                         });

// ---- Every fault kind on a step's reply -----------------------------------------------

struct FaultCase {
    rigsim::Fault fault;
    int questions;  // 1: the step's reply was missing; 0: retaken without asking
    const char *name;
};

class StepFault : public ResyncTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(StepFault, NoSampleOutOfStepAndNoGarbageFiled)
{
    const FaultCase c = GetParam();
    auto rig = kt::MakeRig(1);
    rig->injectFaultAtStep(c.fault, 100);
    SweepAnsweringYes(rig, 100);
    EXPECT_EQ(rig->steps(), 359);
    EXPECT_EQ(Questions(), c.questions) << rt::test::PopupLog();
    ExpectSamplesInStep(rig->antenna());
}

rigsim::Fault Reply(int angle)
{
    const auto r = rigsim::EncodeReply(rigsim::RawLevel(10.0), std::uint16_t(angle));
    return rigsim::Fault::scripted({r.begin(), r.end()});
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StepFault,
    testing::Values(FaultCase{rigsim::Fault::silence(), 1, "Silence"},
                    FaultCase{rigsim::Fault::shortReply(0), 1, "Short0"},
                    FaultCase{rigsim::Fault::shortReply(3), 1, "Short3"},
                    FaultCase{rigsim::Fault::garbage({0xED, 0x71, 0x72, 0x02}), 0, "Angle29186"},
                    FaultCase{rigsim::Fault::garbage(4), 0, "RandomGarbage"},
                    FaultCase{rigsim::Fault::garbage(7), 0, "SevenBytes"},
                    FaultCase{rigsim::Fault::garbage(2), 1, "TwoBytes"},
                    FaultCase{Reply(99), 0, "StartAngle"}, FaultCase{Reply(250), 0, "OtherAngle"},
                    FaultCase{Reply(360), 0, "Angle360"},
                    FaultCase{rigsim::Fault::late(1200), 1, "Late"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ResyncTest, AGarbageReplyIsRetakenWithOneQuestionOfTheAngleAndNothingElse)
{
    auto rig = kt::MakeRig(1);
    rig->injectFaultAtStep(rigsim::Fault::garbage({0xED, 0x71, 0x72, 0x02}), 100);
    SweepAnsweringYes(rig, 0);
    const std::string a100(100, 'A'), a259(259, 'A');
    EXPECT_EQ(kt::Received(*rig), "H" + a100 + "H" + a259 + "C");
    EXPECT_TRUE(rt::test::Popups().empty()) << rt::test::PopupLog();
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_LT(imsi_Edata[i], 100.0) << "no spike off the graph at " << i;
}

TEST_F(ResyncTest, ARigThatKeepsSendingGarbageIsAskedAboutAndNoGarbageIsFiled)
{
    auto rig = kt::MakeRig(1);
    rig->injectFaultAtStep(rigsim::Fault::garbage({0xED, 0x71, 0x72, 0x02}), 100,
                           rigsim::kPermanent);
    rt::test::AnswerConfirm(1);
    rt::test::AnswerConfirm(0);  // then the user gives up
    rt::test::OnNextPopup([] {});
    rt::test::OnNextPopup([rig] { rig->clearFaults(); });
    rig->setAngle(0);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(Questions(), 2);
    EXPECT_TRUE(rt::test::QuitRequested());
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_LT(imsi_Edata[i], 100.0) << "no garbage level filed at " << i;
}

// A manual step whose reply is garbage is retaken the same way.
TEST_F(ResyncTest, AManualStepWithAnImpossibleReplyShowsTheRigsAngle)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(40);
    RunKesto(PORTPNL_COM1, [&] {
        rig->injectFault(rigsim::Fault::garbage({0xED, 0x71, 0x72, 0x02}));
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        EXPECT_EQ(kt::AngleShown(), 41u);
        EXPECT_NEAR(kt::LevelShown(), ExpectedLevel(rig->antenna(), 41), 1e-9);
        rt::test::PressButton(kestopnl, KESTOPNL_DEC1);
        EXPECT_EQ(kt::AngleShown(), 40u);
    });
    EXPECT_EQ(kt::Received(*rig), "HAHB");
    EXPECT_EQ(rig->steps(), 2);
}

// A step's start is the angle of the rig on the port in use: after a change
// to another port (another rig) before any poll, a step is not taken for a
// fault.
TEST_F(ResyncTest, AStepRightAfterAPortChangeStartsFromTheNewRigsAngle)
{
    auto rig1 = kt::MakeRig(1);
    auto rig2 = kt::MakeRig(2);
    rig2->setAngle(200);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_PORT);
        rt::test::CommitValue(compnl, COMPNL_PORT, 2);
        rt::test::PressButton(compnl, COMPNL_CLOSE);
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        EXPECT_EQ(kt::AngleShown(), 201u);
    });
    EXPECT_EQ(kt::Received(*rig2), "A");
    EXPECT_TRUE(rt::test::Popups().empty()) << rt::test::PopupLog();
}

// ---- A replug whose step reply was lost, Yes before the cable is back -----------------

TEST_F(ResyncTest, AReplugAnsweredBeforeTheCableIsBackMakesTheLostStepOnlyOnce)
{
    for (bool stepReached : {true, false}) {
        SCOPED_TRACE(stepReached ? "the rig made the step" : "the step never reached the rig");
        auto rig = kt::MakeRig(1);
        rt::test::ClearPopups();
        if (stepReached) {
            // Step 100's reply is lost and the line goes right after it.
            rig->injectFaultAtStep(rigsim::Fault::silence(), 100);
            rig->unplugAfterSteps(100, 600);
        } else {
            // The line goes after step 99's reply: step 100 never arrives.
            rig->unplugAfterSteps(99, 600);
        }
        rt::test::AnswerConfirm(1);  // at once, with the cable still out
        rt::test::OnNextPopup([rig] {
            rt::test::AnswerConfirm(1);  // the second time, once it is back
            rt::test::OnNextPopup([rig] {
                while (!rig->pluggedIn())
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            });
        });
        rig->setAngle(0);
        RunKesto(PORTPNL_COM1, [&] {
            SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
            rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        });
        EXPECT_EQ(rig->steps(), 359);
        EXPECT_EQ(Questions(), 2) << rt::test::PopupLog();
        ExpectSamplesInStep(rig->antenna());
    }
}

TEST_F(ResyncTest, OnAPseudoTerminalTheLostStepOfAReplugIsMadeOnlyOnce)
{
    // The rig makes step 100 but its reply never comes, and the line goes;
    // the first Yes comes at once, the second once the rig is back.
    rigsim_test::ScratchDir scratch;
    rigsim_test::RigProcess rig;
    const std::string link = scratch.path + "/rig";
    ASSERT_TRUE(
        rig.start({"--link", link, "--antenna", "dipole", "--step-ms", "0", "--init-ms", "0",
                   "--baud", "0", "--no-auto-plane", "--fault", "silence", "--fault-step", "100",
                   "--fault-count", "1", "--unplug-steps", "100:800"}));
    setenv("VELORAN_COM1", link.c_str(), 1);
    rt::test::ClearComLog();
    rt::test::AnswerConfirm(1);
    std::string back;
    rt::test::OnNextPopup([&] {
        rt::test::AnswerConfirm(1);
        rt::test::OnNextPopup([&] { back = rigsim_test::ReadLine(rig.out, 5000); });
    });
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    unsetenv("VELORAN_COM1");
    EXPECT_FALSE(back.empty());
    EXPECT_EQ(Questions(), 2) << rt::test::PopupLog();
    EXPECT_EQ(Count(rt::test::ComWritten(1), 'A'), 359);
    ExpectSamplesInStep(rigsim::Antenna::Dipole);
}

// ---- Random timings -------------------------------------------------------------------

TEST_F(ResyncTest, RandomFaultsAndAnswerTimesNeverPutASampleOutOfStep)
{
    std::mt19937 rng(20261210);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int run = 0; run < 12; ++run) {
        auto rig = kt::MakeRig(1);
        rt::test::ClearPopups();
        std::string what;
        int missing = 0;
        for (int f = 0, faults = pick(1, 3); f < faults; ++f) {
            const int step = pick(1, 359);
            rigsim::Fault fault;
            switch (pick(0, 4)) {
            case 0:
                fault = rigsim::Fault::late(pick(1000, 4000));
                break;
            case 1:
                fault = rigsim::Fault::silence();
                break;
            case 2:
                fault = rigsim::Fault::shortReply(pick(0, 3));
                break;
            case 3:
                fault = rigsim::Fault::garbage(pick(1, 8));
                break;
            default:
                fault = Reply(pick(0, 65535));
                break;
            }
            // Faults wait in turn: each later one starts at its step or after.
            rig->injectFaultAtStep(fault, step);
            what += " step " + std::to_string(step) + " kind " + std::to_string(int(fault.kind));
            ++missing;
        }
        const double yesMs = pick(50, 4000);
        SCOPED_TRACE("run " + std::to_string(run) + what + " yes after "
                     + std::to_string(int(yesMs)));
        SweepAnsweringYes(rig, yesMs);
        EXPECT_EQ(rig->steps(), 359);
        EXPECT_EQ(Count(kt::Received(*rig), 'A'), 359);
        ExpectSamplesInStep(rig->antenna());
        EXPECT_LE(Questions(), 2 * missing);
    }
}

// ---- The rig on a pseudo-terminal -----------------------------------------------------

struct PtyCase {
    const char *fault;
    int yesMs;
    const char *name;
};

class PtyRig : public ResyncTest, public testing::WithParamInterface<PtyCase> {
protected:
    rigsim_test::ScratchDir scratch_;
};

TEST_P(PtyRig, SweepStaysInStep)
{
    const PtyCase c = GetParam();
    rigsim_test::RigProcess rig;
    const std::string link = scratch_.path + "/rig";
    ASSERT_TRUE(rig.start({"--link", link, "--antenna", "dipole", "--step-ms", "0", "--init-ms",
                           "0", "--baud", "0", "--no-auto-plane", "--fault", c.fault,
                           "--fault-step", "100", "--fault-count", "1"}));
    setenv("VELORAN_COM1", link.c_str(), 1);
    rt::test::ClearComLog();
    AnswerEachQuestion(
        [ms = c.yesMs] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    gOnQuestion = {};
    unsetenv("VELORAN_COM1");
    EXPECT_EQ(Count(rt::test::ComWritten(1), 'A'), 359);
    EXPECT_LE(Questions(), 1) << rt::test::PopupLog();
    ExpectSamplesInStep(rigsim::Antenna::Dipole);
}

INSTANTIATE_TEST_SUITE_P(Faults, PtyRig,
                         testing::Values(PtyCase{"late:3000", 100, "Late3000Yes100"},
                                         PtyCase{"late:1500", 50, "Late1500Yes50"},
                                         PtyCase{"silence", 100, "Silence"},
                                         PtyCase{"garbage:ED717202", 100, "Angle29186"}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
