// SPDX-License-Identifier: GPL-3.0-or-later
// atn draws through the same drawing calls as the viewer, on graphs of its
// own: for the same file both hold the same plot items and paint the same
// pixels, and atn's graphs keep the axes of the viewer's panel.
#include <QProcess>

#include <string>
#include <tuple>
#include <vector>

#include "atn.h"
#include "plots.h"
#include "render.h"
#include "rt_newpanel.h"
#include "theory.h"
#include "theory_view.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

const char *const kSamples[] = {"dipole", "horn", "yagi"};

std::string Sample(const char *name)
{
    return std::string(ATN_SAMPLES) + "/" + name + ".atn";
}

// Everything an item shows, its handle left out.
auto Shown(const rt::PlotItem &i)
{
    return std::tie(i.kind, i.xs, i.ys, i.color, i.fillColor, i.thickness, i.plotStyle,
                    i.pointStyle, i.lineStyle, i.pointFrequency, i.text, i.font);
}

void ExpectSameItems(const std::vector<rt::PlotItem> &a, const std::vector<rt::PlotItem> &b,
                     const std::string &what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(Shown(a[i]) == Shown(b[i]))
            << what << ", item " << i << " (" << a[i].xs.size() << " points, colour " << std::hex
            << a[i].color << " and " << b[i].color << std::dec << ", text '" << a[i].text << "')";
}

std::string Png(int panel, int ctrl, int size)
{
    std::string bytes, error;
    EXPECT_EQ(RenderGraphPicture(panel, ctrl, "png", size, size, &bytes, &error), 0) << error;
    return bytes;
}

// The viewer's graph and atn's, item by item and as pictures of two sizes.
void ExpectSameGraphs(const std::string &what)
{
    const struct {
        int viewer, atn;
        const char *name;
    } graphs[] = {{ANTENNALAB_POLAR, PolarGraph(), "polar"},
                  {ANTENNALAB_CARTESIAN, CartesianGraph(), "cartesian"}};
    for (const auto &g : graphs) {
        const std::string at = what + ", " + g.name;
        ExpectSameItems(rt::test::GraphItems(antennalab, g.viewer),
                        rt::test::GraphItems(DrawingPanel(), g.atn), at);
        for (int size : {900, 333})
            EXPECT_TRUE(Png(antennalab, g.viewer, size) == Png(DrawingPanel(), g.atn, size))
                << at << " at " << size << " pixels";
    }
}

AtnPattern Loaded(const std::string &path)
{
    AtnPattern pat;
    std::string error;
    EXPECT_TRUE(LoadPatternFile(path, pat, error)) << error;
    return pat;
}

}  // namespace

TEST(SharedDrawing, PictureGraphsKeepTheAxesOfTheViewersPanel)
{
    RegisterAntennaCallbacks();
    const int viewer = LoadPanel(0, "antenna.uir", ANTENNALAB);
    ASSERT_GT(viewer, 0);
    const int own = NewPanel(0, "pictures", 0, 0, 456, 478);
    const int polar = NewPolarGraph(own, 3, 28), cartesian = NewCartesianGraph(own, 3, 28);
    for (const auto &[form, made] :
         {std::pair{ANTENNALAB_POLAR, polar}, std::pair{ANTENNALAB_CARTESIAN, cartesian}}) {
        GraphAxes a, b;
        ASSERT_EQ(GetGraphAxes(viewer, form, &a), 0);
        ASSERT_EQ(GetGraphAxes(own, made, &b), 0);
        EXPECT_EQ(a.xMin, b.xMin) << form;
        EXPECT_EQ(a.xMax, b.xMax) << form;
        EXPECT_EQ(a.yMin, b.yMin) << form;
        EXPECT_EQ(a.yMax, b.yMax) << form;
        EXPECT_EQ(a.equalScale, b.equalScale) << form;
        EXPECT_EQ(a.background, b.background) << form;
        for (int attr : {RT_ATTR_WIDTH, RT_ATTR_HEIGHT}) {
            int v = 0, m = 0;
            GetCtrlAttribute(viewer, form, attr, &v);
            GetCtrlAttribute(own, made, attr, &m);
            EXPECT_EQ(v, m) << form;
        }
    }
}

