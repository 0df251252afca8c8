// SPDX-License-Identifier: GPL-3.0-or-later
// What atn writes arrives whole or not at all, what it reads never makes it
// wait, and what it prints names every file and says what it changed.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "msi.h"
#include "pattern_file.h"
#include "run_program.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

using Outcome = testsupport::RunResult;
using testsupport::Atn;

// Standard error on a terminal (where report shows its progress).
std::string AtnOnATerminal(const QStringList &args)
{
    std::vector<std::string> argv{ATN_BINARY};
    for (const QString &a : args)
        argv.push_back(a.toStdString());
    std::vector<char *> v;  // made before the fork: the child only execs
    for (std::string &a : argv)
        v.push_back(a.data());
    v.push_back(nullptr);
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(v[0], v.data());
        _exit(127);
    }
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
        text.append(buf, size_t(n));
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    return text;
}

std::string Tool(const char *name, const QStringList &args)
{
    const QString exe = QStandardPaths::findExecutable(QString::fromUtf8(name));
    if (exe.isEmpty())
        return {};
    QProcess p;
    p.start(exe, args);
    p.waitForFinished(60000);
    return p.readAllStandardOutput().toStdString();
}

const char *const kHorn = testsupport::SampleFile("horn.atn");

class AtnOutput : public testing::Test {
protected:
    void SetUp() override { dir = ScratchDir(); }
    std::string At(const std::string &name) const { return dir + "/" + name; }
    QString Q(const std::string &name) const { return QString::fromStdString(At(name)); }
    size_t Entries() const
    {
        return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
    std::string dir;
};

struct Writer {
    const char *name;
    QStringList args;  // OUT stands for the output file
};

std::vector<Writer> Writers(const QString &msi)
{
    return {
        {"csv", {"export", kHorn, "--format", "csv", "-o", "OUT"}},
        {"msi", {"export", kHorn, "--format", "msi", "-o", "OUT"}},
        {"svg", {"plot", kHorn, "-o", "OUT.svg"}},
        {"pdf", {"plot", kHorn, "-o", "OUT.pdf"}},
        {"png", {"plot", kHorn, "-o", "OUT.png"}},
        {"report", {"report", kHorn, testsupport::SampleFile("yagi.atn"), "-o", "OUT.pdf"}},
        {"import", {"import", msi, "-o", "OUT"}},
    };
}

struct Job {
    const char *name;
    std::string out;
    QStringList args;
};

// Each writer with its output named by at(), an old file there already.
std::vector<Job> OldFilesFor(const std::function<std::string(const std::string &)> &at,
                             const QString &msi)
{
    std::vector<Job> jobs;
    for (const Writer &w : Writers(msi)) {
        Job j{w.name, {}, w.args};
        for (QString &a : j.args)
            if (a.startsWith(QLatin1String("OUT"))) {
                j.out = at(std::string("old-") + w.name + a.mid(3).toStdString());
                a = QString::fromStdString(j.out);
            }
        PutFile(j.out, "old contents");
        jobs.push_back(j);
    }
    return jobs;
}

// Every writer onto an old file that cannot take the new one: status 1,
// one line naming the file, the old file as it was.
void ExpectEveryWriterFailsWhole(const std::vector<Job> &jobs, rlim_t limit)
{
    for (const Job &j : jobs) {
        SCOPED_TRACE(j.name);
        const Outcome r = Atn(j.args, {limit, {}, {}});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("atn: " + j.out + ": not written: cannot write: "), std::string::npos)
            << r.err;
        EXPECT_EQ(GetFile(j.out), "old contents");
    }
}

}  // namespace

TEST_F(AtnOutput, EveryWriterFailsWholeWhenTheFileCannotGrow)
{
    ASSERT_EQ(Atn({"export", kHorn, "--format", "msi", "-o", Q("in.msi")}).status, 0);
    const auto jobs = OldFilesFor([this](const std::string &n) { return At(n); }, Q("in.msi"));
    const size_t before = Entries();
    ExpectEveryWriterFailsWhole(jobs, 2000);
    EXPECT_EQ(Entries(), before) << "no temporary file left behind";

    // Standard output sent to a file that cannot grow.
    for (const QStringList &args :
         {QStringList{"info", "--json", kHorn}, QStringList{"info", kHorn},
          QStringList{"export", kHorn, "-o", "-"}}) {
        const Outcome r = Atn(args, {1000, {}, Q("stdout.txt")});
        EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "atn: standard output: cannot write: File too large\n");
    }
}

