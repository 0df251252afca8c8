// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export... and Measure > Lobe metrics...: both work on the open
// pattern as it is now (rotated, with hidden planes left out).
#include "lobes.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "lobe.h"
#include "lobe_fit.h"
#include "message.h"
#include "msi.h"
#include "pattern_file.h"
#include "render.h"
#include "rt.h"

int lobepnl = 0;

namespace {

// Numbers with a point whatever the locale.
std::string Num(double v, int decimals)
{
    char b[400];  // room for any finite double in fixed point
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(b, r.ptr) : std::string("?");
}

constexpr const char *kCtx = "Lobes";

// A text of the panel with its figures.
std::string Say(const char *text, std::vector<std::string> args = {})
{
    return English(Message{kCtx, text, std::move(args)});
}

// The fitted figure, and the raw one beside it when it reads otherwise.
std::string WithRaw(const std::string &fitted, const std::string &fittedNum,
                    const std::string &rawNum)
{
    return fittedNum == rawNum ? fitted
                               : Say(QT_TRANSLATE_NOOP("Lobes", "%1 (raw %2)"), {fitted, rawNum});
}

std::string Width(const std::optional<double> &fitted, const std::optional<double> &raw)
{
    const std::string none = Say(QT_TRANSLATE_NOOP("Lobes", "none"));
    const std::string f = fitted ? Fixed(*fitted, 1) : none, r = raw ? Fixed(*raw, 1) : none;
    return WithRaw(fitted ? Say(QT_TRANSLATE_NOOP("Lobes", "%1 deg"), {f}) : none, f, r);
}

struct PlaneCtrls {
    int peak, main, hpbw, bw10, fnbw, back, fb, sll, noise;
};

const PlaneCtrls kE = {LOBEPNL_E_PEAK, LOBEPNL_E_MAIN, LOBEPNL_E_HPBW,
                       LOBEPNL_E_BW10, LOBEPNL_E_FNBW, LOBEPNL_E_BACK,
                       LOBEPNL_E_FB,   LOBEPNL_E_SLL,  LOBEPNL_E_NOISE};
const PlaneCtrls kH = {LOBEPNL_H_PEAK, LOBEPNL_H_MAIN, LOBEPNL_H_HPBW,
                       LOBEPNL_H_BW10, LOBEPNL_H_FNBW, LOBEPNL_H_BACK,
                       LOBEPNL_H_FB,   LOBEPNL_H_SLL,  LOBEPNL_H_NOISE};

void SetAll(const PlaneCtrls &c, const std::string &t)
{
    for (int ctrl : {c.peak, c.main, c.hpbw, c.bw10, c.fnbw, c.back, c.fb, c.sll, c.noise})
        SetCtrlVal(lobepnl, ctrl, t.c_str());
}

// What the figures of a plane cannot show in a cell: bounds set by the
// floor, the noise flag, two main lobes.
void NotePlane(const std::string &plane, const FittedLobeMetrics &m,
               std::vector<std::string> *notes)
{
    const PlaneFit &f = m.fit;
    if (f.noisy)
        notes->push_back(
            Say(QT_TRANSLATE_NOOP("Lobes", "%1: the noise (%2 dB per reading) lifts the "
                                           "highest sample %3 dB above the fitted peak. "
                                           "Average several readings per step in Kesto."),
                {plane, Fixed(f.noiseDb, 2), Fixed(f.peakBias, 2)}));
    if (m.mainLobes == 2)
        notes->push_back(
            Say(QT_TRANSLATE_NOOP("Lobes", "%1: the lobe opposite the peak comes within 1 dB "
                                           "of it: two main lobes (a figure of eight), so no "
                                           "back lobe."),
                {plane}));
    if (m.frontToBack && m.frontToBackLimited && m.mainLobes != 2)
        notes->push_back(
            Say(QT_TRANSLATE_NOOP("Lobes", "%1: front-to-back ≥ %2 dB is a bound: the back "
                                           "of the pattern lies within 1 dB of the -30 dB "
                                           "floor, so it may be lower still."),
                {plane, Fixed(*m.frontToBack, 2)}));
    if (m.sideLobe && m.sideLobe->limited)
        notes->push_back(
            Say(QT_TRANSLATE_NOOP("Lobes", "%1: side lobe ≤ %2 dB is a bound: the lobe lies "
                                           "within 1 dB of the -30 dB floor, so it reaches no "
                                           "higher."),
                {plane, Fixed(m.sideLobe->level, 2)}));
    if (m.nullLeft && m.nullRight && (m.nullLeftLimited || m.nullRightLimited))
        notes->push_back(
            Say(QT_TRANSLATE_NOOP("Lobes", "%1: the first nulls lie on the -30 dB floor: "
                                           "they are deeper than measured, and each is placed "
                                           "in the middle of its samples on the floor, or where "
                                           "the main lobe meets the floor when the whole back "
                                           "lies on it."),
                {plane}));
}

void FillPlane(const double *levels, bool hidden, const PlaneCtrls &c, const std::string &plane,
               std::vector<std::string> *notes)
{
    if (hidden || !levels) {
        SetAll(c, hidden ? "hidden" : "");
        return;
    }
    const FittedLobeMetrics m = PlaneFittedMetrics(levels);
    const LobeMetrics raw = PlaneLobeMetrics(levels);
    const PlaneFit &f = m.fit;
    const std::string none = Say(QT_TRANSLATE_NOOP("Lobes", "none"));
    SetCtrlVal(lobepnl, c.noise,
               !f.noiseKnown ? Say(QT_TRANSLATE_NOOP("Lobes", "not known")).c_str()
               : f.noisy     ? Say(QT_TRANSLATE_NOOP("Lobes", "%1 dB, lifts the peak %2 dB"),
                                   {Fixed(f.noiseDb, 2), Fixed(f.peakBias, 2)})
                               .c_str()
                         : Say(QT_TRANSLATE_NOOP("Lobes", "%1 dB"), {Fixed(f.noiseDb, 2)}).c_str());
    if (!f.peakFound) {
        for (int ctrl : {c.peak, c.main, c.hpbw, c.bw10, c.fnbw, c.back, c.fb, c.sll})
            SetCtrlVal(lobepnl, ctrl, none.c_str());
        return;
    }
    const std::string angle = Fixed(f.peakAngle, 1), level = Fixed(f.peakLevel, 2);
    const std::string rawAngle = Fixed(raw.peak, 1);
    const std::string rawLevel = raw.peakLevel ? Fixed(*raw.peakLevel, 2) : none;
    const std::string peak = Say(QT_TRANSLATE_NOOP("Lobes", "%1 deg, %2 dB"), {angle, level});
    SetCtrlVal(lobepnl, c.peak,
               !raw.peakLevel || (angle == rawAngle && level == rawLevel)
                   ? peak.c_str()
                   : Say(QT_TRANSLATE_NOOP("Lobes", "%1 (raw %2 deg, %3 dB)"),
                         {peak, std::to_string(raw.peak), rawLevel})
                         .c_str());
    SetCtrlVal(lobepnl, c.main,
               m.mainLobes == 2 && m.backLobe
                   ? Say(QT_TRANSLATE_NOOP("Lobes", "2, at %1 and %2 deg"),
                         {Fixed(f.peakAngle, 0), Fixed(m.backLobe->angle, 0)})
                         .c_str()
                   : "1");
    SetCtrlVal(lobepnl, c.hpbw, Width(m.hpbw, raw.hpbw).c_str());
    SetCtrlVal(lobepnl, c.bw10, Width(m.bw10, raw.bw10).c_str());
    if (m.fnbw) {
        const std::string w = Fixed(*m.fnbw, 1);
        SetCtrlVal(lobepnl, c.fnbw,
                   WithRaw(Say(QT_TRANSLATE_NOOP("Lobes", "%1 deg, %2 to %3"),
                               {w, Fixed(*m.nullLeft, 1), Fixed(*m.nullRight, 1)}),
                           w, raw.fnbw ? Fixed(*raw.fnbw, 1) : none)
                       .c_str());
    } else {
        SetCtrlVal(lobepnl, c.fnbw, Width(std::nullopt, raw.fnbw).c_str());
    }
    // A lobe within 1 dB of the floor is only a bound.
    auto lobe = [&](const LobeLevel &l) {
        return Say(l.limited ? QT_TRANSLATE_NOOP("Lobes", "≤ %1 dB at %2 deg")
                             : QT_TRANSLATE_NOOP("Lobes", "%1 dB at %2 deg"),
                   {Fixed(l.level, 2), Fixed(l.angle, 0)});
    };
    SetCtrlVal(lobepnl, c.back,
               m.mainLobes == 2
                   ? Say(QT_TRANSLATE_NOOP("Lobes", "none: a second main lobe")).c_str()
               : m.backLobe ? lobe(*m.backLobe).c_str()
                            : none.c_str());
    if (m.frontToBack) {
        const std::string v = Fixed(*m.frontToBack, 2);
        SetCtrlVal(lobepnl, c.fb,
                   WithRaw(Say(m.frontToBackLimited ? QT_TRANSLATE_NOOP("Lobes", "≥ %1 dB")
                                                    : QT_TRANSLATE_NOOP("Lobes", "%1 dB"),
                               {v}),
                           v, raw.frontToBack ? Fixed(*raw.frontToBack, 2) : none)
                       .c_str());
    } else {
        SetCtrlVal(lobepnl, c.fb, none.c_str());
    }
    SetCtrlVal(lobepnl, c.sll, m.sideLobe ? lobe(*m.sideLobe).c_str() : none.c_str());
    NotePlane(plane, m, notes);
}

std::string Extension(const std::string &path)
{
    const size_t dot = path.rfind('.'), slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string e = path.substr(dot + 1);
    for (char &c : e)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return e;
}

// The types File > Export writes, in the order of its dialogue's list.
const char kExportTypes[] = "PNG picture (*.png)\nSVG drawing (*.svg)\nPDF document (*.pdf)\n"
                            "CSV table (*.csv)\nMSI pattern (*.msi)";
const char *const kExportExtensions[] = {"png", "svg", "pdf", "csv", "msi"};

std::string BaseName(const std::string &path)
{
    std::string b = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const size_t dot = b.rfind('.');
    return dot == std::string::npos || dot == 0 ? b : b.substr(0, dot);
}

}  // namespace

