// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled part of the Python package veloran: its error type and its
// parts. The package's __init__.py takes everything from here.
#include "analysis.h"
#include "pattern_file.h"
#include "veloran_module.h"

namespace {

// The exception type lives as long as the interpreter: it is never released.
PyObject *patternError = nullptr;

const char kPatternErrorDoc[] =
    "A file that is not a pattern file, or that cannot be read.\n"
    "\n"
    "str(error) is the message the atn tool gives for the same file,\n"
    "\"PATH: reason\"; error.path is the file's name and error.reason the\n"
    "reason alone. A subclass of ValueError.";

const char kModuleDoc[] =
    "The compiled core of veloran (pattern files, analysis, textbook models).\n"
    "Use the package veloran, which takes everything from here.";

}  // namespace

void RaisePatternError(const std::string &path, const std::string &reason)
{
    py::object type = py::reinterpret_borrow<py::object>(patternError);
    py::str shown = ShownPath(path);
    py::object error = type(py::str("{}: {}").format(shown, Text(reason)));
    error.attr("path") = shown;
    error.attr("reason") = Text(reason);
    PyErr_SetObject(patternError, error.ptr());
    throw py::error_already_set();
}

void RaiseValue(const std::string &message)
{
    throw py::value_error(message);
}

void RaiseType(const std::string &message)
{
    throw py::type_error(message);
}

PYBIND11_MODULE(_veloran, m)
{
    // Each docstring starts with its Python signature: the generated ones
    // would show the C++ side's argument types.
    py::options options;
    options.disable_function_signatures();
    m.doc() = kModuleDoc;
    patternError = PyErr_NewExceptionWithDoc("veloran.PatternError", kPatternErrorDoc,
                                             PyExc_ValueError, nullptr);
    if (!patternError)
        throw py::error_already_set();
    m.attr("PatternError") = py::reinterpret_borrow<py::object>(patternError);

    m.attr("LEVELS") = PATTERN_LEVELS;
    m.attr("FLOOR_DB") = PATTERN_FLOOR;
    m.attr("LEVEL_LIMIT_DB") = PATTERN_LEVEL_LIMIT;
    m.attr("PERSON_MAX") = PATTERN_PERSON_MAX;
    m.attr("DESCRIPTION_MAX") = PATTERN_DESCRIPT_MAX;
    BindPattern(m);
    BindAnalysis(m);
    BindTheory(m);
}