TEST_F(AtnOutput, EveryWriterFailsWholeOnAFullDisk)
{
    SmallDisk disk;
    if (!disk.ok())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    ASSERT_EQ(Atn({"export", kHorn, "--format", "msi", "-o", Q("in.msi")}).status, 0);
    const auto jobs =
        OldFilesFor([&disk](const std::string &n) { return disk.path(n); }, Q("in.msi"));
    // The CSV target has a second name: it is written in place.
    ASSERT_EQ(link(disk.path("old-csv").c_str(), disk.path("linked").c_str()), 0);
    disk.Fill();
    ExpectEveryWriterFailsWhole(jobs, 0);
    EXPECT_EQ(GetFile(disk.path("linked")), "old contents");
    const Outcome r =
        Atn({"info", "--json", kHorn}, {0, {}, QString::fromStdString(disk.path("info.json"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "atn: standard output: cannot write: No space left on device\n");
}

TEST_F(AtnOutput, StandardOutputThatCannotBeWrittenIsAFailure)
{
    for (const QStringList &args :
         {QStringList{"info", "--json", kHorn}, QStringList{"info", kHorn},
          QStringList{"compare", kHorn, kHorn}, QStringList{"export", kHorn, "-o", "-"},
          QStringList{"plot", kHorn, "-o", "-"}, QStringList{"report", kHorn, "-o", "-"},
          QStringList{"--help"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome r = Atn(args, {0, {}, QStringLiteral("/dev/full")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("standard output: cannot write: No space left on device"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(AtnOutput, ExportsFollowTheRulesOfASave)
{
    PutFile(At("target.csv"), "old");
    ASSERT_EQ(symlink("target.csv", At("link.csv").c_str()), 0);
    ASSERT_EQ(Atn({"export", kHorn, "-o", Q("link.csv")}).status, 0);
    EXPECT_TRUE(fs::is_symlink(At("link.csv")));
    EXPECT_EQ(GetFile(At("target.csv")).rfind("angle_deg,e_db,h_db\n", 0), 0u);

    PutFile(At("a.svg"), "old");
    ASSERT_EQ(link(At("a.svg").c_str(), At("b.svg").c_str()), 0);
    ASSERT_EQ(Atn({"plot", kHorn, "-o", Q("b.svg")}).status, 0);
    EXPECT_NE(GetFile(At("a.svg")).find("<svg"), std::string::npos) << "one file, two names";

    PutFile(At("ro.msi"), "kept");
    chmod(At("ro.msi").c_str(), 0444);
    Outcome r = Atn({"export", kHorn, "-o", Q("ro.msi")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "atn: " + At("ro.msi") + ": not written: the file is read-only\n");
    EXPECT_EQ(GetFile(At("ro.msi")), "kept");

    ASSERT_EQ(mkfifo(At("pipe.pdf").c_str(), 0600), 0);
    r = Atn({"report", kHorn, "-o", Q("pipe.pdf")});
    EXPECT_LT(r.seconds, 20.0);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("it is a FIFO (named pipe), not a regular file"), std::string::npos)
        << r.err;
}

TEST_F(AtnOutput, AFifoOrADeviceIsRefusedAtOnceByEveryReader)
{
    ASSERT_EQ(mkfifo(At("f.atn").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(At("f.msi").c_str(), 0600), 0);
    for (const QStringList &args :
         {QStringList{"info", Q("f.atn")}, QStringList{"info", Q("f.msi")},
          QStringList{"import", Q("f.atn"), "-o", Q("x.atn")},
          QStringList{"export", Q("f.msi"), "-o", Q("x.csv")},
          QStringList{"compare", kHorn, Q("f.atn")},
          QStringList{"plot", Q("f.atn"), "-o", Q("x.svg")},
          QStringList{"report", Q("f.atn"), "-o", Q("x.pdf")}, QStringList{"info", "/dev/zero"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome r = Atn(args);
        ASSERT_TRUE(r.finished) << "waited on the FIFO";
        EXPECT_LT(r.seconds, 10.0);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.find("a FIFO (named pipe), not a regular file") != std::string::npos
                    || r.err.find("a device, not a regular file") != std::string::npos)
            << r.err;
    }
    // The start of a program is its own: the refusal itself takes no time.
    const auto start = std::chrono::steady_clock::now();
    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(At("f.atn"), 1 << 20, bytes).ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(AtnOutput, DashIsStandardInputAndOutput)
{
    Outcome r = Atn({"info", "-"}, {0, QString::fromUtf8(kHorn), {}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("standard input (atn file)\n", 0), 0u) << r.out;
    const std::string named = Atn({"info", kHorn}).out;
    EXPECT_EQ(r.out.substr(r.out.find('\n')), named.substr(named.find('\n')));

    r = Atn({"info", "--json", "-"}, {0, QString::fromUtf8(kHorn), {}});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject f = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))
                              .object()[QStringLiteral("files")]
                              .toArray()[0]
                              .toObject();
    EXPECT_EQ(f[QStringLiteral("file")].toString(), QStringLiteral("-"));
    EXPECT_EQ(f[QStringLiteral("e")].toObject()[QStringLiteral("peak_angle_deg")].toInt(), 89);

    // export to standard output, import from it and back to standard output
    r = Atn({"export", kHorn, "--format", "msi", "-o", "-"});
    ASSERT_EQ(r.status, 0) << r.err;
    MsiPattern m;
    EXPECT_TRUE(ReadMsiText(r.out, m).ok);
    PutFile(At("horn.msi"), r.out);
    r = Atn({"import", "-", "-o", "-"}, {0, Q("horn.msi"), {}});
    ASSERT_EQ(r.status, 0) << r.err;
    PatternRecord rec;
    int n = 0, e = 0, h = 0;
    EXPECT_TRUE(ReadPatternBytes(r.out, "stdout", rec, n, e, h).ok) << r.out.substr(0, 200);
    EXPECT_EQ(Atn({"export", "-", "-o", "-"}, {0, QString::fromUtf8(kHorn), {}}).out,
              Atn({"export", kHorn, "-o", "-"}).out);
    r = Atn({"plot", "-", "-o", "-"}, {0, QString::fromUtf8(kHorn), {}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("<svg"), std::string::npos);

    r = Atn({"compare", "-", "-"}, {0, QString::fromUtf8(kHorn), {}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("standard input was given twice"), std::string::npos) << r.err;
    r = Atn({"info", "-"}, {0, QStringLiteral("/dev/null"), {}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "atn: standard input: the file is empty\n");
}

TEST_F(AtnOutput, AReportNamesEveryFileOnAsManySummaryPagesAsItNeeds)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const std::string horn = GetFile(kHorn);
    QStringList files;
    fs::create_directories(At("lab1"));
    fs::create_directories(At("lab2"));
    for (int i = 0; i < 60; ++i) {
        const std::string name = "student-" + std::to_string(100 + i) + ".atn";
        PutFile(At(name), horn);
        files << Q(name);
    }
    PutFile(At("lab1/horn.atn"), horn);
    PutFile(At("lab2/horn.atn"), horn);
    files << Q("lab1/horn.atn") << Q("lab2/horn.atn");
    PutFile(At("broken-a.atn"), "not a pattern\n");
    PutFile(At("broken-b.atn"), "");
    files << Q("broken-a.atn") << Q("broken-b.atn");

    const QStringList args = QStringList{"report"} << files << "-o" << Q("r.pdf");
    const std::string terminal = AtnOnATerminal(args);
    std::string text = Tool("pdftotext", {"-layout", Q("r.pdf"), "-"});
    // The PDF's fonts join f and i.
    for (size_t at; (at = text.find("\xef\xac\x81")) != std::string::npos;)
        text.replace(at, 3, "fi");
    ASSERT_FALSE(text.empty());
    for (const QString &f : files) {
        const std::string name = fs::path(f.toStdString()).filename().string();
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
    EXPECT_NE(text.find("broken-a.atn: line 1:"), std::string::npos);
    EXPECT_NE(text.find("broken-b.atn: the file is empty"), std::string::npos);
    // The two of the same name are told apart, on the summary and their pages.
    for (const char *shown : {"lab1/horn.atn", "lab2/horn.atn"}) {
        size_t count = 0;
        for (size_t at = 0; (at = text.find(shown, at)) != std::string::npos; ++at)
            ++count;
        EXPECT_GE(count, 2u) << shown;
    }
    const std::string info = Tool("pdfinfo", {Q("r.pdf")});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages: +([0-9]+)"))) << info;
    const int pages = std::stoi(m[1]);
    EXPECT_GE(pages, 62 + 2);  // 62 file pages and more than one summary page
    // The progress counts the pages that are in the file.
    std::string rest = terminal;
    std::string shown;
    for (std::smatch p; std::regex_search(rest, p, std::regex("page ([0-9]+) of ([0-9]+)"));
         rest = p.suffix())
        shown = p[0];
    EXPECT_EQ(shown, "page " + std::to_string(pages) + " of " + std::to_string(pages)) << terminal;
}

TEST_F(AtnOutput, InfoSaysWhatItClampedAndEscapesControlCharacters)
{
    std::string bytes = "-1 0.000000 0.000000 2\nKim\x1b[2J\nLab\x07 3\n\xc2\x9b"
                        "31m red\n";
    for (int plane = 0; plane < 2; ++plane) {
        bytes += "01-02-2024\n10:00:00\n";
        for (int k = 0; k < 360; ++k)
            bytes += plane == 0 && k < 2    ? "99999.000\n"
                     : plane == 1 && k == 7 ? "-20000.00\n"
                                            : "-10.000000\n";
    }
    PutFile(At("odd.atn"), bytes);
    Outcome r = Atn({"info", Q("odd.atn")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  person: Kim\\x1b[2J\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  description: Lab\\x07 3\n               \\u009b31m red\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  levels: 3 beyond +-10000 dB, read as +-10000 dB\n"), std::string::npos)
        << r.out;
    for (char c : r.out)
        EXPECT_TRUE((unsigned char)c >= 0x20 || c == '\n') << int(c);
    EXPECT_EQ(r.out.find("\xc2\x9b"), std::string::npos);
    EXPECT_EQ(Atn({"info", kHorn}).out.find("levels:"), std::string::npos);

    r = Atn({"info", "--json", Q("odd.atn"), kHorn});
    ASSERT_EQ(r.status, 0) << r.err;
    for (char c : r.out)
        EXPECT_TRUE((unsigned char)c >= 0x20 || c == '\n' || c == ' ') << int(c);
    const QJsonArray docs = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))
                                .object()[QStringLiteral("files")]
                                .toArray();
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0].toObject()[QStringLiteral("clamped_levels")].toInt(-1), 3);
    EXPECT_EQ(docs[0].toObject()[QStringLiteral("person")].toString(),
              QString::fromUtf8("Kim\x1b[2J"));
    EXPECT_EQ(docs[1].toObject()[QStringLiteral("clamped_levels")].toInt(-1), 0);
}

TEST_F(AtnOutput, HelpAllAndVersionWork)
{
    for (const QStringList &args : {QStringList{"--help-all"}, QStringList{"info", "--help-all"},
                                    QStringList{"report", "--help-all"}}) {
        const Outcome r = Atn(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
        EXPECT_NE(r.out.find("Usage: atn"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("-platform NAME"), std::string::npos) << r.out;
    }
    EXPECT_NE(Atn({"info", "--help"}).out.find("--help-all"), std::string::npos);
    const Outcome v = Atn({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, std::string("atn ") + VELORAN_VERSION + "\n");
}
