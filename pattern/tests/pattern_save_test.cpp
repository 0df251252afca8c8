// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a pattern file: the old file is replaced only by a whole new one,
// links, mode and owner are kept, and every failure is reported.
#include "pattern_file.h"

#include <csignal>
#include <dirent.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "pattern_builder.h"
#include "test_files.h"

namespace {

PatternFileData SmallData()
{
    static const double e[PATTERN_LEVELS] = {-1.0};
    static PatternBuilder d = PatternBuilder().text("New\n", 0).eTaken("01-01-2025", "").e(e);
    return d.data();
}

size_t EntryCount(const std::string &dir)
{
    size_t n = 0;
    DIR *d = opendir(dir.c_str());
    while (dirent *e = readdir(d))
        n += e->d_name[0] != '.';
    closedir(d);
    return n;
}

}  // namespace

TEST(PatternWrite, ReplacesTheOldFileKeepingItsMode)
{
    std::string dir = ScratchDir(), path = dir + "/p.atn";
    PutFile(path, "old");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(WritePatternFile(path, SmallData()).ok);
    EXPECT_EQ(GetFile(path), FormatPatternFile(SmallData()));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(EntryCount(dir), 1u);
}

TEST(PatternWrite, FailuresAreReportedAndKeepTheOldFile)
{
    std::string dir = ScratchDir();
    PutFile(dir + "/plain", "x");
    PatternFileResult r = WritePatternFile(dir + "/plain/p.atn", SmallData());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("plain/p.atn"), std::string::npos);

    mkdir((dir + "/folder").c_str(), 0755);
    r = WritePatternFile(dir + "/folder", SmallData());  // target is a directory
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(EntryCount(dir), 2u);  // no temporary file left behind

    // The disk fills half-way through the write (a file size limit binds root too).
    std::string path = dir + "/p.atn";
    PutFile(path, "previous measurement");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    r = WritePatternFile(path, SmallData());
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("p.atn"), std::string::npos);
    EXPECT_EQ(GetFile(path), "previous measurement");
    EXPECT_EQ(EntryCount(dir), 3u);
}

