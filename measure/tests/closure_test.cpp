// SPDX-License-Identifier: GPL-3.0-or-later
// The status line after a sweep and a save, the closure check of a full
// sweep against the simulated rig (with and without a drifting level), its
// threshold setting, and the window title that names the saved file.
#include "kesto_fixture.h"

#include <QWidget>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "files.h"
#include "scratch.h"

using kt::RunKesto;

namespace {

class ClosureTest : public kt::InScratchDir {};

const std::string kTitle = "Kesto - antenna pattern measurement";

std::string Status()
{
    char text[1024] = "";
    GetCtrlVal(kestopnl, KESTOPNL_STATUS, text);
    return text;
}

std::string Title()
{
    return rt::test::PanelWidget(kestopnl)->windowTitle().toStdString();
}

// The levels of the rig's replies, in order, decoded as Kesto does.
std::vector<double> RepliedLevels(const rigsim::RigModel &rig, double attn = 0.0)
{
    const auto bytes = rig.sent();
    std::vector<double> v;
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4)
        v.push_back(std::max(-30.0, (bytes[i] * 256 + bytes[i + 1]) / 20.0 - 50.0 + attn));
    return v;
}

// "differs by X dB" in a status text, or -1.
double DifferenceIn(const std::string &text)
{
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("differs by ([0-9]+\\.[0-9]{2}) dB")))
        return -1;
    const std::string number = m[1];
    double v = -1;
    std::from_chars(number.data(), number.data() + number.size(), v);
    return v;
}

const char *const kDrifted = " the level drifted or the antenna moved. Repeat the sweep.";

// ---- The closure of a full sweep ----------------------------------------------------

struct DriftCase {
    double driftDbPerMin;
    double noiseDb;
    bool warns;
    const char *name;
};

class Closure : public ClosureTest, public testing::WithParamInterface<DriftCase> {};

TEST_P(Closure, TheSecondReadingAtTheStartIsComparedWithSampleZero)
{
    const DriftCase c = GetParam();
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    rig->setStepTimeMs(100.0);  // a sweep of about 38 s on the rig's clock
    rig->setDrift(c.driftDbPerMin);
    rig->setNoise(c.noiseDb);
    rig->setSeed(77);
    double startMs = 0, endMs = 0;
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        startMs = rig->virtualNowMs();
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        endMs = rig->virtualNowMs();
    });
    // No extra bytes on the line, and the samples are the replies as they came.
    EXPECT_EQ(kt::Received(*rig), "H" + std::string(359, 'A') + "C");
    const auto replies = RepliedLevels(*rig);
    ASSERT_EQ(replies.size(), 361u);
    for (int i = 0; i < 360; ++i)
        ASSERT_DOUBLE_EQ(imsi_Edata[i], replies[i]) << "sample " << i;
    const std::string text = Status();
    EXPECT_EQ(text.rfind("E-plane sweep ended: the level at the start read again differs by ", 0),
              0u)
        << text;
    const double shown = DifferenceIn(text);
    EXPECT_NEAR(shown, std::fabs(replies[360] - imsi_Edata[0]), 0.005) << text;
    const double drifted = std::fabs(c.driftDbPerMin) * (endMs - startMs) / 60000.0;
    EXPECT_NEAR(shown, drifted, 0.06 + 4 * c.noiseDb) << text;
    if (c.warns) {
        EXPECT_GT(shown, 1.0);
        EXPECT_NE(text.find(std::string("That is more than 1.0 dB:") + kDrifted), std::string::npos)
            << text;
    } else {
        EXPECT_LT(shown, 1.0);
        EXPECT_EQ(text.find("drifted"), std::string::npos) << text;
    }
    EXPECT_TRUE(rt::test::Popups().empty()) << "not a pop-up: " << rt::test::PopupLog();
}

