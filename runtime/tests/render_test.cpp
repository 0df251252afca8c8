// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of a graph in memory, and files written whole or not at all.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <sys/resource.h>

#include "demo_panel.h"
#include "files.h"
#include "render.h"
#include "rt.h"
#include "rt_fixture.h"
#include "rtdemo_uir.h"

namespace fs = std::filesystem;

namespace {

int GraphPanel()
{
    const int p = rt::test::LoadDemoPanel();
    PlotLine(p, DEMOPNL_GRAPH, 0, 0, 30, 0, RT_RED);
    return p;
}

std::string Slurp(const fs::path &p)
{
    return testsupport::GetFile(p.string());
}

using testsupport::FileSizeLimit;

}  // namespace

TEST(Render, PicturesAreDrawnInMemoryInTheAskedFormat)
{
    const int p = GraphPanel();
    std::string bytes, error;
    ASSERT_EQ(rt::RenderGraphPicture(p, DEMOPNL_GRAPH, "png", 200, 100, &bytes, &error), 0)
        << error;
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    ASSERT_EQ(rt::RenderGraphPicture(p, DEMOPNL_GRAPH, "SVG", 200, 100, &bytes, &error), 0);
    EXPECT_NE(bytes.find("<svg"), std::string::npos);
    ASSERT_EQ(rt::RenderGraphPicture(p, DEMOPNL_GRAPH, "pdf", 200, 100, &bytes, &error), 0);
    EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
    EXPECT_EQ(rt::RenderGraphPicture(p, DEMOPNL_GRAPH, "gif", 200, 100, &bytes, &error), -1);
    EXPECT_EQ(error, "the file name must end in .png, .svg or .pdf");
    EXPECT_EQ(rt::RenderGraphPicture(p, DEMOPNL_GRAPH, "png", 9000, 100, &bytes, &error), -1);
    EXPECT_EQ(rt::RenderGraphPicture(p, DEMOPNL_BUTTON, "png", 200, 100, &bytes, &error), -1);
}

TEST(Render, AFileThatCannotBeWrittenWholeKeepsTheOldOne)
{
    const int p = GraphPanel();
    const fs::path dir = rt::test::ScratchDir();
    const fs::path data = dir / "data.csv", picture = dir / "graph.pdf";
    std::ofstream(data) << "old data";
    std::ofstream(picture) << "old picture";
    const std::string big(3000, 'x');  // within the write buffer of a QSaveFile
    std::string error;
    {
        FileSizeLimit limit(1000);
        EXPECT_EQ(rt::SaveFileWhole(data.c_str(), big.data(), big.size(), &error), -1);
        EXPECT_NE(error.find("too large"), std::string::npos) << error;
        error.clear();
        EXPECT_EQ(rt::SaveGraphPicture(p, DEMOPNL_GRAPH, picture.c_str(), 2000, 2000, &error), -1);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(Slurp(data), "old data");
    EXPECT_EQ(Slurp(picture), "old picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    ASSERT_EQ(rt::SaveFileWhole(data.c_str(), big.data(), big.size(), &error), 0) << error;
    EXPECT_EQ(Slurp(data), big);
}

TEST(Render, APrintToAFileIsWrittenWholeOrSaidToHaveFailed)
{
    const int p = GraphPanel();
    const fs::path dir = rt::test::ScratchDir();
    const fs::path pdf = dir / "print.pdf";
    std::ofstream(pdf) << "old print";
    rt::test::ClearPopups();
    {
        FileSizeLimit limit(1000);
        rt::test::AcknowledgeMessage();
        rt::test::AcknowledgeMessage();
        EXPECT_EQ(PrintCtrl(p, DEMOPNL_GRAPH, pdf.c_str(), 1, 0), -1);
        EXPECT_EQ(PrintPanel(p, pdf.c_str(), 1, 1, 0), -1);
    }
    ASSERT_EQ(rt::test::Popups().size(), 2u);
    EXPECT_EQ(rt::test::Popups()[0].kind, "message");
    EXPECT_EQ(rt::test::Popups()[0].title, "Print");
    EXPECT_NE(rt::test::Popups()[0].text.find("The print could not be written to " + pdf.string()),
              std::string::npos)
        << rt::test::Popups()[0].text;
    EXPECT_EQ(Slurp(pdf), "old print");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    rt::test::ClearPopups();
    ASSERT_EQ(PrintCtrl(p, DEMOPNL_GRAPH, pdf.c_str(), 1, 0), 0);
    EXPECT_TRUE(rt::test::Popups().empty());
    const std::string printed = Slurp(pdf);
    EXPECT_EQ(printed.rfind("%PDF", 0), 0u);
    EXPECT_NE(printed.find("%%EOF"), std::string::npos);
}

TEST(Render, WithoutAPrinterEachPrintIsKeptUnderItsOwnNameAndTheUserToldWhere)
{
    const int p = GraphPanel();
    const fs::path dir = rt::test::ScratchDir() / "prints";
    fs::create_directories(dir);
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    rt::test::SetPrinterFile("");  // to the printer, which this machine lacks
    rt::test::ClearPopups();
    rt::test::AcknowledgeMessage();
    rt::test::AcknowledgeMessage();
    const int first = PrintCtrl(p, DEMOPNL_GRAPH, "", 1, 0);
    const int second = PrintCtrl(p, DEMOPNL_GRAPH, "", 1, 0);
    fs::current_path(old);
    if (fs::is_empty(dir) && first == 0 && second == 0)
        GTEST_SKIP() << "this machine has a printer";
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    const std::vector<fs::path> prints{fs::directory_iterator(dir), fs::directory_iterator()};
    ASSERT_EQ(prints.size(), 2u) << "the second print in the same second replaced the first";
    ASSERT_EQ(rt::test::Popups().size(), 2u);
    for (const auto &shown : rt::test::Popups()) {
        EXPECT_EQ(shown.title, "Print");
        EXPECT_EQ(shown.text.rfind(
                      "There is no printer: the print was saved as " + dir.string() + "/print-", 0),
                  0u)
            << shown.text;
    }
    for (const auto &f : prints)
        EXPECT_EQ(Slurp(f).rfind("%PDF", 0), 0u);
}
