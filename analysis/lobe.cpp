// SPDX-License-Identifier: GPL-3.0-or-later
// Readouts and lobe metrics of one plane.
#include "lobe.h"

#include <cmath>
#include <limits>

#include "pattern_record.h"

namespace {

int At(int k)
{
    return WrapAngle(k);
}

double Wrap360(double a)
{
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

}  // namespace

std::optional<double> CrossingOffset(const double *V, int P, int dir, double target)
{
    for (int s = 1; s < LEVELS; ++s) {
        const double cur = V[At(P + dir * s)];
        if (cur <= target) {
            const double prev = V[At(P + dir * (s - 1))];
            const double frac = prev == cur ? 1.0 : (prev - target) / (prev - cur);
            return (s - 1) + frac;
        }
    }
    return std::nullopt;
}

std::optional<int> FirstNullOffset(const double *V, int P, int dir, double peakLevel, double rise)
{
    double low = V[P];
    int at = 0;
    for (int s = 1; s < LEVELS; ++s) {
        const double v = V[At(P + dir * s)];
        if (v < low) {
            low = v;
            at = s;
        } else if (v - low > rise && peakLevel - low > HALF_POWER_DROP) {
            return at;
        }
    }
    return std::nullopt;
}

std::optional<double> BeamwidthAt(const double V[LEVELS], int P, double target, double *left,
                                  double *right)
{
    if (P < 0 || P >= LEVELS)
        return std::nullopt;
    const auto r = CrossingOffset(V, P, +1, target);
    const auto l = CrossingOffset(V, P, -1, target);
    if (!r || !l)
        return std::nullopt;
    if (left)
        *left = Wrap360(P - *l);
    if (right)
        *right = Wrap360(P + *r);
    return *l + *r;
}

ViewerReadouts PlaneReadouts(const double V[LEVELS])
{
    return PlaneReadouts(V, PeakIndex(V));
}

ViewerReadouts PlaneReadouts(const double V[LEVELS], int peak)
{
    ViewerReadouts r;
    r.peak = peak;
    if (peak >= 0 && peak < LEVELS)
        r.peakLevel = V[r.peak];
    r.search = HalfPowerSearch(V, r.peak);
    r.hasBeamwidth = r.search.leftFound && r.search.rightFound && r.search.left != r.search.right;
    if (r.hasBeamwidth) {
        r.hpbWidth = r.search.width;
        r.hpbLevel = V[r.peak] - HALF_POWER_DROP;
    }
    return r;
}

std::optional<double> InterpolatedBeamwidth(const double V[LEVELS], int P, double drop,
                                            double *left, double *right)
{
    if (P < 0 || P >= LEVELS)
        return std::nullopt;
    return BeamwidthAt(V, P, V[P] - drop, left, right);
}

LobeMetrics PlaneLobeMetrics(const double V[LEVELS])
{
    LobeMetrics m;
    const int P = PeakIndex(V);
    m.peak = P;
    if (P < 0)
        return m;
    m.peakLevel = V[P];
    double l = 0, r = 0;
    if ((m.hpbw = InterpolatedBeamwidth(V, P, HALF_POWER_DROP, &l, &r))) {
        m.hpbwLeft = l;
        m.hpbwRight = r;
    }
    m.bw10 = InterpolatedBeamwidth(V, P, 10.0);
    m.frontToBack = V[P] - V[At(P + 180)];

    // Walking each way round, both walks may stop at the same notch: a
    // plane with a single notch (a cardioid) has it as both first nulls, a
    // first-null width of 360 degrees and no side lobe. Walks that pass
    // each other found no first null on one side.
    const auto nl = FirstNullOffset(V, P, -1, V[P], NULL_RISE),
               nr = FirstNullOffset(V, P, +1, V[P], NULL_RISE);
    if (!nl || !nr || *nl + *nr > LEVELS)
        return m;
    m.nullLeft = At(P - *nl);
    m.nullRight = At(P + *nr);
    m.fnbw = *nl + *nr;
    // The side lobes lie between the right null and the left null, the
    // long way round.
    const double floor = std::fmax(V[*m.nullLeft], V[*m.nullRight]);
    double best = -std::numeric_limits<double>::infinity();
    int bestAngle = -1;
    for (int s = *nr + 1; s < LEVELS - *nl; ++s) {
        const int k = At(P + s);
        if (V[k] > best) {
            best = V[k];
            bestAngle = k;
        }
    }
    if (bestAngle >= 0 && best > floor) {
        m.sideLobeLevel = best - V[P];
        m.sideLobeAngle = bestAngle;
    }
    return m;
}

std::optional<Directivity> DirectivityEstimate(std::optional<double> thetaE,
                                               std::optional<double> thetaH)
{
    // The estimate holds for one main lobe narrower than a half circle; a
    // wider one would give less than 0 dBi, which no antenna has.
    if (!thetaE || !thetaH || !(*thetaE > 0) || !(*thetaH > 0) || *thetaE > MAX_LOBE_WIDTH
        || *thetaH > MAX_LOBE_WIDTH)
        return std::nullopt;
    Directivity d;
    d.ratio = 41253.0 / (*thetaE * *thetaH);
    d.dBi = 10.0 * std::log10(d.ratio);
    return d;
}

PlaneComparison ComparePlanes(const double a[LEVELS], const double b[LEVELS])
{
    PlaneComparison best;
    best.rms = best.maxDiff = std::numeric_limits<double>::quiet_NaN();  // no finite match
    double bestSum = std::numeric_limits<double>::infinity();
    for (int r = 0; r < LEVELS; ++r) {
        double sum = 0, mx = 0;
        // In blocks of 30 samples, k rising; a sum of squares only grows, so a
        // turn whose partial sum is already above the best full one found
        // cannot become the best and is left there.
        bool worse = false;
        for (int k0 = 0; k0 < LEVELS && !worse; k0 += 30) {
            for (int k = k0; k < k0 + 30; ++k) {
                const int j = k - r;
                const double d = a[k] - b[j < 0 ? j + LEVELS : j];
                sum += d * d;
                // As fmax, which keeps mx where d is not a number, inline.
                if (const double ad = std::fabs(d); ad > mx)
                    mx = ad;
            }
            worse = sum > bestSum;
        }
        if (worse)
            continue;
        if (sum < bestSum) {
            bestSum = sum;
            best.rotation = r;
            best.rms = std::sqrt(sum / LEVELS);
            best.maxDiff = mx;
        }
    }
    return best;
}
