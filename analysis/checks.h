// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on a measurement, from the pattern file and the set-up alone: how
// far each plane rose above the receiver's floor, which lobe figures are
// only bounds because they sit on that floor, whether the noise lifted the
// peak, whether the two planes agree at boresight, and whether the range was
// long enough for the far field.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lobe_fit.h"
#include "message.h"
#include "pattern_record.h"

constexpr double DYNAMIC_RANGE_MIN_DB = 20.0;  // below it: less attenuation
constexpr double BORESIGHT_LIMIT_DB = 1.5;     // the two planes' peaks
constexpr double SPEED_OF_LIGHT = 299792458.0;  // m/s

enum class Verdict { Pass, Warn, NotMade };
const char *VerdictName(Verdict v);  // "pass", "warn", "not made"

// The far-field distance: R >= 2 D^2 / lambda (the phase across the
// aperture), R >= 5 D and R >= 1.6 lambda (the practical forms of R much
// larger than D and than lambda). D is the antenna's largest dimension.
struct FarField {
    bool made = false;  // false without a distance or without D and lambda
    double distance = 0, largestDimension = 0, wavelength = 0;  // m
    double rayleigh = 0, fiveD = 0, wavelengths = 0;             // the three bounds, m
    bool rayleighOk = false, fiveDOk = false, wavelengthsOk = false;
    bool ok() const { return made && rayleighOk && fiveDOk && wavelengthsOk; }
};
FarField FarFieldCheck(std::optional<double> distance, std::optional<double> largestDimension,
                       std::optional<double> wavelength);

struct PlaneCheck {
    bool present = false;  // false for a plane left out (hidden) or not measured
    FittedLobeMetrics metrics;
    bool hasPeak() const { return present && metrics.fit.peakFound; }
    double dynamicRange() const { return metrics.fit.peakLevel - PATTERN_FLOOR; }
};

// One line of the checks: its name, its verdict and what it found.
struct CheckLine {
    std::string id;  // "dynamic_range", "floor_limited", "noise", "boresight", "far_field"
    Message title;
    Verdict verdict = Verdict::Pass;
    std::vector<Message> findings;
};

struct PatternChecks {
    PlaneCheck e, h;
    std::optional<double> boresightDifference;  // |E peak - H peak|, both fitted
    FarField farField;
    std::vector<CheckLine> lines;
    Verdict overall() const;  // Warn when any line warns
};

// The checks of a pattern: either plane may be null (left out). The range
// distance, the antenna's largest dimension and its wavelength are in
// metres; a far-field check without them is reported as not made.
PatternChecks CheckPattern(const double *e, const double *h, std::optional<double> distance,
                           std::optional<double> largestDimension,
                           std::optional<double> wavelength);

// The same with the largest dimension and the wavelength of an antenna type
// of the table (none for a type outside it).
PatternChecks CheckPatternOfType(const double *e, const double *h, int type,
                                 std::optional<double> distance);
// The far-field check of an antenna type at a distance.
FarField FarFieldOfType(int type, std::optional<double> distance);

// A distance setting as typed: a positive number of metres, or empty for
// none; false with the reason for anything else.
bool ParseDistance(const std::string &text, std::optional<double> *distance, Message *why);
