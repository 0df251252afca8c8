// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the frames of both graphs, and the end of the program.
#include "viewer_fixture.h"

#include <QWidget>

using namespace vt;

TEST(Startup, NothingThatNeedsAPatternIsUsable)
{
    Start();
    EXPECT_STREQ(filepathname, "nothing");
    EXPECT_EQ(CountDimmed(kAnalysis), int(kAnalysis.size()));
    EXPECT_EQ(CountDimmed(kCursor), int(kCursor.size()));
    EXPECT_EQ(CountItemsDimmed(kPlotItems), 3);
    EXPECT_EQ(CountItemsDimmed(kFileItems), 5);
    // What works without a pattern stays usable.
    for (int item : {MENUBAR_OPEN, MENUBAR_EXIT, MENUBAR_POLAR, MENUBAR_CARTESIAN})
        EXPECT_FALSE(ItemDimmed(item)) << item;
    for (int c : {ANTENNALAB_EANGLEDIFF, ANTENNALAB_ELEVELDIFF, ANTENNALAB_HANGLEDIFF,
                  ANTENNALAB_HLEVELDIFF, ANTENNALAB_EXIT})
        EXPECT_FALSE(CtrlDimmed(c)) << c;
    // The rotate buttons cannot act before a pattern is open.
    EXPECT_NE(RotationColor(), RT_RED);
    EXPECT_NE(RotationColor(), RT_BLUE);
}

TEST(Startup, LogoGoesAfterAPauseAndThePolarViewShows)
{
    Start();
    ASSERT_EQ(rt::test::Delays().size(), 1u);
    EXPECT_DOUBLE_EQ(rt::test::Delays()[0], 1.0);
    EXPECT_EQ(rt::test::LivePanels(), std::vector<int>{antennalab}) << "the logo panel is gone";
    EXPECT_TRUE(rt::test::IsDisplayed(antennalab));
    EXPECT_TRUE(Visible(ANTENNALAB_POLAR));
    EXPECT_FALSE(Visible(ANTENNALAB_CARTESIAN));
    EXPECT_FALSE(Visible(ANTENNALAB_CANVAS3D));
    for (int c : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN, ANTENNALAB_CANVAS3D}) {
        int top = 0, left = 0, w = 0, h = 0;
        GetCtrlAttribute(antennalab, c, RT_ATTR_TOP, &top);
        GetCtrlAttribute(antennalab, c, RT_ATTR_LEFT, &left);
        GetCtrlAttribute(antennalab, c, RT_ATTR_WIDTH, &w);
        GetCtrlAttribute(antennalab, c, RT_ATTR_HEIGHT, &h);
        EXPECT_EQ(std::vector<int>({top, left, w, h}), std::vector<int>({3, 28, 450, 450})) << c;
    }
}

namespace {

const rt::PlotItem *TextItem(const std::vector<rt::PlotItem> &items, const std::string &text)
{
    for (const auto &i : items)
        if (i.kind == rt::PlotKind::Text && i.text == text)
            return &i;
    return nullptr;
}

// Every point of every item lies inside the graph's axis ranges.
void ExpectInsideRanges(int ctrl)
{
    QWidget *g = rt::test::CtrlWidget(antennalab, ctrl);
    const double x0 = g->property("xMin").toDouble(), x1 = g->property("xMax").toDouble();
    const double y0 = g->property("yMin").toDouble(), y1 = g->property("yMax").toDouble();
    for (const auto &it : rt::test::GraphItems(antennalab, ctrl))
        for (size_t k = 0; k < it.xs.size(); ++k) {
            EXPECT_TRUE(it.xs[k] >= x0 && it.xs[k] <= x1) << it.text << " x " << it.xs[k];
            // Text rises about two units above its base point.
            const double top = it.kind == rt::PlotKind::Text ? it.ys[k] + 2 : it.ys[k];
            EXPECT_TRUE(it.ys[k] >= y0 && top <= y1) << it.text << " y " << it.ys[k];
        }
}

}  // namespace

