// SPDX-License-Identifier: GPL-3.0-or-later
// The questions that keep a measurement from being saved half-new or lost
// without a word: before a save writes a plane whose last sweep was stopped,
// and before Auto sweeps over a plane that holds an unsaved sweep.
#include "kesto_fixture.h"

#include <filesystem>

#include "pattern_file.h"
#include "scratch.h"

using kt::RunKesto;

namespace {

class QuestionsTest : public kt::InScratchDir {};

const char *const kAsk = "\nSave the data all the same?";

// The texts of the confirm pop-ups titled `title`, in order.
std::vector<std::string> Asked(const std::string &title)
{
    std::vector<std::string> out;
    for (const auto &p : rt::test::Popups())
        if (p.kind == "confirm" && p.title == title)
            out.push_back(p.text);
    return out;
}

// An E sweep that Stop ends after `steps` steps.
void StoppedSweep(std::shared_ptr<rigsim::RigModel> rig, int steps)
{
    kt::AfterSteps(rig, rig->steps() + steps,
                   [] { rt::test::PressButton(kestopnl, KESTOPNL_STOP); });
    rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
}

std::vector<double> SavedE(const std::string &path)
{
    PatternRecord rec;
    int lines = 0, emax = 0, hmax = 0;
    EXPECT_TRUE(ReadPatternFile(path, rec, lines, emax, hmax).ok) << path;
    return std::vector<double>(rec.e_data, rec.e_data + 360);
}

// ---- Saving a stopped sweep ---------------------------------------------------------

TEST_F(QuestionsTest, SavingAStoppedSweepAsksWithItsCountsAndNoGoesBack)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        StoppedSweep(rig, 5);
        rt::test::AnswerConfirm(0);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        EXPECT_EQ(QuestionSave, 1) << "not saved";
        EXPECT_EQ(rt::test::PendingAnswers(), 0);
        // Yes saves exactly what the record holds.
        rt::test::AnswerConfirm(1);
        rt::test::ChooseFile("stopped.atn");
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        EXPECT_EQ(QuestionSave, 0);
    });
    const std::string text = "The E-plane sweep was stopped: 6 of its 360 samples are from that "
                             "sweep, the other 354 are zeros (never measured).";
    EXPECT_EQ(rt::test::PopupLog(), "confirm:Stopped sweep|" + text + kAsk
                                        + "\nconfirm:Stopped sweep|" + text + kAsk
                                        + "\nfile:Save|\n")
        << "No shows no file dialogue";
    const auto e = SavedE("stopped.atn");
    for (int i = 0; i < 360; ++i)
        ASSERT_NEAR(e[i], imsi_Edata[i], 1e-6) << i;
    EXPECT_NEAR(e[5], kt::ExpectedLevel(rigsim::Antenna::Dipole, 5), 1e-6);
    EXPECT_DOUBLE_EQ(e[6], 0.0);
}

struct ExitCase {
    bool button;
    const char *name;
};

class StoppedExit : public QuestionsTest, public testing::WithParamInterface<ExitCase> {};

TEST_P(StoppedExit, NoToTheStoppedSweepKeepsTheProgramRunning)
{
    kt::MakeMarker();
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        StoppedSweep(rig, 3);
        rt::test::AnswerConfirm(1);  // save the data
        rt::test::AnswerConfirm(0);  // not the stopped sweep
        if (GetParam().button)
            rt::test::PressButton(kestopnl, KESTOPNL_EXIT);
        else
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_EXIT);
        EXPECT_FALSE(rt::test::QuitRequested());
        EXPECT_EQ(rt::test::PendingAnswers(), 0);
        // Still running: the marker stays and the port is open.
        EXPECT_TRUE(kt::MarkerExists());
        char b = 'H';
        EXPECT_EQ(ComWrt(1, &b, 1), 1);
    });
    EXPECT_EQ(QuestionSave, 1);
    const std::string log = rt::test::PopupLog();
    EXPECT_EQ(log.find("Are you want to quit?"), std::string::npos) << log;
    EXPECT_EQ(Asked("Stopped sweep").size(), 1u) << log;
}

