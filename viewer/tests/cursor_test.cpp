// SPDX-License-Identifier: GPL-3.0-or-later
// Cursor mode, cursor steps, the Cartesian graph cursor, and hiding a plane.
#include "viewer_fixture.h"

using namespace vt;

namespace {

Planes Ramp()
{
    // Every angle has its own level, so that a wrong index shows.
    // Eighths of a dB survive the six decimals of the file exactly.
    return MakePlanes([](int a) { return -30 + a / 8.0; }, [](int a) { return -a / 8.0; });
}

double E(int a)
{
    return -30 + a / 8.0;
}
double H(int a)
{
    return -a / 8.0;
}

const rt::PlotItem *Polar(int handle)
{
    static std::vector<rt::PlotItem> items;
    items = rt::test::GraphItems(antennalab, ANTENNALAB_POLAR);
    return Item(items, handle);
}

void OpenWithCursors()
{
    Start();
    Open(WriteAtn("ramp.atn", Ramp()));
    Menu(MENUBAR_CURSOR);
}

}  // namespace

TEST(CursorMode, OnPlacesFourCursorsWithTheirDifferences)
{
    OpenWithCursors();
    EXPECT_EQ(Cursor_Flag, 1);
    EXPECT_TRUE(ItemChecked(MENUBAR_CURSOR));
    EXPECT_EQ(CountDimmed(kCursor), 0);
    EXPECT_EQ(std::vector<int>({Int(ANTENNALAB_CURSOR1_ANGLE), Int(ANTENNALAB_CURSOR2_ANGLE),
                                Int(ANTENNALAB_CURSOR3_ANGLE), Int(ANTENNALAB_CURSOR4_ANGLE)}),
              std::vector<int>({5, 355, 10, 350}));
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR2_LEVEL), E(355));
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR3_LEVEL), H(10));
    EXPECT_EQ(Int(ANTENNALAB_EANGLEDIFF), 350);
    EXPECT_EQ(Int(ANTENNALAB_HANGLEDIFF), 340);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_ELEVELDIFF), E(5) - E(355));
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HLEVELDIFF), H(10) - H(350));
    const int colors[] = {RT_CYAN, RT_WHITE, RT_YELLOW, RT_GREEN};
    const int plots[] = {plot1, plot2, plot3, plot4};
    const int graphAngles[] = {85, 95, 80, 100};
    for (int n = 0; n < 4; ++n) {
        const rt::PlotItem *l = Polar(plots[n]);
        ASSERT_TRUE(l) << n;
        EXPECT_EQ(l->color, colors[n]);
        EXPECT_NEAR(l->xs[1], 35 * std::cos(graphAngles[n] * 3.141592 / 180), 1e-9);
        EXPECT_NEAR(l->ys[1], 35 * std::sin(graphAngles[n] * 3.141592 / 180), 1e-9);
    }
}

TEST(CursorMode, OffAndOnAgainRestartsAtTheStartingAngles)
{
    OpenWithCursors();
    const int base = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    rt::test::PressButton(antennalab, ANTENNALAB_GOTO1);
    rt::test::PressButton(antennalab, ANTENNALAB_BACK4);
    Menu(MENUBAR_CURSOR);
    EXPECT_EQ(Cursor_Flag, 0);
    EXPECT_FALSE(ItemChecked(MENUBAR_CURSOR));
    EXPECT_EQ(CountDimmed(kCursor), int(kCursor.size()));
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base - 4);
    Menu(MENUBAR_CURSOR);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR1_ANGLE), 5);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR4_ANGLE), 350);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base);
}

TEST(CursorMode, NothingInTheCartesianView)
{
    Start();
    Open(WriteAtn("ramp.atn", Ramp()));
    Menu(MENUBAR_CARTESIAN);
    antCursorCallback(Bar(), MENUBAR_CURSOR, nullptr, antennalab);  // the item is dimmed there
    EXPECT_EQ(Cursor_Flag, 0);
    EXPECT_FALSE(ItemChecked(MENUBAR_CURSOR));
}

TEST(CursorMode, ViewsKeepTheModeAndPolarRestoresIt)
{
    OpenWithCursors();
    Menu(MENUBAR_CARTESIAN);
    EXPECT_TRUE(ItemDimmed(MENUBAR_CURSOR) == false);
    EXPECT_TRUE(Polar(plot1)) << "lines stay on the hidden polar graph";
    Menu(MENUBAR_POLAR);
    EXPECT_TRUE(ItemChecked(MENUBAR_CURSOR));
    EXPECT_EQ(CountDimmed(kCursor), 0);
}

