// SPDX-License-Identifier: GPL-3.0-or-later
// Readings per step, settle time and the sweep's time left, against the
// simulated rig: the bytes on the wire, the levels filed, the waits, the
// angle check and the progress text.
#include "kesto_fixture.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QProgressBar>

#include <cmath>
#include <fstream>
#include <numeric>
#include <regex>
#include <sstream>

using kt::RunKesto;

namespace {

class ReadingsTest : public kt::InScratchDir {};

double ExpectedLevel(const rigsim::RigModel &like, int deg)
{
    rigsim::RigModel m;
    m.setAntenna(like.antenna());
    m.setPlane(like.plane());
    m.setPeakLevel(like.peakLevel());
    m.setAngle(deg);
    const auto r = m.report();
    return std::max(-30.0, (r[0] * 256 + r[1]) / 20.0 - 50.0);
}

std::string Repeat(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Sets the two values through the Rig menu's panel, as a user does.
void ApplyReadings(int readings, int settleMs)
{
    rt::test::ChooseMenuItem(menu_handle, KESTOMENU_READINGS);
    ASSERT_GT(readpnl, 0);
    SetCtrlVal(readpnl, READPNL_READINGS, readings);
    SetCtrlVal(readpnl, READPNL_SETTLE, settleMs);
    rt::test::PressButton(readpnl, READPNL_APPLY);
    EXPECT_EQ(readpnl, 0);
}

std::string ProgressText()
{
    auto *bar = qobject_cast<QProgressBar *>(rt::test::CtrlWidget(kestopnl, KESTOPNL_PROGRESS));
    return bar ? bar->text().toStdString() : std::string();
}

double SecondsOf(const std::string &text)
{
    int m = 0, s = 0;
    std::sscanf(text.c_str(), "%d:%d", &m, &s);
    return 60.0 * m + s;
}

// ---- The wire, the waits and the levels for each setting --------------------

struct WireCase {
    int readings;
    int settleMs;
    const char *perStep;  // bytes the rig gets for each step
    const char *name;
};

class Wire : public ReadingsTest, public testing::WithParamInterface<WireCase> {};

TEST_P(Wire, FullSweepBytesDelaysAndLevels)
{
    const WireCase c = GetParam();
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        ApplyReadings(c.readings, c.settleMs);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat(c.perStep, 359) + "C");
    EXPECT_EQ(rt::test::ComWritten(1), kt::Received(*rig));
    // The settle time is waited after every step, in slices, and nothing
    // else waits.
    const auto &d = rt::test::Delays();
    EXPECT_NEAR(std::accumulate(d.begin(), d.end(), 0.0), 359 * c.settleMs / 1000.0, 1e-6);
    for (double slice : d)
        ASSERT_LE(slice, 0.025 + 1e-12);
    // A rig without noise reads the same level at each angle.
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(imsi_Edata[i], ExpectedLevel(*rig, i), 1e-9) << "sample " << i;
    EXPECT_EQ(QuestionSave, 1);
    EXPECT_TRUE(rt::test::Popups().empty()) << rt::test::PopupLog();
    // One segment per step, joined, as with single readings.
    EXPECT_EQ(kt::PlotCount() - kt::kFramePlots, 2 * 359 - 1);
}

INSTANTIATE_TEST_SUITE_P(Settings, Wire,
                         testing::Values(WireCase{1, 0, "A", "Defaults"},
                                         WireCase{4, 0, "AHHH", "FourReadings"},
                                         WireCase{1, 50, "AH", "SettleOnly"},
                                         WireCase{4, 50, "AHHHH", "FourAfterSettle"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReadingsTest, DefaultsFromNoSettingsSendTodaysBytesWithSound)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        EXPECT_EQ(ReadPerStep, 1);
        EXPECT_EQ(SettleTime, 0);
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SOUND);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "HI" + std::string(358, 'A') + "JAC");
    EXPECT_TRUE(rt::test::Delays().empty());
}

