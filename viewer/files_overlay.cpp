// SPDX-License-Identifier: GPL-3.0-or-later
// Several pattern files on the graphs: the overlay panel, its files and
// their drawing over the open pattern. The open pattern's curve of the
// chosen plane is the reference the others are laid over and aligned to;
// its other plane is off the graphs while files are laid over it.
#include "files_overlay.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "codepage.h"
#include "message.h"
#include "overlay.h"
#include "overlay_plots.h"
#include "pattern_text.h"
#include "rt.h"
#include "theory.h"
#include "theory_view.h"

int overlaypnl = 0;

namespace {

constexpr const char *kCtx = "OverlayPanel";

std::string Say(const char *text, std::vector<std::string> args = {})
{
    return English(Message{kCtx, text, std::move(args)});
}

struct OverlayFile {
    std::string path, name, person;
    PatternRecord rec{};
    bool shown = true;
    bool align = false;
};

std::vector<std::unique_ptr<OverlayFile>> gFiles;
int gPlane = 0;      // 0 E, 1 H
int gBand = 0;       // 1: the mean and band are asked for
int gSelected = 0;   // the file the panel's ring shows
int gOffPlane = -1;  // the open pattern's plane taken off the graphs, or -1
std::vector<int> gPolarPlots, gCartesianPlots;

// What the last drawing showed, for the panel.
struct Shown {
    std::vector<PlaneComparison> match;  // each file against the open pattern
    int bandFiles = 0;                   // files of the open pattern's type shown
    bool statistics = false;
    Repeatability repeatability;
} gShown;

std::string Canonical(const std::string &path)
{
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

std::string BaseName(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

std::string PersonLine(const PatternRecord &r)
{
    return DecodePerson(PersonLineOf(r), ViewerCodePage(), PATTERN_PERSON_LINE_MAX);
}

const double *PlaneOf(const PatternRecord &r, int plane)
{
    return plane == 0 ? r.e_data : r.h_data;
}

bool ReferenceShown()
{
    return (gPlane == 0 ? Eflag : Hflag) != 1;
}

void RemoveDrawn()
{
    for (int h : gPolarPlots)
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, h, RT_DELAYED_DRAW);
    for (int h : gCartesianPlots)
        DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, h, RT_DELAYED_DRAW);
    gPolarPlots.clear();
    gCartesianPlots.clear();
}

void DeletePlanePlots(int plane)
{
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, plane == 0 ? polarPlot1 : polarPlot2,
                    RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, plane == 0 ? polarPlot3 : polarPlot4,
                    RT_DELAYED_DRAW);
    DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, plane == 0 ? carPlot1 : carPlot2,
                    RT_DELAYED_DRAW);
}

// Both planes drawn again as a rotation draws them, a hidden one left out.
void BringBackPlanes()
{
    if (gOffPlane < 0)
        return;
    gOffPlane = -1;
    if (!PatternOpen() || !polarPtr)
        return;
    for (int h : {polarPlot1, polarPlot2, polarPlot3, polarPlot4})
        DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, h, RT_DELAYED_DRAW);
    for (int h : {carPlot1, carPlot2})
        DeleteGraphPlot(antennalab, ANTENNALAB_CARTESIAN, h, RT_DELAYED_DRAW);
    DrawPlots();
    if (Eflag == 1)
        DeletePlanePlots(0);
    if (Hflag == 1)
        DeletePlanePlots(1);
}

OverlayCurve CurveOf(const OverlayFile &f, int index, const double *levels, int rotation)
{
    const OverlayStyle &s = OverlayStyleOf(index);
    OverlayCurve c;
    c.levels = levels;
    c.color = s.color;
    c.lineStyle = s.lineStyle;
    c.name = f.name;
    c.person = f.person;
    c.aligned = f.align;
    c.rotation = rotation;
    return c;
}

void FillPanel();

