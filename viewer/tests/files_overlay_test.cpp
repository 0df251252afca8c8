// SPDX-License-Identifier: GPL-3.0-or-later
// File > Overlay...: several files laid over the open pattern, driven through
// the panel: their curves, legend, band and alignment on the graphs, what
// clears them, a file that cannot be read, and atn drawing and writing the
// same overlay.
#include <QProcess>

#include <cstdio>
#include <set>

#include "files_overlay.h"
#include "overlay.h"
#include "overlay_plots.h"
#include "render.h"
#include "run_program.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

// A lobe at `peak` degrees in E and at peak + 90 in H, `top` dB high, and a
// small second lobe in E so that the best rotation is plain.
Planes Measured(int peak, double top, double wobble = 0)
{
    return MakePlanes(
        [=](int a) {
            return Lobe(a, peak, top, 0.4) + (Lobe(a, peak + 150, -14, 1) > -30 ? 3 : 0)
                   + wobble * std::sin(a * 0.3);
        },
        [=](int a) { return Lobe(a, peak + 90, top - 1, 0.3); });
}

std::string Typed(const std::string &name, int type, const Planes &p, const std::string &person)
{
    const std::string path = (TempDir() / name).string();
    PatternBuilder d;
    d.type(type).attn(10, 10).viewerText(person, "");
    d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(p.e).h(p.h);
    EXPECT_TRUE(d.write(path).ok);
    return path;
}

struct Files {
    std::string open, b, c, d;
    Files()
    {
        open = Typed("a.atn", 0, Measured(40, -3), "Kim Lab group 12 bench 3");
        b = Typed("b.atn", 0, Measured(45, -3.5, 0.3), "Lee");
        c = Typed("c.atn", 0, Measured(33, -2.6, 0.2), "Ode");
        d = Typed("d.atn", 0, Measured(42, -3.2, 0.1), "Pia");
    }
};

void Add(const std::string &path, bool refused = false)
{
    rt::test::ChooseFile(path);
    if (refused)
        rt::test::AcknowledgeMessage();
    rt::test::PressButton(overlaypnl, OVERLAYPNL_ADD);
}

void Choose(int index)
{
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_FILES, index);
}

// The curves a file overlay drew (dashed and dotted: every style but solid).
std::vector<rt::PlotItem> OverlayCurves(int ctrl)
{
    std::vector<rt::PlotItem> out;
    for (const rt::PlotItem &it : rt::test::GraphItems(antennalab, ctrl))
        if (it.kind == rt::PlotKind::XY && it.lineStyle != RT_SOLID)
            out.push_back(it);
    return out;
}

std::vector<std::string> Texts(int ctrl)
{
    std::vector<std::string> out;
    for (const rt::PlotItem &it : rt::test::GraphItems(antennalab, ctrl))
        if (it.kind == rt::PlotKind::Text)
            out.push_back(it.text);
    return out;
}

bool HasText(int ctrl, const std::string &text)
{
    const auto t = Texts(ctrl);
    return std::find(t.begin(), t.end(), text) != t.end();
}

int Count(int ctrl, rt::PlotKind kind, int color)
{
    int n = 0;
    for (const rt::PlotItem &it : rt::test::GraphItems(antennalab, ctrl))
        n += it.kind == kind && it.color == color;
    return n;
}

std::string Snapshot()
{
    std::ostringstream s;
    for (int ctrl : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN})
        for (const rt::PlotItem &it : rt::test::GraphItems(antennalab, ctrl)) {
            s << int(it.kind) << ' ' << it.color << ' ' << it.lineStyle << ' ' << it.thickness
              << ' ' << it.pointStyle;
            for (size_t i = 0; i < it.xs.size(); ++i)
                s << ' ' << it.xs[i] << ',' << it.ys[i];
            s << ' ' << it.text << '\n';
        }
    return s.str();
}

// The rotation `atn compare A B` prints for a plane.
int AtnCompareRotation(const std::string &a, const std::string &b, const char *plane)
{
    const auto r =
        testsupport::Atn({"compare", QString::fromStdString(a), QString::fromStdString(b)});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string key = std::string(plane) + " plane: B turned right by ";
    const size_t at = r.out.find(key);
    EXPECT_NE(at, std::string::npos) << r.out;
    return at == std::string::npos ? -1 : std::atoi(r.out.c_str() + at + key.size());
}

std::string Png(int ctrl, int size)
{
    std::string bytes, error;
    EXPECT_EQ(RenderGraphPicture(antennalab, ctrl, "png", size, size, &bytes, &error), 0) << error;
    return bytes;
}

}  // namespace

