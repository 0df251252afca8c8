// SPDX-License-Identifier: GPL-3.0-or-later
// The A4 reports that atn and the viewer write alike: the class report (a
// summary, then a page for each file) and the lab report of one
// measurement (its header, graphs, the figures beside the textbook's, the
// checks and the gain with its budget), made in memory as PDF and written
// whole or not at all.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lab_figures.h"
#include "pattern_record.h"

// One pattern file given to a report.
struct ReportFile {
    std::string path;   // as given ("-": standard input), shown in the report
    bool ok = false;    // read
    std::string error;  // why not, when not read
    PatternRecord rec{};
    std::string note;  // a line under the lab page's header (empty: none)
};

struct ReportOptions {
    // Without lab: the class report as it always was, with the model's
    // dashed cuts and comparison lines when theory is on.
    bool theory = false;
    // A lab page (one or two pages) for each file after a summary that adds,
    // for each antenna type, every file's half-power width (and gain) against
    // the textbook's, and the comparison columns.
    bool lab = false;
    LabSettings settings;  // for the lab pages
    // Told after each page is drawn: the pages done and the pages in all.
    std::function<void(int done, int pages)> progress;
};

// The class report of files (unreadable ones are named on the summary) as
// PDF bytes; false with the reason when the PDF cannot be made.
bool MakeClassReport(const std::vector<ReportFile> &files, const ReportOptions &options,
                     std::string *pdf, std::string *error);

// The lab report of one measurement: one A4 page, or two where it does not
// fit on one.
bool MakeLabReport(const ReportFile &file, const LabSettings &settings, std::string *pdf,
                   std::string *error);

// Writes a report to path whole or not at all (a failed write leaves no
// partial file and any old one as it was); false with the reason.
bool SaveReport(const std::string &path, const std::string &pdf, std::string *error);
