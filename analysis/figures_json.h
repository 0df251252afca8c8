// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a plane, the checks of a pattern and the gain with its
// budget as JSON trees: the keys and values `atn ... --json` prints and the
// Python module returns, built in one place so that the two cannot differ.
#pragma once

#include <nlohmann/json.hpp>

#include "checks.h"
#include "uncertainty.h"

// One plane as `atn info --json` gives it: the readouts, "lobe" (the lobe
// metrics of lobe.h, each bound on the floor flagged beside its value),
// "fitted" (the figures through the noise), "noise" and "dynamic_range_db".
nlohmann::json PlaneFiguresJson(const char *date, const char *time, double attenuation,
                                const double levels[LEVELS]);

// The checks of one pattern (`atn check --json`, without the file's name).
nlohmann::json ChecksJson(const PatternChecks &c);

// A far-field check: "made" and, when made, the distance, the antenna's
// size and wavelength, the three bounds and their verdicts (the
// "far_field" of the checks, and of each antenna of `atn gain --json`).
nlohmann::json FarFieldJson(const FarField &f);

// The gain and its uncertainty budget (`atn gain --json`'s "uncertainty"
// and the figures beside it).
nlohmann::json GainJson(const GainResult &g);