TEST(FileOverlay, ThreeFilesDrawTheirCurvesLegendBandAndAlignment)
{
    Start();
    const Files f;
    Open(f.open);
    Menu(MENUBAR_OVERLAY);
    ASSERT_GT(overlaypnl, 0);
    for (const std::string &p : {f.b, f.c, f.d})
        Add(p);
    EXPECT_EQ(OverlayFileCount(), 3);
    // One curve per file on each graph, in its own colour and dash, closed
    // round the centre on the polar graph.
    for (int ctrl : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        const auto curves = OverlayCurves(ctrl);
        ASSERT_EQ(curves.size(), 3u) << ctrl;
        std::set<int> colors, dashes;
        for (size_t i = 0; i < curves.size(); ++i) {
            EXPECT_EQ(curves[i].color, OverlayStyleOf(int(i)).color);
            EXPECT_EQ(curves[i].lineStyle, OverlayStyleOf(int(i)).lineStyle);
            colors.insert(curves[i].color);
            dashes.insert(curves[i].lineStyle);
            EXPECT_EQ(curves[i].xs.size(), ctrl == ANTENNALAB_POLAR ? 361u : 360u);
        }
        EXPECT_EQ(colors.size(), 3u);
        EXPECT_EQ(dashes.size(), 3u);
    }
    // The open pattern's E curve is the reference; its H plane is off the
    // graphs while files lie over it.
    EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, polarPlot1));
    EXPECT_FALSE(OnGraph(ANTENNALAB_POLAR, polarPlot2));
    EXPECT_FALSE(OnGraph(ANTENNALAB_CARTESIAN, carPlot2));
    EXPECT_EQ(Count(ANTENNALAB_POLAR, rt::PlotKind::XY, RT_BLUE), 0);
    // The legend names every curve with its person line, the open one's
    // whole (past the 20 characters the information panel shows).
    for (int ctrl : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        EXPECT_TRUE(HasText(ctrl, "a.atn  Kim Lab group 12 bench 3"));
        EXPECT_TRUE(HasText(ctrl, "b.atn  Lee"));
        EXPECT_TRUE(HasText(ctrl, "c.atn  Ode"));
        EXPECT_TRUE(HasText(ctrl, "d.atn  Pia"));
    }
    // Aligned, a file is turned by the rotation atn compare finds, and says
    // so in the legend.
    Choose(0);
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_ALIGN, 1);
    const int turn = SignedTurn(AtnCompareRotation(f.open, f.b, "E"));
    EXPECT_EQ(turn, -5);
    EXPECT_TRUE(HasText(ANTENNALAB_POLAR, "b.atn  Lee  turned -5\u00b0"));
    const auto aligned = OverlayCurves(ANTENNALAB_CARTESIAN)[0];
    EXPECT_NEAR(aligned.ys[180 + 40], -3.5 + 0.3 * std::sin(45 * 0.3), 1e-6)  // six decimals
        << "the peak of b, turned from 45 to 40 degrees";
    // With four files of one type, the mean and a band of one standard
    // deviation: a see-through polygon under a white mean curve.
    int dimmed = 1;
    GetCtrlAttribute(overlaypnl, OVERLAYPNL_BAND, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);
    EXPECT_EQ(Count(ANTENNALAB_POLAR, rt::PlotKind::Polygon, RT_TRANSPARENT), 0);
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_BAND, 1);
    for (int ctrl : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        EXPECT_EQ(Count(ctrl, rt::PlotKind::Polygon, RT_TRANSPARENT), 2) << "band and swatch";
        EXPECT_TRUE(HasText(ctrl, "mean \u00b1 1 SD of 4 files"));
    }
    const rt::PlotItem *mean = nullptr;
    const auto items = rt::test::GraphItems(antennalab, ANTENNALAB_CARTESIAN);
    for (const auto &it : items)
        if (it.kind == rt::PlotKind::XY && it.color == OVERLAY_MEAN_COLOR)
            mean = &it;
    ASSERT_NE(mean, nullptr);
    EXPECT_EQ(mean->thickness, OVERLAY_MEAN_WEIGHT);
    // At 0 degrees, the mean of the four levels there as drawn.
    const Planes a = Measured(40, -3), c = Measured(33, -2.6, 0.2), d = Measured(42, -3.2, 0.1);
    const double bAt0 = Measured(45, -3.5, 0.3).e[5];  // b turned by -5
    EXPECT_NEAR(mean->ys[180], (a.e[0] + bAt0 + c.e[0] + d.e[0]) / 4, 1e-6);
    // The repeatability figures are listed.
    char figures[2000] = "";
    GetCtrlVal(overlaypnl, OVERLAYPNL_FIGURES, figures);
    EXPECT_NE(std::string(figures).find("4 files of one antenna type."), std::string::npos)
        << figures;
    EXPECT_NE(std::string(figures).find("Peak level, fitted: "), std::string::npos);
    // Hidden files leave the curves and the band; two of one type are too
    // few for a band.
    Choose(1);
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_SHOWN, 0);
    EXPECT_EQ(OverlayCurves(ANTENNALAB_POLAR).size(), 2u);
    EXPECT_TRUE(HasText(ANTENNALAB_POLAR, "mean \u00b1 1 SD of 3 files"));
    Choose(2);
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_SHOWN, 0);
    GetCtrlAttribute(overlaypnl, OVERLAYPNL_BAND, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    EXPECT_EQ(Count(ANTENNALAB_POLAR, rt::PlotKind::Polygon, RT_TRANSPARENT), 0);
    EXPECT_FALSE(HasText(ANTENNALAB_POLAR, "c.atn  Ode"));
    // Removed, a file leaves the legend; the others keep their styles.
    Choose(0);
    rt::test::PressButton(overlaypnl, OVERLAYPNL_REMOVE);
    EXPECT_EQ(OverlayFileCount(), 2);
    EXPECT_FALSE(HasText(ANTENNALAB_POLAR, "b.atn  Lee  turned -5\u00b0"));
}

