// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic sweep, Stop, manual steps, attenuation and sound, driven
// through the program's own dispatch against the simulated rig.
#include "kesto_fixture.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <cmath>

using kt::RunKesto;

namespace {

class SweepTest : public kt::InScratchDir {};

// The level Kesto decodes for the rig standing at `deg`, with `attn` added.
double ExpectedLevel(const rigsim::RigModel &like, int deg, double attn)
{
    rigsim::RigModel m;
    m.setAntenna(like.antenna());
    m.setPlane(like.plane());
    m.setAngle(deg);
    const auto r = m.report();
    return std::max(-30.0, (r[0] * 256 + r[1]) / 20.0 - 50.0 + attn);
}

std::string Repeat(char c, int n)
{
    return std::string(std::size_t(n), c);
}

std::vector<rt::PlotItem> Traces()
{
    auto items = rt::test::GraphItems(kestopnl, KESTOPNL_GRAPH);
    items.erase(items.begin(), items.begin() + kt::kFramePlots);
    return items;
}

// ---- Full and stopped sweeps ------------------------------------------------------

struct SweepCase {
    bool sound;
    int stopAfter;  // 0: full sweep
    const char *name;
};

class Sweep : public SweepTest, public testing::WithParamInterface<SweepCase> {};

TEST_P(Sweep, BytesSamplesAndState)
{
    const SweepCase c = GetParam();
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    int sstepDuring = -1;
    RunKesto(PORTPNL_COM1, [&] {
        for (int i = 0; i < KESTO_SAMPLES; ++i)
            imsi_Edata[i] = 99.0;
        rt::test::CommitValue(kestopnl, KESTOPNL_ATTN, 10.0);
        if (c.sound)
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SOUND);
        Sstep = 5;
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        kt::AfterSteps(rig, 1, [&] { sstepDuring = Sstep; });
        if (c.stopAfter)
            kt::AfterSteps(rig, c.stopAfter,
                           [] { rt::test::PressButton(kestopnl, KESTOPNL_STOP); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    const int steps = c.stopAfter ? c.stopAfter : 359;
    std::string bytes = "H";
    if (c.stopAfter)
        bytes += std::string(c.sound ? "I" : "") + Repeat('A', steps) + (c.sound ? "J" : "") + "CC";
    else if (c.sound)
        bytes += "I" + Repeat('A', 358) + "J" + "A" + "C";
    else
        bytes += Repeat('A', 359) + "C";
    EXPECT_EQ(kt::Received(*rig), bytes);
    for (int i = 0; i <= steps; ++i)
        ASSERT_DOUBLE_EQ(imsi_Edata[i], ExpectedLevel(*rig, i, 10.0)) << "sample " << i;
    for (int i = steps + 1; i < KESTO_SAMPLES; ++i)
        ASSERT_DOUBLE_EQ(imsi_Edata[i], 99.0) << "untouched above the stop: " << i;
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_DOUBLE_EQ(imsi_Hdata[i], 0.0);
    EXPECT_EQ(DataIndex, 0);
    EXPECT_DOUBLE_EQ(Eattn, 10.0);
    EXPECT_EQ(QuestionCompleteE, 1);
    EXPECT_EQ(QuestionCompleteH, 0);
    EXPECT_EQ(QuestionSave, 1);
    EXPECT_EQ(kt::TimerOn(), 1);
    EXPECT_EQ(sstepDuring, 1);
    EXPECT_EQ(Sstep, 5) << "the user's count is back";
    EXPECT_STREQ(Edate, Hdate);
    EXPECT_STREQ(Etime, Htime);
    EXPECT_EQ(std::strlen(Edate), 10u);
    EXPECT_EQ(std::strlen(Etime), 8u);
    int progress = -1;
    GetCtrlVal(kestopnl, KESTOPNL_PROGRESS, &progress);
    EXPECT_EQ(progress, steps);
    // One segment per step, joined to the previous one, all red.
    const auto traces = Traces();
    EXPECT_EQ(int(traces.size()), 2 * steps - 1);
    for (const auto &t : traces)
        ASSERT_EQ(t.color, RT_RED);
    EXPECT_EQ(first, c.stopAfter ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Sweep,
                         testing::Values(SweepCase{false, 0, "Full"},
                                         SweepCase{true, 0, "FullWithSound"},
                                         SweepCase{false, 5, "Stopped"},
                                         SweepCase{true, 5, "StoppedWithSound"},
                                         SweepCase{false, 1, "StoppedAtOnce"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SweepTest, ThirdPlaneMovesAndDrawsWhiteButFilesNothing)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 2);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        EXPECT_EQ(QuestionSave, 0);
        // Once an E sweep has ended, any later sweep end marks data to save.
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        QuestionSave = 0;
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 2);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        EXPECT_EQ(QuestionSave, 1);
    });
    EXPECT_EQ(kt::Received(*rig),
              "H" + Repeat('A', 359) + "C" + Repeat('A', 359) + "C" + Repeat('A', 359) + "C");
    const auto traces = Traces();
    // Each later sweep starts with a line from where the previous one ended.
    ASSERT_EQ(traces.size(), std::size_t(3 * 717 + 2));
    EXPECT_EQ(traces.front().color, RT_WHITE);
    EXPECT_EQ(traces.back().color, RT_WHITE);
    EXPECT_EQ(traces[717].color, RT_RED);
    EXPECT_EQ(traces[717 + 718].color, RT_WHITE);
    EXPECT_EQ(QuestionCompleteH, 0);
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_DOUBLE_EQ(imsi_Hdata[i], 0.0);
}

TEST_F(SweepTest, SecondAutoDuringASweepStartsNoNestedSweep)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        Sstep = 3;
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        kt::AfterSteps(rig, 10, [] { rt::test::PressButton(kestopnl, KESTOPNL_AUTO); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat('A', 359) + "C");
    EXPECT_EQ(DataIndex, 0);
    EXPECT_EQ(Sstep, 3);
    EXPECT_EQ(QuestionCompleteH, 1);
    EXPECT_DOUBLE_EQ(imsi_Hdata[359], ExpectedLevel(*rig, 359, 0.0));
}

TEST_F(SweepTest, StepCountsAppliedDuringASweepTakeEffectWhenItEnds)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    RunKesto(PORTPNL_COM1, [&] {
        kt::AfterSteps(rig, 10, [] {
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_STEP);
            SetCtrlVal(steppnl, STEPPNL_SSTEP, 5);
            SetCtrlVal(steppnl, STEPPNL_LSTEP, 15);
            rt::test::PressButton(steppnl, STEPPNL_APPLY);
        });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    // Still one degree per sample for the whole sweep.
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat('A', 359) + "C");
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_DOUBLE_EQ(imsi_Edata[i], ExpectedLevel(*rig, i, 0.0)) << "sample " << i;
    EXPECT_EQ(Sstep, 5) << "the applied count is not lost";
    EXPECT_EQ(Lstep, 15);
}

struct ExitDuringSweep {
    bool sound;
    bool button;
    const char *name;
};

class ExitInSweep : public SweepTest, public testing::WithParamInterface<ExitDuringSweep> {};

TEST_P(ExitInSweep, ConfirmedExitStopsTheSweepBeforeThePortCloses)
{
    const ExitDuringSweep c = GetParam();
    auto rig = kt::MakeRig(1);
    kt::MakeMarker();
    RunKesto(PORTPNL_COM1, [&] {
        if (c.sound)
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SOUND);
        kt::AfterSteps(rig, 10, [c] {
            rt::test::AnswerConfirm(1);
            if (c.button)
                rt::test::PressButton(kestopnl, KESTOPNL_EXIT);
            else
                rt::test::ChooseMenuItem(menu_handle, KESTOMENU_EXIT);
        });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        EXPECT_TRUE(rt::test::QuitRequested());
    });
    // Stopped as by Stop, and the sweep's own closing "C" still reaches the
    // rig: no exchange runs on a closed port, so no connection question.
    EXPECT_EQ(kt::Received(*rig), std::string("H") + (c.sound ? "I" : "") + Repeat('A', 10)
                                      + (c.sound ? "J" : "") + "CC");
    EXPECT_EQ(rt::test::PopupLog(), std::string("confirm:") + (c.button ? "Confrim" : "Confirm")
                                        + "|Are you want to quit?\n");
    EXPECT_FALSE(kt::MarkerExists());
    char b = 'H';
    EXPECT_EQ(ComWrt(1, &b, 1), rt::kComPortNotOpen) << "the port is closed at the end";
}
INSTANTIATE_TEST_SUITE_P(Cases, ExitInSweep,
                         testing::Values(ExitDuringSweep{false, false, "Menu"},
                                         ExitDuringSweep{true, true, "ButtonWithSound"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SweepTest, AnAngleOf360OrMoreIsNeverUsedAsAnIndex)
{
    auto rig = kt::MakeRig(1);
    rig->injectFault(rigsim::Fault::scripted({0x03, 0x84, 0x7F, 0xFF}));  // angle 32767
    RunKesto(PORTPNL_COM1, [&] {
        EXPECT_EQ(Angle, 32767u);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_DOUBLE_EQ(imsi_Edata[0], -5.0) << "sample 0 is the level in force";
    EXPECT_EQ(DataIndex, 0);
}

TEST_F(SweepTest, PollsServedDuringASweepFallBetweenSteps)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        kt::AfterSteps(rig, 100, [] { rt::test::TickTimer(kestopnl, KESTOPNL_TIMER); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat('A', 100) + "H" + Repeat('A', 259) + "C");
    EXPECT_DOUBLE_EQ(imsi_Edata[100], ExpectedLevel(*rig, 100, 0.0));
    EXPECT_DOUBLE_EQ(imsi_Edata[101], ExpectedLevel(*rig, 101, 0.0));
}

TEST_F(SweepTest, StopOutsideASweepSendsCAndKeepsTheStepCount)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        Sstep = 4;
        rt::test::PressButton(kestopnl, KESTOPNL_STOP);
        EXPECT_EQ(Sstep, 4);
        EXPECT_EQ(StopFlag, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // clears it and runs in full
    });
    EXPECT_EQ(kt::Received(*rig), "HC" + Repeat('A', 359) + "C");
}

// ---- Sound and attenuation ---------------------------------------------------------

TEST_F(SweepTest, SoundItemAlternatesFromCheckedAndTheSweepFollowsIt)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        int checked = -1;
        for (int expect : {1, 0, 1}) {
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SOUND);
            GetMenuBarAttribute(menu_handle, KESTOMENU_SOUND, RT_ATTR_CHECKED, &checked);
            EXPECT_EQ(checked, expect);
        }
        // Switched off during the sweep: no J at the end.
        kt::AfterSteps(rig, 3, [] { rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SOUND); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "HI" + Repeat('A', 359) + "C");
}

