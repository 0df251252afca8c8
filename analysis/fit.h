// SPDX-License-Identifier: GPL-3.0-or-later
// The noise of a measured plane and its main lobe fitted through that noise.
//
// One reading of the receiver scatters about the true level. The highest
// sample of a noisy plane is then mostly a high reading, not the peak: the
// lobe metrics, the comparison with a model, the gain and the checks take
// the main lobe's peak from a least-squares parabola over its top and the
// crossings from a smoothed curve, and say how large the noise was. The
// readouts of the main panel keep their own rule (lobe.h).
#pragma once

#include <optional>

#include "analysis.h"

// Samples within this much of the floor are clamped readings, no measure
// of the noise, and a level this close to the floor is a bound, not a value.
constexpr double FLOOR_MARGIN_DB = 1.0;
// A plane whose noise lifts its highest sample by more than this above the
// fitted peak is flagged: averaging several readings per step would help.
constexpr double NOISE_BIAS_LIMIT_DB = 0.3;

struct PlaneFit {
    // Standard deviation of one reading about the smooth curve, dB; 0 when
    // too few samples lie clear of the floor to tell.
    double noiseDb = 0;
    bool noiseKnown = false;
    // Samples either side that the smoothed curve averages over (0: the
    // curve is the measurement itself, the noise being too small to matter).
    int smoothHalfWidth = 0;
    // Standard deviation left on one point of the smoothed curve, dB.
    double smoothedNoiseDb = 0;
    double smoothed[LEVELS] = {};

    bool peakFound = false;  // false when no level rises above the floor
    double peakAngle = 0;    // degrees, 0 <= a < 360, fractional
    double peakLevel = 0;    // dB
    double peakLevelU = 0;   // standard uncertainty of peakLevel from the noise, dB
    int peakIndex = -1;      // the sample nearest to peakAngle
    int fitPoints = 0;       // samples the parabola was fitted to
    // Highest sample minus the fitted peak level: what the noise added.
    double peakBias = 0;
    // peakBias above NOISE_BIAS_LIMIT_DB on a plane with noise enough to
    // move a figure (0.1 dB or more per reading).
    bool noisy = false;
};

// The noise estimate alone: the spread of the samples about a running
// quadratic fit over seven samples, taken robustly (median of the absolute
// residuals) over the samples whose window stays clear of the floor.
double EstimateNoise(const double levels[LEVELS], bool *known = nullptr);

// Everything above for one plane.
PlaneFit FitPlane(const double levels[LEVELS]);

// The top of another lobe, as the main lobe's is found: a least-squares
// parabola over the readings within h samples of centre. false (nothing
// written) where they have no top there.
bool FitLobeTop(const double levels[LEVELS], int centre, int h, double *angle, double *level);

// The width between the crossings of (fitted peak level - drop) on either
// side of the fitted peak: found on the smoothed curve and, where the plane
// is noisy, moved to where a quadratic through the readings around each
// crossing crosses. left and right receive the crossings, 0 <= a < 360.
std::optional<double> FittedBeamwidth(const double levels[LEVELS], const PlaneFit &f, double drop,
                                      double *left = nullptr, double *right = nullptr);
