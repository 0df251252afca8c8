// SPDX-License-Identifier: GPL-3.0-or-later
// Finding run-time files: beside the executable, then ../share/veloran from
// it, never the current folder; a missing one names every place searched.
#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "rt.h"
#include "scratch.h"
#include "testing.h"

namespace fs = std::filesystem;

namespace {

std::string gWarnings;

void Collect(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    gWarnings += msg.toStdString() + "\n";
}

// A scratch installation: prefix/bin (the executable's folder) and
// prefix/share/veloran, plus a folder to stand in as the current one.
struct Layout : ::testing::Test {
    testsupport::ScratchFolder scratch{"rt-resources"};
    fs::path prefix, bin, share, work, oldCwd;
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        prefix = scratch.path;
        bin = prefix / "bin";
        share = prefix / "share" / "veloran";
        work = prefix / "work";
        for (const auto &d : {bin, share, work})
            fs::create_directories(d);
        oldCwd = fs::current_path();
        fs::current_path(work);
        rt::test::SetProgramDir(bin.string());
    }
    void TearDown() override
    {
        rt::test::SetProgramDir({});
        fs::current_path(oldCwd);
    }
    static void Touch(const fs::path &p) { std::ofstream(p) << "x"; }
};

TEST_F(Layout, BesideTheProgramThenTheSharedFolderNeverTheCurrentOne)
{
    EXPECT_EQ(rt::RunTimeFilePlaces(), (std::vector<std::string>{bin.string(), share.string()}));
    Touch(work / "help.html");
    EXPECT_EQ(rt::FindRunTimeFile("help.html"), "") << "the current folder is not searched";
    Touch(share / "help.html");
    EXPECT_EQ(rt::FindRunTimeFile("help.html"), (share / "help.html").string());
    Touch(bin / "help.html");
    EXPECT_EQ(rt::FindRunTimeFile("help.html"), (bin / "help.html").string());
    // A folder of that name is not the file.
    fs::create_directories(bin / "pic.bmp");
    Touch(share / "pic.bmp");
    EXPECT_EQ(rt::FindRunTimeFile("pic.bmp"), (share / "pic.bmp").string());
    // An absolute name is taken as it is.
    EXPECT_EQ(rt::FindRunTimeFile((work / "help.html").c_str()), (work / "help.html").string());
    EXPECT_EQ(rt::FindRunTimeFile((work / "none").c_str()), "");
    EXPECT_EQ(rt::FindRunTimeFile(""), "");
    EXPECT_EQ(rt::FindRunTimeFile(nullptr), "");
}

TEST_F(Layout, MissingPanelFileNamesEveryPlaceSearched)
{
    Touch(work / "nowhere.uir");
    gWarnings.clear();
    const QtMessageHandler old = qInstallMessageHandler(Collect);
    const int panel = LoadPanel(0, "nowhere.uir", 1);
    qInstallMessageHandler(old);
    EXPECT_LT(panel, 0);
    EXPECT_NE(gWarnings.find("nowhere.uir"), std::string::npos) << gWarnings;
    EXPECT_NE(gWarnings.find(bin.string()), std::string::npos) << gWarnings;
    EXPECT_NE(gWarnings.find(share.string()), std::string::npos) << gWarnings;
    EXPECT_EQ(rt::RunTimeFileMissing("nowhere.uir"), "Cannot find nowhere.uir; looked in "
                                                         + bin.string() + " and " + share.string()
                                                         + ".");
}

}  // namespace