TEST(PatternWrite, ASymbolicLinkStaysAndItsTargetGetsTheSave)
{
    std::string dir = ScratchDir(), other = ScratchDir();
    const std::string want = FormatPatternFile(SmallData());
    struct {
        std::string link, points_to, target;
    } cases[] = {
        {dir + "/rel.atn", "real.atn", dir + "/real.atn"},                // beside it
        {dir + "/abs.atn", other + "/far.atn", other + "/far.atn"},       // another folder
        {dir + "/chain.atn", "rel.atn", dir + "/real.atn"},               // link to a link
        {dir + "/dangling.atn", other + "/new.atn", other + "/new.atn"},  // target not there yet
    };
    PutFile(dir + "/real.atn", "old");
    PutFile(other + "/far.atn", "old");
    for (const auto &c : cases)
        ASSERT_EQ(symlink(c.points_to.c_str(), c.link.c_str()), 0);
    for (const auto &c : cases) {
        if (c.target != other + "/new.atn")
            PutFile(c.target, "old");
        ASSERT_TRUE(WritePatternFile(c.link, SmallData()).ok) << c.link;
        struct stat st;
        ASSERT_EQ(lstat(c.link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.link << " is no longer a link";
        EXPECT_EQ(GetFile(c.target), want) << c.link;
    }
    EXPECT_EQ(EntryCount(dir), 5u);    // the four links and real.atn: no temporary
    EXPECT_EQ(EntryCount(other), 2u);  // far.atn and new.atn
}

TEST(PatternWrite, HardLinkedNamesStayOneFile)
{
    std::string dir = ScratchDir(), a = dir + "/a.atn", b = dir + "/b.atn";
    PutFile(a, "previous measurement");
    ASSERT_EQ(link(a.c_str(), b.c_str()), 0);
    ASSERT_TRUE(WritePatternFile(a, SmallData()).ok);
    struct stat sa, sb;
    ASSERT_EQ(stat(a.c_str(), &sa), 0);
    ASSERT_EQ(stat(b.c_str(), &sb), 0);
    EXPECT_EQ(sa.st_ino, sb.st_ino);
    EXPECT_EQ(GetFile(b), FormatPatternFile(SmallData()));
    // Shorter contents leave no tail of the longer old ones.
    PatternFileData d = SmallData();
    d.text = "X\n";
    ASSERT_TRUE(WritePatternFile(b, d).ok);
    EXPECT_EQ(GetFile(a), FormatPatternFile(d));
    EXPECT_EQ(EntryCount(dir), 2u);
}

TEST(PatternWrite, RefusesReadOnlyFilesAndWhatIsNotARegularFile)
{
    std::string dir = ScratchDir();
    PutFile(dir + "/locked.atn", "previous measurement");
    chmod((dir + "/locked.atn").c_str(), 0444);
    ASSERT_EQ(mkfifo((dir + "/pipe.atn").c_str(), 0600), 0);
    mkdir((dir + "/folder.atn").c_str(), 0755);
    ASSERT_EQ(symlink("locked.atn", (dir + "/via-link.atn").c_str()), 0);
    struct {
        std::string path, says;
    } cases[] = {
        {dir + "/locked.atn", "\"" + dir + "/locked.atn\" is read-only."},  // even for root
        {dir + "/via-link.atn", "\"" + dir + "/via-link.atn\" is read-only."},
        {dir + "/pipe.atn", "it is a FIFO (named pipe), not a regular file"},
        {dir + "/folder.atn", "it is a folder, not a regular file"},
    };
    for (const auto &c : cases) {
        PatternFileResult r = WritePatternFile(c.path, SmallData());
        EXPECT_FALSE(r.ok) << c.path;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
    }
    EXPECT_EQ(GetFile(dir + "/locked.atn"), "previous measurement");
    struct stat st;
    ASSERT_EQ(lstat((dir + "/pipe.atn").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(EntryCount(dir), 4u);
}

TEST(PatternWrite, KeepsTheOwnerWhereTheSaverMay)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    std::string dir = ScratchDir(), path = dir + "/p.atn";
    PutFile(path, "old");
    ASSERT_EQ(chown(path.c_str(), 1234, 2345), 0);
    chmod(path.c_str(), 0604);
    ASSERT_TRUE(WritePatternFile(path, SmallData()).ok);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 2345u);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
}

TEST(PatternWrite, TheLongestNamesSave)
{
    std::string dir = ScratchDir();
    std::string utf8;  // 2-byte characters: a cut must not split one
    while (utf8.size() + 2 <= 251)
        utf8 += "\xc3\xa9";
    for (const std::string &name : {std::string(251, 'n') + ".atn", utf8 + ".atn"}) {
        ASSERT_LE(name.size(), 255u);
        PutFile(dir + "/" + name, "old");
        PatternFileResult r = WritePatternFile(dir + "/" + name, SmallData());
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_EQ(GetFile(dir + "/" + name), FormatPatternFile(SmallData()));
    }
    EXPECT_EQ(EntryCount(dir), 2u);
}

TEST(PatternWrite, AKilledSaveLeavesNothingBehind)
{
    // Saves killed at random moments, then one more save of the same file:
    // only the file remains, whole.
    std::string dir = ScratchDir(), path = dir + "/p.atn";
    std::vector<double> e = SweepLevels(0.25);
    PatternFileData big = SmallData();
    std::string text = "Kim\n" + std::string(150, 'd') + "\n";
    big.text = text;
    big.lines = 1;
    big.e_data = big.h_data = e.data();
    std::mt19937 gen(5);
    for (int round = 0; round < 60; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                WritePatternFile(path, big);
        }
        usleep(200 + gen() % 3000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(WritePatternFile(path, SmallData()).ok);
    EXPECT_EQ(EntryCount(dir), 1u);
    EXPECT_EQ(GetFile(path), FormatPatternFile(SmallData()));
}
