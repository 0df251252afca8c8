// SPDX-License-Identifier: GPL-3.0-or-later
#include "pattern_record.h"

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
