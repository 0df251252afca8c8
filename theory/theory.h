// SPDX-License-Identifier: GPL-3.0-or-later
// Textbook patterns of the sixteen library antenna types: wire antennas
// simulated with NEC-2 (the nec2c program, run on a deck in a private
// temporary folder), aperture and printed antennas from closed-form models.
// Each model gives the kit's E-plane and H-plane cuts (360 one-degree values
// in dBi, angle 0 on the main beam) and the peak gain. No Qt.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "analysis.h"
#include "antennas.h"

constexpr int THEORY_TYPES = ANTENNA_TYPES;
// Lowest level a model cut holds, relative to its peak: nulls and the
// half-space behind a ground plane are filled in at this depth.
constexpr double THEORY_DEPTH_DB = 40.0;

// What each library type is modelled as is its row of the antenna table.
using TheoryEngine = ModelEngine;
using TheoryDesign = AntennaEntry;
const TheoryDesign &DesignOf(int type);  // type 0..15 (others clamped)
const char *EngineName(TheoryEngine e);  // "nec2c" or "closed form"

struct TheoryModel {
    bool ok = false;
    std::string error;  // one line when not ok
    int type = -1;
    double gainDbi = 0;
    double e[LEVELS] = {};
    double h[LEVELS] = {};
    double seconds = 0;  // time it took to compute (not the cached look-up)
};

// ---- The NEC-2 process ---------------------------------------------------
// Runs the engine on a deck and gives its output text; false with a one-line
// reason. The default runs nec2c from PATH in a private temporary folder.
using NecRunner =
    std::function<bool(const std::string &deck, std::string &output, std::string &error)>;
bool RunNec2c(const std::string &deck, std::string &output, std::string &error,
              int timeoutMs = 10000);
// The message shown when nec2c cannot be found.
extern const char NEC2C_MISSING[];

// One row of a radiation-pattern table: angles in degrees, total gain in dB
// (-999.99 where the engine gives no field).
struct NecPatternRow {
    double theta, phi, total;
};
// Every radiation-pattern table in an engine output, in order.
std::vector<std::vector<NecPatternRow>> ParseNecPatterns(const std::string &output);
// The deck of a wire type (empty for a closed-form type).
std::string NecDeck(int type);
// The rows each pattern table of a deck's output holds, from its RP cards.
std::vector<size_t> NecTableRows(const std::string &deck);
// Empty when the output is a whole run of the deck: every pattern table
// with all its rows, ended by the run time; otherwise a one-line reason.
std::string NecOutputProblem(const std::string &deck, const std::string &output);

// ---- Models ------------------------------------------------------------------
// Computes a model afresh with the given runner (for wire types).
TheoryModel ComputeTheoryModel(int type, const NecRunner &runner);
// The model of a type, computed once per process with nec2c and then kept.
// A failure is kept too (nec2c does not appear during a run).
const TheoryModel &TheoryModelOf(int type);
// Computes every type not yet cached, the wire types' nec2c runs side by side.
void PrepareAllTheoryModels();
// The cuts of the horn (12) and the patch arrays (14, 15) with the source
// `rangeWavelengths` away instead of in the far field, dB relative to the
// far-field peak, no lower than -THEORY_DEPTH_DB: the source's spherical
// wave reaches a point r off the aperture's centre later by r^2 / 2R, a
// quadratic phase on top of the horn's own flare phase. False for the other
// types and for a range not above 0.
bool TheoryCutsAtRange(int type, double rangeWavelengths, double e[LEVELS], double h[LEVELS]);

// ---- Comparing a measurement with a model ---------------------------------------
// The model cut turned by the rotation that aligns it (ComparePlanes on
// relative power) and set to the level that matches the measurement best
// (the least-squares offset), and over the angles where the measurement is
// within 20 dB of its fitted peak the RMS and largest difference. hpbw
// values are the interpolated half-power widths (0 when none), the
// measurement's fitted through its noise (lobe_fit.h).
struct TheoryComparison {
    bool valid = false;  // false when the measured plane has no peak
    int rotation = 0;    // the model turned right by this matches the measurement
    double rms = 0, maxDiff = 0;
    // dB the model was moved beyond matching its peak to the measurement's
    // fitted peak.
    double offset = 0;
    int angles = 0;  // angles that were compared
    double modelHpbw = 0, measuredHpbw = 0;
    double scaled[LEVELS] = {};  // the model scaled and turned, ready to draw
};
constexpr double COMPARE_WINDOW_DB = 20.0;
TheoryComparison CompareWithModel(const double measured[LEVELS], const double model[LEVELS]);

// ---- Gain by comparison ----------------------------------------------------------
// Levels are received levels in dB with the attenuation added back, so with a
// reference of known gain measured in the same set-up the antenna's gain is
// G = Gref + (peak - reference peak), plane by plane, each peak fitted
// through the noise (fit.h).
struct GainByComparison {
    bool eValid = false, hValid = false;
    double e = 0, h = 0;  // dBi
};
GainByComparison GainFromReference(const double e[LEVELS], const double h[LEVELS],
                                   const double refE[LEVELS], const double refH[LEVELS],
                                   double referenceGainDbi);
// The fitted peak level of a plane, or false when it has no level above the
// floor.
bool PlanePeak(const double levels[LEVELS], double *peak);