TEST(FileOverlay, ThePlaneIsItsOwnChoiceAndFollowsRotationAndHiding)
{
    Start();
    const Files f;
    Open(f.open);
    Menu(MENUBAR_OVERLAY);
    Add(f.b);
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_ALIGN, 1);
    // The open pattern turned 10 degrees right: b is turned to match again.
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    EXPECT_TRUE(HasText(ANTENNALAB_POLAR, "b.atn  Lee  turned +5\u00b0"));
    EXPECT_FALSE(OnGraph(ANTENNALAB_POLAR, polarPlot2)) << "H stays off after the rotation";
    // The H plane: the open pattern's E curve goes, its H curve comes, and
    // the rotate buttons turn H.
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_PLANE, 1);
    EXPECT_FALSE(OnGraph(ANTENNALAB_POLAR, polarPlot1));
    EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, polarPlot2));
    EXPECT_TRUE(OnGraph(ANTENNALAB_CARTESIAN, carPlot2));
    EXPECT_EQ(RotationColor(), RT_BLUE);
    EXPECT_EQ(OverlayCurves(ANTENNALAB_CARTESIAN).at(0).ys[180 + 130],
              Measured(45, -3.5, 0.3).h[135])
        << "b's H peak turned by H's own best rotation";
    // The H data command hides the open pattern's curve, and its legend
    // line goes with it.
    Menu(MENUBAR_HDATA);
    EXPECT_FALSE(OnGraph(ANTENNALAB_POLAR, polarPlot2));
    EXPECT_FALSE(HasText(ANTENNALAB_POLAR, "a.atn  Kim Lab group 12 bench 3"));
    EXPECT_EQ(OverlayCurves(ANTENNALAB_POLAR).size(), 1u);
    Menu(MENUBAR_HDATA);
    EXPECT_TRUE(HasText(ANTENNALAB_POLAR, "a.atn  Kim Lab group 12 bench 3"));
}

TEST(FileOverlay, OpenAndCloseClearItAndWithoutFilesTheDrawingIsAsDesigned)
{
    Start();
    const Files f;
    Open(f.open);
    const std::string designed = Snapshot();
    Menu(MENUBAR_OVERLAY);
    EXPECT_EQ(Snapshot(), designed) << "the panel alone draws nothing";
    Add(f.b);
    Add(f.c);
    EXPECT_NE(Snapshot(), designed);
    // Removing every file brings back both planes as they were drawn.
    rt::test::PressButton(overlaypnl, OVERLAYPNL_CLEAR);
    EXPECT_EQ(Snapshot(), designed);
    EXPECT_EQ(FileOverlayPlane(), -1);
    // Opening another file clears the overlay.
    Add(f.b);
    Open(f.d);
    EXPECT_EQ(OverlayFileCount(), 0);
    EXPECT_EQ(OverlayPolarItemCount(), 0);
    Open(f.open);
    EXPECT_EQ(Snapshot(), designed);
    // So does closing it, the panel closed or not.
    Add(f.c);
    rt::test::PressButton(overlaypnl, OVERLAYPNL_CLOSE);
    EXPECT_EQ(overlaypnl, 0);
    EXPECT_EQ(OverlayFileCount(), 1) << "the files stay when the panel closes";
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(OverlayFileCount(), 0);
    for (int ctrl : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN})
        EXPECT_TRUE(OverlayCurves(ctrl).empty());
    EXPECT_FALSE(HasText(ANTENNALAB_POLAR, "c.atn  Ode"));
}

