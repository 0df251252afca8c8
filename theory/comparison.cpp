// SPDX-License-Identifier: GPL-3.0-or-later
// A measurement beside a model (scaled, turned to match, the differences)
// and the gain by comparison with a reference antenna.
#include <algorithm>
#include <cmath>

#include "lobe.h"
#include "pattern_record.h"
#include "theory.h"

bool PlanePeak(const double levels[LEVELS], double *peak)
{
    const int p = PeakIndex(levels);
    if (p < 0)
        return false;
    *peak = levels[p];
    return true;
}

TheoryComparison CompareWithModel(const double measured[LEVELS], const double model[LEVELS])
{
    TheoryComparison c;
    double mPeak = 0;
    if (!PlanePeak(measured, &mPeak))
        return c;
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
    double sum = 0, mx = 0;
    for (int k = 0; k < LEVELS; ++k) {
        c.scaled[k] = scaled[WrapAngle(k - pc.rotation)];
        if (measured[k] < floor)
            continue;
        const double d = measured[k] - c.scaled[k];
        sum += d * d;
        mx = std::max(mx, std::fabs(d));
        ++c.angles;
    }
    c.rms = c.angles ? std::sqrt(sum / c.angles) : 0;
    c.maxDiff = mx;
    const int mp = PeakIndex(measured), sp = PeakIndex(c.scaled);
    c.measuredHpbw = mp >= 0 ? InterpolatedBeamwidth(measured, mp, 3.0).value_or(0) : 0;
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