TEST(SharedDrawing, AtnGraphsHoldTheViewersItemsAndPixels)
{
    Start();
    std::string error;
    ASSERT_TRUE(PrepareDrawing(error)) << error;
    ExpectSameGraphs("frames alone");
    bool changed = false;
    auto open = [&changed](const std::string &path) {
        if (changed)
            rt::test::AnswerConfirm(0);  // the hidden plane is not saved
        Open(path);
        changed = false;
    };
    for (const char *name : kSamples) {
        const AtnPattern pat = Loaded(Sample(name));
        open(Sample(name));
        DrawPattern(pat.rec, true, true);
        ExpectSameGraphs(std::string(name) + ", both planes");
        // A plane hidden in the viewer is a plane left out by atn.
        Menu(MENUBAR_HDATA);
        changed = true;
        DrawPattern(pat.rec, true, false);
        ExpectSameGraphs(std::string(name) + ", E alone");
        // The same file under another name: the viewer refuses to open the
        // current file again.
        const fs::path copy = TempDir() / (std::string(name) + "-copy.atn");
        fs::copy_file(Sample(name), copy, fs::copy_options::overwrite_existing);
        open(copy.string());
        Menu(MENUBAR_EDATA);
        changed = true;
        DrawPattern(pat.rec, false, true);
        ExpectSameGraphs(std::string(name) + ", H alone");
    }
}

TEST(SharedDrawing, ModelCutsAreTheViewersOverlay)
{
    Start();
    std::string error;
    ASSERT_TRUE(PrepareDrawing(error)) << error;
    // The horn's model is a closed form: no nec2c needed.
    const std::string path = Sample("horn");
    Open(path);
    const AtnPattern pat = Loaded(path);
    ASSERT_EQ(pat.rec.Antype, 12);
    const TheoryModel &m = TheoryModelOf(12);
    ASSERT_TRUE(m.ok) << m.error;
    DrawPattern(pat.rec, true, true);
    DrawTheoryCurves(m.e, m.h, ptsPtr->e_data, ptsPtr->h_data, true, true);
    DrawModelCuts(m.e, m.h, pat.rec);
    EXPECT_EQ(TheoryCurveCount(), 4);
    ExpectSameGraphs("horn with its model");
    // Drawn again, each replaces its cuts instead of adding more.
    DrawTheoryCurves(m.e, m.h, ptsPtr->e_data, ptsPtr->h_data, true, true);
    DrawModelCuts(m.e, m.h, pat.rec);
    ExpectSameGraphs("horn with its model drawn twice");
    DrawTheoryCurves(m.e, nullptr, ptsPtr->e_data, ptsPtr->h_data, true, true);
    DrawModelCuts(m.e, nullptr, pat.rec);
    EXPECT_EQ(TheoryCurveCount(), 2);
    ExpectSameGraphs("horn with its E model alone");
}

TEST(SharedDrawing, TheAtnProgramsPicturesAreTheViewersGraphs)
{
    Start();
    const std::string path = Sample("yagi");
    Open(path);
    for (const auto &[view, ctrl] :
         {std::pair{"polar", ANTENNALAB_POLAR}, std::pair{"cartesian", ANTENNALAB_CARTESIAN}}) {
        const std::string out = (TempDir() / (std::string(view) + ".png")).string();
        QProcess atn;
        atn.start(QStringLiteral(ATN_BINARY), {"plot", QString::fromStdString(path), "--view", view,
                                               "--size", "500", "-o", QString::fromStdString(out)});
        ASSERT_TRUE(atn.waitForFinished(60000));
        ASSERT_EQ(atn.exitCode(), 0) << atn.readAllStandardError().toStdString();
        EXPECT_TRUE(ReadBytes(out) == Png(antennalab, ctrl, 500)) << view;
    }
}
