// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a lab report: one measurement's lobe figures beside those
// of its antenna type's textbook model, turned and set to the measurement's
// level, with the difference and a verdict whose threshold it states; the
// checks; and the gain by comparison when reference files are given. No Qt.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "checks.h"
#include "lobe.h"
#include "lobe_fit.h"
#include "pattern_record.h"
#include "theory.h"
#include "uncertainty.h"

// How close a measured figure must come to the textbook's to agree.
constexpr double LAB_PEAK_DEG = 5.0;        // peak direction
constexpr double LAB_WIDTH_PERCENT = 15.0;  // half-power width, of the textbook's
constexpr double LAB_NULLS_PERCENT = 20.0;  // first-null width, of the textbook's
constexpr double LAB_LEVEL_DB = 3.0;        // front-to-back and side-lobe level
constexpr double LAB_RMS_DB = 1.5;          // the shape over the main lobe's 20 dB
constexpr double LAB_DIRECTIVITY_DB = 1.5;  // the estimate from the two widths

// A reference antenna's measurement for the gain by comparison.
struct ReferenceFile {
    std::string path;
    PatternRecord rec{};
};

// What a lab report is made with besides the measurement.
struct LabSettings {
    std::vector<ReferenceFile> references;   // none: no gain
    std::optional<double> referenceGainDbi;  // none: the model gain of the first one's type
    std::optional<double> distance;          // range distance, m
    GainSettings uncertainty;
};

enum class Agreement { Agrees, Consistent, Differs, NotCompared };

// One line of the table: texts ready to show, figures with '.' and units.
struct LabRow {
    std::string figure;  // empty on the second plane's line of a figure
    std::string plane;   // "E", "H" or "E, H"
    std::string measured, textbook, difference;
    Agreement agreement = Agreement::NotCompared;
    std::string verdict;  // "agrees: |Δ| ≤ 5°"
};

// One plane: the measurement through its noise and the model in its frame.
struct LabPlane {
    FittedLobeMetrics measured;
    LobeMetrics raw;
    bool modelOk = false;
    TheoryComparison comparison;  // the model turned and scaled to this plane
    FittedLobeMetrics model;      // the figures of that turned model
};

struct LabGain {
    bool asked = false;  // reference files were given
    bool ok = false;
    std::string error;  // when asked and not ok
    GainResult result;
    double referenceGainDbi = 0;
    bool referenceGainFromModel = false;
    std::optional<double> modelGainDbi;
    FarField antennaFarField, referenceFarField;
    std::vector<std::string> references;  // their paths
};

struct LabFigures {
    int type = -1;
    std::string modelError;  // empty when the type's textbook model exists
    double modelGainDbi = 0;
    LabPlane e, h;
    std::optional<Directivity> measuredDirectivity, modelDirectivity;
    PatternChecks checks;
    LabGain gain;
    std::vector<LabRow> rows;
    bool modelOk() const { return modelError.empty(); }
};

LabFigures ComputeLabFigures(const PatternRecord &r, const LabSettings &s);

// "agrees", "consistent", "differs", "not compared".
const char *AgreementName(Agreement a);

// A value that may be only a bound: "≥ 26.3 dB" (kind '>'), "≤ ..." ('<').
struct Bounded {
    double value = 0;
    char kind = '=';  // '=', '>' (at least), '<' (at most)
};
// Whether two such values can be within `limit` of each other: Agrees when
// both are exact and are, Consistent when a bound allows it, else Differs.
Agreement CompareBounded(const Bounded &measured, const Bounded &textbook, double limit);
// measured - textbook as far as the bounds tell it; none when they do not.
std::optional<Bounded> DifferenceOf(const Bounded &measured, const Bounded &textbook);

// "2026-12-11" from the file's "12-11-2026"; anything else as it is.
std::string IsoDate(const char *fileDate);
