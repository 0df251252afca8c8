// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export... and Measure > Lobe metrics...: both work on the open
// pattern as it is now (rotated, with hidden planes left out).
#include "lobes.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "antenna.h"
#include "antenna_uir.h"
#include "lobe.h"
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

std::string Deg(const std::optional<double> &v)
{
    return v ? Num(*v, 1) + " deg" : "none";
}

void FillPlane(const double *levels, bool hidden, int peak, int hpbw, int bw10, int fnbw, int fb,
               int sll)
{
    if (hidden || !levels) {
        const char *t = hidden ? "hidden" : "";
        for (int c : {peak, hpbw, bw10, fnbw, fb, sll})
            SetCtrlVal(lobepnl, c, t);
        return;
    }
    const LobeMetrics m = PlaneLobeMetrics(levels);
    SetCtrlVal(lobepnl, peak,
               m.peak < 0
                   ? "none"
                   : (std::to_string(m.peak) + " deg, " + Num(*m.peakLevel, 2) + " dB").c_str());
    SetCtrlVal(lobepnl, hpbw, Deg(m.hpbw).c_str());
    SetCtrlVal(lobepnl, bw10, Deg(m.bw10).c_str());
    SetCtrlVal(lobepnl, fnbw,
               m.fnbw ? (std::to_string(*m.fnbw) + " deg (" + std::to_string(*m.nullLeft) + " to "
                         + std::to_string(*m.nullRight) + ")")
                            .c_str()
                      : "none");
    SetCtrlVal(lobepnl, fb, m.frontToBack ? (Num(*m.frontToBack, 2) + " dB").c_str() : "none");
    SetCtrlVal(lobepnl, sll,
               m.sideLobeLevel ? (Num(*m.sideLobeLevel, 2) + " dB at "
                                  + std::to_string(*m.sideLobeAngle) + " deg")
                                     .c_str()
                               : "none");
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
    FillPlane(open ? ptsPtr->e_data : nullptr, open && Eflag == 1, LOBEPNL_E_PEAK, LOBEPNL_E_HPBW,
              LOBEPNL_E_BW10, LOBEPNL_E_FNBW, LOBEPNL_E_FB, LOBEPNL_E_SLL);
    FillPlane(open ? ptsPtr->h_data : nullptr, open && Hflag == 1, LOBEPNL_H_PEAK, LOBEPNL_H_HPBW,
              LOBEPNL_H_BW10, LOBEPNL_H_FNBW, LOBEPNL_H_FB, LOBEPNL_H_SLL);
    std::string d;
    if (!open) {
        d = "No pattern is open.";
    } else if (Eflag == 1 || Hflag == 1) {
        d = "needs both planes";
    } else {
        const auto est = DirectivityEstimate(PlaneLobeMetrics(ptsPtr->e_data).hpbw,
                                             PlaneLobeMetrics(ptsPtr->h_data).hpbw);
        d = est ? Num(est->ratio, 1) + " (" + Num(est->dBi, 1) + " dBi)"
                : "none: a half-power width is missing or over 180 deg";
    }
    SetCtrlVal(lobepnl, LOBEPNL_DIRECTIVITY, d.c_str());
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