void RefreshLobePanel()
{
    if (lobepnl <= 0)
        return;
    const bool open = PatternOpen() && ptsPtr;
    std::vector<std::string> notes;
    FillPlane(open ? ptsPtr->e_data : nullptr, open && Eflag == 1, kE,
              Say(QT_TRANSLATE_NOOP("Lobes", "E plane")), &notes);
    FillPlane(open ? ptsPtr->h_data : nullptr, open && Hflag == 1, kH,
              Say(QT_TRANSLATE_NOOP("Lobes", "H plane")), &notes);
    std::string d;
    if (!open) {
        d = "No pattern is open.";
    } else if (Eflag == 1 || Hflag == 1) {
        d = "needs both planes";
    } else {
        const auto est = DirectivityEstimate(PlaneFittedMetrics(ptsPtr->e_data).hpbw,
                                             PlaneFittedMetrics(ptsPtr->h_data).hpbw);
        const auto raw = DirectivityEstimate(PlaneLobeMetrics(ptsPtr->e_data).hpbw,
                                             PlaneLobeMetrics(ptsPtr->h_data).hpbw);
        if (!est)
            d = "none: a half-power width is missing or over 180 deg";
        else if (raw && Fixed(raw->dBi, 1) == Fixed(est->dBi, 1))
            d = Say(QT_TRANSLATE_NOOP("Lobes", "%1 (%2 dBi)"),
                    {Num(est->ratio, 1), Fixed(est->dBi, 1)});
        else
            d = Say(QT_TRANSLATE_NOOP("Lobes", "%1 (%2 dBi; raw %3)"),
                    {Num(est->ratio, 1), Fixed(est->dBi, 1),
                     raw ? Say(QT_TRANSLATE_NOOP("Lobes", "%1 dBi"), {Fixed(raw->dBi, 1)})
                         : Say(QT_TRANSLATE_NOOP("Lobes", "none"))});
    }
    SetCtrlVal(lobepnl, LOBEPNL_DIRECTIVITY, d.c_str());
    std::string text;
    for (const std::string &n : notes)
        text += (text.empty() ? "" : "\n") + n;
    if (open && text.empty())
        text = Say(QT_TRANSLATE_NOOP(
            "Lobes", "No figure is bounded by the floor and no plane is too noisy."));
    text += (text.empty() ? "" : "\n\n")
            + Say(QT_TRANSLATE_NOOP(
                "Lobes", "Fitted through the noise: the peak from a parabola over the "
                         "main lobe's top, widths and nulls from the smoothed curve; the "
                         "raw figure, from the samples as they are, follows where it "
                         "differs. Levels in dB relative to the peak; ≥ and ≤ mark "
                         "bounds set by the -30 dB floor. Directivity from 41253 / (E "
                         "width x H width)."));
    ResetTextBox(lobepnl, LOBEPNL_FINDINGS, text.c_str());
}

