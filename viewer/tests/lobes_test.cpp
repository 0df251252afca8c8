// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export... and the lobe metrics panel, driven through the menus.
#include <QImage>

#include <algorithm>
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
    // E: 0.25 dB a degree, so the samples' own -3 dB points lie 12 degrees
    // out and the -10 dB points 40 out. The top is pointed, and the
    // parabola fitted through it peaks 0.34 dB below the highest sample (H,
    // 0.5 dB a degree: 0.39 dB): the fitted widths are taken 3 and 10 dB
    // below that peak, 0.34 / 0.25 = 1.37 degrees further out each side for
    // E (0.39 / 0.5 = 0.78 for H), and the raw figure follows each.
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "40.0 deg, -2.34 dB (raw 40 deg, -2.00 dB)");
    EXPECT_EQ(Text(LOBEPNL_E_HPBW), "26.7 deg (raw 24.0)");
    EXPECT_EQ(Text(LOBEPNL_E_BW10), "82.7 deg (raw 80.0)");
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "300.0 deg, -4.39 dB (raw 300 deg, -4.00 dB)");
    EXPECT_EQ(Text(LOBEPNL_H_HPBW), "13.6 deg (raw 12.0)");
    // Everything behind the beam is on the -30 dB floor: front-to-back is a
    // bound, and no side lobe rises above the floor.
    EXPECT_EQ(Text(LOBEPNL_E_FB), "≥ 27.66 dB (raw 28.00)");
    EXPECT_EQ(Text(LOBEPNL_E_SLL), "none");
    EXPECT_EQ(Text(LOBEPNL_E_FNBW), "224.0 deg, 288.0 to 152.0");  // where it meets the floor
    EXPECT_EQ(Text(LOBEPNL_E_NOISE), "0.00 dB");                   // a clean plane is no noisy one
    // 41253 / (26.74 x 13.56); the raw widths' 41253 / (24 x 12) beside it.
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "113.8 (20.6 dBi; raw 21.6 dBi)");

    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);  // E is selected on open
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "50.0 deg, -2.34 dB (raw 50 deg, -2.00 dB)");

    Menu(MENUBAR_HDATA);  // hide H
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "hidden");
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "needs both planes");
    Menu(MENUBAR_HDATA);  // show it again
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "300.0 deg, -4.39 dB (raw 300 deg, -4.00 dB)");

    rt::test::AnswerConfirm(0);  // the rotation is not saved
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "");
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "No pattern is open.");

    rt::test::PressButton(lobepnl, LOBEPNL_CLOSE);
    EXPECT_EQ(lobepnl, 0);
    Open(WriteAtn("b.atn", planes));  // nothing to refresh now
    Menu(MENUBAR_LOBES);              // a new panel, filled at once
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "40.0 deg, -2.34 dB (raw 40 deg, -2.00 dB)");
    rt::test::ClosePanelWindow(lobepnl);
    EXPECT_EQ(lobepnl, 0);
}

namespace {

// A sample pattern of the program's, copied so that nothing can write to it.
std::string SampleCopy(const char *name)
{
    const fs::path to = TempDir() / name;
    fs::copy_file(fs::path(VIEWER_SAMPLES) / name, to, fs::copy_options::overwrite_existing);
    return to.string();
}

double Leading(const std::string &s)
{
    return std::strtod(s.c_str(), nullptr);
}

}  // namespace

