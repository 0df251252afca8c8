// SPDX-License-Identifier: GPL-3.0-or-later
// The textbook pattern panel and its dashed overlay on the graphs.
#include "theory_view.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "analysis.h"
#include "antenna.h"
#include "antenna_uir.h"
#include "files_overlay.h"
#include "lobe.h"
#include "plots.h"
#include "rt.h"
#include "theory.h"

int theorypnl = 0;
int TheoryOverlayFlag = 0;

namespace {

int chosenType = 0;  // the type shown for a pattern without one (or none open)
// Overlay curves: polar E, polar H, Cartesian E, Cartesian H; -1 when none.
int overlayPlots[4] = {-1, -1, -1, -1};

std::string Num(double v, int decimals)
{
    char b[400];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(b, r.ptr) : std::string("?");
}

int RecordType()
{
    return PatternOpen() && ptsPtr && ptsPtr->Antype >= 0 && ptsPtr->Antype < THEORY_TYPES
               ? ptsPtr->Antype
               : -1;
}

int ShownType()
{
    const int t = RecordType();
    return t >= 0 ? t : chosenType;
}

void SetText(int panel, int ctrl, const std::string &s)
{
    SetCtrlVal(panel, ctrl, s.c_str());
}

void FillPlaneRow(const double *measured, const double *model, bool hidden, int hpbwModel,
                  int hpbwMeas, int rotation, int rms, int maxDiff, int angles)
{
    const int ctrls[] = {hpbwModel, hpbwMeas, rotation, rms, maxDiff, angles};
    std::string t[6];
    if (!measured || !model || hidden) {
        const char *why = hidden ? "hidden" : !model ? "" : "no pattern";
        std::fill(t, t + 6, std::string(why));
        if (model && !hidden) {
            double tmp[LEVELS];
            std::copy(model, model + LEVELS, tmp);
            const int p = PeakIndex(tmp);
            const auto w = p >= 0 ? InterpolatedBeamwidth(tmp, p, 3.0) : std::nullopt;
            t[0] = w ? Num(*w, 1) + " deg" : "none";
        }
    } else {
        const TheoryComparison c = CompareWithModel(measured, model);
        auto deg = [](double w) { return w > 0 ? Num(w, 1) + " deg" : std::string("none"); };
        t[0] = deg(c.modelHpbw);
        if (!c.valid) {
            std::fill(t + 1, t + 6, std::string("no peak"));
        } else {
            t[1] = deg(c.measuredHpbw);
            t[2] = std::to_string(c.rotation) + " deg";
            t[3] = Num(c.rms, 2) + " dB";
            t[4] = Num(c.maxDiff, 2) + " dB";
            t[5] = std::to_string(c.angles);
        }
    }
    for (int i = 0; i < 6; ++i)
        SetText(theorypnl, ctrls[i], t[i]);
}

void FillTheoryPanel()
{
    if (theorypnl <= 0)
        return;
    const int type = ShownType();
    SetCtrlAttribute(theorypnl, THEORYPNL_TYPE, RT_ATTR_CTRL_INDEX, type);
    // The type comes from the record; only a pattern without one (or no
    // pattern) lets the user choose.
    SetCtrlAttribute(theorypnl, THEORYPNL_TYPE, RT_ATTR_DIMMED, RecordType() >= 0);
    const TheoryDesign &d = DesignOf(type);
    const TheoryModel &m = TheoryModelOf(type);
    SetText(theorypnl, THEORYPNL_MODEL,
            (d.frequencyMhz >= 1000 ? Num(d.frequencyMhz / 1000, 0) + " GHz, "
                                    : Num(d.frequencyMhz, 0) + " MHz, ")
                + (d.engine == TheoryEngine::Nec2c ? "NEC-2 (nec2c)" : "closed form"));
    SetText(theorypnl, THEORYPNL_GAIN, m.ok ? Num(m.gainDbi, 2) + " dBi" : "not available");
    ResetTextBox(theorypnl, THEORYPNL_NOTE,
                 ((m.ok ? std::string() : m.error + "\n\n") + "Model: " + d.model
                  + ".\nSource: " + d.source + ".\nE plane: " + d.ePlane + ".\nH plane: " + d.hPlane
                  + ".\nAngle 0 of the model is its main beam; the rotation below aligns it.")
                     .c_str());
    const bool open = PatternOpen() && ptsPtr;
    FillPlaneRow(open ? ptsPtr->e_data : nullptr, m.ok ? m.e : nullptr, open && Eflag == 1,
                 THEORYPNL_E_HPBW_MODEL, THEORYPNL_E_HPBW_MEAS, THEORYPNL_E_ROTATION,
                 THEORYPNL_E_RMS, THEORYPNL_E_MAXDIFF, THEORYPNL_E_ANGLES);
    FillPlaneRow(open ? ptsPtr->h_data : nullptr, m.ok ? m.h : nullptr, open && Hflag == 1,
                 THEORYPNL_H_HPBW_MODEL, THEORYPNL_H_HPBW_MEAS, THEORYPNL_H_ROTATION,
                 THEORYPNL_H_RMS, THEORYPNL_H_MAXDIFF, THEORYPNL_H_ANGLES);
    SetCtrlVal(theorypnl, THEORYPNL_OVERLAY, TheoryOverlayFlag);
}

void DrawOverlay()
{
    RemoveTheoryCurves();
    if (TheoryOverlayFlag != 1 || !PatternOpen() || !ptsPtr)
        return;
    const TheoryModel &m = TheoryModelOf(ShownType());
    if (!m.ok)
        return;
    // Over several files, only the plane they show.
    const int only = FileOverlayPlane();
    DrawTheoryCurves(m.e, m.h, ptsPtr->e_data, ptsPtr->h_data, Eflag != 1 && only != 1,
                     Hflag != 1 && only != 0);
}

// The check mark of Measure > Textbook pattern on the graphs.
void ShowOverlayChoice()
{
    SetMenuBarAttribute(GetPanelMenuBar(antennalab), MENUBAR_THEORYCURVES, RT_ATTR_CHECKED,
                        TheoryOverlayFlag);
    if (theorypnl > 0)
        SetCtrlVal(theorypnl, THEORYPNL_OVERLAY, TheoryOverlayFlag);
}

void SetOverlay(int on)
{
    TheoryOverlayFlag = on && PatternOpen() && TheoryModelOf(ShownType()).ok ? 1 : 0;
    DrawOverlay();
    ShowOverlayChoice();
    // The legend of several files stays above the dashed curves.
    RefreshFileOverlay();
}

}  // namespace

