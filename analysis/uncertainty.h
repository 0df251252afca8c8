// SPDX-License-Identifier: GPL-3.0-or-later
// Gain by comparison with its uncertainty budget. Levels are received
// levels with the attenuation added back, so with a reference antenna of
// known gain measured in the same set-up the antenna's gain is
//   G = Gref + (boresight level of the antenna - that of the reference),
// each boresight level being the mean of the fitted peaks of a file's two
// planes, averaged over the files given. Each source of doubt is a standard
// uncertainty in dB; they combine by root sum of squares and the result is
// stated with its expanded uncertainty U = k u_c, k = 2.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "checks.h"
#include "message.h"

constexpr double LEVEL_STEP_DB = 0.05;       // the receiver's raw level step
constexpr double MODEL_GAIN_LIMIT_DB = 3.0;  // farther from the model: check the set-up

struct GainSettings {
    double uReferenceGain = 0.5;  // the reference antenna's gain
    double uAttenuator = 0.25;    // an attenuator setting, when the files' settings differ
    double uMismatch = 0.1;
    double uAlignment = 0.1;
    double coverage = 2.0;  // k
};

// One measured file: either plane may be null (left out).
struct GainFile {
    const double *e = nullptr, *h = nullptr;
    double eAttn = 0, hAttn = 0;
};

struct GainInput {
    std::vector<GainFile> antenna, reference;
    double referenceGainDbi = 0;
    bool referenceGainFromModel = false;  // else given by the user
    FarField antennaFarField, referenceFarField;  // at the range distance, when known
    std::optional<double> modelGainDbi;           // the textbook gain of the antenna's type
};

struct UncertaintyComponent {
    std::string id;  // "type_a", "reference_gain", "resolution", ...
    Message name, source;
    double u = 0;  // standard uncertainty, dB
    bool counted = false;
};

struct GainResult {
    bool ok = false;
    Message error;  // when not ok
    double gainDbi = 0;
    std::optional<double> eGainDbi, hGainDbi;  // from each plane alone
    double antennaLevel = 0, referenceLevel = 0;  // mean boresight levels, dB
    std::vector<UncertaintyComponent> components;
    double combined = 0, coverage = 2, expanded = 0;
    bool outsideMethod = false;  // too close for the far-field term
    bool farFromModel = false;   // more than MODEL_GAIN_LIMIT_DB from modelGainDbi
};

GainResult GainWithUncertainty(const GainInput &in, const GainSettings &settings = {});

// "G = 7.8 ± 0.9 dBi (k = 2)"
std::string GainStatement(const GainResult &g);
