// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer on the screen it gets: at a large font on a small screen the
// main window and its sub-windows fit, and the graphs' labels never cover
// one another; at the default font on a large screen nothing changes.
// ctest runs these on a 1280 x 1024 screen and the FitsTheScreen and
// GraphLabels cases once more on a laptop's 1366 x 768 (prefix laptop1366.).
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "checks_view.h"
#include "codepage.h"
#include "files_overlay.h"
#include "gain_view.h"
#include "lobes.h"
#include "ogl3d_testing.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

std::string Sample()
{
    return WriteAtn("fit.atn", MakePlanes([](int a) { return Lobe(a, 40, -2.0, 0.25); },
                                          [](int a) { return Lobe(a, 300, -4.0, 0.5); }));
}

QRect Avail()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// What is wrong with a window on its screen: a smallest size that leaves no
// room for a frame and a desktop panel, and controls off the screen.
std::string OffScreen(QWidget *window)
{
    std::string faults;
    const QRect avail = Avail();
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    if (least.width() > avail.width() - 16 || least.height() > avail.height() - 68)
        faults += window->objectName().toStdString() + " needs " + std::to_string(least.width())
                  + "x" + std::to_string(least.height()) + "\n";
    if (window->width() > avail.width() || window->height() > avail.height())
        faults += window->objectName().toStdString() + " opens at "
                  + std::to_string(window->width()) + "x" + std::to_string(window->height()) + "\n";
    for (QWidget *c : window->findChildren<QWidget *>()) {
        if (!c->isVisible() || c->isWindow() || c->objectName().isEmpty())
            continue;
        const QRect r(c->mapTo(window, QPoint(0, 0)), c->size());
        if (!QRect(QPoint(0, 0), avail.size()).contains(r))
            faults += c->objectName().toStdString() + " at " + std::to_string(r.right()) + ","
                      + std::to_string(r.bottom()) + "\n";
    }
    return faults;
}

QWidget *Shown(int panel)
{
    QWidget *w = rt::test::PanelWidget(panel);
    for (int i = 0; i < 3; ++i)
        ProcessSystemEvents();
    return w;
}

// Labels whose boxes overlap, or leave the graph.
std::string Crowded(int ctrl)
{
    const auto texts = rt::test::GraphTexts(antennalab, ctrl);
    const QWidget *g = rt::test::CtrlWidget(antennalab, ctrl);
    std::string faults;
    for (size_t i = 0; i < texts.size(); ++i) {
        const QRectF a(texts[i].left, texts[i].top, texts[i].width, texts[i].height);
        if (!QRectF(-1, -1, g->width() + 2, g->height() + 2).contains(a))
            faults += "'" + texts[i].text + "' leaves the graph\n";
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const QRectF b(texts[j].left, texts[j].top, texts[j].width, texts[j].height);
            if (a.intersects(b))
                faults += "'" + texts[i].text + "' covers '" + texts[j].text + "'\n";
        }
    }
    return faults;
}

bool Shows(int ctrl, const std::string &text)
{
    for (const auto &t : rt::test::GraphTexts(antennalab, ctrl))
        if (t.text == text)
            return true;
    return false;
}

}  // namespace

TEST(FitsTheScreen, AtSixteenPointsTheMainWindowAndItsControlsAreOnTheScreen)
{
    rt::test::UseFontSize(16);
    Start();
    Open(Sample());
    Menu(MENUBAR_CURSOR);
    QWidget *main = Shown(antennalab);
    EXPECT_EQ(OffScreen(main), "");
    const QWidget *exit = rt::test::CtrlWidget(antennalab, ANTENNALAB_EXIT);
    EXPECT_TRUE(exit->isVisible());
    EXPECT_LE(exit->mapTo(main, QPoint(0, 0)).y() + exit->height(), Avail().height());
    // Tighter, but every text still whole.
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(antennalab)), "");
    // The graphs stay square, and only as much smaller as the screen needs.
    for (int g : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        int w = 0, h = 0;
        GetCtrlAttribute(antennalab, g, RT_ATTR_WIDTH, &w);
        GetCtrlAttribute(antennalab, g, RT_ATTR_HEIGHT, &h);
        EXPECT_EQ(w, h);
        EXPECT_GE(w, 300);
    }
}