TEST(FileOverlay, AFileThatCannotBeReadIsReportedAsOpenReportsItAndLeftOut)
{
    Start();
    const Files f;
    const std::string bad = WriteBytes("bad.atn", "12 10 10 1\nKim\n");
    Open(f.open);
    // What File > Open says about the file.
    std::string opened;
    EXPECT_FALSE(OpenPatternFile(bad.c_str(), antennalab, &opened));
    ASSERT_FALSE(opened.empty());
    Menu(MENUBAR_OVERLAY);
    Add(f.b);
    rt::test::ClearPopups();
    Add(bad, true);
    ASSERT_EQ(rt::test::Popups().size(), 2u);  // the file dialogue, then the message
    EXPECT_EQ(rt::test::Popups()[1].title, "Veloran");
    EXPECT_EQ(rt::test::Popups()[1].text, opened);
    EXPECT_EQ(OverlayFileCount(), 1);
    EXPECT_EQ(OverlayCurves(ANTENNALAB_POLAR).size(), 1u);
    // Neither the open file nor one laid over it already comes twice.
    Add(f.open, true);
    EXPECT_EQ(rt::test::Popups().back().text, "This is the current file.");
    Add(f.b, true);
    EXPECT_EQ(rt::test::Popups().back().text, f.b + " is in the overlay already.");
    EXPECT_EQ(OverlayFileCount(), 1);
    // Eight files at most: then Add is dimmed.
    for (int i = 0; i < 7; ++i)
        Add(Typed("more" + std::to_string(i) + ".atn", 0, Measured(40 + i, -3), "Mo"));
    EXPECT_EQ(OverlayFileCount(), OVERLAY_FILES_MAX);
    int dimmed = 0;
    GetCtrlAttribute(overlaypnl, OVERLAYPNL_ADD, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    std::set<int> styles;
    for (const auto &c : OverlayCurves(ANTENNALAB_POLAR))
        styles.insert(c.color * 16 + c.lineStyle);
    EXPECT_EQ(styles.size(), size_t(OVERLAY_FILES_MAX));
}

TEST(FileOverlay, AtnPlotOverlayIsTheViewersPicture)
{
    Start();
    const Files f;
    Open(f.open);
    Menu(MENUBAR_OVERLAY);
    for (const std::string &p : {f.b, f.c, f.d}) {
        Add(p);
        rt::test::CommitValue(overlaypnl, OVERLAYPNL_ALIGN, 1);
    }
    rt::test::CommitValue(overlaypnl, OVERLAYPNL_BAND, 1);
    for (const auto &[view, ctrl] :
         {std::pair{"polar", ANTENNALAB_POLAR}, std::pair{"cartesian", ANTENNALAB_CARTESIAN}}) {
        const std::string out = (TempDir() / (std::string(view) + ".png")).string();
        const auto r = testsupport::Atn({"plot", QString::fromStdString(f.open), "--overlay",
                                         QString::fromStdString(f.b), QString::fromStdString(f.c),
                                         QString::fromStdString(f.d), "--align", "--band", "--view",
                                         view, "--size", "500", "-o", QString::fromStdString(out)});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(ReadBytes(out) == Png(ctrl, 500)) << view;
    }
}

TEST(FileOverlay, ThePanelIsReadableNamedAndReachedByItsLetters)
{
    Start();
    const Files f;
    Open(f.open);
    Menu(MENUBAR_OVERLAY);
    Add(f.b);
    EXPECT_EQ(rt::test::Lines(rt::test::PoorContrast(overlaypnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::AccessibleNameFaults(overlaypnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::ButtonMnemonicFaults(overlaypnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(overlaypnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::MenuMnemonicFaults(antennalab)), "");
    // The list says each file's colour and dash in words, for a reader who
    // cannot tell the colours apart.
    char list[4000] = "";
    GetCtrlVal(overlaypnl, OVERLAYPNL_LIST, list);
    EXPECT_NE(std::string(list).find("Open: a.atn  Kim Lab group 12 bench 3 (E plane, red solid "
                                     "line)"),
              std::string::npos)
        << list;
    EXPECT_NE(std::string(list).find("1. b.atn  Lee (orange, dashes): as measured, best turn -5"),
              std::string::npos)
        << list;
    // Without a pattern there is nothing to lay files over.
    Menu(MENUBAR_CLOSE);
    int dimmed = 0;
    GetCtrlAttribute(overlaypnl, OVERLAYPNL_ADD, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
}