// The dipole sample was measured with 0.2 dB of noise per reading: the fit
// sees through it, names its figure of eight as two main lobes (no side
// lobe opposite the peak) and asks for averaging, while the main panel's
// readouts keep the highest sample.
TEST_F(Additions, LobePanelOfTheNoisyDipoleNamesTwoMainLobes)
{
    const std::string path = SampleCopy("dipole.atn");
    PatternRecord rec;
    int lines = 0, emax = -1, hmax = -1;
    ASSERT_TRUE(ReadPatternFile(path, rec, lines, emax, hmax).ok);
    Open(path);
    Menu(MENUBAR_LOBES);
    EXPECT_EQ(Text(LOBEPNL_E_MAIN).rfind("2, at ", 0), 0u) << Text(LOBEPNL_E_MAIN);
    EXPECT_EQ(Text(LOBEPNL_E_BACK), "none: a second main lobe");
    EXPECT_EQ(Text(LOBEPNL_E_SLL), "none");
    EXPECT_EQ(Text(LOBEPNL_H_MAIN), "1");  // the H plane goes all round
    EXPECT_EQ(Text(LOBEPNL_H_HPBW), "none");
    // A dipole is 78 degrees wide; one high reading on the top narrows the
    // raw figure by several degrees.
    const std::string hpbw = Text(LOBEPNL_E_HPBW);
    ASSERT_NE(hpbw.find(" deg (raw "), std::string::npos) << hpbw;
    EXPECT_NEAR(Leading(hpbw), 78.0, 3.0) << hpbw;
    EXPECT_GT(std::fabs(Leading(hpbw.substr(hpbw.find("raw ") + 4)) - 78.0), 3.0) << hpbw;
    EXPECT_NE(Text(LOBEPNL_E_NOISE).find("lifts the peak"), std::string::npos);
    char findings[4000] = "";
    GetCtrlVal(lobepnl, LOBEPNL_FINDINGS, findings);
    EXPECT_NE(std::string(findings).find("E plane: the noise"), std::string::npos) << findings;
    EXPECT_NE(std::string(findings).find("Average several readings per step in Kesto."),
              std::string::npos);
    EXPECT_NE(std::string(findings).find("two main lobes"), std::string::npos);
    EXPECT_EQ(std::string(findings).find("H plane: the noise"), std::string::npos) << findings;

    // The main panel: the lowest index of the greatest sample, its level.
    const int highest = int(std::max_element(rec.e_data, rec.e_data + 360) - rec.e_data);
    EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), highest);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EPEAKLEVEL), rec.e_data[highest]);
    EXPECT_EQ(Text(LOBEPNL_E_PEAK).find(std::to_string(highest) + ".0 deg"), std::string::npos);
}

// A horn's back is on the floor: its front-to-back is a bound and the
// findings say why; its side lobes stand clear of the floor and are values.
TEST_F(Additions, LobePanelShowsBoundsOnTheFloor)
{
    Open(SampleCopy("horn.atn"));
    Menu(MENUBAR_LOBES);
    EXPECT_EQ(Text(LOBEPNL_E_FB).rfind("≥ ", 0), 0u) << Text(LOBEPNL_E_FB);
    EXPECT_EQ(Text(LOBEPNL_H_FB).rfind("≥ ", 0), 0u) << Text(LOBEPNL_H_FB);
    EXPECT_EQ(Text(LOBEPNL_E_SLL).find("≤"), std::string::npos) << Text(LOBEPNL_E_SLL);
    EXPECT_NE(Text(LOBEPNL_E_SLL).find(" dB at "), std::string::npos);
    EXPECT_EQ(Text(LOBEPNL_E_BACK), "none");
    char findings[4000] = "";
    GetCtrlVal(lobepnl, LOBEPNL_FINDINGS, findings);
    EXPECT_NE(std::string(findings).find("E plane: front-to-back ≥ "), std::string::npos)
        << findings;
    EXPECT_NE(std::string(findings).find("within 1 dB of the -30 dB floor"), std::string::npos);
}

// Where the fit and the samples agree, a figure is shown once: a beam whose
// top is a parabola in dB, its peak on a sample, no noise.
TEST_F(Additions, LobePanelShowsOneFigureWhereFitAndSamplesAgree)
{
    auto beam = [](int a, int at, double top) {
        double d = std::abs(a - at) % 360;
        d = std::min(d, 360 - d);
        return std::max(-30.0, top - 12.0 * (d / 20) * (d / 20));  // -3 dB 10 degrees out
    };
    Open(WriteAtn("beam.atn", MakePlanes([&](int a) { return beam(a, 60, -3.0); },
                                         [&](int a) { return beam(a, 200, -6.0); })));
    Menu(MENUBAR_LOBES);
    EXPECT_EQ(Text(LOBEPNL_E_PEAK), "60.0 deg, -3.00 dB");
    EXPECT_EQ(Text(LOBEPNL_E_HPBW), "20.0 deg");
    EXPECT_EQ(Text(LOBEPNL_H_PEAK), "200.0 deg, -6.00 dB");
    EXPECT_EQ(Text(LOBEPNL_E_FB), "≥ 27.00 dB");  // the back on the floor, 27 dB down
    for (int c : {LOBEPNL_E_PEAK, LOBEPNL_E_HPBW, LOBEPNL_E_BW10, LOBEPNL_E_FNBW, LOBEPNL_E_FB,
                  LOBEPNL_H_PEAK, LOBEPNL_H_HPBW, LOBEPNL_DIRECTIVITY})
        EXPECT_EQ(Text(c).find("raw"), std::string::npos) << c << ": " << Text(c);
    EXPECT_EQ(Text(LOBEPNL_DIRECTIVITY), "103.1 (20.1 dBi)");  // 41253 / (20 x 20)
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
