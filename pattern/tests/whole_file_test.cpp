// SPDX-License-Identifier: GPL-3.0-or-later
// Files other than pattern files, written and read by the rules of a save,
// and saves on a disk that fills up.
#include "pattern_file.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include "pattern_builder.h"
#include "test_files.h"

namespace {

using testsupport::FileSizeLimit;

PatternFileData Levels()
{
    static const double e[PATTERN_LEVELS] = {-1.0, -2.0};
    static PatternBuilder d = PatternBuilder().text("Kim\n", 0).e(e).h(e);
    return d.data();
}

}  // namespace

TEST(WholeFile, AFailedWriteKeepsTheOldFileWhetherReplacedOrWrittenInPlace)
{
    const std::string dir = ScratchDir(), path = dir + "/out.csv", twin = dir + "/twin.csv";
    const std::string bytes(20000, 'x');
    PutFile(path, "old export");
    ASSERT_EQ(link(path.c_str(), twin.c_str()), 0);  // two names: written in place
    PutFile(dir + "/single.csv", "old single");
    {
        FileSizeLimit limit(5000);
        for (const std::string &p : {path, dir + "/single.csv", dir + "/new.csv"}) {
            const PatternFileResult r = WriteWholeFile(p, bytes);
            EXPECT_FALSE(r.ok) << p;
            EXPECT_NE(r.error.find(p), std::string::npos) << r.error;
            EXPECT_EQ(r.reason.rfind("cannot write: File too large", 0), 0u) << r.reason;
        }
    }
    EXPECT_EQ(GetFile(path), "old export");
    EXPECT_EQ(GetFile(twin), "old export");
    EXPECT_EQ(GetFile(dir + "/single.csv"), "old single");
    EXPECT_FALSE(std::filesystem::exists(dir + "/new.csv"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              3);  // no temporary left behind
}

TEST(WholeFile, FollowsTheRulesOfASave)
{
    const std::string dir = ScratchDir();
    PutFile(dir + "/target.svg", "old");
    ASSERT_EQ(symlink("target.svg", (dir + "/link.svg").c_str()), 0);
    ASSERT_TRUE(WriteWholeFile(dir + "/link.svg", "<svg/>").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.svg"));
    EXPECT_EQ(GetFile(dir + "/target.svg"), "<svg/>");

    PutFile(dir + "/a.csv", "old");
    ASSERT_EQ(link((dir + "/a.csv").c_str(), (dir + "/b.csv").c_str()), 0);
    ASSERT_TRUE(WriteWholeFile(dir + "/b.csv", "new").ok);
    EXPECT_EQ(GetFile(dir + "/a.csv"), "new");

    PutFile(dir + "/ro.csv", "kept");
    chmod((dir + "/ro.csv").c_str(), 0444);
    PatternFileResult r = WriteWholeFile(dir + "/ro.csv", "new");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "the file is read-only");
    EXPECT_EQ(GetFile(dir + "/ro.csv"), "kept");

    // No reader on the FIFO: a writer that opened it would wait for ever.
    ASSERT_EQ(mkfifo((dir + "/pipe.pdf").c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    r = WriteWholeFile(dir + "/pipe.pdf", "%PDF");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "it is a FIFO (named pipe), not a regular file");
}

TEST(WholeFile, ReadsOnlyRegularFilesAndNeverWaits)
{
    const std::string dir = ScratchDir();
    PutFile(dir + "/p.msi", std::string("NAME x\n\0y", 9));
    std::string bytes = "stale";
    ASSERT_TRUE(ReadWholeFile(dir + "/p.msi", 100, bytes).ok);
    EXPECT_EQ(bytes, std::string("NAME x\n\0y", 9));

    ASSERT_EQ(mkfifo((dir + "/fifo.atn").c_str(), 0600), 0);
    const std::string sock = dir + "/s.atn";
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sock.c_str());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    struct {
        std::string path;
        size_t max;
        const char *reason;
    } cases[] = {
        {dir + "/fifo.atn", 100, "a FIFO (named pipe), not a regular file"},
        {"/dev/zero", 100, "a device, not a regular file"},
        {"/dev/tty", 100, "a device, not a regular file"},
        {sock, 100, "a socket, not a regular file"},
        {dir, 100, "a folder, not a regular file"},
        {dir + "/missing.atn", 100, "no such file"},
        {dir + "/p.msi", 8, "too large (over 8 bytes)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const auto start = std::chrono::steady_clock::now();
        const PatternFileResult r = ReadWholeFile(c.path, c.max, bytes);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, c.reason);
        EXPECT_NE(r.error.find(c.path), std::string::npos) << r.error;
        EXPECT_TRUE(bytes.empty());
    }
    close(s);
}

TEST(WholeFile, ReadCountsTheLevelsTakenAsTheLimit)
{
    double e[PATTERN_LEVELS] = {}, h[PATTERN_LEVELS] = {};
    e[3] = 123456.0;
    e[4] = -1e9;
    e[5] = PATTERN_LEVEL_LIMIT;  // at the limit: kept as it is
    h[200] = 10000.5;
    const std::string dir = ScratchDir();
    ASSERT_TRUE(PatternBuilder().text("Kim\n", 0).e(e).h(h).write(dir + "/c.atn").ok);
    PatternRecord rec;
    int n = 0, emax = 0, hmax = 0;
    const PatternFileResult r = ReadPatternFile(dir + "/c.atn", rec, n, emax, hmax);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.clampedLevels, 3);
    EXPECT_EQ(rec.e_data[3], PATTERN_LEVEL_LIMIT);
    EXPECT_EQ(rec.e_data[4], -PATTERN_LEVEL_LIMIT);
    const std::string bytes = GetFile(dir + "/c.atn");
    EXPECT_EQ(ReadPatternBytes(bytes, "c.atn", rec, n, emax, hmax).clampedLevels, 3);
}

// A real full disk, where the test may mount one.
TEST(WholeFile, AFullDiskLeavesEveryOldFileAsItWas)
{
    SmallDisk disk;
    if (!disk.ok())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    PutFile(disk.path("m.atn"), "old measurement");
    PutFile(disk.path("e.csv"), "old export");
    PutFile(disk.path("h.csv"), "old linked export");
    ASSERT_EQ(link(disk.path("h.csv").c_str(), disk.path("h2.csv").c_str()), 0);
    disk.Fill();
    PatternFileResult r = WritePatternFile(disk.path("m.atn"), Levels());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("No space left on device"), std::string::npos) << r.error;
    for (const char *name : {"e.csv", "h.csv", "new.csv"}) {
        r = WriteWholeFile(disk.path(name), std::string(30000, 'x'));
        EXPECT_FALSE(r.ok) << name;
        EXPECT_EQ(r.reason, "cannot write: No space left on device") << name;
    }
    EXPECT_EQ(GetFile(disk.path("m.atn")), "old measurement");
    EXPECT_EQ(GetFile(disk.path("e.csv")), "old export");
    EXPECT_EQ(GetFile(disk.path("h2.csv")), "old linked export");
    EXPECT_FALSE(std::filesystem::exists(disk.path("new.csv")));
}
