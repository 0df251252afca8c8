// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export... writes the chosen file as a save does: whole or not at
// all, links followed, hard links kept, read-only files and FIFOs refused.
#include <chrono>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

#include "msi.h"
#include "test_files.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

class ExportWrite : public testing::Test {
protected:
    void SetUp() override
    {
        dir = TempDir();
        planes = MakePlanes([](int a) { return Lobe(a, 40, -2.0, 0.25); },
                            [](int a) { return Lobe(a, 300, -4.0, 0.5); });
        Start();
        Open(WriteAtn("a.atn", planes));
    }
    // Exports the current pattern to path, answering Yes to replacing a file
    // that is there; message: one is expected.
    void Export(const std::string &path, bool message)
    {
        rt::test::ChooseFile(path);
        if (fs::exists(fs::symlink_status(path)))
            rt::test::AnswerConfirm(1);
        if (message)
            rt::test::AcknowledgeMessage();
        Menu(MENUBAR_EXPORT);
    }
    fs::path dir;
    Planes planes;
};

}  // namespace

TEST_F(ExportWrite, AFailedWriteIsAMessageAndLeavesTheOldFile)
{
    const std::string csv = (dir / "old.csv").string(), svg = (dir / "old.svg").string();
    PutFile(csv, "old contents");
    PutFile(svg, "old contents");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 3000;  // the disk fills after 3000 bytes
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Export(csv, true);
    Export(svg, true);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(GetFile(csv), "old contents");
    EXPECT_EQ(GetFile(svg), "old contents");
    const std::string log = rt::test::PopupLog();
    EXPECT_NE(log.find("The file was not written. Cannot write \"" + csv + "\": File too large"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("The picture was not written. Cannot write \"" + svg + "\": File too large"),
              std::string::npos)
        << log;
}

TEST_F(ExportWrite, FollowsTheRulesOfASave)
{
    const fs::path target = dir / "target.csv", link = dir / "link.csv";
    PutFile(target.string(), "old");
    fs::create_symlink("target.csv", link);
    Export(link.string(), false);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(GetFile(target.string()), FormatCsv(planes.e, planes.h));

    PutFile((dir / "a.msi").string(), "old");
    fs::create_hard_link(dir / "a.msi", dir / "b.msi");
    Export((dir / "b.msi").string(), false);
    MsiPattern m;
    EXPECT_TRUE(ReadMsiText(GetFile((dir / "a.msi").string()), m).ok) << "one file, two names";

    PutFile((dir / "ro.png").string(), "kept");
    chmod((dir / "ro.png").c_str(), 0444);
    Export((dir / "ro.png").string(), true);
    EXPECT_EQ(GetFile((dir / "ro.png").string()), "kept");

    ASSERT_EQ(mkfifo((dir / "pipe.csv").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    Export((dir / "pipe.csv").string(), true);  // nobody reads it: opening it would wait
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const std::string log = rt::test::PopupLog();
    EXPECT_NE(log.find("ro.png\" is read-only."), std::string::npos) << log;
    EXPECT_NE(log.find("it is a FIFO (named pipe), not a regular file."), std::string::npos) << log;
}

TEST_F(ExportWrite, AFullDiskLeavesTheOldFile)
{
    SmallDisk disk;
    if (!disk.ok())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    for (const char *name : {"e.csv", "e.pdf"})
        PutFile(disk.path(name), "old contents");
    disk.Fill();
    Export(disk.path("e.csv"), true);
    Export(disk.path("e.pdf"), true);
    EXPECT_EQ(GetFile(disk.path("e.csv")), "old contents");
    EXPECT_EQ(GetFile(disk.path("e.pdf")), "old contents");
    EXPECT_NE(rt::test::PopupLog().find("No space left on device"), std::string::npos);
}