TEST(CursorSteps, WrapAndReplaceOneLine)
{
    OpenWithCursors();
    const int count = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    struct {
        void (*place)(short);
        short from;
        int button, angleCtrl, levelCtrl, to;
        double level;
    } cases[] = {
        {Plot1Func, 359, ANTENNALAB_GO1, ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR1_LEVEL, 0,
         E(0)},
        {Plot2Func, 0, ANTENNALAB_BACK2, ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR2_LEVEL, 359,
         E(359)},
        {Plot3Func, 5, ANTENNALAB_BACKTO3, ANTENNALAB_CURSOR3_ANGLE, ANTENNALAB_CURSOR3_LEVEL, 355,
         H(355)},
        {Plot4Func, 355, ANTENNALAB_GOTO4, ANTENNALAB_CURSOR4_ANGLE, ANTENNALAB_CURSOR4_LEVEL, 5,
         H(5)},
    };
    for (const auto &c : cases) {
        c.place(c.from);
        rt::test::PressButton(antennalab, c.button);
        EXPECT_EQ(Int(c.angleCtrl), c.to) << c.from;
        EXPECT_DOUBLE_EQ(Dbl(c.levelCtrl), c.level) << c.from;
        EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), count) << "no trace left";
    }
    EXPECT_NEAR(Polar(plot1)->xs[1], 0.0, 1e-4) << "0 degrees points straight up";
    EXPECT_NEAR(Polar(plot1)->ys[1], 35.0, 1e-6);
    EXPECT_EQ(Int(ANTENNALAB_EANGLEDIFF), 359);
    EXPECT_EQ(Int(ANTENNALAB_HANGLEDIFF), 350);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HLEVELDIFF), H(355) - H(5));
}

TEST(CursorSteps, HiddenPlaneAndOtherViewsBlockTheSteps)
{
    OpenWithCursors();
    Menu(MENUBAR_EDATA);
    rt::test::PressButton(antennalab, ANTENNALAB_GO1);
    rt::test::PressButton(antennalab, ANTENNALAB_GOTO2);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR1_ANGLE), 5);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR2_ANGLE), 355);
    EXPECT_TRUE(Polar(plot1)) << "the lines of a hidden plane stay";
    rt::test::PressButton(antennalab, ANTENNALAB_GO3);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR3_ANGLE), 11);
    Menu(MENUBAR_CARTESIAN);
    // The step buttons may still be pressed there; they move nothing but
    // refresh the differences.
    SetCtrlVal(antennalab, ANTENNALAB_HANGLEDIFF, 0);
    rt::test::PressButton(antennalab, ANTENNALAB_GO4);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR4_ANGLE), 350);
    EXPECT_EQ(Int(ANTENNALAB_HANGLEDIFF), 339);
}

TEST(CursorSteps, NoAngleOutsideTheStoredOnes)
{
    OpenWithCursors();
    Plot1Func(400);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR1_ANGLE), 40);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR1_LEVEL), E(40));
    Plot3Func(-5);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR3_ANGLE), 355);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR3_LEVEL), H(355));
    // The angle fields hold 0..359 only, whatever is put into them.
    SetCtrlVal(antennalab, ANTENNALAB_CURSOR2_ANGLE, 1000);
    rt::test::PressButton(antennalab, ANTENNALAB_GO2);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR2_ANGLE), 0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR2_LEVEL), E(0));
}

// Every cursor level field shows its plane's level at that cursor's angle,
// and the differences are those of the fields.
void ExpectFieldsAtTheAngles(const char *when)
{
    const struct {
        int angle, level;
        const double *levels;
    } cursors[] = {
        {ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR1_LEVEL, ptsPtr->e_data},
        {ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR2_LEVEL, ptsPtr->e_data},
        {ANTENNALAB_CURSOR3_ANGLE, ANTENNALAB_CURSOR3_LEVEL, ptsPtr->h_data},
        {ANTENNALAB_CURSOR4_ANGLE, ANTENNALAB_CURSOR4_LEVEL, ptsPtr->h_data},
    };
    for (const auto &c : cursors)
        EXPECT_DOUBLE_EQ(Dbl(c.level), c.levels[Int(c.angle)])
            << when << ": cursor at " << Int(c.angle);
    EXPECT_EQ(Int(ANTENNALAB_EANGLEDIFF),
              std::abs(Int(ANTENNALAB_CURSOR1_ANGLE) - Int(ANTENNALAB_CURSOR2_ANGLE)))
        << when;
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_ELEVELDIFF),
                     Dbl(ANTENNALAB_CURSOR1_LEVEL) - Dbl(ANTENNALAB_CURSOR2_LEVEL))
        << when;
    EXPECT_EQ(Int(ANTENNALAB_HANGLEDIFF),
              std::abs(Int(ANTENNALAB_CURSOR3_ANGLE) - Int(ANTENNALAB_CURSOR4_ANGLE)))
        << when;
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HLEVELDIFF),
                     Dbl(ANTENNALAB_CURSOR3_LEVEL) - Dbl(ANTENNALAB_CURSOR4_LEVEL))
        << when;
}

