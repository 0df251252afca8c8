// SPDX-License-Identifier: GPL-3.0-or-later
#include "pattern_record.h"

#include <cstring>

const char *PersonLineOf(const PatternRecord &r)
{
    const std::size_t n = std::strlen(r.person);
    if (r.personLine[0] && std::strncmp(r.personLine, r.person, n) == 0)
        return r.personLine;
    return r.person;
}

int PeakIndex(const double levels[PATTERN_LEVELS])
{
    double best = PATTERN_FLOOR;
    int index = -1;
    for (int i = 0; i < PATTERN_LEVELS; ++i) {
        if (levels[i] > best) {
            best = levels[i];
            index = i;
        }
    }
    return index;
}