void Redraw()
{
    RemoveDrawn();
    gShown = Shown();
    const bool on = PatternOpen() && ptsPtr && !gFiles.empty();
    const int wasOff = gOffPlane;
    if (!on || gOffPlane != 1 - gPlane)
        BringBackPlanes();
    if (!on) {
        if (wasOff >= 0)
            RedrawTheoryCurves();
        FillPanel();
        return;
    }
    // Every time: a rotation draws both planes again.
    DeletePlanePlots(1 - gPlane);
    gOffPlane = 1 - gPlane;
    if (wasOff != gOffPlane)
        RedrawTheoryCurves();
    const double *ref = PlaneOf(*ptsPtr, gPlane);
    std::vector<PlaneLevels> turned(gFiles.size());
    OverlayPicture pic;
    if (ReferenceShown()) {
        pic.reference.name = BaseName(filepathname);
        pic.reference.person = PersonLine(*ptsPtr);
        pic.reference.color = gPlane == 0 ? RT_RED : RT_BLUE;
        pic.reference.lineStyle = RT_SOLID;
    }
    std::vector<const double *> band;
    if (ReferenceShown())
        band.push_back(ref);
    for (size_t i = 0; i < gFiles.size(); ++i) {
        const OverlayFile &f = *gFiles[i];
        const double *levels = PlaneOf(f.rec, gPlane);
        PlaneComparison c;
        if (f.align) {
            c = AlignPlane(ref, levels, turned[i]);
        } else {
            c = ComparePlanes(ref, levels);
            std::copy(levels, levels + LEVELS, turned[i].begin());
        }
        gShown.match.push_back(c);
        if (!f.shown)
            continue;
        pic.curves.push_back(CurveOf(f, int(i), turned[i].data(), c.rotation));
        if (f.rec.Antype == ptsPtr->Antype)
            band.push_back(turned[i].data());
    }
    gShown.bandFiles = int(band.size());
    PlaneLevels mean{}, sd{};
    gShown.statistics = PlaneMeanAndDeviation(band, mean, sd);
    if (gShown.statistics) {
        gShown.repeatability = RepeatabilityOf(band);
        if (gBand == 1) {
            pic.mean = mean.data();
            pic.sd = sd.data();
            pic.bandFiles = gShown.bandFiles;
        }
    }
    gPolarPlots = PlotOverlay(antennalab, ANTENNALAB_POLAR, true, pic);
    gCartesianPlots = PlotOverlay(antennalab, ANTENNALAB_CARTESIAN, false, pic);
    FillPanel();
}

std::string Turn(int rotation)
{
    const int t = SignedTurn(rotation);
    return (t > 0 ? "+" : "") + std::to_string(t) + "\u00b0";
}

std::string ListText()
{
    if (!PatternOpen())
        return Say(QT_TRANSLATE_NOOP("OverlayPanel", "Open a pattern file first: the files are "
                                                     "laid over it."));
    const std::string who = PersonLine(*ptsPtr);
    std::string text =
        Say(QT_TRANSLATE_NOOP("OverlayPanel", "Open: %1%2 (%3 plane, %4 solid line)%5"),
            {BaseName(filepathname), who.empty() ? "" : "  " + who, gPlane == 0 ? "E" : "H",
             gPlane == 0 ? "red" : "blue",
             ReferenceShown() ? "" : Say(QT_TRANSLATE_NOOP("OverlayPanel", ", hidden"))});
    if (gFiles.empty())
        return text + "\n"
               + Say(QT_TRANSLATE_NOOP("OverlayPanel",
                                       "No files laid over it yet: Add file... adds up to %1."),
                     {std::to_string(OVERLAY_FILES_MAX)});
    for (size_t i = 0; i < gFiles.size(); ++i) {
        const OverlayFile &f = *gFiles[i];
        const PlaneComparison c = i < gShown.match.size() ? gShown.match[i] : PlaneComparison();
        const std::string state =
            !f.shown  ? Say(QT_TRANSLATE_NOOP("OverlayPanel", "hidden"))
            : f.align ? Say(QT_TRANSLATE_NOOP("OverlayPanel", "turned %1, RMS %2 dB"),
                            {Turn(c.rotation), Fixed(c.rms, 2)})
                      : Say(QT_TRANSLATE_NOOP("OverlayPanel", "as measured, best turn %1"),
                            {Turn(c.rotation)});
        text += "\n"
                + Say(QT_TRANSLATE_NOOP("OverlayPanel", "%1. %2%3 (%4): %5"),
                      {std::to_string(i + 1), f.name, f.person.empty() ? "" : "  " + f.person,
                       OverlayStyleOf(int(i)).name, state});
    }
    return text;
}

// "1.44 to 3.05 dB, spread 1.61, SD 0.63", with the count of files when
// some had no such figure.
std::string SpreadText(const FigureSpread &s, int files, const char *unit, int decimals)
{
    std::string t = Say(QT_TRANSLATE_NOOP("OverlayPanel", "%1 to %2 %3 (spread %4, SD %5)"),
                        {Fixed(s.min, decimals), Fixed(s.max, decimals), unit,
                         Fixed(s.range, decimals), Fixed(s.sd, decimals)});
    if (s.count < files)
        t += " "
             + Say(QT_TRANSLATE_NOOP("OverlayPanel", "(%1 of %2 files)"),
                   {std::to_string(s.count), std::to_string(files)});
    return t;
}