void antLobeCallback(int, int, void *, int)
{
    if (lobepnl <= 0) {
        lobepnl = LoadPanel(0, "antenna.uir", LOBEPNL);
        if (lobepnl < 0) {
            lobepnl = 0;
            return;
        }
    }
    RefreshLobePanel();
    DisplayPanel(lobepnl);
}

int LobeCloseCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        DiscardPanel(panel);
        if (panel == lobepnl)
            lobepnl = 0;
    }
    return 0;
}

void antExportCallback(int, int, void *, int)
{
    if (!PatternOpen() || !ptsPtr) {
        MessagePopup("Export", "Open a pattern file first.");
        return;
    }
    char path[FILEPATH_SIZE] = "";
    // A name from the open file; the type last chosen offered again.
    static int type = 0;
    type = std::clamp(type, 0, 4);
    const std::string suggested = BaseName(filepathname) + "." + kExportExtensions[type];
    if (SaveFileTypePopup("Export", suggested.c_str(), kExportTypes, &type, path, sizeof path)
        == RT_NO_FILE_SELECTED)
        return;
    const std::string ext = Extension(path);
    std::string error;
    if (ext == "png" || ext == "svg" || ext == "pdf") {
        int polar = 0, cartesian = 0;
        GetCtrlAttribute(antennalab, ANTENNALAB_POLAR, RT_ATTR_VISIBLE, &polar);
        GetCtrlAttribute(antennalab, ANTENNALAB_CARTESIAN, RT_ATTR_VISIBLE, &cartesian);
        if (!polar && !cartesian) {
            MessagePopup("Export", "The 3D view cannot be exported as a picture. "
                                   "Switch to the polar or Cartesian view first.");
            return;
        }
        const int ctrl = cartesian ? ANTENNALAB_CARTESIAN : ANTENNALAB_POLAR;
        std::string bytes;
        if (rt::RenderGraphPicture(antennalab, ctrl, ext.c_str(), 900, 900, &bytes, &error) != 0) {
            MessagePopup("Export", ("The picture was not written. " + error).c_str());
            return;
        }
        const PatternFileResult r = WriteWholeFile(path, bytes);
        if (!r.ok)
            MessagePopup("Export", ("The picture was not written. " + r.error).c_str());
        return;
    }
    if (ext != "csv" && ext != "msi") {
        MessagePopup("Export", "Choose a file name ending in .png, .svg, .pdf, .csv or .msi.");
        return;
    }
    // A plane deleted from view has no levels to export: a save writes it
    // as zeros, which an export would pass off as a measured cut. CSV
    // leaves its cells empty; an MSI file needs both cuts.
    const double *e = Eflag == 1 ? nullptr : ptsPtr->e_data;
    const double *h = Hflag == 1 ? nullptr : ptsPtr->h_data;
    std::string bytes;
    if (ext == "csv") {
        bytes = FormatCsv(e, h);
    } else if (!e || !h) {
        const std::string which = !e && !h ? "The E and H planes are"
                                  : !e     ? "The E plane is"
                                           : "The H plane is";
        const std::string show = !e && !h ? "E Data view and H data view"
                                 : !e     ? "E Data view"
                                          : "H data view";
        const std::string msg =
            which
            + " deleted from view: an MSI file needs both planes, and a deleted one would "
              "go out as a cut that was never measured. The file was not written; choose "
            + show + " to show it again, or export as CSV.";
        MessagePopup("Export", msg.c_str());
        return;
    } else {
        MsiWriteData d;
        d.name = BaseName(filepathname);
        d.hWidth = PlaneLobeMetrics(h).hpbw;
        d.vWidth = PlaneLobeMetrics(e).hpbw;
        d.frontToBack = PlaneLobeMetrics(h).frontToBack;
        d.comment = std::string("Measured by ") + ptsPtr->person;
        d.eLevels = e;
        d.hLevels = h;
        bytes = FormatMsi(d);
    }
    // By the rules of a save: whole or not at all, links followed, hard
    // links kept, read-only files and FIFOs refused.
    const PatternFileResult r = WriteWholeFile(path, bytes);
    if (!r.ok)
        MessagePopup("Export", ("The file was not written. " + r.error).c_str());
}