INSTANTIATE_TEST_SUITE_P(Rigs, Closure,
                         testing::Values(DriftCase{0.0, 0.0, false, "Steady"},
                                         DriftCase{0.0, 0.1, false, "SteadyWithNoise"},
                                         DriftCase{3.0, 0.0, true, "Rising"},
                                         DriftCase{-2.5, 0.0, true, "Falling"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClosureTest, ASweepThatStartsElsewhereSaysWhyTheClosureWasNotChecked)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(20);
    RunKesto(PORTPNL_COM1, [&] { rt::test::PressButton(kestopnl, KESTOPNL_AUTO); });
    EXPECT_EQ(Status(), "E-plane sweep ended. The closure could not be checked: after the sweep "
                        "the rig reported 0 deg, not the start angle 20 deg, so the start was not "
                        "read again.");
}

TEST(ClosureText, TheShownDifferenceDecidesAndAMissingReplyIsSaid)
{
    struct Case {
        double start, end, limit;
        bool warns;
        const char *shown;
    } cases[] = {
        {-5.0, -4.0, 1.0, false, "1.00"}, {-5.0, -6.004, 1.0, false, "1.00"},
        {-5.0, -3.99, 1.0, true, "1.01"}, {-5.0, -5.0, 0.05, false, "0.00"},
        {-5.0, -5.1, 0.05, true, "0.10"}, {2.0, -30.0, 30.0, true, "32.00"},
    };
    for (const Case &c : cases) {
        const std::string t = ClosureText(1, 1, 0, c.start, 0, c.end, c.limit);
        EXPECT_EQ(t.rfind(std::string("H-plane sweep ended: the level at the start read again "
                                      "differs by ")
                              + c.shown + " dB from the first reading.",
                          0),
                  0u)
            << t;
        EXPECT_EQ(t.find(kDrifted) != std::string::npos, c.warns) << t;
    }
    EXPECT_EQ(ClosureText(0, 0, 0, -5.0, 0, -5.0, 1.0),
              "E-plane sweep ended. The closure could not be checked: the rig did not answer at "
              "the end of the sweep.");
}

// ---- Stopped sweeps ----------------------------------------------------------------------

TEST_F(ClosureTest, AStoppedSweepSaysAfterHowManyStepsAndWhatIsNew)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    std::string e, d;
    RunKesto(PORTPNL_COM1, [&] {
        kt::AfterSteps(rig, 5, [] { rt::test::PressButton(kestopnl, KESTOPNL_STOP); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        e = Status();
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 2);
        kt::AfterSteps(rig, 6, [] { rt::test::PressButton(kestopnl, KESTOPNL_STOP); });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        d = Status();
    });
    EXPECT_EQ(e, "E-plane sweep stopped after 5 steps: 6 of its 360 samples are from this sweep, "
                 "the rest from an earlier sweep or zeros.");
    EXPECT_EQ(d, "D-plane sweep stopped after 1 step (the D-plane is not saved).");
}

// ---- Saving: the status line and the title ----------------------------------------------

TEST_F(ClosureTest, TheTitleNamesTheSavedFileAndMarksNewerUnsavedData)
{
    auto rig = kt::MakeRig(1);
    std::string afterSweep, afterSave, statusAfterSave, afterNextSweep;
    RunKesto(PORTPNL_COM1, [&] {
        EXPECT_EQ(Title(), kTitle);
        EXPECT_EQ(Status(), "");
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        afterSweep = Title();
        rt::test::ChooseFile("dipole.atn");
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        afterSave = Title();
        statusAfterSave = Status();
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        afterNextSweep = Title();
    });
    EXPECT_EQ(afterSweep, kTitle) << "no file saved yet: the window's own title";
    EXPECT_EQ(afterSave, "dipole.atn \u2014 " + kTitle);
    const std::string where = (std::filesystem::current_path() / "dipole.atn").string();
    EXPECT_EQ(statusAfterSave, "Saved to " + where + ".");
    EXPECT_EQ(afterNextSweep, "dipole.atn* \u2014 " + kTitle);
}

TEST_F(ClosureTest, AVeryLongPathShowsItsEndAndTheWindowKeepsItsSize)
{
    const std::string path = rt::test::LongPath(rt::test::ScratchDir() / "deep", 2000, "far.atn");
    kt::MakeRig(1);
    int widthBefore = 0, widthAfter = 0;
    std::string status;
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        ProcessSystemEvents();
        widthBefore = rt::test::PanelWidget(kestopnl)->width();
        rt::test::ChooseFile(path);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        ProcessSystemEvents();
        widthAfter = rt::test::PanelWidget(kestopnl)->width();
        status = Status();
    });
    EXPECT_EQ(status.rfind("Saved to \u2026", 0), 0u) << status.substr(0, 80);
    EXPECT_LT(status.size(), 110u);
    EXPECT_NE(status.find("/far.atn."), std::string::npos) << status;
    EXPECT_EQ(widthAfter, widthBefore);
}

