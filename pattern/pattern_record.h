// SPDX-License-Identifier: GPL-3.0-or-later
// The pattern record both programs hold: header texts and numbers of one
// measurement and the 360 levels of each plane, plus the peak search.
#pragma once

// Most characters of each text field the viewer keeps; the arrays hold one
// more for the terminating NUL so they can go straight to C-style calls.
constexpr int PATTERN_PERSON_MAX = 20;
// Most of the person line kept for writing it back (Kesto writes up to 49).
constexpr int PATTERN_PERSON_LINE_MAX = 200;
constexpr int PATTERN_DESCRIPT_MAX = 200;
constexpr int PATTERN_DATE_MAX = 10;     // MM-DD-YYYY
constexpr int PATTERN_TIME_MAX = 8;      // HH:MM:SS
constexpr int PATTERN_LEVELS = 360;      // one level per whole degree
constexpr double PATTERN_FLOOR = -30.0;  // lowest level the rig reports, dB

struct PatternRecord {
    int Antype;                               // antenna type, -1 none given
    char person[PATTERN_PERSON_MAX + 1];      // one line, no LF
    char descript[PATTERN_DESCRIPT_MAX + 1];  // every line followed by LF
    char Edate[PATTERN_DATE_MAX + 1];
    char Etime[PATTERN_TIME_MAX + 1];
    double Eattn;  // attenuator setting, dB
    char Hdate[PATTERN_DATE_MAX + 1];
    char Htime[PATTERN_TIME_MAX + 1];
    double Hattn;
    double e_data[PATTERN_LEVELS];  // level in dB at i degrees
    double h_data[PATTERN_LEVELS];
    // The person line as the file holds it, of which person shows the
    // start; a save writes it back whole. Empty in a record not read from
    // a file.
    char personLine[PATTERN_PERSON_LINE_MAX + 1];
};

// The person line a save writes: the whole line read from the file, or
// person when the record was not read or person no longer starts it.
const char *PersonLineOf(const PatternRecord &r);

// Index of the lowest angle holding the strictly greatest level above
// PATTERN_FLOOR, or -1 when no level rises above it.
int PeakIndex(const double levels[PATTERN_LEVELS]);
