// SPDX-License-Identifier: GPL-3.0-or-later
// Lobe metrics through the noise, with the lobes named as antenna engineers
// name them: the main lobe (two, where the opposite lobe is as strong), the
// back lobe around the direction opposite the peak, and the side lobes, the
// rest. Peak from the fit over the main lobe's top, crossings and nulls from
// the smoothed curve (fit.h). A level within FLOOR_MARGIN_DB of the floor is
// only a bound: the figure built on it says so.
#pragma once

#include <optional>

#include "fit.h"

// The opposite lobe counts as a second main lobe when it comes this close
// to the peak (a dipole's figure of eight).
constexpr double EQUAL_LOBES_DB = 1.0;

// A level in dB relative to the fitted peak (0 or negative) and where.
struct LobeLevel {
    double level = 0;     // relative to the peak, dB
    double angle = 0;     // degrees
    bool limited = false; // within FLOOR_MARGIN_DB of the floor: the lobe may be lower
};

struct FittedLobeMetrics {
    PlaneFit fit;
    // From the fitted peak level, on the smoothed curve.
    std::optional<double> hpbw, hpbwLeft, hpbwRight, bw10;
    // First nulls on the smoothed curve, by the rule of lobe.h with a rise
    // that the smoothed noise cannot make; at a floor-limited null the angle
    // is the middle of the run of samples on the floor.
    std::optional<double> nullLeft, nullRight, fnbw;
    bool nullLeftLimited = false, nullRightLimited = false;
    int mainLobes = 0;  // 0 without a peak, 1, or 2 for two equal main lobes
    std::optional<LobeLevel> backLobe;  // the lobe round the opposite direction
    // Peak minus the back lobe (or minus the level opposite the peak when no
    // lobe of its own stands there); a bound when that level is on the floor.
    std::optional<double> frontToBack;
    bool frontToBackLimited = false;
    std::optional<LobeLevel> sideLobe;  // the highest of the other lobes
    int sideLobes = 0;
};

FittedLobeMetrics PlaneFittedMetrics(const double levels[LEVELS]);

// Whether a level lies within FLOOR_MARGIN_DB of the floor.
bool OnFloor(double level);
