// SPDX-License-Identifier: GPL-3.0-or-later
// Several measurements of one plane side by side: each turned to match a
// first one, their mean and spread at every angle, and how well repeated
// measurements agree (the fitted peak level and half-power width of each,
// the largest spread at one angle). The viewer's overlay, atn and the
// Python module take their figures from here.
#pragma once

#include <array>
#include <vector>

#include "analysis.h"
#include "lobe.h"

using PlaneLevels = std::array<double, LEVELS>;

// The mean and spread need this many planes at least.
constexpr int OVERLAY_STATISTICS_MIN = 3;

// Plane b turned by the rotation that matches it best to a (ComparePlanes:
// turned[k] = b[k - rotation]), with that comparison.
PlaneComparison AlignPlane(const double a[LEVELS], const double b[LEVELS], PlaneLevels &turned);

// The mean of the levels in dB at each angle and their sample standard
// deviation (n - 1). False, and nothing written, for fewer than
// OVERLAY_STATISTICS_MIN planes.
bool PlaneMeanAndDeviation(const std::vector<const double *> &planes, PlaneLevels &mean,
                           PlaneLevels &sd);

// The spread of one figure over the planes that have it.
struct FigureSpread {
    int count = 0;  // planes with the figure
    double min = 0, max = 0;
    double range = 0;  // max - min
    double sd = 0;     // sample standard deviation; 0 for a single plane
};

struct Repeatability {
    int planes = 0;
    FigureSpread peakLevel;  // fitted peak level, dB
    FigureSpread hpbw;       // fitted half-power width, degrees
    double largestSd = 0;    // the largest per-angle standard deviation, dB
    int largestSdAngle = 0;  // where it is
};
// The repeatability figures of a set of planes as they are drawn (already
// turned where aligned). The per-angle figures need OVERLAY_STATISTICS_MIN
// planes; with fewer, largestSd stays 0.
Repeatability RepeatabilityOf(const std::vector<const double *> &planes);

// Everything above at once. planes[0] is the reference; each other plane
// with align set is turned to match it, the rest stay as they are. The
// statistics (mean, sd, repeatability) cover every plane given.
struct OverlayFigures {
    std::vector<PlaneComparison> alignment;  // planes[0]: rotation 0, rms 0
    std::vector<PlaneLevels> levels;         // each plane as drawn
    bool statistics = false;                 // OVERLAY_STATISTICS_MIN planes or more
    PlaneLevels mean{}, sd{};
    Repeatability repeatability;
};
OverlayFigures OverlayFiguresOf(const std::vector<const double *> &planes,
                                const std::vector<bool> &align);

// A rotation of 0..359 degrees to the right as a signed turn of -179..180,
// as a person reads it (350 is 10 to the left).
int SignedTurn(int rotation);