INSTANTIATE_TEST_SUITE_P(Paths, StoppedExit,
                         testing::Values(ExitCase{true, "Button"}, ExitCase{false, "Menu"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(QuestionsTest, TheQuestionCountsOldSamplesAndZerosAndNamesEachStoppedPlane)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(0);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        StoppedSweep(rig, 100);  // samples 0 to 100
        StoppedSweep(rig, 5);    // 0 to 5 anew; 6 to 100 from the sweep before
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        StoppedSweep(rig, 10);
        rt::test::AnswerConfirm(0);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
    });
    const auto asked = Asked("Stopped sweep");
    ASSERT_EQ(asked.size(), 1u) << "one question for both planes";
    EXPECT_EQ(asked[0], "The E-plane sweep was stopped: 6 of its 360 samples are from that sweep, "
                        "the other 354: 95 from an earlier sweep and 259 zeros (never measured).\n"
                        "The H-plane sweep was stopped: 11 of its 360 samples are from that sweep, "
                        "the other 349 are zeros (never measured)."
                            + std::string(kAsk));
}

TEST_F(QuestionsTest, AStoppedSweepStartedAfterTheFirstSampleCountsItsStartToo)
{
    // Sample 0 is also filed at the start angle's own index (beyond the stop).
    auto rig = kt::MakeRig(1);
    rig->setAngle(200);
    RunKesto(PORTPNL_COM1, [&] {
        StoppedSweep(rig, 4);
        rt::test::AnswerConfirm(0);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
    });
    const auto asked = Asked("Stopped sweep");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("The E-plane sweep was stopped: 6 of its 360 samples are from that "
                             "sweep, the other 354 are zeros",
                             0),
              0u)
        << asked[0];
    EXPECT_NE(imsi_Edata[200], 0.0);
}

// Which planes' last sweeps count: a full sweep clears its plane, a save
// does not (the data stay part old), the D choice never counts.
struct Flow {
    const char *name;
    std::function<void(std::shared_ptr<rigsim::RigModel>)> steps;
    bool asks;
};

class StoppedOrNot : public QuestionsTest, public testing::WithParamInterface<Flow> {};

TEST_P(StoppedOrNot, AsksOnlyWhileASavedPlaneIsPartOld)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        GetParam().steps(rig);
        rt::test::ClearPopups();
        // A question that is not wanted is an unexpected pop-up: the case fails.
        if (GetParam().asks)
            rt::test::AnswerConfirm(1);
        rt::test::ChooseFile("last.atn");
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        EXPECT_EQ(rt::test::PendingAnswers(), 0);
    });
    EXPECT_EQ(Asked("Stopped sweep").size(), GetParam().asks ? 1u : 0u) << rt::test::PopupLog();
    EXPECT_EQ(QuestionSave, 0) << "saved";
    EXPECT_TRUE(std::filesystem::exists("last.atn"));
}

