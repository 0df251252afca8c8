// SPDX-License-Identifier: GPL-3.0-or-later
// Files and formatting: line limits, locale independence.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rt.h"
#include "rt_fixture.h"

namespace {

std::string TempPath(const char *name)
{
    return (rt::test::ScratchDir() / name).string();
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(Files, ReadLineKeepsAtMostTheLimitAndDropsTheRest)
{
    const auto path = TempPath("lines");
    WriteBytes(path, "-123.456789\nshort\r\nlast-without-lf");
    const int f = OpenFile(path.c_str(), RT_READ, RT_OPEN_ONLY, RT_ASCII);
    ASSERT_GE(f, 0);
    char buf[11];
    EXPECT_EQ(ReadLine(f, buf, 10), 10);
    EXPECT_STREQ(buf, "-123.45678");
    EXPECT_EQ(ReadLine(f, buf, 10), 6);
    EXPECT_STREQ(buf, "short\r");
    EXPECT_EQ(ReadLine(f, buf, 10), 10);
    EXPECT_EQ(ReadLine(f, buf, 10), -2);
    EXPECT_STREQ(buf, "");
    CloseFile(f);
    EXPECT_EQ(ReadLine(f, buf, 10), -1) << "closed handle";
}

// Switches the C library to a locale that writes decimal commas: one the
// machine has, or one built from the system's locale sources. False when
// neither can be had.
bool UseCommaLocale()
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "fr_FR.UTF-8"))
        return true;
    // Built before the first look-up: the C library remembers a failed one.
    const std::string dir = (rt::test::ScratchDir() / "locales").string();
    const std::string cmd = "test -d " + dir + "/de_DE.UTF-8 || (mkdir -p " + dir
                            + " && localedef -i de_DE -f UTF-8 " + dir
                            + "/de_DE.UTF-8) >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return false;
    setenv("LOCPATH", dir.c_str(), 1);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        return false;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 0.5);
    return std::string(buf) == "0,5";
}

TEST(Files, FmtAndScanIgnoreTheLocale)
{
    // A comma-decimal locale must change nothing.
    if (!UseCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    char buf[200];
    Fmt(buf, sizeof buf, "%d %f %f %d\n", 3, 10.0, -12.5, 2);
    EXPECT_STREQ(buf, "3 10.000000 -12.500000 2\n");
    Fmt(buf, sizeof buf, "%s<RS232 error number %i", -1);
    EXPECT_STREQ(buf, "RS232 error number -1");
    int a = 0, n = 0;
    double e = 0, h = 0;
    EXPECT_EQ(Scan("  3 10.000000\t0.5 2\r", "%s>%i%f%f%d", &a, &e, &h, &n), 4);
    EXPECT_EQ(a, 3);
    EXPECT_DOUBLE_EQ(h, 0.5);
    EXPECT_EQ(n, 2);
    double v = 99;
    EXPECT_EQ(Scan("garbage", "%s>%f", &v), 0);
    EXPECT_EQ(v, 99) << "an unparsed number leaves its target alone";
    EXPECT_EQ(Scan("1 2.5", "%s>%i%f%f%d", &a, &e, &h, &n), 2);
    // A number too long for the usual short form keeps its point too.
    Fmt(buf, sizeof buf, "%f", -1e120);
    const std::string big = buf;
    EXPECT_EQ(big.substr(big.size() - 7), ".000000") << big;
    double back = 0;
    EXPECT_EQ(Scan(buf, "%s>%f", &back), 1);
    EXPECT_EQ(back, -1e120);
    std::setlocale(LC_ALL, "C");
}

TEST(Files, FmtNeverWritesPastItsBuffer)
{
    char buf[8] = "xxxxxxx";
    Fmt(buf, 5, "%s<RS232 error number %i", -99);
    EXPECT_STREQ(buf, "RS23");
}

TEST(Files, FileInfoDeleteAndTruncatingWrite)
{
    const auto path = TempPath("info");
    std::remove(path.c_str());
    long size = -1;
    EXPECT_EQ(GetFileInfo(path.c_str(), &size), 0);
    int f = OpenFile(path.c_str(), RT_READ_WRITE, RT_OPEN_ONLY, RT_ASCII);
    ASSERT_GE(f, 0);
    WriteFile(f, "kesto", 6);
    CloseFile(f);
    EXPECT_EQ(GetFileInfo(path.c_str(), &size), 1);
    EXPECT_EQ(size, 6);
    f = OpenFile(path.c_str(), RT_WRITE, RT_TRUNCATE, RT_BINARY);
    FmtFile(f, "%f\n", 0.0);
    CloseFile(f);
    GetFileInfo(path.c_str(), &size);
    EXPECT_EQ(size, 9);
    EXPECT_EQ(DeleteFile(path.c_str()), 0);
    EXPECT_EQ(GetFileInfo(path.c_str(), &size), 0);
    EXPECT_NE(DeleteFile(path.c_str()), 0);
}

TEST(Files, DateAndTimeStrings)
{
    const std::string d = DateStr(), t = TimeStr();
    ASSERT_EQ(d.size(), 10u);
    EXPECT_EQ(d[2], '-');
    EXPECT_EQ(d[5], '-');
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[2], ':');
}

}  // namespace