void DrawTheoryCurves(const double *eModel, const double *hModel, const double *eMeasured,
                      const double *hMeasured, bool showE, bool showH)
{
    RemoveTheoryCurves();
    TheoryComparison c[2];
    for (int plane = 0; plane < 2; ++plane) {
        const double *model = plane == 0 ? eModel : hModel;
        const double *measured = plane == 0 ? eMeasured : hMeasured;
        if (model && measured && (plane == 0 ? showE : showH))
            c[plane] = CompareWithModel(measured, model);
    }
    const ModelCutPlots p =
        PlotModelCuts(antennalab, ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN,
                      c[0].valid ? c[0].scaled : nullptr, c[1].valid ? c[1].scaled : nullptr);
    for (int plane = 0; plane < 2; ++plane) {
        overlayPlots[plane] = p.polar[plane];
        overlayPlots[2 + plane] = p.cartesian[plane];
    }
}

void RemoveTheoryCurves()
{
    for (int i = 0; i < 4; ++i) {
        if (overlayPlots[i] < 0)
            continue;
        DeleteGraphPlot(antennalab, i < 2 ? ANTENNALAB_POLAR : ANTENNALAB_CARTESIAN,
                        overlayPlots[i], RT_IMMEDIATE_DRAW);
        overlayPlots[i] = -1;
    }
}

int TheoryCurveCount()
{
    return int(std::count_if(overlayPlots, overlayPlots + 4, [](int p) { return p >= 0; }));
}

void TheoryPatternChanged()
{
    TheoryOverlayFlag = 0;
    RemoveTheoryCurves();
    ShowOverlayChoice();
    FillTheoryPanel();
    GainPatternChanged();
}

void RefreshTheory()
{
    if (TheoryOverlayFlag == 1)
        DrawOverlay();
    FillTheoryPanel();
    RefreshGainPanel();
}

void RedrawTheoryCurves()
{
    if (TheoryOverlayFlag == 1)
        DrawOverlay();
}

void antTheoryCallback(int, int, void *, int)
{
    if (theorypnl <= 0) {
        theorypnl = LoadPanel(0, "antenna.uir", THEORYPNL);
        if (theorypnl < 0) {
            theorypnl = 0;
            return;
        }
        for (int t = 0; t < THEORY_TYPES; ++t)
            InsertListItem(theorypnl, THEORYPNL_TYPE, -1, DesignOf(t).name, t);
    }
    // Every model at once (the nec2c runs side by side), so that choosing
    // another type later answers at once.
    PrepareAllTheoryModels();
    FillTheoryPanel();
    DisplayPanel(theorypnl);
}

int TheoryTypeCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT || RecordType() >= 0)
        return 0;
    int t = 0;
    GetCtrlVal(panel, control, &t);
    chosenType = std::clamp(t, 0, THEORY_TYPES - 1);
    if (TheoryOverlayFlag == 1)
        SetOverlay(1);
    FillTheoryPanel();
    return 0;
}

int TheoryOverlayCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    if (on != TheoryOverlayFlag)
        SetOverlay(on);
    return 0;
}

int TheoryCloseCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        DiscardPanel(panel);
        // The dashed curves stay: the Measure menu's check item takes them off.
        if (panel == theorypnl)
            theorypnl = 0;
    }
    return 0;
}

void TheoryCurvesCallback(int, int, void *, int)
{
    if (TheoryOverlayFlag == 1) {
        SetOverlay(0);
        return;
    }
    if (!PatternOpen()) {
        ShowOverlayChoice();
        MessagePopup("Textbook pattern", "Open a pattern file first.");
        return;
    }
    const TheoryModel &m = TheoryModelOf(ShownType());
    SetOverlay(1);
    if (!m.ok)
        MessagePopup("Textbook pattern", m.error.c_str());
}

void RegisterTheoryCallbacks()
{
    RT_MENU_CALLBACK(antTheoryCallback);
    RT_CTRL_CALLBACK(TheoryTypeCallback);
    RT_CTRL_CALLBACK(TheoryOverlayCallback);
    RT_CTRL_CALLBACK(TheoryCloseCallback);
    RT_MENU_CALLBACK(TheoryCurvesCallback);
}
