// SPDX-License-Identifier: GPL-3.0-or-later
// The planning tools' antenna text format ("MSI") and a plain CSV table, as
// pure functions over text in memory.
//
// Our convention: the H plane is the HORIZONTAL cut and the E plane the
// VERTICAL cut; losses are dB below the highest level of both planes,
// written without a minus sign; GAIN is 0 dBi and a COMMENT says that the
// levels are relative.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pattern_record.h"

// ---- Reading ---------------------------------------------------------------
struct MsiPattern {
    std::string name;
    std::string make;
    std::string comment;
    std::optional<double> frequencyMHz;
    std::optional<double> gain;
    std::string gainUnit;  // "dBi" or "dBd" (the default)
    // Levels at whole degrees, 0 dB at the highest of both planes, floored
    // at PATTERN_FLOOR like every atn level.
    double horizontal[PATTERN_LEVELS];
    double vertical[PATTERN_LEVELS];
};

struct MsiReadResult {
    bool ok = false;
    int line = 0;       // 1-based line of the problem, 0 when none applies
    std::string error;  // sentence naming the line and the problem
};

// Reads an MSI file held in memory. Accepts keys in any case, a first line
// without the NAME key, tabs, angles with decimals, any count of points per
// cut (interpolated to whole degrees round the circle), a FREQUENCY in
// Hz, kHz, MHz (the default) or GHz, and CR LF line ends. Refuses a file
// without both cuts, a cut with too few or malformed lines or two points in
// one direction, an unknown frequency unit, or numbers that are not finite.
MsiReadResult ReadMsiText(std::string_view text, MsiPattern &out);

// ---- Writing ---------------------------------------------------------------
struct MsiWriteData {
    std::string name;
    std::string make = "Veloran";
    std::optional<double> frequencyMHz;
    std::optional<double> hWidth, vWidth;  // half-power beamwidths, degrees
    std::optional<double> frontToBack;     // dB
    std::string comment;                   // added after our own comment
    const double *eLevels = nullptr;       // 360 each
    const double *hLevels = nullptr;
};
std::string FormatMsi(const MsiWriteData &data);

// A header line "angle_deg,e_db,h_db" and 360 rows of angle and both levels
// ("%f", '.' whatever the locale). A plane given as null has empty cells.
std::string FormatCsv(const double eLevels[PATTERN_LEVELS], const double hLevels[PATTERN_LEVELS]);