TEST(Frames, PolarFrameRingsRadialsAndLabels)
{
    Start();
    const auto items = rt::test::GraphItems(antennalab, ANTENNALAB_POLAR);
    int ovals = 0, lines = 0, texts = 0;
    for (const auto &i : items) {
        ovals += i.kind == rt::PlotKind::Oval;
        lines += i.kind == rt::PlotKind::Line;
        texts += i.kind == rt::PlotKind::Text;
    }
    EXPECT_EQ(ovals, 7);
    EXPECT_EQ(lines, 6);
    EXPECT_EQ(texts, 18);
    EXPECT_DOUBLE_EQ(items[6].xs[1], 35.0) << "outer ring has radius 35";
    EXPECT_EQ(items[0].fillColor, RT_TRANSPARENT);
    EXPECT_EQ(items[0].color, 0xA0A0A0);
    struct {
        const char *text;
        double x, y;
    } labels[] = {{" -25", -2.4, 3.4},     {"  -5", -2.4, 23.4},   {"0", -0.4, 28.4},
                  {"5", -0.4, 33.4},       {"90", 34.0, -1.4},     {"270", -36.5, -1.4},
                  {"180", -1.8, -36.2},    {"30", 16.70, 29.51},   {"60", 29.51, 16.70},
                  {"120", 29.31, -18.50},  {"150", 16.50, -31.31}, {"210", -19.70, -31.31},
                  {"240", -32.11, -18.30}, {"330", -19.50, 29.31}, {"300", -32.31, 16.50}};
    for (const auto &l : labels) {
        const rt::PlotItem *t = TextItem(items, l.text);
        ASSERT_TRUE(t) << l.text;
        EXPECT_NEAR(t->xs[0], l.x, 0.006) << l.text;
        EXPECT_NEAR(t->ys[0], l.y, 0.006) << l.text;
        EXPECT_EQ(t->color, 0xA0A0A0);
        EXPECT_EQ(t->fillColor, 0x008080);
        EXPECT_EQ(t->font, "NIAppMetaFont");
    }
    QWidget *g = rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR);
    EXPECT_TRUE(g->property("equalScale").toBool());
    ExpectInsideRanges(ANTENNALAB_POLAR);
}

TEST(Frames, CartesianFrameAxesTicksAndLabels)
{
    Start();
    const auto items = rt::test::GraphItems(antennalab, ANTENNALAB_CARTESIAN);
    ASSERT_EQ(items.size(), 2u + 12u + 10u + 13u + 10u);
    for (const auto &i : items)
        EXPECT_EQ(i.color, RT_WHITE);
    // Angle ticks at +-30 .. +-180, none at 0.
    int ticksAtZero = 0, angleTicks = 0;
    for (const auto &i : items)
        if (i.kind == rt::PlotKind::Line && i.ys[0] == -50.2) {
            ++angleTicks;
            ticksAtZero += i.xs[0] == 0;
        }
    EXPECT_EQ(angleTicks, 12);
    EXPECT_EQ(ticksAtZero, 0);
    const rt::PlotItem *l = TextItem(items, "-180");
    ASSERT_TRUE(l);
    EXPECT_DOUBLE_EQ(l->xs[0], -186);
    EXPECT_DOUBLE_EQ(l->ys[0], -53.0);
    EXPECT_EQ(l->fillColor, RT_TRANSPARENT);
    const rt::PlotItem *level = TextItem(items, " -45");
    ASSERT_TRUE(level);
    EXPECT_DOUBLE_EQ(level->xs[0], 2.0);
    EXPECT_DOUBLE_EQ(level->ys[0], -45.8);
    ASSERT_TRUE(TextItem(items, "  0"));
    ExpectInsideRanges(ANTENNALAB_CARTESIAN);
}

TEST(Exit, AnsweredNoKeepsThePatternAndYesEndsTheLoop)
{
    const std::string path =
        WriteAtn("a.atn", MakePlanes([](int a) { return Lobe(a, 0, 0, 0.2); },
                                     [](int a) { return Lobe(a, 90, -2, 0.2); }));
    bool loaded = false;
    rt::test::SetRunScript([&] {
        Open(path);
        Changed = 1;
        rt::test::AnswerConfirm(0);  // no save
        rt::test::AnswerConfirm(0);  // no quit
        Menu(MENUBAR_EXIT);
        loaded = PatternOpen() && ptsPtr != nullptr && Changed == 1;
        EXPECT_FALSE(rt::test::QuitRequested());
        rt::test::AnswerConfirm(0);
        rt::test::AnswerConfirm(1);
        rt::test::PressButton(antennalab, ANTENNALAB_EXIT);
    });
    EXPECT_EQ(AntennaMain(0, nullptr), 0);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(rt::test::QuitRequested());
    EXPECT_EQ(Changed, 0);
    EXPECT_EQ(ptsPtr, nullptr) << "the record is released on exit";
    EXPECT_EQ(rt::test::PopupLog(), "file:File Open|\n"
                                    "confirm:Save|Save changes to the current file?\n"
                                    "confirm:Confirm|Are you want to quit?\n"
                                    "confirm:Save|Save changes to the current file?\n"
                                    "confirm:Confirm|Are you want to quit?\n");
}

TEST(Exit, WindowCloseButtonAsksToQuit)
{
    Start();
    rt::test::AnswerConfirm(0);
    rt::test::ClosePanelWindow(antennalab);
    EXPECT_EQ(rt::test::PopupLog(), "confirm:Confirm|Are you want to quit?\n");
    EXPECT_TRUE(rt::test::IsDisplayed(antennalab));
}
