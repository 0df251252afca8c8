// SPDX-License-Identifier: GPL-3.0-or-later
// A measurement beside a model (scaled, turned to match, the differences)
// and the gain by comparison with a reference antenna.
#include <algorithm>
#include <cmath>

#include "fit.h"
#include "lobe.h"
#include "lobe_fit.h"
#include "pattern_record.h"
#include "theory.h"

bool PlanePeak(const double levels[LEVELS], double *peak)
{
    const PlaneFit f = FitPlane(levels);
    if (!f.peakFound)
        return false;
    *peak = f.peakLevel;
    return true;
}

TheoryComparison CompareWithModel(const double measured[LEVELS], const double model[LEVELS])
{
    TheoryComparison c;
    const FittedLobeMetrics fm = PlaneFittedMetrics(measured);
    if (!fm.fit.peakFound)
        return c;
    const double mPeak = fm.fit.peakLevel;
    const double modelPeak = *std::max_element(model, model + LEVELS);
    double scaled[LEVELS], a[LEVELS], b[LEVELS];
    for (int k = 0; k < LEVELS; ++k) {
        scaled[k] = model[k] - modelPeak + mPeak;
        // The rotation is matched on relative power, not on decibels: the
        // squared difference of powers is least where the powers correlate
        // best, which the main lobes decide, not nulls, noise or a side
        // lobe of another shape.
        a[k] = std::pow(10.0, (measured[k] - mPeak) / 10);
        b[k] = std::pow(10.0, (scaled[k] - mPeak) / 10);
    }
    const PlaneComparison pc = ComparePlanes(a, b);
    const double floor = mPeak - COMPARE_WINDOW_DB;
    c.valid = true;
    c.rotation = pc.rotation;
    // The model's level: the offset that makes the squared differences
    // least over the compared angles, their mean, rather than one peak
    // against the other.
    double sum = 0;
    for (int k = 0; k < LEVELS; ++k) {
        c.scaled[k] = scaled[WrapAngle(k - pc.rotation)];
        if (measured[k] >= floor) {
            sum += measured[k] - c.scaled[k];
            ++c.angles;
        }
    }
    c.offset = c.angles ? sum / c.angles : 0;
    double sq = 0, mx = 0;
    for (int k = 0; k < LEVELS; ++k) {
        c.scaled[k] += c.offset;
        if (measured[k] < floor)
            continue;
        const double d = measured[k] - c.scaled[k];
        sq += d * d;
        mx = std::max(mx, std::fabs(d));
    }
    c.rms = c.angles ? std::sqrt(sq / c.angles) : 0;
    c.maxDiff = mx;
    c.measuredHpbw = fm.hpbw.value_or(0);
    const int sp = PeakIndex(c.scaled);
    c.modelHpbw = sp >= 0 ? InterpolatedBeamwidth(c.scaled, sp, 3.0).value_or(0) : 0;
    return c;
}

GainByComparison GainFromReference(const double e[LEVELS], const double h[LEVELS],
                                   const double refE[LEVELS], const double refH[LEVELS],
                                   double referenceGainDbi)
{
    GainByComparison g;
    double p = 0, r = 0;
    if (PlanePeak(e, &p) && PlanePeak(refE, &r)) {
        g.eValid = true;
        g.e = referenceGainDbi + (p - r);
    }
    if (PlanePeak(h, &p) && PlanePeak(refH, &r)) {
        g.hValid = true;
        g.h = referenceGainDbi + (p - r);
    }
    return g;
}
