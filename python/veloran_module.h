// SPDX-License-Identifier: GPL-3.0-or-later
// The Python module veloran over the pattern, analysis, theory and antenna
// table libraries: what its parts share. Every number the module returns
// comes from those libraries; this layer only converts and checks.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>

#include <array>
#include <string>

#include "pattern_load.h"

namespace py = pybind11;

using Levels = std::array<double, PATTERN_LEVELS>;

// A pattern as a script holds it: the record and what its file said of it.
struct PyPattern {
    LoadedPattern loaded;  // path and format empty when made from arrays
};

// ---- Conversions (convert.cpp) ----------------------------------------------
// A JSON tree of the libraries as Python values (dict, list, str, int, float,
// bool, None); text that is not UTF-8 shows U+FFFD where it is not.
py::object ToPython(const nlohmann::json &j);
// Bytes from a file as a Python str, invalid UTF-8 replaced.
py::str Text(const std::string &bytes);
// 360 levels from any sequence or array a script passes: TypeError for what
// is no sequence of numbers, ValueError for another length or a level that is
// not finite or lies beyond what a pattern file holds. what names the
// argument in the message.
Levels LevelsFrom(py::handle obj, const char *what);
// The same check of levels already held (a script may have changed them
// through the array view).
void CheckLevels(const double *levels, const char *what);
// A new float64 array of 360 levels.
py::array_t<double> LevelArray(const double *levels);
// A file system path from str, bytes or os.PathLike (a NUL inside refused).
std::string PathFrom(py::handle obj, const char *what);
// A path as Python shows it (undecodable bytes kept by surrogate escapes).
py::str ShownPath(const std::string &path);
// A C int (a Python int, not a bool), or TypeError/ValueError naming what.
int IntFrom(py::handle obj, const char *what);
// A finite number, or ValueError naming what.
double FiniteFrom(py::handle obj, const char *what);

// ---- Errors (module.cpp) ----------------------------------------------------
// Raises veloran.PatternError "PATH: reason" with .path and .reason.
[[noreturn]] void RaisePatternError(const std::string &path, const std::string &reason);
[[noreturn]] void RaiseValue(const std::string &message);
[[noreturn]] void RaiseType(const std::string &message);

// ---- The parts of the module -------------------------------------------------
void BindPattern(py::module_ &m);   // pattern.cpp
void BindAnalysis(py::module_ &m);  // analysis.cpp
void BindTheory(py::module_ &m);    // theory.cpp

// The pattern object behind a Python value, or null when it is none.
PyPattern *PatternOf(py::handle obj);
// The same, checked: TypeError for anything else, ValueError for levels a
// script made non-finite through the array views.
PyPattern &NeedPattern(py::handle obj, const char *what);
// The pattern's file name, or None.
py::object PathOrNone(const PyPattern &p);
// A Pattern read from a file (atn or MSI), as veloran.read gives it.
py::object ReadPattern(const std::string &path);