TEST_F(ReadingsTest, SettingsAppliedDuringASweepTakeEffectWithTheNext)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        kt::AfterSteps(rig, 100, [] { ApplyReadings(3, 0); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        EXPECT_EQ(ReadPerStep, 3);
        rt::test::AnswerConfirm(1);  // sweep again over the unsaved E-plane
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + std::string(359, 'A') + "C" + Repeat("AHH", 359) + "C");
}

// ---- Averaging against a noisy receiver --------------------------------------

// Root-mean-square distance of the filed E levels from the noiseless
// pattern, over the angles well above the floor (the floor clips noise).
double Deviation(const rigsim::RigModel &rig)
{
    double sum = 0;
    int n = 0;
    for (int i = 0; i < KESTO_SAMPLES; ++i) {
        const double truth = ExpectedLevel(rig, i);
        if (truth < -22.0)
            continue;
        sum += (imsi_Edata[i] - truth) * (imsi_Edata[i] - truth);
        ++n;
    }
    EXPECT_GT(n, 200);
    return std::sqrt(sum / n);
}

TEST_F(ReadingsTest, FourReadingsHalveTheNoiseOfOne)
{
    auto rig = kt::MakeRig(1);
    rig->setPeakLevel(0.0);
    rig->setNoise(1.0);
    rig->setSeed(1234);
    double one = 0, four = 0;
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        one = Deviation(*rig);
        ApplyReadings(4, 50);
        rt::test::AnswerConfirm(1);  // sweep again over the unsaved E-plane
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        four = Deviation(*rig);
    });
    // The live trace ends at each step's filed level, and the next step
    // starts there: the last step's segment ends at sample 359's level.
    auto items = rt::test::GraphItems(kestopnl, KESTOPNL_GRAPH);
    const auto &last = items.back();
    ASSERT_EQ(last.kind, rt::PlotKind::Line);
    const double r = imsi_Edata[359] + 30.0, a = 3.141593 * 359 / 180.0;
    EXPECT_NEAR(last.xs[1], r * std::sin(a), 1e-9);
    EXPECT_NEAR(last.ys[1], r * std::cos(a), 1e-9);
    const auto &join = items[items.size() - 2];  // into step 359 from step 358's end
    const double r0 = imsi_Edata[358] + 30.0, a0 = 3.141593 * 358 / 180.0;
    EXPECT_NEAR(join.xs[1], r0 * std::sin(a0), 1e-9);
    EXPECT_NEAR(join.ys[1], r0 * std::cos(a0), 1e-9);
    EXPECT_NEAR(one, 1.0, 0.15) << "the rig's noise shows in single readings";
    // Four readings: about 1/sqrt(4) of the deviation (the power mean adds a
    // small upward bias).
    EXPECT_GT(four / one, 0.35);
    EXPECT_LT(four / one, 0.65);
}