std::string FiguresText()
{
    if (!PatternOpen() || gFiles.empty())
        return "";
    if (!gShown.statistics)
        return Say(QT_TRANSLATE_NOOP("OverlayPanel",
                                     "The mean, the band and these figures need three shown "
                                     "files or more of the open pattern's antenna type, the "
                                     "open pattern among them (now %1)."),
                   {std::to_string(gShown.bandFiles)});
    const Repeatability &r = gShown.repeatability;
    std::string t = Say(QT_TRANSLATE_NOOP("OverlayPanel", "%1 files of one antenna type."),
                        {std::to_string(r.planes)});
    t += "\n"
         + Say(QT_TRANSLATE_NOOP("OverlayPanel", "Peak level, fitted: %1"),
               {r.peakLevel.count ? SpreadText(r.peakLevel, r.planes, "dB", 2) : "none found"});
    t += "\n"
         + Say(QT_TRANSLATE_NOOP("OverlayPanel", "Half-power width, fitted: %1"),
               {r.hpbw.count ? SpreadText(r.hpbw, r.planes, "deg", 1) : "none found"});
    t += "\n"
         + Say(QT_TRANSLATE_NOOP("OverlayPanel", "Largest SD at one angle: %1 dB at %2 deg"),
               {Fixed(r.largestSd, 2), std::to_string(r.largestSdAngle)});
    return t;
}

void FillPanel()
{
    if (overlaypnl <= 0)
        return;
    const int n = int(gFiles.size());
    gSelected = std::clamp(gSelected, 0, std::max(0, n - 1));
    SetCtrlAttribute(overlaypnl, OVERLAYPNL_PLANE, RT_ATTR_CTRL_INDEX, gPlane);
    ClearListCtrl(overlaypnl, OVERLAYPNL_FILES);
    for (int i = 0; i < n; ++i)
        InsertListItem(overlaypnl, OVERLAYPNL_FILES, -1,
                       Say(QT_TRANSLATE_NOOP("OverlayPanel", "%1. %2"),
                           {std::to_string(i + 1), gFiles[size_t(i)]->name})
                           .c_str(),
                       i);
    if (n > 0)
        SetCtrlAttribute(overlaypnl, OVERLAYPNL_FILES, RT_ATTR_CTRL_INDEX, gSelected);
    const OverlayFile *f = n > 0 ? gFiles[size_t(gSelected)].get() : nullptr;
    SetCtrlVal(overlaypnl, OVERLAYPNL_SHOWN, f && f->shown ? 1 : 0);
    SetCtrlVal(overlaypnl, OVERLAYPNL_ALIGN, f && f->align ? 1 : 0);
    for (int c : {OVERLAYPNL_FILES, OVERLAYPNL_REMOVE, OVERLAYPNL_CLEAR, OVERLAYPNL_SHOWN,
                  OVERLAYPNL_ALIGN})
        SetCtrlAttribute(overlaypnl, c, RT_ATTR_DIMMED, n == 0);
    SetCtrlAttribute(overlaypnl, OVERLAYPNL_ADD, RT_ATTR_DIMMED,
                     !PatternOpen() || n >= OVERLAY_FILES_MAX);
    SetCtrlVal(overlaypnl, OVERLAYPNL_BAND, gBand);
    SetCtrlAttribute(overlaypnl, OVERLAYPNL_BAND, RT_ATTR_DIMMED, !gShown.statistics);
    ResetTextBox(overlaypnl, OVERLAYPNL_LIST, ListText().c_str());
    ResetTextBox(overlaypnl, OVERLAYPNL_FIGURES, FiguresText().c_str());
}

// The rotate buttons turn the plane on the graphs, as a click on its curve
// would choose it.
void SelectShownPlane()
{
    if (gFiles.empty())
        return;
    const int bar = GetPanelMenuBar(antennalab);
    if (gPlane == 0)
        SelectEPlaneCallback(bar, MENUBAR_SELECTE, nullptr, antennalab);
    else
        SelectHPlaneCallback(bar, MENUBAR_SELECTH, nullptr, antennalab);
}

OverlayFile *Selected()
{
    return gFiles.empty() ? nullptr
                          : gFiles[size_t(std::clamp(gSelected, 0, int(gFiles.size()) - 1))].get();
}

}  // namespace

