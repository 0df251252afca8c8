// SPDX-License-Identifier: GPL-3.0-or-later
// The atn file: writing a pattern safely and reading it back.
//
// Layout, one LF after every line, 726 + n lines:
//   type Eattn Hattn n          ("%d %f %f %d")
//   person line, n description lines (the caller's text block)
//   E date, E time, 360 E levels ("%f": six decimals, '.')
//   H date, H time, 360 H levels
// Numbers are written and read with '.' whatever the process locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pattern_record.h"
#include "safe_file.h"

// Everything one save writes. Each program fills it from its own state.
struct PatternFileData {
    int Antype = 0;
    double Eattn = 0.0;
    double Hattn = 0.0;
    int lines = 0;                                // number of description lines in text
    std::string_view text;                        // person line and description lines, as bytes
    std::string_view Edate, Etime, Hdate, Htime;  // never from a null pointer
    const double *e_data = nullptr;               // 360 levels; null writes 360 zeros
    const double *h_data = nullptr;
};

// Text blocks of the two programs. The measurement program's person ends
// with LF and its description is n lines joined by LF; the viewer's person
// has no LF and every description line already ends with one.
std::string KestoTextBlock(std::string_view person, std::string_view descript);
std::string ViewerTextBlock(std::string_view person, std::string_view descript);

// The data a save writes for a record as the viewer holds it: the record's
// type, attenuations, dates, times and both planes, with its text block (the
// person line the file had, PersonLineOf, then the description) put in
// text, which the data points into and must outlive it. lines is the
// number of description lines (the viewer's desNO).
PatternFileData PatternFileDataOf(const PatternRecord &r, int lines, std::string &text);

// The exact bytes of the file.
std::string FormatPatternFile(const PatternFileData &data);

// Writes the file as WriteWholeFile does: whole or not at all, the old file
// kept when the save fails.
PatternFileResult WritePatternFile(const std::string &path, const PatternFileData &data);

// The largest file the programs take as a pattern file: far above any real
// one (a pattern with a long description is a few tens of kilobytes).
constexpr std::size_t PATTERN_FILE_LIMIT = 16 * 1024 * 1024;

// Lines of a file without description lines; a file has this many plus n.
constexpr int PATTERN_FIXED_LINES = 726;
// Levels beyond +-10000 dB are read as +-10000 dB. The rig cannot report more
// than about 3330 dB, and within the limit every level the writer puts down
// reads back as the same number, so read, save and read again is stable.
constexpr double PATTERN_LEVEL_LIMIT = 10000.0;

// Reads a file into rec (every field defined whatever the file holds) and
// sets desNO to the number of description lines kept in rec.descript and
// EMAX, HMAX to the peaks of the two planes. ok is false, with a sentence
// naming the file and the first line that is wrong, when the file cannot be
// read or is not a pattern file: a header that does not start with four
// numbers (the count not negative), fewer lines than 726 + n, or a level
// line whose start is not a number. Anything after the last H level is
// ignored; over-long lines are cut as they always were. Only a regular file
// is read: a FIFO, device or folder is refused without waiting on it.
PatternFileResult ReadPatternFile(const std::string &path, PatternRecord &rec, int &desNO,
                                  int &EMAX, int &HMAX);

// The same reader over bytes in memory; name stands for the file in messages.
PatternFileResult ReadPatternBytes(std::string_view bytes, const std::string &name,
                                   PatternRecord &rec, int &desNO, int &EMAX, int &HMAX);