TEST_F(SweepTest, AttenuationChangeReDerivesTheLevelWithoutFloorOrExchange)
{
    auto rig = kt::MakeRig(1);
    rig->injectFault(rigsim::Fault::scripted({0x03, 0x84, 0x00, 0x5A}));
    RunKesto(PORTPNL_COM1, [&] {
        EXPECT_DOUBLE_EQ(kt::LevelShown(), -5.0);
        rt::test::CommitValue(kestopnl, KESTOPNL_ATTN, 20.0);
        EXPECT_DOUBLE_EQ(kt::LevelShown(), 15.0);
        EXPECT_EQ(kt::AngleShown(), 90u);
        rig->injectFault(rigsim::Fault::scripted({0x00, 0x00, 0x00, 0x07}), 2);
        rt::test::TickTimer(kestopnl, KESTOPNL_TIMER);
        rt::test::CommitValue(kestopnl, KESTOPNL_ATTN, 0.0);
        EXPECT_DOUBLE_EQ(kt::LevelShown(), -50.0) << "no floor";
        rt::test::TickTimer(kestopnl, KESTOPNL_TIMER);
        EXPECT_DOUBLE_EQ(kt::LevelShown(), -30.0) << "the poll floors it";
    });
    EXPECT_EQ(kt::Received(*rig), "HHH") << "changing the field sends nothing";
}