INSTANTIATE_TEST_SUITE_P(
    Flows, StoppedOrNot,
    testing::Values(Flow{"FullSweepsOfBothPlanes",
                         [](auto) {
                             rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
                             rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
                             rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
                         },
                         false},
                    Flow{"AFullSweepAfterTheStoppedOne",
                         [](auto rig) {
                             StoppedSweep(rig, 7);
                             rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
                         },
                         false},
                    Flow{"AStoppedThirdPlane",
                         [](auto rig) {
                             rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
                             rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 2);
                             StoppedSweep(rig, 7);
                         },
                         false},
                    Flow{"StillPartOldAfterASave",
                         [](auto rig) {
                             StoppedSweep(rig, 7);
                             rt::test::AnswerConfirm(1);
                             rt::test::ChooseFile("first.atn");
                             rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
                             rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
                             rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
                         },
                         true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(QuestionsTest, SavingDuringASweepSaysThePlaneIsStillUnderWay)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        kt::AfterSteps(rig, 359 + 50, [] {
            rt::test::AnswerConfirm(0);
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        });
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    const auto asked = Asked("Stopped sweep");
    ASSERT_EQ(asked.size(), 1u) << rt::test::PopupLog();
    EXPECT_EQ(asked[0].rfind("The H-plane sweep is still under way: 51 of its 360 samples are "
                             "from it, the other 309 are zeros (never measured).",
                             0),
              0u)
        << asked[0];
    EXPECT_EQ(asked[0].find("E-plane"), std::string::npos) << "the E sweep ran in full";
}

// ---- Auto over an unsaved sweep ----------------------------------------------------------

TEST_F(QuestionsTest, AutoOverAnUnsavedSweepAsksAndNoLeavesItAsItIs)
{
    auto rig = kt::MakeRig(1);
    std::vector<double> first;
    std::string bytesBefore;
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        Sstep = 4;
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        first.assign(imsi_Edata, imsi_Edata + 360);
        bytesBefore = kt::Received(*rig);
        rig->setPeakLevel(-8.0);  // a second sweep would file other levels
        rt::test::AnswerConfirm(0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        EXPECT_EQ(kt::Received(*rig), bytesBefore) << "No: nothing sent";
        EXPECT_EQ(Sstep, 4);
        rt::test::AnswerConfirm(1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    const auto asked = Asked("Auto");
    ASSERT_EQ(asked.size(), 2u) << rt::test::PopupLog();
    EXPECT_EQ(asked[0], "The E-plane holds a sweep that has not been saved yet.\n"
                        "A new sweep overwrites it. Sweep the E-plane again?");
    EXPECT_EQ(kt::Received(*rig), bytesBefore + std::string(359, 'A') + "C") << "Yes sweeps";
    EXPECT_NEAR(imsi_Edata[10], first[10] - 3.0, 0.051) << "overwritten by the new sweep";
    EXPECT_EQ(Sstep, 4);
}

TEST_F(QuestionsTest, AutoAsksOnlyOverAnUnsavedSweepOfItsOwnPlane)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // E in full, unsaved
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 2);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // D
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // D again
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // H: holds nothing new
        rt::test::ChooseFile("both.atn");
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // H again, after the save
        rt::test::AnswerConfirm(1);
        StoppedSweep(rig, 20);                           // H over that unsaved one: asked
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // H over the stopped one
    });
    const auto asked = Asked("Auto");
    ASSERT_EQ(asked.size(), 1u) << rt::test::PopupLog();
    EXPECT_NE(asked[0].find("The H-plane holds"), std::string::npos);
    const std::string bytes = kt::Received(*rig);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 'C'), 8) << "seven sweeps and one Stop";
}

TEST_F(QuestionsTest, ARecoveredPlaneThatHoldsLevelsCountsAsUnsaved)
{
    const testsupport::ScratchFolder dir("kesto-recovered");
    ASSERT_FALSE(dir.path.empty());
    rt::test::UseSettingsFile(dir.at("settings.ini"));
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] { rt::test::PressButton(kestopnl, KESTOPNL_AUTO); });
    Init_Imsi_Data();  // a new start: the E sweep comes back from the recovery file
    QuestionSave = 0;
    rt::test::ClearPopups();
    rt::test::AnswerConfirm(1);
    RunKesto(PORTPNL_COM1, [&] {
        ASSERT_EQ(QuestionSave, 1);
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);  // H held only zeros
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 0);
        rt::test::AnswerConfirm(0);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
    });
    EXPECT_EQ(Asked("Auto").size(), 1u) << rt::test::PopupLog();
    EXPECT_EQ(rig->steps(), 2 * 359) << "the E sweep was not made again";
    rt::test::UseSettingsFile({});
}

}  // namespace
