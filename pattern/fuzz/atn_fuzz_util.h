// SPDX-License-Identifier: GPL-3.0-or-later
// Shared checks of the atn fuzz targets: a finding is an abort with a reason.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pattern_file.h"

inline void Require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

// What every record the reader fills must satisfy, whatever it read.
inline void RequireSound(const PatternRecord &r, int desNO, int EMAX, int HMAX)
{
    Require(std::strlen(r.person) <= size_t(PATTERN_PERSON_MAX), "person too long");
    const size_t d = std::strlen(r.descript);
    Require(d <= size_t(PATTERN_DESCRIPT_MAX), "description too long");
    int lf = 0;
    for (size_t i = 0; i < d; ++i)
        lf += r.descript[i] == '\n';
    Require(lf == desNO, "desNO is not the number of description lines");
    Require(d == 0 || r.descript[d - 1] == '\n', "description does not end with LF");
    Require(std::strlen(r.Edate) <= size_t(PATTERN_DATE_MAX)
                && std::strlen(r.Hdate) <= size_t(PATTERN_DATE_MAX)
                && std::strlen(r.Etime) <= size_t(PATTERN_TIME_MAX)
                && std::strlen(r.Htime) <= size_t(PATTERN_TIME_MAX),
            "date or time too long");
    Require(std::isfinite(r.Eattn) && std::isfinite(r.Hattn), "attenuation not finite");
    for (int i = 0; i < PATTERN_LEVELS; ++i)
        Require(std::fabs(r.e_data[i]) <= PATTERN_LEVEL_LIMIT
                    && std::fabs(r.h_data[i]) <= PATTERN_LEVEL_LIMIT,
                "level outside the limit");
    Require(EMAX == PeakIndex(r.e_data) && HMAX == PeakIndex(r.h_data), "wrong peak");
}

// The bytes the viewer saves for a record.
inline std::string ViewerSave(const PatternRecord &r, int desNO)
{
    std::string text;
    return FormatPatternFile(PatternFileDataOf(r, desNO, text));
}

// Numbers survive a save to six decimals.
inline bool Near(double a, double b)
{
    return std::fabs(a - b) <= 5e-7 + 1e-15 * std::fabs(a);
}