// ---- Manual steps ------------------------------------------------------------------

TEST_F(SweepTest, StepButtonsMakeTheirCountsOfExchangesAndJoinedSegments)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(20);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        EXPECT_EQ(Traces().size(), 1u) << "the first step has no connecting line";
        rt::test::PressButton(kestopnl, KESTOPNL_INC10);
        rt::test::PressButton(kestopnl, KESTOPNL_DEC1);
        rt::test::PressButton(kestopnl, KESTOPNL_DEC10);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat('A', 11) + Repeat('B', 11));
    EXPECT_EQ(rig->angle(), 20);
    const auto t = Traces();
    ASSERT_EQ(t.size(), std::size_t(1 + 2 * 21));
    // Segment k runs from the previous reading to the new one; connecting
    // lines are zero-length when nothing happened in between.
    for (std::size_t i = 1; i < t.size(); i += 2) {
        EXPECT_DOUBLE_EQ(t[i].xs[0], t[i - 1].xs[1]);
        EXPECT_DOUBLE_EQ(t[i].xs[1], t[i + 1].xs[0]);
        EXPECT_DOUBLE_EQ(t[i].ys[1], t[i + 1].ys[0]);
    }
    const double r = ExpectedLevel(*rig, 21, 0.0) + 30.0;
    EXPECT_NEAR(t[0].xs[1], r * std::sin(M_PI * 21 / 180), 1e-5);
    EXPECT_NEAR(t[0].ys[1], r * std::cos(M_PI * 21 / 180), 1e-5);
    EXPECT_EQ(kt::AngleShown(), 20u);
    EXPECT_EQ(Angle, 20u) << "Angle keeps the rig's reported angle";
}