// ---- The threshold ------------------------------------------------------------------------

TEST_F(ClosureTest, TheThresholdIsSetInTheReadingsPanelRefusedWhenBadAndKept)
{
    const testsupport::ScratchFolder dir("kesto-closure");
    ASSERT_FALSE(dir.path.empty());
    rt::test::UseSettingsFile(dir.at("Kesto.conf"));
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    rig->setStepTimeMs(100.0);
    rig->setDrift(3.0);  // about 1.9 dB over a sweep
    std::string status;
    RunKesto(PORTPNL_COM1, [&] {
        EXPECT_DOUBLE_EQ(ClosureLimit, 1.0) << "the default with nothing kept";
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_READINGS);
        char shown[32] = "";
        GetCtrlVal(readpnl, READPNL_CLOSURE, shown);
        EXPECT_STREQ(shown, "1.0");
        for (const char *bad : {"abc", "", "0", "-1", "0.04", "30.5", "1e1", "1.0 dB", "nan"}) {
            SetCtrlVal(readpnl, READPNL_READINGS, 3);
            SetCtrlVal(readpnl, READPNL_CLOSURE, bad);
            rt::test::AcknowledgeMessage();
            rt::test::PressButton(readpnl, READPNL_APPLY);
            EXPECT_GT(readpnl, 0) << "still open for mending: " << bad;
            EXPECT_DOUBLE_EQ(ClosureLimit, 1.0) << bad;
            EXPECT_EQ(ReadPerStep, 1) << "nothing taken: " << bad;
        }
        SetCtrlVal(readpnl, READPNL_READINGS, 1);
        SetCtrlVal(readpnl, READPNL_CLOSURE, " 2,5 ");
        rt::test::PressButton(readpnl, READPNL_APPLY);
        EXPECT_EQ(readpnl, 0);
        EXPECT_DOUBLE_EQ(ClosureLimit, 2.5);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        status = Status();
        ClosureLimit = 0;
        LoadClosureSetting();
        EXPECT_DOUBLE_EQ(ClosureLimit, 2.5) << "kept for the next run";
        EXPECT_NE(testsupport::GetFile(dir.at("Kesto.conf")).find("closureLimitDb=2.5"),
                  std::string::npos);
        SetUserSettingText("Kesto", "sweep/closureLimitDb", "-3");
        LoadClosureSetting();
        EXPECT_DOUBLE_EQ(ClosureLimit, 1.0) << "a bad kept value gives the default";
    });
    const auto &p = rt::test::Popups();
    ASSERT_EQ(p.size(), 9u) << rt::test::PopupLog();
    EXPECT_EQ(p[0].title, "Readings per step");
    EXPECT_EQ(p[0].text, "The closure warning must be a number of dB from 0.05 to 30.0, such as "
                         "1.0.\nNothing was changed.");
    EXPECT_GT(DifferenceIn(status), 1.0) << status;
    EXPECT_EQ(status.find("drifted"), std::string::npos) << "under the new threshold: " << status;
    rt::test::UseSettingsFile({});
}

}  // namespace