bool AddOverlayFile(const std::string &path)
{
    auto refuse = [](const std::string &why) {
        MessagePopup("Veloran", why.c_str());
        return false;
    };
    if (!PatternOpen() || !ptsPtr)
        return refuse(Say(QT_TRANSLATE_NOOP(
            "OverlayPanel", "Open a pattern file first: the files are laid over it.")));
    if (int(gFiles.size()) >= OVERLAY_FILES_MAX)
        return refuse(
            Say(QT_TRANSLATE_NOOP("OverlayPanel", "The overlay holds %1 files at most; remove one "
                                                  "first."),
                {std::to_string(OVERLAY_FILES_MAX)}));
    const std::string canon = Canonical(path);
    if (canon == Canonical(filepathname))
        return refuse("This is the current file.");
    for (const auto &f : gFiles)
        if (Canonical(f->path) == canon)
            return refuse(
                Say(QT_TRANSLATE_NOOP("OverlayPanel", "%1 is in the overlay already."), {path}));
    auto f = std::make_unique<OverlayFile>();
    int lines = 0, emax = -1, hmax = -1;
    const std::string why = ReadViewerPattern(path.c_str(), f->rec, lines, emax, hmax);
    if (!why.empty())
        return refuse(why);
    f->path = path;
    f->name = BaseName(path);
    f->person = PersonLine(f->rec);
    gFiles.push_back(std::move(f));
    gSelected = int(gFiles.size()) - 1;
    if (gFiles.size() == 1)
        SelectShownPlane();
    Redraw();
    return true;
}

void ClearFileOverlay()
{
    RemoveDrawn();
    gFiles.clear();
    gSelected = 0;
    // The open and close commands draw the planes themselves.
    gOffPlane = -1;
    gShown = Shown();
    FillPanel();
}

void RefreshFileOverlay()
{
    if (!gFiles.empty() || gOffPlane >= 0 || overlaypnl > 0)
        Redraw();
}

int FileOverlayPlane()
{
    return PatternOpen() && !gFiles.empty() ? gPlane : -1;
}

int OverlayFileCount()
{
    return int(gFiles.size());
}

int OverlayPolarItemCount()
{
    return int(gPolarPlots.size());
}

void antOverlayCallback(int, int, void *, int)
{
    if (overlaypnl <= 0) {
        overlaypnl = LoadPanel(0, "antenna.uir", OVERLAYPNL);
        if (overlaypnl < 0) {
            overlaypnl = 0;
            return;
        }
        InsertListItem(overlaypnl, OVERLAYPNL_PLANE, -1, "E plane", 0);
        InsertListItem(overlaypnl, OVERLAYPNL_PLANE, -1, "H plane", 1);
    }
    FillPanel();
    DisplayPanel(overlaypnl);
}

int OverlayPlaneCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    int plane = 0;
    GetCtrlAttribute(panel, control, RT_ATTR_CTRL_INDEX, &plane);
    gPlane = plane == 1 ? 1 : 0;
    SelectShownPlane();
    Redraw();
    return 0;
}

int OverlayFileCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    GetCtrlAttribute(panel, control, RT_ATTR_CTRL_INDEX, &gSelected);
    FillPanel();
    return 0;
}

int OverlayAddCallback(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    char path[FILEPATH_SIZE] = "";
    if (FileSelectPopup("", "*.atn", "*.atn", "Overlay file", RT_OK_BUTTON, 0, 0, 1, 1, path)
        == RT_EXISTING_FILE_SELECTED)
        AddOverlayFile(path);
    return 0;
}

int OverlayRemoveCallback(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT || gFiles.empty())
        return 0;
    gFiles.erase(gFiles.begin() + std::clamp(gSelected, 0, int(gFiles.size()) - 1));
    gSelected = std::max(0, gSelected - 1);
    Redraw();
    return 0;
}

int OverlayClearCallback(int, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    gFiles.clear();
    gSelected = 0;
    Redraw();
    return 0;
}

int OverlayShownCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    if (OverlayFile *f = Selected()) {
        int on = 0;
        GetCtrlVal(panel, control, &on);
        f->shown = on != 0;
        Redraw();
    }
    return 0;
}

int OverlayAlignCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    if (OverlayFile *f = Selected()) {
        int on = 0;
        GetCtrlVal(panel, control, &on);
        f->align = on != 0;
        Redraw();
    }
    return 0;
}

int OverlayBandCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    GetCtrlVal(panel, control, &gBand);
    gBand = gBand ? 1 : 0;
    Redraw();
    return 0;
}

int OverlayCloseCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        DiscardPanel(panel);
        // The files stay on the graphs; the panel shows them again.
        if (panel == overlaypnl)
            overlaypnl = 0;
    }
    return 0;
}

void RegisterOverlayCallbacks()
{
    RT_MENU_CALLBACK(antOverlayCallback);
    RT_CTRL_CALLBACK(OverlayPlaneCallback);
    RT_CTRL_CALLBACK(OverlayFileCallback);
    RT_CTRL_CALLBACK(OverlayAddCallback);
    RT_CTRL_CALLBACK(OverlayRemoveCallback);
    RT_CTRL_CALLBACK(OverlayClearCallback);
    RT_CTRL_CALLBACK(OverlayShownCallback);
    RT_CTRL_CALLBACK(OverlayAlignCallback);
    RT_CTRL_CALLBACK(OverlayBandCallback);
    RT_CTRL_CALLBACK(OverlayCloseCallback);
}