TEST(PowerMean, OfLevels)
{
    struct Case {
        std::vector<double> levels;
        double mean;
    } cases[] = {
        {{-12.5}, -12.5},
        {{-10, -10, -10, -10}, -10},
        {{0, -10}, 10 * std::log10(1.1 / 2)},
        {{-30, -30, -20}, 10 * std::log10((0.001 + 0.001 + 0.01) / 3)},
        {{3, -3}, 10 * std::log10((std::pow(10, 0.3) + std::pow(10, -0.3)) / 2)},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(PowerMeanDb(c.levels.data(), int(c.levels.size())), c.mean, 1e-12);
}

// ---- A reading at another angle ------------------------------------------------------

// The reply the rig gives when it claims to stand at `angle` with a loud level.
rigsim::Fault WrongAngle(int angle)
{
    const auto r = rigsim::EncodeReply(rigsim::RawLevel(10.0), std::uint16_t(angle));
    return rigsim::Fault::scripted({r.begin(), r.end()});
}

struct MismatchCase {
    int badReplies;  // H replies at another angle, from the first after step 11
    int settleMs;
    const char *step11;  // bytes of step 11
    bool marked;
    const char *name;
};

class Mismatch : public ReadingsTest, public testing::WithParamInterface<MismatchCase> {};

TEST_P(Mismatch, ReadsAgainThenFilesOnlyTheStepsAngle)
{
    const MismatchCase c = GetParam();
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    if (c.marked)
        rt::test::AcknowledgeMessage();
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        ApplyReadings(4, c.settleMs);
        // Without a settle the events run between steps: before step 11,
        // whose own reply is then let through; with one they run during
        // step 11's settle, after its reply.
        kt::AfterSteps(rig, c.settleMs ? 11 : 10, [&] {
            if (!c.settleMs)
                rig->injectFault(rigsim::Fault{}, 1);
            rig->injectFault(WrongAngle(200), c.badReplies);
        });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    const std::string normal = c.settleMs ? "AHHHH" : "AHHH";
    EXPECT_EQ(kt::Received(*rig),
              "H" + Repeat(normal, 10) + c.step11 + Repeat(normal, 359 - 11) + "C");
    // The loud level read at angle 200 is in no sample.
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(imsi_Edata[i], ExpectedLevel(*rig, i), 1e-9) << "sample " << i;
    if (c.marked) {
        ASSERT_EQ(rt::test::Popups().size(), 1u);
        EXPECT_EQ(rt::test::Popups()[0].title, "Sweep");
        EXPECT_NE(rt::test::Popups()[0].text.find("at 1 step (samples 11)"), std::string::npos)
            << rt::test::Popups()[0].text;
    } else {
        EXPECT_TRUE(rt::test::Popups().empty()) << rt::test::PopupLog();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Mismatch,
                         testing::Values(
                             // One bad reading: the step's readings are taken once more.
                             MismatchCase{1, 0, "AHHHHHH", false, "OnceThenRight"},
                             MismatchCase{1, 50, "AHHHHHHHH", false, "OnceThenRightAfterSettle"},
                             // Wrong through every try: the step's own reply is the one reading
                             // at its angle, the sample is filed from it, and the user is told.
                             MismatchCase{9, 0, "AHHHHHHHHH", true, "AlwaysWrong"},
                             // After a settle the reply does not count; with no reading at the
                             // step's angle the reply is filed all the same.
                             MismatchCase{12, 50, "AHHHHHHHHHHHH", true, "AlwaysWrongAfterSettle"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- A reading that fails ---------------------------------------------------------------

TEST_F(ReadingsTest, AFailedReadingAsksOnceAndTheStepReadsNoMore)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    rt::test::AnswerConfirm(1);  // Yes: the connection is back
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        ApplyReadings(4, 0);
        kt::AfterSteps(rig, 10, [&] {
            rig->injectFault(rigsim::Fault{}, 1);  // step 11's own reply
            rig->injectFault(rigsim::Fault::silence(), 1);
        });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat("AHHH", 10) + "AH" + Repeat("AHHH", 348) + "C");
    EXPECT_EQ(rt::test::PopupLog(), std::string("confirm:Error|") + kt::kConnection + "\n");
    // Step 11 is filed from its own reply.
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(imsi_Edata[i], ExpectedLevel(*rig, i), 1e-9) << "sample " << i;
}

// ---- Stop during a settle --------------------------------------------------------------

TEST_F(ReadingsTest, StopDuringTheSettleEndsTheSweepAfterThatStep)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        for (int i = 0; i < KESTO_SAMPLES; ++i)
            imsi_Edata[i] = 99.0;
        ApplyReadings(2, 100);
        kt::AfterSteps(rig, 5, [] { rt::test::PressButton(kestopnl, KESTOPNL_STOP); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(kt::Received(*rig), "H" + Repeat("AHH", 4) + "A" + "CC");
    for (int i = 0; i <= 5; ++i)
        ASSERT_NEAR(imsi_Edata[i], ExpectedLevel(*rig, i), 1e-9) << "sample " << i;
    EXPECT_DOUBLE_EQ(imsi_Edata[6], 99.0);
    EXPECT_EQ(QuestionSave, 1);
    EXPECT_NE(ProgressText().find("step 5 of 359 \u2014 stopped after "), std::string::npos)
        << ProgressText();
}

// ---- Settings kept between runs ---------------------------------------------------------

TEST_F(ReadingsTest, SettingsAreKeptAndReadBackWithinTheirRanges)
{
    const testsupport::ScratchFolder dir("kesto-settings");
    ASSERT_FALSE(dir.path.empty());
    const std::string ini = dir.at("Kesto.conf");
    rt::test::UseSettingsFile(ini);
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        EXPECT_EQ(ReadPerStep, 1) << "defaults with nothing kept";
        EXPECT_EQ(SettleTime, 0);
        ApplyReadings(4, 50);
        ReadPerStep = 0;
        SettleTime = 0;
        LoadReadingSettings();
        EXPECT_EQ(ReadPerStep, 4);
        EXPECT_EQ(SettleTime, 50);
        // The panel shows what is in force.
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_READINGS);
        int shown = 0;
        GetCtrlVal(readpnl, READPNL_READINGS, &shown);
        EXPECT_EQ(shown, 4);
        GetCtrlVal(readpnl, READPNL_SETTLE, &shown);
        EXPECT_EQ(shown, 50);
        rt::test::PressButton(readpnl, READPNL_CLOSE);
        // Values out of range or not numbers, as a hand-edited file may hold.
        struct Case {
            const char *readings, *settle;
            int wantReadings, wantSettle;
        } cases[] = {{"0", "-5", 1, 0}, {"1000", "999999", 64, 10000}, {"abc", "", 1, 0}};
        for (const auto &c : cases) {
            SetUserSettingText("Kesto", "sweep/readingsPerStep", c.readings);
            SetUserSettingText("Kesto", "sweep/settleMs", c.settle);
            LoadReadingSettings();
            EXPECT_EQ(ReadPerStep, c.wantReadings) << c.readings;
            EXPECT_EQ(SettleTime, c.wantSettle) << c.settle;
        }
    });
    std::ifstream in(ini);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("readingsPerStep"), std::string::npos) << text.str();
    rt::test::UseSettingsFile({});
}

