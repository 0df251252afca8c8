// SPDX-License-Identifier: GPL-3.0-or-later
// Python values to and from what the libraries take, checked so that no
// argument a script passes can reach them malformed.
#include <climits>
#include <cmath>
#include <cstring>

#include "pattern_file.h"
#include "veloran_module.h"

namespace {

std::string Number(double v)
{
    char b[64];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

std::string TypeName(py::handle obj)
{
    return py::str(py::type::handle_of(obj).attr("__name__"));
}

}  // namespace

py::str Text(const std::string &bytes)
{
    PyObject *s = PyUnicode_DecodeUTF8(bytes.data(), Py_ssize_t(bytes.size()), "replace");
    if (!s)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(s);
}

py::object ToPython(const nlohmann::json &j)
{
    using T = nlohmann::json::value_t;
    switch (j.type()) {
    case T::null:
    case T::discarded:
        return py::none();
    case T::boolean:
        return py::bool_(j.get<bool>());
    case T::number_integer:
        return py::int_(j.get<std::int64_t>());
    case T::number_unsigned:
        return py::int_(j.get<std::uint64_t>());
    case T::number_float:
        return py::float_(j.get<double>());
    case T::string:
        return Text(j.get_ref<const std::string &>());
    case T::array: {
        py::list l;
        for (const auto &v : j)
            l.append(ToPython(v));
        return l;
    }
    case T::object: {
        py::dict d;
        for (auto it = j.begin(); it != j.end(); ++it)
            d[Text(it.key())] = ToPython(it.value());
        return d;
    }
    case T::binary:
        break;
    }
    return py::none();
}

void CheckLevels(const double *levels, const char *what)
{
    for (int k = 0; k < PATTERN_LEVELS; ++k) {
        const double v = levels[k];
        if (!std::isfinite(v))
            RaiseValue(std::string(what) + ": the level at " + std::to_string(k)
                       + " degrees is not a finite number (" + Number(v) + ")");
        if (std::fabs(v) > PATTERN_LEVEL_LIMIT)
            RaiseValue(std::string(what) + ": the level at " + std::to_string(k) + " degrees ("
                       + Number(v) + " dB) lies beyond the +-10000 dB a pattern file holds");
    }
}

Levels LevelsFrom(py::handle obj, const char *what)
{
    if (obj.is_none())
        RaiseType(std::string(what) + ": expected 360 levels in dB, one per degree, got None");
    if (py::isinstance<py::str>(obj) || py::isinstance<py::bytes>(obj) || PatternOf(obj))
        RaiseType(std::string(what) + ": expected 360 levels in dB, one per degree, got "
                  + TypeName(obj));
    using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;
    Array a;
    try {
        a = Array::ensure(obj);
    } catch (py::error_already_set &) {
        a = Array();
    }
    if (!a) {
        PyErr_Clear();
        RaiseType(std::string(what) + ": expected 360 levels in dB (numbers), got "
                  + TypeName(obj));
    }
    if (a.ndim() != 1 || a.shape(0) != PATTERN_LEVELS) {
        std::string shape = "(";
        for (py::ssize_t i = 0; i < a.ndim(); ++i)
            shape += (i ? ", " : "") + std::to_string(a.shape(i));
        shape += a.ndim() == 1 ? ",)" : ")";
        RaiseValue(std::string(what) + ": expected 360 levels, one per degree, got shape " + shape);
    }
    Levels out;
    std::memcpy(out.data(), a.data(), sizeof(double) * PATTERN_LEVELS);
    CheckLevels(out.data(), what);
    return out;
}

py::array_t<double> LevelArray(const double *levels)
{
    py::array_t<double> a(PATTERN_LEVELS);
    std::memcpy(a.mutable_data(), levels, sizeof(double) * PATTERN_LEVELS);
    return a;
}

std::string PathFrom(py::handle obj, const char *what)
{
    if (obj.is_none())
        RaiseType(std::string(what) + ": expected a file name (str or os.PathLike), got None");
    py::object encoded;
    try {
        encoded = py::module_::import("os").attr("fsencode")(obj);
    } catch (py::error_already_set &e) {
        if (!e.matches(PyExc_TypeError))
            throw;
        RaiseType(std::string(what) + ": expected a file name (str or os.PathLike), got "
                  + TypeName(obj));
    }
    std::string path = encoded.cast<std::string>();
    if (path.find('\0') != std::string::npos)
        RaiseValue(std::string(what) + ": a file name cannot hold a NUL character");
    if (path.empty())
        RaiseValue(std::string(what) + ": the file name is empty");
    return path;
}

py::str ShownPath(const std::string &path)
{
    PyObject *s = PyUnicode_DecodeFSDefaultAndSize(path.data(), Py_ssize_t(path.size()));
    if (!s)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(s);
}

double FiniteFrom(py::handle obj, const char *what)
{
    if (obj.is_none() || py::isinstance<py::str>(obj) || py::isinstance<py::bytes>(obj)
        || !PyNumber_Check(obj.ptr()))
        RaiseType(std::string(what) + ": expected a number, got " + TypeName(obj));
    const double v = PyFloat_AsDouble(obj.ptr());
    if (v == -1.0 && PyErr_Occurred())
        throw py::error_already_set();
    if (!std::isfinite(v))
        RaiseValue(std::string(what) + ": expected a finite number, got " + Number(v));
    return v;
}

int IntFrom(py::handle obj, const char *what)
{
    if (!py::isinstance<py::int_>(obj) || py::isinstance<py::bool_>(obj))
        RaiseType(std::string(what) + ": expected an int, got " + TypeName(obj));
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(obj.ptr(), &overflow);
    if (v == -1 && PyErr_Occurred())
        throw py::error_already_set();
    if (overflow || v < INT_MIN || v > INT_MAX)
        RaiseValue(std::string(what) + ": expected an int from -2147483648 to 2147483647");
    return int(v);
}