TEST(CursorReadouts, FollowRotationAndTheNextFile)
{
    OpenWithCursors();
    rt::test::PressButton(antennalab, ANTENNALAB_GOTO1);  // 15
    rt::test::PressButton(antennalab, ANTENNALAB_BACK2);  // 354
    rt::test::PressButton(antennalab, ANTENNALAB_GOTO3);  // 20
    // E turns by 10 degrees, then H (selected by a click on its curve) by 1.
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    EXPECT_EQ(Int(ANTENNALAB_CURSOR1_ANGLE), 15) << "a rotation moves no cursor";
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR1_LEVEL), E(5)) << "the level that turned to 15";
    ExpectFieldsAtTheAngles("E turned");
    const double r45 = (H(45) + 30) * std::sqrt(0.5);
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, r45, r45);  // H at 45 degrees
    ASSERT_EQ(RotationColor(), RT_BLUE);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR3_LEVEL), H(21));
    ExpectFieldsAtTheAngles("H turned");
    // Another file: the cursors start again at 0 with that file's levels,
    // and no difference is left from the file before.
    rt::test::AnswerConfirm(0);  // the turned pattern is not saved
    Open(WriteAtn("other.atn", MakePlanes([](int a) { return -a / 16.0; },
                                          [](int a) { return -30 + a / 16.0; })));
    EXPECT_EQ(Int(ANTENNALAB_CURSOR2_ANGLE), 0);
    ExpectFieldsAtTheAngles("another file");
    EXPECT_EQ(Int(ANTENNALAB_EANGLEDIFF), 0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HLEVELDIFF), 0.0);
}

TEST(CursorMode, CloseRemovesTheCursors)
{
    OpenWithCursors();
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(Cursor_Flag, 0);
    EXPECT_FALSE(ItemChecked(MENUBAR_CURSOR));
    EXPECT_EQ(CountDimmed(kCursor), int(kCursor.size()));
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), 31);
    EXPECT_EQ(RotationColor(), 0);
}

TEST(CartesianCursor, ClickReportsThePointIndexAndCommitPrints)
{
    Start();
    Menu(MENUBAR_CARTESIAN);
    Open(WriteAtn("ramp.atn", Ramp()));
    rt::test::ClickGraph(antennalab, ANTENNALAB_CARTESIAN, -180, E(180));
    EXPECT_EQ(Int(ANTENNALAB_CURSORINDEX), 0);
    EXPECT_EQ(Int(ANTENNALAB_CURSORBASE), 0);
    rt::test::ClickGraph(antennalab, ANTENNALAB_CARTESIAN, 90, H(90));
    EXPECT_EQ(Int(ANTENNALAB_CURSORINDEX), 270);
    rt::test::SetPrinterFile((TempDir() / "print.pdf").string());
    rt::test::FireCtrlEvent(antennalab, ANTENNALAB_CARTESIAN, RT_EVENT_COMMIT);
    ASSERT_EQ(rt::test::PrintJobs().size(), 1u);
    EXPECT_EQ(rt::test::PrintJobs()[0].panel, antennalab);
    EXPECT_EQ(rt::test::PrintJobs()[0].interactive, 0);
}

TEST(HidePlane, HideSaveAndShowAgain)
{
    Start();
    const std::string path = WriteAtn("ramp.atn", Ramp());
    Open(path);
    const int peak = Int(ANTENNALAB_HPEAKANGLE);
    const int base = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    Menu(MENUBAR_HDATA);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(Hflag, 1);
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_HDATA), " H data view");
    EXPECT_FALSE(Polar(polarPlot2));
    EXPECT_FALSE(Polar(polarPlot4));
    EXPECT_FALSE(OnGraph(ANTENNALAB_CARTESIAN, carPlot2));
    EXPECT_TRUE(Polar(polarPlot1));
    EXPECT_EQ(Int(ANTENNALAB_HPEAKANGLE), peak) << "readouts stay";
    Menu(MENUBAR_SAVE);
    PatternRecord r{};
    int n = 0, em = 0, hm = 0;
    ASSERT_TRUE(ReadPatternFile(path, r, n, em, hm).ok);
    for (int k = 0; k < 360; ++k) {
        ASSERT_EQ(r.h_data[k], 0.0) << k;
        ASSERT_NEAR(r.e_data[k], E(k), 1e-6) << k;
    }
    EXPECT_NE(ReadBytes(path).find("\n0.000000\n0.000000\n"), std::string::npos);
    Changed = 0;
    Menu(MENUBAR_HDATA);
    EXPECT_EQ(Changed, 1);
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_HDATA), " H data delete");
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base);
    const rt::PlotItem *h = Polar(polarPlot2);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->color, RT_BLUE);
    EXPECT_NEAR(h->ys[0], 30.0, 1e-9) << "levels in memory are untouched";
    EXPECT_EQ(Polar(polarPlot4)->color, RT_BLUE);
    // The E item has its own texts; a new open shows both planes again.
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_EDATA), " E Data view");
    Menu(MENUBAR_CARTESIAN);
    Menu(MENUBAR_EDATA);  // works in every view
    EXPECT_EQ(Eflag, 0);
    Menu(MENUBAR_EDATA);
    rt::test::AnswerConfirm(0);
    Open(WriteAtn("other.atn", Ramp()));
    EXPECT_EQ(Eflag, 0);
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_EDATA), " E Data delete");
}