TEST_F(SweepTest, SegmentColourFollowsThePlaneAndAFloorLevelEndsAtTheCentre)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 0);
        rig->injectFault(rigsim::Fault::scripted({0x00, 0x00, 0x00, 0x02}));
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
    });
    const auto t = Traces();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].color, RT_BLUE);
    EXPECT_EQ(t[1].color, RT_RED) << "the connecting line takes the new plane's colour";
    EXPECT_EQ(t[2].color, RT_RED);
    EXPECT_NEAR(t[2].xs[1], 0.0, 1e-12);
    EXPECT_NEAR(t[2].ys[1], 0.0, 1e-12);
}

TEST_F(SweepTest, StepPanelAppliesOrDiscardsTheCounts)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_STEP);
        ASSERT_GT(steppnl, 0);
        int s = 0, l = 0;
        GetCtrlVal(steppnl, STEPPNL_SSTEP, &s);
        GetCtrlVal(steppnl, STEPPNL_LSTEP, &l);
        EXPECT_EQ(s, 1);
        EXPECT_EQ(l, 10);
        const int first_panel = steppnl;
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_STEP);
        EXPECT_EQ(steppnl, first_panel) << "no second copy";
        SetCtrlVal(steppnl, STEPPNL_SSTEP, 2);
        SetCtrlVal(steppnl, STEPPNL_LSTEP, 15);
        rt::test::PressButton(steppnl, STEPPNL_APPLY);
        EXPECT_EQ(steppnl, 0);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_STEP);
        SetCtrlVal(steppnl, STEPPNL_SSTEP, 7);
        rt::test::PressButton(steppnl, STEPPNL_CLOSE);
        EXPECT_EQ(Sstep, 2);
        EXPECT_EQ(Lstep, 15);
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        rt::test::PressButton(kestopnl, KESTOPNL_DEC10);
        Sstep = 0;
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
    });
    EXPECT_EQ(kt::Received(*rig), "HAA" + Repeat('B', 15));
}

TEST_F(SweepTest, StepFieldsPassTheFocusOnToApply)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_STEP);
        for (int field : {STEPPNL_SSTEP, STEPPNL_LSTEP}) {
            rt::test::FireCtrlEvent(steppnl, field, RT_EVENT_GOT_FOCUS);
            EXPECT_EQ(GetActiveCtrl(steppnl), STEPPNL_APPLY);
        }
    });
}

}  // namespace
