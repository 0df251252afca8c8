// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export... and the lobe metrics panel, driven through the menus.
#include <QImage>

#include <cstdlib>

#include "lobe.h"
#include "lobes.h"
#include "msi.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

std::string Text(int ctrl)
{
    char buf[256] = "";
    GetCtrlVal(lobepnl, ctrl, buf);
    return buf;
}

class Additions : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        dir = scratch.path;
        planes = MakePlanes([](int a) { return Lobe(a, 40, -2.0, 0.25); },
                            [](int a) { return Lobe(a, 300, -4.0, 0.5); });
        Start();
    }
    // Exports to name; with a message expected after the file is chosen, and
    // the question that replaces a file there answered Yes.
    std::string Export(const char *name, bool message = false, bool replace = false)
    {
        const std::string path = (dir / name).string();
        rt::test::ChooseFile(path);
        if (replace)
            rt::test::AnswerConfirm(1);
        if (message)
            rt::test::AcknowledgeMessage();
        Menu(MENUBAR_EXPORT);
        return path;
    }
    testsupport::ScratchFolder scratch{"antenna-export"};
    fs::path dir;
    Planes planes;
};

}  // namespace

TEST_F(Additions, LobePanelFollowsOpenRotationHidingAndClose)
{
    Menu(MENUBAR_LOBES);
    ASSERT_GT(lobepnl, 0);
    EXPECT_TRUE(rt::test::IsDisplayed(lobepnl));
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "No pattern is open.");
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "");

    Open(WriteAtn("a.atn", planes));
    // E: 0.25 dB a degree: -3 dB 12 degrees out, -10 dB 40 out.
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "40 deg, -2.00 dB");
    EXPECT_EQ(Text(LOBEPNL_E_HPBW), "24.0 deg");
    EXPECT_EQ(Text(LOBEPNL_E_BW10), "80.0 deg");
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "300 deg, -4.00 dB");
    EXPECT_EQ(Text(LOBEPNL_H_HPBW), "12.0 deg");
    EXPECT_EQ(Text(LOBEPNL_E_FB), "28.00 dB");
    EXPECT_EQ(Text(LOBEPNL_E_SLL), "none");
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "143.2 (21.6 dBi)");  // 41253 / (24 x 12)

    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);  // E is selected on open
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "50 deg, -2.00 dB");

    Menu(MENUBAR_HDATA);  // hide H
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "hidden");
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "needs both planes");
    Menu(MENUBAR_HDATA);  // show it again
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "300 deg, -4.00 dB");

    rt::test::AnswerConfirm(0);  // the rotation is not saved
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "");
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "No pattern is open.");

    rt::test::PressButton(lobepnl, LOBEPNL_CLOSE);
    EXPECT_EQ(lobepnl, 0);
    Open(WriteAtn("b.atn", planes));  // nothing to refresh now
    Menu(MENUBAR_LOBES);              // a new panel, filled at once
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "40 deg, -2.00 dB");
    rt::test::ClosePanelWindow(lobepnl);
    EXPECT_EQ(lobepnl, 0);
}

TEST_F(Additions, ExportWritesTheLevelsAsTheyAreNow)
{
    Open(WriteAtn("a.atn", planes));
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);  // E turned by one degree
    Menu(MENUBAR_EDATA);                                    // and then hidden
    const std::string csv = ReadBytes(Export("a.csv"));
    double turned[360];
    for (int k = 0; k < 360; ++k)
        turned[k] = planes.e[(k + 359) % 360];
    // A hidden plane has no levels to go out: its cells stay empty.
    EXPECT_EQ(csv, FormatCsv(nullptr, planes.h));
    EXPECT_EQ(csv.find(",0.000000"), std::string::npos);
    EXPECT_NE(csv.find("\n40,," + std::to_string(planes.h[40]) + "\n"), std::string::npos) << csv;
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(ReadBytes(Export("a.csv", false, true)), FormatCsv(turned, planes.h));

    MsiPattern m;
    ASSERT_TRUE(ReadMsiText(ReadBytes(Export("a.msi")), m).ok);
    for (int k = 0; k < 360; ++k) {
        EXPECT_NEAR(m.vertical[k], turned[k] + 2.0, 0.01) << k;  // relative to the -2 dB peak
        EXPECT_NEAR(m.horizontal[k], std::max(-30.0, planes.h[k] + 2.0), 0.01) << k;
    }
    EXPECT_EQ(rt::test::PopupLog().find("message"), std::string::npos) << rt::test::PopupLog();
}