TEST(FitsTheScreen, AtSixteenPointsEverySubWindowIsOnTheScreen)
{
    rt::test::UseFontSize(16);
    Start();
    Open(Sample());
    Menu(MENUBAR_INFO);
    EXPECT_EQ(OffScreen(Shown(infopnl)), "");
    rt::test::PressButton(infopnl, INFOPNL_PICTURE);
    EXPECT_EQ(OffScreen(Shown(pichandle)), "");
    Menu(MENUBAR_LOBES);
    EXPECT_EQ(OffScreen(Shown(lobepnl)), "");
    Menu(MENUBAR_CODEPAGE);
    EXPECT_EQ(OffScreen(Shown(codepnl)), "");
    // The 3D properties dialogue, as it shows.
    Menu(MENUBAR_3D);
    QSize properties;
    rt::test::AnswerOglProperties(
        [&](QDialog &dlg) {
            dlg.show();
            ProcessSystemEvents();
            properties = dlg.size();
            dlg.hide();
        },
        false);
    Menu(MENUBAR_GRAPHICS);
    EXPECT_TRUE(properties.isValid());
    EXPECT_LE(properties.width(), Avail().width());
    EXPECT_LE(properties.height(), Avail().height() - 68);
    for (int id : {THEORYPNL, GAINPNL, CHECKPNL, OVERLAYPNL}) {
        const int p = LoadPanel(0, "antenna.uir", id);
        DisplayPanel(p);
        EXPECT_EQ(OffScreen(Shown(p)), "") << "panel " << id;
        DiscardPanel(p);
    }
}

