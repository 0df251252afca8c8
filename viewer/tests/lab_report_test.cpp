// SPDX-License-Identifier: GPL-3.0-or-later
// File > Lab report...: the same PDF as atn report --lab for the same file
// and settings, taken from the checks and gain panels; refused without a
// pattern or with a plane deleted from view; a failed write is said.
#include <regex>

#include "checks_view.h"
#include "files.h"
#include "gain_view.h"
#include "pdf_text.h"
#include "run_program.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

// The text of a report without the line that says which program made it
// when: the rest must be the same whoever made it.
std::string Comparable(const std::string &pdf)
{
    return std::regex_replace(testsupport::PdfText(pdf),
                              std::regex("Veloran [^ ]+ \\([^)]*\\), made "
                                         "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}"),
                              "MADE");
}

// File > Lab report... saved as `name`; a message is expected after the
// dialogue when `fails`.
std::string LabReportTo(const std::string &name, bool fails = false)
{
    const std::string out = (TempDir() / name).string();
    rt::test::ChooseFile(out);
    if (fails)
        rt::test::AcknowledgeMessage();
    Menu(MENUBAR_LABREPORT);
    return out;
}

std::string AtnLab(const std::string &name, QStringList options)
{
    const std::string out = (TempDir() / name).string();
    const testsupport::RunResult r =
        testsupport::Atn(QStringList{"report", "--lab", QString::fromStdString(filepathname)}
                         << options << "-o" << QString::fromStdString(out));
    EXPECT_EQ(r.status, 0) << r.err;
    return out;
}

class LabReportMenu : public testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::HavePdfTools())
            GTEST_SKIP() << "pdftotext, pdftoppm or pdfinfo (poppler-utils) is not installed";
        Start();
        Open(testsupport::SampleFile("horn.atn"));
        ASSERT_TRUE(PatternOpen());
    }
};

TEST_F(LabReportMenu, WritesWhatAtnWritesWithThePanelsSettings)
{
    // Nothing set: no distance, no reference.
    const std::string plain = Comparable(LabReportTo("viewer.pdf"));
    ASSERT_NE(plain.find("Lab report: Horn (10 GHz)"), std::string::npos) << plain;
    EXPECT_EQ(plain, Comparable(AtnLab("atn.pdf", {})));
    EXPECT_EQ(plain.find("Gain by comparison"), std::string::npos);

    // The checks panel's distance and the gain panel's reference, its gain
    // that of the reference's type as the panel offers it.
    Menu(MENUBAR_CHECKS);
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "3");
    const char *dipole = testsupport::SampleFile("dipole.atn");
    ASSERT_TRUE(SetGainReference(dipole));
    const std::string set = Comparable(LabReportTo("viewer-ref.pdf"));
    EXPECT_NE(set.find("Gain by comparison"), std::string::npos);
    EXPECT_NE(set.find("its type's textbook model"), std::string::npos);
    EXPECT_EQ(set, Comparable(AtnLab("atn-ref.pdf", {"--distance", "3", "--reference", dipole})));

    // A reference gain typed in the gain panel, which it keeps when closed
    // and opened again.
    Menu(MENUBAR_GAIN);
    rt::test::CommitValue(gainpnl, GAINPNL_REFGAIN, 3.5);
    char result[200] = "";
    GetCtrlVal(gainpnl, GAINPNL_RESULT, result);
    rt::test::PressButton(gainpnl, GAINPNL_CLOSE);
    ASSERT_EQ(gainpnl, 0);
    Menu(MENUBAR_GAIN);
    double kept = 0;
    GetCtrlVal(gainpnl, GAINPNL_REFGAIN, &kept);
    EXPECT_DOUBLE_EQ(kept, 3.5);
    char again[200] = "";
    GetCtrlVal(gainpnl, GAINPNL_RESULT, again);
    EXPECT_STREQ(again, result);
    const std::string typed = Comparable(LabReportTo("viewer-gain.pdf"));
    EXPECT_NE(typed.find("Reference gain 3.50 dBi (given)"), std::string::npos);
    EXPECT_EQ(typed, Comparable(AtnLab("atn-gain.pdf", {"--distance", "3", "--reference", dipole,
                                                        "--reference-gain", "3.5"})));
}

TEST_F(LabReportMenu, SaysWhatItShowsOfATurnNotSaved)
{
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    const std::string text = testsupport::PdfText(LabReportTo("turned.pdf"));
    EXPECT_NE(
        text.find("Turned in the viewer and not saved: the E plane by 10°, the H plane by 0°."),
        std::string::npos);
}

TEST_F(LabReportMenu, IsRefusedWithoutBothPlanesAndSaysWhenItIsNotWritten)
{
    // A plane deleted from view: no dialogue, a message, no file.
    Menu(MENUBAR_EDATA);
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_LABREPORT);
    ASSERT_FALSE(rt::test::Popups().empty());
    EXPECT_NE(rt::test::Popups().back().text.find("The E plane is deleted from view"),
              std::string::npos);
    Menu(MENUBAR_EDATA);
    // A folder that is not there: said, and nothing written.
    const std::string out = LabReportTo("no/such/folder/lab.pdf", true);
    EXPECT_EQ(rt::test::Popups().back().title, "Lab report");
    EXPECT_EQ(rt::test::Popups().back().text.rfind("The report was not written. ", 0), 0u)
        << rt::test::Popups().back().text;
    EXPECT_FALSE(fs::exists(out));
    // No pattern open.
    rt::test::AnswerConfirm(0);  // not saved: the plane was shown again
    Menu(MENUBAR_CLOSE);
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_LABREPORT);
    EXPECT_EQ(rt::test::Popups().back().text, "Open a pattern file first.");
}

}  // namespace