// An MSI file has no way to say that a cut is missing: while a plane is
// deleted from view the export says so and writes nothing.
TEST_F(Additions, MsiExportIsRefusedWhileAPlaneIsDeleted)
{
    Open(WriteAtn("a.atn", planes));
    const std::string old = Export("old.msi");
    const std::string before = ReadBytes(old);
    Menu(MENUBAR_HDATA);
    Export("old.msi", true, true);
    Export("new.msi", true);
    EXPECT_EQ(ReadBytes(old), before);
    EXPECT_FALSE(fs::exists(dir / "new.msi"));
    const std::string log = rt::test::PopupLog();
    EXPECT_NE(log.find("message:Export|The H plane is deleted from view: an MSI file needs both "
                       "planes"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("choose H data view to show it again"), std::string::npos) << log;
    Menu(MENUBAR_EDATA);
    Export("new.msi", true);
    EXPECT_NE(rt::test::PopupLog().find("The E and H planes are deleted from view"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "new.msi"));
    const std::string csv = ReadBytes(Export("both.csv"));
    EXPECT_NE(csv.find("\n359,,\n"), std::string::npos) << csv;
    Menu(MENUBAR_EDATA);
    Menu(MENUBAR_HDATA);
    MsiPattern m;
    EXPECT_TRUE(ReadMsiText(ReadBytes(Export("new.msi")), m).ok);
}

TEST_F(Additions, ExportDrawsTheCurrentView)
{
    Open(WriteAtn("a.atn", planes));
    QImage polar(QString::fromStdString(Export("p.png")));
    ASSERT_FALSE(polar.isNull());
    EXPECT_EQ(polar.size(), QSize(900, 900));
    // The E peak at 40 degrees lies up and to the right of the centre.
    Menu(MENUBAR_CARTESIAN);
    QImage cart(QString::fromStdString(Export("c.png")));
    ASSERT_FALSE(cart.isNull());
    EXPECT_NE(polar, cart);
    EXPECT_EQ(ReadBytes(Export("c.svg")).find("<image"), std::string::npos);
    EXPECT_EQ(ReadBytes(Export("c.pdf")).rfind("%PDF", 0), 0u);
    Menu(MENUBAR_3D);
    Export("d.png", true);
    EXPECT_FALSE(fs::exists(dir / "d.png"));
    EXPECT_NE(rt::test::PopupLog().find("3D view cannot be exported"), std::string::npos);
}

TEST_F(Additions, ExportExplainsWhatItCannotDo)
{
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_EXPORT);  // no pattern open: no file question at all
    Open(WriteAtn("a.atn", planes));
    Export("a.gif", true);
    std::ofstream(dir / "plain") << "x";
    Export("plain/a.csv", true);
    Export("plain/a.png", true);
    rt::test::CancelFile();
    Menu(MENUBAR_EXPORT);
    const std::string log = rt::test::PopupLog();
    EXPECT_NE(log.find("message:Export|Open a pattern file first."), std::string::npos) << log;
    EXPECT_NE(log.find("ending in .png, .svg, .pdf, .csv or .msi"), std::string::npos) << log;
    EXPECT_NE(log.find("The file was not written."), std::string::npos) << log;
    EXPECT_NE(log.find("The picture was not written."), std::string::npos) << log;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}