// ---- Time left ---------------------------------------------------------------------------

TEST_F(ReadingsTest, TimeLeftAtStep180IsWithinTenPercentAndTheTotalIsShown)
{
    auto rig = kt::MakeRig(1);
    rig->setStepTimeMs(60.0);
    // The program's clock is the simulated rig's: steps take their time
    // without the test sleeping.
    rt::test::SetClock([rig] { return rig->virtualNowMs() / 1000.0; });
    std::string at180;
    double clockAt180 = 0, start = 0;
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        ApplyReadings(2, 0);
        EXPECT_EQ(ProgressText(), "step 0 of 359");
        kt::AfterSteps(rig, 180, [&] {
            at180 = ProgressText();
            clockAt180 = Timer();
        });
        start = Timer();
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    const double end = Timer();
    const std::regex left("^step 180 of 359 \u2014 about ([0-9]+:[0-9]{2}) left$");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(at180, m, left)) << at180;
    const double estimate = SecondsOf(m[1]);
    const double real = end - clockAt180;
    EXPECT_GT(real, 10.0) << "the simulated step time is in the clock";
    EXPECT_NEAR(estimate, real, 0.1 * real);
    EXPECT_EQ(ProgressText(), "step 359 of 359 \u2014 took " + DurationText(end - start));
    rt::test::SetClock({});
}

TEST(DurationText, MinutesAndHours)
{
    struct Case {
        double seconds;
        const char *text;
    } cases[] = {{0, "0:00"},         {0.4, "0:00"},     {59.6, "1:00"},
                 {65, "1:05"},        {599, "9:59"},     {3599.4, "59:59"},
                 {3599.6, "1:00:00"}, {3725, "1:02:05"}, {-3, "0:00"}};
    for (const auto &c : cases)
        EXPECT_EQ(DurationText(c.seconds), c.text) << c.seconds;
}

}  // namespace
