// SPDX-License-Identifier: GPL-3.0-or-later
// The atn command-line tool: information, pictures, exports, imports,
// comparisons and reports of pattern files, with the viewer's own analysis
// and drawing.
#pragma once

#include <QStringList>

#include <optional>
#include <string>

#include "lobe.h"
#include "pattern_load.h"
#include "pattern_record.h"

// One pattern file as the tool holds it.
using AtnPattern = LoadedPattern;

// "-" as a file name is standard input (read once).
// Reads an atn file (checked line by line first, then read by the viewer's
// own reader) or an MSI file (by its extension, or by its content when it is
// plainly not an atn file). false with a one-line reason naming the line.
bool LoadPatternFile(const std::string &path, AtnPattern &out, std::string &error);
// Reads a file as an MSI antenna file whatever its name.
bool LoadMsiFile(const std::string &path, AtnPattern &out, std::string &error);

// Writes bytes to path whole or not at all, by the rules of a pattern file
// save (or to standard output when path is "-"); false with the reason.
bool SaveBytes(const QString &path, const QByteArray &bytes, std::string &error);
// The message for an output that was not written: "OUT: not written:
// reason", or "standard output: reason".
std::string NotWritten(const QString &out, const std::string &reason);
// Flushes and closes standard output at exit: false, with a message unless
// one was given already, when anything written to it did not arrive (a
// full disk behind "atn info > file" is a failure, not a short file).
bool CloseStandardOutput();
// A file name as messages show it: "-" is standard input.
std::string ShownName(const std::string &path);
// Text from a file for a terminal: control characters written as \xHH.
std::string Printable(const std::string &text);

// Everything shown about one plane.
struct PlaneFigures {
    ViewerReadouts readouts;
    LobeMetrics lobe;
};
PlaneFigures FiguresOf(const double levels[PATTERN_LEVELS]);

// Makes the two graphs pictures are drawn on, offscreen, with their frames:
// false with the reason when they cannot be made.
bool PrepareDrawing(std::string &error);
// Draws a pattern on both graphs in place of the one drawn before; planes
// not wanted are left out as the viewer's hide command leaves them out.
void DrawPattern(const PatternRecord &rec, bool showE, bool showH);
// A model's cuts (null: none for that plane), scaled and turned to the
// record's planes, dashed over the pattern in place of those drawn before.
void DrawModelCuts(const double *eModel, const double *hModel, const PatternRecord &r);
void RemoveModelCuts();

// The person and description of a record as text: lines that are not UTF-8
// come from an older PC and are read in the default legacy code page.
std::string PersonOf(const PatternRecord &r);
std::string DescriptOf(const PatternRecord &r);
int PolarGraph();  // the panel and control ids of the two graphs
int CartesianGraph();
int DrawingPanel();

// The sub-commands; each returns the process status.
int RunInfo(const QStringList &args);
int RunPlot(const QStringList &args);
int RunExport(const QStringList &args);
int RunImport(const QStringList &args);
int RunCompare(const QStringList &args);
int RunReport(const QStringList &args);
// atn check: 0 when every check passes, 3 when one warns, 1 on a file that
// cannot be read, 2 on a usage error.
int RunCheck(const QStringList &args);

// ---- Textbook models (theory.cpp) ----
class QJsonObject;
int RunTheory(const QStringList &args);
int RunGain(const QStringList &args);  // gain.cpp
// The textbook model gain of a library antenna type, or none with the reason
// (no library type, or a model that cannot be computed).
std::optional<double> ModelGainOfType(int type, std::string *error = nullptr);
// atn compare --theory: each file against the model of its recorded type.
int CompareWithTheory(const QStringList &files, bool json);
// The plane keys of atn info --json for any 360 levels.
QJsonObject PlaneJsonOf(const char *date, const char *time, double attn,
                        const double levels[PATTERN_LEVELS]);

// One line on stderr: "atn: " and the text.
void Complain(const std::string &text);
