// SPDX-License-Identifier: GPL-3.0-or-later
// Readouts and lobe metrics of one plane, as pure functions over its 360
// levels (index = angle in whole degrees). The viewer's readouts and every
// number that the atn tool prints come from here, so they cannot differ.
//
// A metric that a plane does not have is empty (std::nullopt): no peak (every
// level at or below -30 dB), no fall of 3 or 10 dB anywhere round the circle
// (an all-round plane, or a hidden plane saved as 360 zeros), no first null
// or no side lobe.
#pragma once

#include <optional>

#include "analysis.h"

// ---- The viewer's readouts -------------------------------------------------
// What the peak and half-power readouts show for a plane: the peak index
// (-1 without a peak) and its level, and the half-power width and level of
// the viewer's search. Without a beamwidth (search skipped or an edge not
// found, or both edges on one sample) the width and level readouts show 0.
struct ViewerReadouts {
    int peak = -1;
    std::optional<double> peakLevel;  // empty without a peak
    HalfPowerResult search;
    bool hasBeamwidth = false;
    double hpbWidth = 0.0;  // degrees, 0 without a beamwidth
    double hpbLevel = 0.0;  // peak level - 3 dB, 0 without a beamwidth
};
ViewerReadouts PlaneReadouts(const double levels[LEVELS], int peak);
// The same with the peak found by the peak search.
ViewerReadouts PlaneReadouts(const double levels[LEVELS]);

// ---- Lobe metrics -----------------------------------------------------------
constexpr double NULL_RISE = 1.0;  // dB a level must rise again past a null
struct LobeMetrics {
    int peak = -1;  // as the readouts: -1 without a peak
    std::optional<double> peakLevel;
    // Beamwidths between the interpolated crossings of peak - 3 dB and
    // peak - 10 dB, found walking out from the peak on each side (circular).
    std::optional<double> hpbw, hpbwLeft, hpbwRight;  // width; edges 0..360
    std::optional<double> bw10;
    // First nulls: walking out from the peak on each side, the lowest level
    // passed before the level rises again by more than NULL_RISE (measured
    // ripple is no null), once it is more than 3 dB below the peak (exactly
    // 3 dB is not enough). A single notch round the circle is both nulls,
    // with a width of 360.
    std::optional<int> nullLeft, nullRight;
    std::optional<int> fnbw;
    // Peak level minus the level 180 degrees away.
    std::optional<double> frontToBack;
    // Highest level outside the first-null region, relative to the peak
    // (0 or negative) and its angle; only when it rises above both nulls.
    std::optional<double> sideLobeLevel;
    std::optional<int> sideLobeAngle;
};
LobeMetrics PlaneLobeMetrics(const double levels[LEVELS]);

// Width in degrees between the interpolated crossings of (peak level - drop)
// on either side of peak P, or empty when a side never falls that far.
// left and right (optional) receive the crossing angles, 0 <= a < 360.
std::optional<double> InterpolatedBeamwidth(const double levels[LEVELS], int P, double drop,
                                            double *left = nullptr, double *right = nullptr);

// The walks the metrics are made of, for other metrics over other curves.
// Steps from P in direction dir (+1 or -1) to the first sample at or below
// target, with the crossing interpolated linearly between it and the sample
// before it; empty when the walk goes round without one.
std::optional<double> CrossingOffset(const double *levels, int P, int dir, double target);
// Steps from P to the first null in direction dir: the lowest level passed
// when the level first rises again by more than rise, once it is more than
// 3 dB below peakLevel (ripple on the lobe's top is no null). Empty when the
// walk goes round without one.
std::optional<int> FirstNullOffset(const double *levels, int P, int dir, double peakLevel,
                                   double rise);
// Width between the crossings of target on either side of P, as
// InterpolatedBeamwidth.
std::optional<double> BeamwidthAt(const double levels[LEVELS], int P, double target,
                                  double *left = nullptr, double *right = nullptr);

// Estimated directivity from the two planes' half-power beamwidths in
// degrees (41253 / (thetaE * thetaH)); an estimate for a single main lobe,
// not a measured gain. Empty when either width is missing, not positive or
// wider than MAX_LOBE_WIDTH (the estimate would fall below 0 dBi).
constexpr double MAX_LOBE_WIDTH = 180.0;
struct Directivity {
    double ratio = 0;  // linear
    double dBi = 0;
};
std::optional<Directivity> DirectivityEstimate(std::optional<double> thetaE,
                                               std::optional<double> thetaH);

// ---- Comparing two planes ---------------------------------------------------
// The rotation r (0..359) that best matches b to a, where b turned by r has
// level b[(k - r) mod 360] at k (as a right turn by r in the viewer), and
// the RMS and largest absolute level difference at that rotation. Ties keep
// the smallest rotation.
struct PlaneComparison {
    int rotation = 0;
    double rms = 0;
    double maxDiff = 0;
};
PlaneComparison ComparePlanes(const double a[LEVELS], const double b[LEVELS]);
