// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay.h"

#include <algorithm>
#include <cmath>

#include "fit.h"

namespace {

FigureSpread SpreadOf(const std::vector<double> &v)
{
    FigureSpread s;
    s.count = int(v.size());
    if (v.empty())
        return s;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    s.min = *lo;
    s.max = *hi;
    s.range = s.max - s.min;
    if (v.size() > 1) {
        double mean = 0;
        for (double x : v)
            mean += x;
        mean /= double(v.size());
        double ss = 0;
        for (double x : v)
            ss += (x - mean) * (x - mean);
        s.sd = std::sqrt(ss / double(v.size() - 1));
    }
    return s;
}

}  // namespace

PlaneComparison AlignPlane(const double a[LEVELS], const double b[LEVELS], PlaneLevels &turned)
{
    const PlaneComparison c = ComparePlanes(a, b);
    for (int k = 0; k < LEVELS; ++k)
        turned[k] = b[WrapAngle(k - c.rotation)];
    return c;
}

bool PlaneMeanAndDeviation(const std::vector<const double *> &planes, PlaneLevels &mean,
                           PlaneLevels &sd)
{
    const int n = int(planes.size());
    if (n < OVERLAY_STATISTICS_MIN)
        return false;
    for (int k = 0; k < LEVELS; ++k) {
        // Two passes over a handful of values: no cancellation when the
        // levels are large and close together.
        double m = 0;
        for (const double *p : planes)
            m += p[k];
        m /= n;
        double ss = 0;
        for (const double *p : planes)
            ss += (p[k] - m) * (p[k] - m);
        mean[k] = m;
        sd[k] = std::sqrt(ss / (n - 1));
    }
    return true;
}

Repeatability RepeatabilityOf(const std::vector<const double *> &planes)
{
    Repeatability r;
    r.planes = int(planes.size());
    std::vector<double> peaks, widths;
    for (const double *p : planes) {
        const PlaneFit f = FitPlane(p);
        if (!f.peakFound)
            continue;
        peaks.push_back(f.peakLevel);
        if (const auto w = FittedBeamwidth(p, f, HALF_POWER_DROP))
            widths.push_back(*w);
    }
    r.peakLevel = SpreadOf(peaks);
    r.hpbw = SpreadOf(widths);
    PlaneLevels mean, sd;
    if (PlaneMeanAndDeviation(planes, mean, sd)) {
        const auto top = std::max_element(sd.begin(), sd.end());
        r.largestSd = *top;
        r.largestSdAngle = int(top - sd.begin());
    }
    return r;
}

OverlayFigures OverlayFiguresOf(const std::vector<const double *> &planes,
                                const std::vector<bool> &align)
{
    OverlayFigures f;
    if (planes.empty())
        return f;
    f.alignment.resize(planes.size());
    f.levels.resize(planes.size());
    std::copy(planes[0], planes[0] + LEVELS, f.levels[0].begin());
    for (size_t i = 1; i < planes.size(); ++i) {
        if (i < align.size() && align[i]) {
            f.alignment[i] = AlignPlane(planes[0], planes[i], f.levels[i]);
        } else {
            f.alignment[i] = ComparePlanes(planes[0], planes[i]);
            std::copy(planes[i], planes[i] + LEVELS, f.levels[i].begin());
        }
    }
    std::vector<const double *> drawn;
    for (const PlaneLevels &l : f.levels)
        drawn.push_back(l.data());
    f.statistics = PlaneMeanAndDeviation(drawn, f.mean, f.sd);
    if (f.statistics)
        f.repeatability = RepeatabilityOf(drawn);
    return f;
}

int SignedTurn(int rotation)
{
    const int r = WrapAngle(rotation);
    return r > 180 ? r - 360 : r;
}