// The checks, lobe metrics and gain panels with the longest texts they
// show: the noisy dipole sample (two main lobes, the noise flag, nulls on
// the floor), every check made, and a budget with a reference file.
TEST(FitsTheScreen, AtSixteenPointsTheFilledAnalysisPanelsAreOnTheScreen)
{
    rt::test::UseFontSize(16);
    Start();
    const fs::path dipole = TempDir() / "dipole.atn";
    fs::copy_file(fs::path(VIEWER_SAMPLES) / "dipole.atn", dipole);
    Open(dipole.string());
    Menu(MENUBAR_LOBES);
    EXPECT_EQ(OffScreen(Shown(lobepnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(lobepnl)), "");
    Menu(MENUBAR_CHECKS);
    rt::test::CommitText(checkpnl, CHECKPNL_DISTANCE, "0.3");
    EXPECT_EQ(OffScreen(Shown(checkpnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(checkpnl)), "");
    Menu(MENUBAR_GAIN);
    rt::test::ChooseFile(Sample());
    rt::test::PressButton(gainpnl, GAINPNL_BROWSE);
    EXPECT_EQ(OffScreen(Shown(gainpnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(gainpnl)), "");
    // The overlay panel with its longest lists: eight files, the band's
    // figures.
    Menu(MENUBAR_OVERLAY);
    for (int i = 0; i < 8; ++i) {
        rt::test::ChooseFile(
            WriteAtn("repeat-of-the-dipole-" + std::to_string(i) + ".atn",
                     MakePlanes([i](int a) { return Lobe(a, 40 + i, -2.0 - 0.1 * i, 0.25); },
                                [](int a) { return Lobe(a, 300, -4.0, 0.5); }),
                     "Kim", ""));
        rt::test::PressButton(overlaypnl, OVERLAYPNL_ADD);
        rt::test::CommitValue(overlaypnl, OVERLAYPNL_ALIGN, 1);
    }
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_BAND, 1);
    EXPECT_EQ(OffScreen(Shown(overlaypnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(overlaypnl)), "");
}

TEST(FitsTheScreen, AtTheDefaultFontOnALargeScreenTheWindowIsAsDrawn)
{
    if (Avail().width() < 1200 || Avail().height() < 900)
        GTEST_SKIP() << "a screen too small for the drawn size";
    Start();
    Open(Sample());
    QWidget *main = Shown(antennalab);
    for (int g : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        int x = 0, y = 0, w = 0, h = 0;
        GetCtrlAttribute(antennalab, g, RT_ATTR_LEFT, &x);
        GetCtrlAttribute(antennalab, g, RT_ATTR_TOP, &y);
        GetCtrlAttribute(antennalab, g, RT_ATTR_WIDTH, &w);
        GetCtrlAttribute(antennalab, g, RT_ATTR_HEIGHT, &h);
        EXPECT_EQ(QRect(x, y, w, h), QRect(28, 3, 450, 450));
    }
    // The rotation group stays in the right-hand column, beside the graphs,
    // and the window is no larger than its content needs.
    const QWidget *rotation = rt::test::CtrlWidget(antennalab, ANTENNALAB_GORIGHT10);
    const QWidget *graph = rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR);
    EXPECT_GT(rotation->mapTo(main, QPoint(0, 0)).x(),
              graph->mapTo(main, QPoint(graph->width(), 0)).x());
    EXPECT_EQ(main->size(), main->minimumSizeHint());
    EXPECT_LT(main->width(), 1100);
    EXPECT_LT(main->height(), 600);
}

TEST(GraphLabels, NoTwoCoverEachOtherAtSixteenPoints)
{
    rt::test::UseFontSize(16);
    Start();
    Open(Sample());
    // With the markers' texts on as well, which the edge never cuts.
    for (int c : {ANTENNALAB_EMSLBTN, ANTENNALAB_HMSLBTN})
        rt::test::PressButton(antennalab, c);
    Shown(antennalab);
    EXPECT_EQ(Crowded(ANTENNALAB_POLAR), "");
    EXPECT_TRUE(Shows(ANTENNALAB_POLAR, "90"));
    EXPECT_TRUE(Shows(ANTENNALAB_POLAR, "MSL"));
    Menu(MENUBAR_CARTESIAN);
    Shown(antennalab);
    EXPECT_EQ(Crowded(ANTENNALAB_CARTESIAN), "");
    // Every other angle label, 0 among them, as a regular scale.
    for (const char *t : {"0", "-60", "60", "-120", "120"})
        EXPECT_TRUE(Shows(ANTENNALAB_CARTESIAN, t)) << t;
    for (const char *t : {"-30", "30", "-90", "90"})
        EXPECT_FALSE(Shows(ANTENNALAB_CARTESIAN, t)) << t;
}

TEST(GraphLabels, AnOverlaysLegendCoversNoLabelAtSixteenPoints)
{
    rt::test::UseFontSize(16);
    Start();
    Open(Sample());
    Menu(MENUBAR_OVERLAY);
    for (int i = 0; i < 3; ++i) {
        rt::test::ChooseFile(WriteAtn("r" + std::to_string(i) + ".atn",
                                      MakePlanes([i](int a) { return Lobe(a, 38 + i, -2.0, 0.25); },
                                                 [](int a) { return Lobe(a, 300, -4.0, 0.5); }),
                                      "Student " + std::to_string(i), ""));
        rt::test::PressButton(overlaypnl, OVERLAYPNL_ADD);
    }
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_BAND, 1);
    for (int view : {MENUBAR_POLAR, MENUBAR_CARTESIAN}) {
        Menu(view);
        const int ctrl = view == MENUBAR_POLAR ? ANTENNALAB_POLAR : ANTENNALAB_CARTESIAN;
        Shown(antennalab);
        EXPECT_EQ(Crowded(ctrl), "") << view;
        // Every line of the legend shows, its file named (at this size the
        // person line may have to go; the panel lists it).
        for (const char *t : {"r0.atn", "r1.atn", "r2.atn", "mean \u00b1 1 SD of 4 files"}) {
            bool found = false;
            for (const auto &shown : rt::test::GraphTexts(antennalab, ctrl))
                found = found || shown.text.rfind(t, 0) == 0;
            EXPECT_TRUE(found) << t;
        }
    }
}

TEST(GraphLabels, AtTheDefaultFontEveryDrawnLabelShows)
{
    Start();
    Open(Sample());
    Shown(antennalab);
    // The polar frame's 18 labels, the Cartesian frame's 23.
    EXPECT_EQ(rt::test::GraphTexts(antennalab, ANTENNALAB_POLAR).size(), 18u);
    EXPECT_EQ(Crowded(ANTENNALAB_POLAR), "");
    Menu(MENUBAR_CARTESIAN);
    Shown(antennalab);
    EXPECT_EQ(rt::test::GraphTexts(antennalab, ANTENNALAB_CARTESIAN).size(), 23u);
    EXPECT_EQ(Crowded(ANTENNALAB_CARTESIAN), "");
}
