// SPDX-License-Identifier: GPL-3.0-or-later
// A pattern file named on the command line: opened once the logo has gone,
// exactly as File > Open opens it, with the same messages when it cannot be.
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "viewer_fixture.h"

using namespace vt;

namespace {

// Runs the program with `file` as its argument; `whileRunning` sees the
// state once the event loop runs, then the program is ended.
int RunWithFile(const std::string &file, const std::function<void()> &whileRunning)
{
    std::string arg0 = "antenna", arg1 = file;
    char *argv[] = {arg0.data(), arg1.data(), nullptr};
    rt::test::SetRunScript([&] {
        whileRunning();
        rt::test::AnswerConfirm(1);
        rt::test::PressButton(antennalab, ANTENNALAB_EXIT);
    });
    return AntennaMain(2, argv);
}

}  // namespace

TEST(CommandLine, FileIsOpenedAfterTheLogo)
{
    const Planes p = MakePlanes([](int a) { return Lobe(a, 40, -1.5, 0.3); },
                                [](int a) { return Lobe(a, 300, -4.25, 0.2); });
    const std::string path = WriteAtn("given.atn", p);
    bool checked = false;
    EXPECT_EQ(RunWithFile(path,
                          [&] {
                              checked = true;
                              EXPECT_STREQ(filepathname, path.c_str());
                              EXPECT_EQ(logo, 0) << "the logo is gone";
                              EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 40);
                              EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EPEAKLEVEL), -1.5);
                              EXPECT_EQ(Int(ANTENNALAB_HPEAKANGLE), 300);
                              EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HPEAKLEVEL), -4.25);
                              EXPECT_EQ(CountDimmed(kAnalysis), 0)
                                  << "the pattern commands are usable";
                              EXPECT_EQ(RotationColor(), RT_RED);
                          }),
              0);
    EXPECT_TRUE(checked);
    // Only the quit question: opening asked and told nothing.
    EXPECT_EQ(rt::test::PopupLog(), "confirm:Confirm|Are you want to quit?\n");
}

// A file that cannot be opened is reported as File > Open reports it, and
// the program starts empty.
class CommandLineBadFile : public ::testing::TestWithParam<const char *> {};

TEST_P(CommandLineBadFile, SaysSoAndStartsEmpty)
{
    const std::string kind = GetParam();
    const std::string path = (TempDir() / (kind + ".atn")).string();
    if (kind == "folder")
        fs::create_directories(path);
    rt::test::AcknowledgeMessage();
    EXPECT_EQ(RunWithFile(path,
                          [&] {
                              EXPECT_STREQ(filepathname, "nothing");
                              EXPECT_EQ(CountDimmed(kAnalysis), int(kAnalysis.size()));
                              EXPECT_EQ(CountItemsDimmed(kFileItems), 5);
                          }),
              0);
    const auto popups = rt::test::Popups();
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_EQ(popups[0].kind, "message");
    EXPECT_NE(popups[0].text.find(path), std::string::npos) << popups[0].text;
    if (kind == "missing") {
        EXPECT_NE(popups[0].text.find("No such file"), std::string::npos) << popups[0].text;
    }
    if (kind == "folder") {
        // The same message as File > Open gives for that path.
        rt::test::ClearPopups();
        Start();
        rt::test::ChooseFile(path, RT_EXISTING_FILE_SELECTED);
        rt::test::AcknowledgeMessage();
        Menu(MENUBAR_OPEN);
        ASSERT_EQ(rt::test::Popups().size(), 2u);
        EXPECT_EQ(rt::test::Popups()[1].title, popups[0].title);
        EXPECT_EQ(rt::test::Popups()[1].text, popups[0].text);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CommandLineBadFile, ::testing::Values("missing", "folder"));

// --self-check is run from scripts: a file it cannot open is said on the
// error output and ends it with status 1, without any message box.
TEST(CommandLine, SelfCheckWithAMissingFileSaysSoWithoutAPopup)
{
    const std::string path = (TempDir() / "missing.atn").string();
    std::string arg0 = "antenna", arg1 = "--self-check", arg2 = path;
    char *argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = AntennaMain(3, argv);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(rt::test::PopupLog(), "");
    EXPECT_NE(err.find("antenna: Cannot open \"" + path + "\": No such file"), std::string::npos)
        << err;
    EXPECT_NE(out.find("file nothing\n"), std::string::npos) << out;
    // A file that opens: its path and peaks in the report, nothing said.
    const std::string good =
        WriteAtn("good.atn", MakePlanes([](int a) { return Lobe(a, 40, -1.5, 0.3); },
                                        [](int a) { return Lobe(a, 300, -4.25, 0.2); }));
    arg2 = good;
    argv[2] = arg2.data();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    AntennaMain(3, argv);
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("antenna:"), std::string::npos);
    EXPECT_NE(report.find("file " + good + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("E-peak 40 -1.500000\n"), std::string::npos) << report;
    EXPECT_EQ(rt::test::PopupLog(), "");
}

// A self-check is no user's session: what it opens stays out of the recent
// files. A report that cannot be written ends it with status 1.
TEST(CommandLine, SelfCheckLeavesTheRecentFilesAloneAndFailsWhenItsReportIsLost)
{
    const std::string good =
        WriteAtn("recent.atn", MakePlanes([](int a) { return Lobe(a, 40, -1.5, 0.3); },
                                          [](int a) { return Lobe(a, 300, -4.25, 0.2); }));
    std::string arg0 = "antenna", arg1 = "--self-check", arg2 = good;
    char *argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    testing::internal::CaptureStdout();
    AntennaMain(3, argv);  // status 1 here: the tests' folder holds no Kesto
    EXPECT_NE(testing::internal::GetCapturedStdout().find("file " + good), std::string::npos);
    for (const std::string &recent : RecentFiles())
        EXPECT_EQ(recent.find("recent.atn"), std::string::npos) << recent;

    const std::string other =
        WriteAtn("other.atn", MakePlanes([](int a) { return Lobe(a, 10, -1, 0.3); },
                                         [](int a) { return Lobe(a, 20, -2, 0.2); }));
    arg2 = other;
    argv[2] = arg2.data();
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    dup2(full, STDOUT_FILENO);
    testing::internal::CaptureStderr();
    const int status = AntennaMain(3, argv);
    const std::string err = testing::internal::GetCapturedStderr();
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(full);
    std::clearerr(stdout);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("antenna: the report could not be written: No space left on device"),
              std::string::npos)
        << err;
}
