// SPDX-License-Identifier: GPL-3.0-or-later
// Several patterns on one graph, their mean and band, and the legend.
#include <algorithm>
#include <string>

#include "overlay.h"
#include "overlay_plots.h"
#include "rt.h"

namespace {

constexpr double kDrawFloor = -30.0;
const char kFont[] = "NIAppMetaFont";
constexpr int kGrey = 0xA0A0A0;

const OverlayStyle kStyles[OVERLAY_FILES_MAX] = {
    {0xE69F00, RT_DASH, "orange, dashes"},
    {0x56B4E9, RT_DOT, "sky blue, dots"},
    {0x009E73, RT_DASH_DOT, "bluish green, dash-dot"},
    {0xCC79A7, RT_DASH_DOT_DOT, "reddish purple, dash-dot-dot"},
    {0xF0E442, RT_LONG_DASH, "yellow, long dashes"},
    {0xD55E00, RT_LONG_DASH_DOT, "vermilion, long dash-dot"},
    {0x0072B2, RT_LONG_SHORT_DASH, "blue, long and short dashes"},
    {0xBBBBBB, RT_LONG_DASH_DOT_DOT, "light grey, long dash-dot-dot"},
};

// The legend's lower left corner: inside the outer ring's corner on the
// polar graph; above the angle axis and its labels, where the Cartesian
// graph shows only levels below the rig's floor, on the Cartesian one.
constexpr double kPolarLeft = -39.6, kPolarBottom = -39.6;
constexpr double kCartesianLeft = -179.0, kCartesianBottom = -49.3;
constexpr double kCartesianAngleLabels = -53.0;  // the baseline of the angle labels
// How far right the legend may reach before its texts are shortened: three
// quarters across the graph; on the Cartesian graph, short of the level
// axis and its labels where the whole names and person lines fit there.
constexpr double kPolarRightmost = kPolarLeft + 0.75 * 80.0;
constexpr double kCartesianRightmost = -180.0 + 0.75 * 360.0;
constexpr double kCartesianLeftHalf = -8.0;

// At most `max` characters (UTF-8 code points) of s, the last one "…" when
// it had to be cut.
std::string Shortened(const std::string &s, int max)
{
    std::vector<size_t> starts;  // byte offset of each code point
    for (size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    if (int(starts.size()) <= max)
        return s;
    if (max <= 0)
        return std::string();
    return s.substr(0, starts[size_t(max - 1)]) + "\u2026";
}

std::string Trimmed(const std::string &s)
{
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

void Floored(const double *levels, double out[LEVELS])
{
    for (int k = 0; k < LEVELS; ++k)
        out[k] = std::max(kDrawFloor, levels[k]);
}

int PlotCurve(int panel, int control, bool polar, const double *levels, int color, int style)
{
    double v[LEVELS];
    Floored(levels, v);
    if (polar) {
        // The first point once more at the end: the curve is closed and its
        // dashes run on across 0 degrees.
        double x[LEVELS + 1], y[LEVELS + 1];
        BuildPolarBlock(v, 360, x, y);
        x[LEVELS] = x[0];
        y[LEVELS] = y[0];
        return PlotXY(panel, control, x, y, LEVELS + 1, RT_DOUBLE, RT_DOUBLE, RT_THIN_LINE,
                      RT_SIMPLE_DOT, style, 1, color);
    }
    int arrayX[LEVELS];
    double car[LEVELS];
    BuildArrayX(arrayX);
    BuildCarBlock(v, car);
    return PlotXY(panel, control, arrayX, car, LEVELS, RT_INTEGER, RT_DOUBLE, RT_THIN_LINE,
                  RT_SIMPLE_DOT, style, 1, color);
}

// The band between mean - sd and mean + sd as one filled polygon: on the
// polar graph the outer outline, then back round the inner one (the two
// joined along one radius, which the fill rule leaves open).
int PlotBand(int panel, int control, bool polar, const double *mean, const double *sd)
{
    double hi[LEVELS], lo[LEVELS];
    for (int k = 0; k < LEVELS; ++k) {
        hi[k] = std::max(kDrawFloor, mean[k] + sd[k]);
        lo[k] = std::max(kDrawFloor, mean[k] - sd[k]);
    }
    std::vector<double> x, y;
    if (polar) {
        double hx[LEVELS], hy[LEVELS], lx[LEVELS], ly[LEVELS];
        BuildPolarBlock(hi, 360, hx, hy);
        BuildPolarBlock(lo, 360, lx, ly);
        for (int k = 0; k <= LEVELS; ++k) {
            x.push_back(hx[k % LEVELS]);
            y.push_back(hy[k % LEVELS]);
        }
        for (int k = LEVELS; k >= 0; --k) {
            x.push_back(lx[k % LEVELS]);
            y.push_back(ly[k % LEVELS]);
        }
    } else {
        int arrayX[LEVELS];
        double chi[LEVELS], clo[LEVELS];
        BuildArrayX(arrayX);
        BuildCarBlock(hi, chi);
        BuildCarBlock(lo, clo);
        for (int k = 0; k < LEVELS; ++k) {
            x.push_back(arrayX[k]);
            y.push_back(chi[k]);
        }
        for (int k = LEVELS - 1; k >= 0; --k) {
            x.push_back(arrayX[k]);
            y.push_back(clo[k]);
        }
    }
    const int band = PlotPolygon(panel, control, x.data(), y.data(), int(x.size()), RT_DOUBLE,
                                 RT_DOUBLE, RT_TRANSPARENT, OVERLAY_BAND_COLOR);
    SetPlotAttribute(panel, control, band, RT_ATTR_FILL_OPACITY, OVERLAY_BAND_OPACITY);
    return band;
}

int PlotRect(int panel, int control, double x0, double y0, double x1, double y1, int color,
             int fill)
{
    const double x[] = {x0, x1, x1, x0}, y[] = {y0, y0, y1, y1};
    return PlotPolygon(panel, control, x, y, 4, RT_DOUBLE, RT_DOUBLE, color, fill);
}

struct LegendLine {
    std::string text;
    int color, lineStyle, weight;
    bool band;
};

std::vector<LegendLine> LegendLines(const OverlayPicture &pic, int nameMax, int personMax)
{
    std::vector<LegendLine> lines;
    auto file = [&](const OverlayCurve &c) {
        lines.push_back(
            {OverlayLegendText(c.name, c.person, c.aligned, c.rotation, nameMax, personMax),
             c.color, c.lineStyle, 1, false});
    };
    if (!pic.reference.name.empty())
        file(pic.reference);
    for (const OverlayCurve &c : pic.curves)
        file(c);
    if (pic.mean && pic.sd)
        lines.push_back({"mean \u00b1 1 SD of " + std::to_string(pic.bandFiles) + " files",
                         OVERLAY_MEAN_COLOR, RT_SOLID, OVERLAY_MEAN_WEIGHT, true});
    return lines;
}

void PlotLegend(int panel, int control, bool polar, const OverlayPicture &pic,
                std::vector<int> &handles)
{
    double emW = 0, rowH = 0, mmmm = 0;
    GetGraphTextSize(panel, control, "M", &emW, &rowH);
    GetGraphTextSize(panel, control, "MMMM", &mmmm, nullptr);
    const double padX = emW / 3, padY = rowH / 5, sample = mmmm, gap = emW / 2;
    const double pitch = rowH * 1.05;
    const double left = polar ? kPolarLeft : kCartesianLeft;
    // Clear of the angle labels' boxes, however large the font.
    const double bottom =
        polar ? kPolarBottom : std::max(kCartesianBottom, kCartesianAngleLabels + rowH * 1.15);
    // Shorter texts, the person line first, until the legend leaves most of
    // the graph free.
    struct Try {
        int nameMax, personMax;
        double rightmost;
    };
    const std::vector<Try> tries =
        polar ? std::vector<Try>{{28, 24, kPolarRightmost},
                                 {28, 12, kPolarRightmost},
                                 {20, 0, kPolarRightmost},
                                 {12, 0, kPolarRightmost},
                                 {8, 0, kPolarRightmost}}
              : std::vector<Try>{{28, 24, kCartesianLeftHalf},  {28, 24, kCartesianRightmost},
                                 {28, 12, kCartesianRightmost}, {20, 0, kCartesianRightmost},
                                 {12, 0, kCartesianRightmost},  {8, 0, kCartesianRightmost}};
    std::vector<LegendLine> lines;
    double textW = 0;
    for (const Try &t : tries) {
        lines = LegendLines(pic, t.nameMax, t.personMax);
        textW = 0;
        for (const LegendLine &l : lines) {
            double w = 0;
            GetGraphTextSize(panel, control, l.text.c_str(), &w, nullptr);
            textW = std::max(textW, w);
        }
        if (left + 2 * padX + sample + gap + textW <= t.rightmost)
            break;
    }
    if (lines.empty())
        return;
    const double top = bottom + 2 * padY + pitch * double(lines.size());
    const double right = left + padX + sample + gap + textW + padX;
    handles.push_back(PlotRect(panel, control, left, bottom, right, top, kGrey, RT_BLACK));
    for (size_t i = 0; i < lines.size(); ++i) {
        const LegendLine &l = lines[i];
        const double y = top - padY - pitch * double(i + 1);
        const double mid = y + rowH / 2;
        const double x0 = left + padX, x1 = x0 + sample;
        if (l.band) {
            const int swatch = PlotRect(panel, control, x0, mid - rowH / 4, x1, mid + rowH / 4,
                                        RT_TRANSPARENT, OVERLAY_BAND_COLOR);
            SetPlotAttribute(panel, control, swatch, RT_ATTR_FILL_OPACITY, OVERLAY_BAND_OPACITY);
            handles.push_back(swatch);
        }
        const int line = PlotLine(panel, control, x0, mid, x1, mid, l.color);
        SetPlotAttribute(panel, control, line, RT_ATTR_LINE_STYLE, l.lineStyle);
        SetPlotAttribute(panel, control, line, RT_ATTR_PLOT_THICKNESS, l.weight);
        handles.push_back(line);
        handles.push_back(
            PlotText(panel, control, x1 + gap, y, l.text.c_str(), kFont, l.color, RT_TRANSPARENT));
    }
}

}  // namespace

const OverlayStyle &OverlayStyleOf(int index)
{
    return kStyles[std::clamp(index, 0, OVERLAY_FILES_MAX - 1)];
}

std::string OverlayLegendText(const std::string &name, const std::string &person, bool aligned,
                              int rotation, int nameMax, int personMax)
{
    std::string text = Shortened(name, nameMax);
    const std::string who = Shortened(Trimmed(person), personMax);
    if (!who.empty())
        text += "  " + who;
    if (aligned) {
        const int turn = SignedTurn(rotation);
        text += "  turned " + std::string(turn > 0 ? "+" : "") + std::to_string(turn) + "\u00b0";
    }
    return text;
}

std::vector<int> PlotOverlay(int panel, int control, bool polar, const OverlayPicture &picture)
{
    std::vector<int> handles;
    // The band and the mean under the files' curves, which stay readable on
    // the mean's wider line.
    if (picture.mean && picture.sd) {
        handles.push_back(PlotBand(panel, control, polar, picture.mean, picture.sd));
        const int mean =
            PlotCurve(panel, control, polar, picture.mean, OVERLAY_MEAN_COLOR, RT_SOLID);
        SetPlotAttribute(panel, control, mean, RT_ATTR_PLOT_THICKNESS, OVERLAY_MEAN_WEIGHT);
        handles.push_back(mean);
    }
    for (const OverlayCurve &c : picture.curves)
        if (c.levels)
            handles.push_back(PlotCurve(panel, control, polar, c.levels, c.color, c.lineStyle));
    PlotLegend(panel, control, polar, picture, handles);
    return handles;
}
