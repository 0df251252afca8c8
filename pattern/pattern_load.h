// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a pattern file as the tools take one: an atn file checked line by
// line before the pattern reader sees it, or an MSI antenna file (by its
// extension, or by its content when it is plainly not an atn file). The atn
// tool and the Python module load files through here, so that both accept
// the same files and refuse the others with the same reasons.
#pragma once

#include <string>
#include <string_view>

#include "pattern_record.h"

// One pattern file as loaded.
struct LoadedPattern {
    std::string path;
    std::string format;  // "atn" or "msi"
    PatternRecord rec{};
    int desNO = 0;
    int clampedLevels = 0;  // levels beyond +-10000 dB read as +-10000 dB
};

// The date and time an MSI file's two planes get when it is loaded
// (MM-DD-YYYY and HH:MM:SS, as the measurement program stamps a sweep).
struct PatternStamp {
    std::string date, time;
};
using PatternStampSource = PatternStamp (*)();
// Now, in local time.
PatternStamp LocalPatternStamp();

// The check of atn text alone: empty when it is a well-formed pattern file,
// else one line naming the first line that is wrong.
std::string CheckAtnText(std::string_view text);

// A file name's extension in lower case, as the loader chooses by it ("msi"
// for "a/B.MSI"; empty without one).
std::string PatternFileExtension(const std::string &path);

// Loads text already read. ext is the file's extension (empty for standard
// input), shownName stands for the file in messages. false with a one-line
// reason. out.path is left as it is.
bool LoadPatternText(const std::string &text, const std::string &ext, const std::string &shownName,
                     LoadedPattern &out, std::string &error,
                     PatternStampSource stamp = LocalPatternStamp);
// Loads text as an MSI antenna file, whatever the file is called.
bool LoadMsiText(const std::string &text, LoadedPattern &out, std::string &error,
                 PatternStampSource stamp = LocalPatternStamp);

// Reads a regular file whole, up to the size of a pattern file: a FIFO,
// device or folder is refused without waiting on it. false with the reason.
bool ReadPatternSource(const std::string &path, std::string &text, std::string &error);

// The two together: read path and load it (out.path set to path).
bool LoadPatternPath(const std::string &path, LoadedPattern &out, std::string &error,
                     PatternStampSource stamp = LocalPatternStamp);
bool LoadMsiPath(const std::string &path, LoadedPattern &out, std::string &error,
                 PatternStampSource stamp = LocalPatternStamp);
