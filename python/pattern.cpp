// SPDX-License-Identifier: GPL-3.0-or-later
// veloran.Pattern, veloran.read and veloran.read_msi: a pattern record with
// its levels as NumPy arrays, read and written by the programs' own reader
// and safe writer, exported as atn export writes CSV and MSI files.
#include <pybind11/stl.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "analysis.h"
#include "antennas.h"
#include "lobe.h"
#include "msi.h"
#include "pattern_file.h"
#include "pattern_text.h"
#include "veloran_module.h"

namespace {

PatternRecord &Rec(PyPattern &p)
{
    return p.loaded.rec;
}

// Text for a fixed-size field of the record: UTF-8, at most max bytes, one
// line without NUL.
std::string FieldText(py::handle value, const char *what, size_t max, bool oneLine = true)
{
    if (!py::isinstance<py::str>(value))
        RaiseType(std::string(what) + ": expected str, got "
                  + std::string(py::str(py::type::handle_of(value).attr("__name__"))));
    const std::string s = value.cast<std::string>();
    if (s.find('\0') != std::string::npos)
        RaiseValue(std::string(what) + ": the text cannot hold a NUL character");
    if (oneLine && s.find('\n') != std::string::npos)
        RaiseValue(std::string(what) + ": the text must be one line (no newline)");
    if (s.size() > max)
        RaiseValue(std::string(what) + ": at most " + std::to_string(max)
                   + " bytes in UTF-8 fit in a pattern file, got " + std::to_string(s.size()));
    return s;
}

void Put(char *field, size_t size, const std::string &s)
{
    std::memset(field, 0, size);
    std::memcpy(field, s.data(), std::min(s.size(), size - 1));
}

void SetPerson(PyPattern &p, py::handle v)
{
    const std::string s = FieldText(v, "person", PATTERN_PERSON_MAX);
    Put(Rec(p).person, sizeof Rec(p).person, s);
    Rec(p).personLine[0] = '\0';  // the new name is the whole line
}

void SetDescription(PyPattern &p, py::handle v)
{
    // Its limit counts the newline that ends it, which may still be added.
    std::string s = FieldText(v, "description", std::string::npos, false);
    if (!s.empty() && s.back() != '\n')
        s += '\n';  // every description line ends with LF
    if (s.size() > size_t(PATTERN_DESCRIPT_MAX))
        RaiseValue("description: at most 200 bytes in UTF-8 fit in a pattern file with the "
                   "newline that ends it, got "
                   + std::to_string(s.size()));
    Put(Rec(p).descript, sizeof Rec(p).descript, s);
    p.loaded.desNO = int(std::count(s.begin(), s.end(), '\n'));
}

void SetStamp(char *field, size_t size, py::handle v, const char *what)
{
    Put(field, size, FieldText(v, what, size - 1));
}

py::object OrNone(const std::string &s)
{
    return s.empty() ? py::object(py::none()) : py::object(Text(s));
}

double *Plane(PyPattern &p, const std::string &plane)
{
    if (plane == "e" || plane == "E")
        return Rec(p).e_data;
    if (plane == "h" || plane == "H")
        return Rec(p).h_data;
    RaiseValue("plane: expected \"e\" or \"h\", got \"" + plane.substr(0, 40) + "\"");
}

void CheckPlanes(PyPattern &p)
{
    CheckLevels(Rec(p).e_data, "e");
    CheckLevels(Rec(p).h_data, "h");
}

[[noreturn]] void RaiseOs(const std::string &message)
{
    PyErr_SetObject(PyExc_OSError, Text(message).ptr());
    throw py::error_already_set();
}

void Write(PyPattern &p, py::handle pathObj)
{
    const std::string path = PathFrom(pathObj, "path");
    CheckPlanes(p);
    std::string text;
    const PatternFileData d = PatternFileDataOf(Rec(p), p.loaded.desNO, text);
    const PatternFileResult res = WritePatternFile(path, d);
    if (!res.ok)
        RaiseOs(res.error);
}

// Writes bytes to path (None: gives them back as str).
py::object Output(py::handle pathObj, const std::string &bytes)
{
    if (pathObj.is_none())
        return Text(bytes);
    const PatternFileResult r = WriteWholeFile(PathFrom(pathObj, "path"), bytes);
    if (!r.ok)
        RaiseOs(r.error);
    return py::none();
}

// The file's name without its last extension, as atn export names an MSI file.
std::string BaseName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

py::object WriteMsi(PyPattern &p, py::handle path, py::handle name, py::handle frequency)
{
    CheckPlanes(p);
    const PatternRecord &r = Rec(p);
    MsiWriteData d;
    d.name = name.is_none() ? BaseName(p.loaded.path) : FieldText(name, "name", 1000);
    if (!frequency.is_none()) {
        const double f = FiniteFrom(frequency, "frequency");
        if (!(f > 0))
            RaiseValue("frequency: expected a positive number of MHz");
        d.frequencyMHz = f;
    }
    const LobeMetrics e = PlaneLobeMetrics(r.e_data), h = PlaneLobeMetrics(r.h_data);
    d.hWidth = h.hpbw;
    d.vWidth = e.hpbw;
    d.frontToBack = h.frontToBack;
    d.comment = std::string("Measured by ") + r.person;
    d.eLevels = r.e_data;
    d.hLevels = r.h_data;
    return Output(path, FormatMsi(d));
}

py::array_t<double> View(py::object self, double *levels)
{
    return py::array_t<double>({PATTERN_LEVELS}, {sizeof(double)}, levels, self);
}

PyPattern Make(py::handle e, py::handle h, py::handle type, py::handle person,
               py::handle description, py::handle eDate, py::handle eTime, py::handle hDate,
               py::handle hTime, py::handle eAttn, py::handle hAttn)
{
    PyPattern p;
    PatternRecord &r = Rec(p);
    r.Antype = IntFrom(type, "antenna_type");
    if (!e.is_none()) {
        const Levels l = LevelsFrom(e, "e");
        std::copy(l.begin(), l.end(), r.e_data);
    }
    if (!h.is_none()) {
        const Levels l = LevelsFrom(h, "h");
        std::copy(l.begin(), l.end(), r.h_data);
    }
    SetPerson(p, person);
    SetDescription(p, description);
    const PatternStamp now = LocalPatternStamp();
    SetStamp(r.Edate, sizeof r.Edate, eDate.is_none() ? py::str(now.date) : eDate, "e_date");
    SetStamp(r.Etime, sizeof r.Etime, eTime.is_none() ? py::str(now.time) : eTime, "e_time");
    SetStamp(r.Hdate, sizeof r.Hdate, hDate.is_none() ? py::str(now.date) : hDate, "h_date");
    SetStamp(r.Htime, sizeof r.Htime, hTime.is_none() ? py::str(now.time) : hTime, "h_time");
    r.Eattn = FiniteFrom(eAttn, "e_attenuation");
    r.Hattn = FiniteFrom(hAttn, "h_attenuation");
    return p;
}

py::object Loaded(LoadedPattern &&l)
{
    PyPattern p;
    p.loaded = std::move(l);
    return py::cast(std::move(p));
}

const char kPatternDoc[] =
    "One measurement: the header of a pattern file and the 360 levels of each plane.\n"
    "\n"
    "Pattern(e=None, h=None, *, antenna_type=-1, person='', description='',\n"
    "        e_date=None, e_time=None, h_date=None, h_time=None,\n"
    "        e_attenuation=0.0, h_attenuation=0.0)\n"
    "\n"
    "e and h are 360 levels in dB each (index = angle in whole degrees); None\n"
    "gives 360 zeros, as a plane that was never swept. A date or time of None is\n"
    "now (MM-DD-YYYY, HH:MM:SS). The limits are those of the file: levels finite\n"
    "and within +-10000 dB, person one line of at most 20 bytes, description at\n"
    "most 200 bytes (each line ends with a newline; one is added at the end),\n"
    "dates at most 10 and times at most 8 bytes. Anything else raises TypeError\n"
    "or ValueError.\n"
    "\n"
    "e and h are NumPy arrays that view the pattern's own levels: changing an\n"
    "element changes the pattern. Assigning a new sequence checks it as above.";

}  // namespace

PyPattern *PatternOf(py::handle obj)
{
    if (!py::isinstance<PyPattern>(obj))
        return nullptr;
    return &obj.cast<PyPattern &>();
}

PyPattern &NeedPattern(py::handle obj, const char *what)
{
    PyPattern *p = PatternOf(obj);
    if (!p)
        RaiseType(std::string(what) + ": expected a veloran.Pattern, got "
                  + std::string(py::str(py::type::handle_of(obj).attr("__name__"))));
    CheckPlanes(*p);
    return *p;
}

py::object PathOrNone(const PyPattern &p)
{
    return p.loaded.path.empty() ? py::object(py::none()) : py::object(ShownPath(p.loaded.path));
}

py::object ReadPattern(const std::string &path)
{
    LoadedPattern l;
    std::string error;
    if (!LoadPatternPath(path, l, error))
        RaisePatternError(path, error);
    return Loaded(std::move(l));
}

void BindPattern(py::module_ &m)
{
    using namespace pybind11::literals;
    py::class_<PyPattern> c(m, "Pattern", kPatternDoc);
    c.def(py::init([](py::handle e, py::handle h, py::handle type, py::handle person,
                      py::handle description, py::handle eDate, py::handle eTime, py::handle hDate,
                      py::handle hTime, py::handle eAttn, py::handle hAttn) {
              return new PyPattern(
                  Make(e, h, type, person, description, eDate, eTime, hDate, hTime, eAttn, hAttn));
          }),
          "e"_a = py::none(), "h"_a = py::none(), py::kw_only(), "antenna_type"_a = -1,
          "person"_a = "", "description"_a = "", "e_date"_a = py::none(), "e_time"_a = py::none(),
          "h_date"_a = py::none(), "h_time"_a = py::none(), "e_attenuation"_a = 0.0,
          "h_attenuation"_a = 0.0,
          "Pattern(e=None, h=None, *, antenna_type=-1, person='', description='', e_date=None,\n"
          "        e_time=None, h_date=None, h_time=None, e_attenuation=0.0, h_attenuation=0.0)\n"
          "\n"
          "A pattern made from arrays; the class's help says more.");

    c.def_property(
        "antenna_type", [](PyPattern &p) { return Rec(p).Antype; },
        [](PyPattern &p, py::handle t) { Rec(p).Antype = IntFrom(t, "antenna_type"); },
        "Antenna type: the index into the library of sixteen types (0 to 15), -1 for none.");
    c.def_property_readonly(
        "antenna_name",
        [](PyPattern &p) -> py::object {
            const char *n = AntennaNameOf(Rec(p).Antype);
            return n ? py::object(Text(n)) : py::object(py::none());
        },
        "The library's name of the antenna type, or None outside 0 to 15.");
    c.def_property(
        "person",
        [](PyPattern &p) {
            return Text(DecodePerson(Rec(p).person, PATTERN_DEFAULT_CODEPAGE, PATTERN_PERSON_MAX));
        },
        SetPerson,
        "Who measured: the first 20 bytes of the person line as the viewer shows them\n"
        "(a line from an older PC decoded from its code page). A longer line read from a\n"
        "file is written back whole while this is not changed.");
    c.def_property(
        "description",
        [](PyPattern &p) {
            return Text(
                DecodeDescript(Rec(p).descript, PATTERN_DEFAULT_CODEPAGE, PATTERN_DESCRIPT_MAX));
        },
        SetDescription, "The description, each line followed by a newline ('' for none).");
    c.def_property_readonly(
        "description_lines", [](PyPattern &p) { return p.loaded.desNO; },
        "Number of description lines, as the file's header counts them.");
    auto stamp = [&](const char *name, size_t offset, size_t size, const char *doc) {
        c.def_property(
            name,
            [offset](PyPattern &p) {
                return Text(reinterpret_cast<const char *>(&Rec(p)) + offset);
            },
            [offset, size, name](PyPattern &p, py::handle v) {
                SetStamp(reinterpret_cast<char *>(&Rec(p)) + offset, size, v, name);
            },
            doc);
    };
    stamp("e_date", offsetof(PatternRecord, Edate), sizeof(PatternRecord::Edate),
          "Date of the E-plane sweep, MM-DD-YYYY.");
    stamp("e_time", offsetof(PatternRecord, Etime), sizeof(PatternRecord::Etime),
          "Time of the E-plane sweep, HH:MM:SS.");
    stamp("h_date", offsetof(PatternRecord, Hdate), sizeof(PatternRecord::Hdate),
          "Date of the H-plane sweep, MM-DD-YYYY.");
    stamp("h_time", offsetof(PatternRecord, Htime), sizeof(PatternRecord::Htime),
          "Time of the H-plane sweep, HH:MM:SS.");
    c.def_property(
        "e_attenuation", [](PyPattern &p) { return Rec(p).Eattn; },
        [](PyPattern &p, py::handle v) { Rec(p).Eattn = FiniteFrom(v, "e_attenuation"); },
        "Attenuator setting of the E-plane sweep, dB.");
    c.def_property(
        "h_attenuation", [](PyPattern &p) { return Rec(p).Hattn; },
        [](PyPattern &p, py::handle v) { Rec(p).Hattn = FiniteFrom(v, "h_attenuation"); },
        "Attenuator setting of the H-plane sweep, dB.");
    auto levels = [&](const char *name, bool e, const char *doc) {
        c.def_property(
            name,
            [e](py::object self) {
                PyPattern &p = self.cast<PyPattern &>();
                return View(self, e ? Rec(p).e_data : Rec(p).h_data);
            },
            [e, name](PyPattern &p, py::handle v) {
                const Levels l = LevelsFrom(v, name);
                std::copy(l.begin(), l.end(), e ? Rec(p).e_data : Rec(p).h_data);
            },
            doc);
    };
    levels("e", true, "E-plane levels in dB: float64 array of 360, index = angle in degrees.");
    levels("h", false, "H-plane levels in dB: float64 array of 360, index = angle in degrees.");
    c.def_property_readonly(
        "angles",
        [](PyPattern &) {
            py::array_t<std::int64_t> a(PATTERN_LEVELS);
            for (int k = 0; k < PATTERN_LEVELS; ++k)
                a.mutable_data()[k] = k;
            return a;
        },
        "The angles of the levels: 0 to 359 degrees.");
    c.def_property_readonly(
        "path",
        [](PyPattern &p) {
            return p.loaded.path.empty() ? py::object(py::none())
                                         : py::object(ShownPath(p.loaded.path));
        },
        "The file the pattern was read from, or None.");
    c.def_property_readonly(
        "format", [](PyPattern &p) { return OrNone(p.loaded.format); },
        "\"atn\" or \"msi\" for a pattern read from a file, else None.");
    c.def_property_readonly(
        "clamped_levels", [](PyPattern &p) { return p.loaded.clampedLevels; },
        "Levels of the file beyond +-10000 dB, read as +-10000 dB.");

    c.def("write", Write, "path"_a,
          "write(path) -> None\n"
          "\n"
          "Writes the pattern as an atn file, as the viewer saves it: through a temporary\n"
          "file that replaces the old one only once it is complete, so a failed write\n"
          "leaves the old file as it was. Raises OSError with the reason on failure.");
    c.def(
        "to_csv",
        [](PyPattern &p, py::handle path) {
            CheckPlanes(p);
            return Output(path, FormatCsv(Rec(p).e_data, Rec(p).h_data));
        },
        "path"_a = py::none(),
        "to_csv(path=None) -> str or None\n"
        "\n"
        "The levels as CSV, as atn export writes them: a header angle_deg,e_db,h_db and\n"
        "360 rows. Returns the text when path is None, else writes the file whole (or\n"
        "raises OSError) and returns None.");
    c.def("write_msi", WriteMsi, "path"_a = py::none(), "name"_a = py::none(),
          "frequency"_a = py::none(),
          "write_msi(path=None, name=None, frequency=None) -> str or None\n"
          "\n"
          "The pattern as an MSI antenna file, as atn export writes it (H plane the\n"
          "HORIZONTAL cut, E plane the VERTICAL cut, losses below the highest level).\n"
          "name defaults to the file's name without its extension, frequency (MHz) to\n"
          "none. Returns the text when path is None, else writes it and returns None.");
    c.def(
        "rotate",
        [](py::object self, const std::string &plane, py::handle degreesObj) {
            PyPattern &p = self.cast<PyPattern &>();
            const int degrees = IntFrom(degreesObj, "degrees");
            double *v = Plane(p, plane);
            const int s = ((degrees % PATTERN_LEVELS) + PATTERN_LEVELS) % PATTERN_LEVELS;
            if (s)
                RotateLevels(v, s);
            return self;
        },
        "plane"_a, "degrees"_a,
        "rotate(plane, degrees) -> Pattern\n"
        "\n"
        "Turns one plane (\"e\" or \"h\") in place by the viewer's rotation rule:\n"
        "positive degrees to higher angles (the rotate-right buttons), negative to lower.\n"
        "Returns the pattern.");
    c.def(
        "copy", [](PyPattern &p) { return PyPattern(p); },
        "copy() -> Pattern\n"
        "\n"
        "A copy of the pattern, levels included.");
    c.def("__copy__", [](PyPattern &p) { return PyPattern(p); });
    c.def(
        "__deepcopy__", [](PyPattern &p, py::handle) { return PyPattern(p); }, "memo"_a);
    c.def("__repr__", [](PyPattern &p) {
        const char *n = AntennaNameOf(Rec(p).Antype);
        std::string s = "<veloran.Pattern";
        if (!p.loaded.path.empty())
            s += " " + std::string(py::repr(ShownPath(p.loaded.path)));
        s += " type " + std::to_string(Rec(p).Antype);
        if (n)
            s += std::string(" (") + n + ")";
        return s + ">";
    });

    m.def(
        "read", [](py::handle path) { return ReadPattern(PathFrom(path, "path")); }, "path"_a,
        "read(path) -> Pattern\n"
        "\n"
        "Reads a pattern file as atn reads it: an atn file, checked line by line\n"
        "before the viewer's reader takes it, or an MSI antenna file (.msi, .pln, .ant,\n"
        "or any file that is plainly not an atn file but reads as MSI). Raises\n"
        "veloran.PatternError with atn's message when the file cannot be read.");
    m.def(
        "read_msi",
        [](py::handle pathObj) {
            const std::string path = PathFrom(pathObj, "path");
            LoadedPattern l;
            std::string error;
            if (!LoadMsiPath(path, l, error))
                RaisePatternError(path, error);
            return Loaded(std::move(l));
        },
        "path"_a,
        "read_msi(path) -> Pattern\n"
        "\n"
        "Reads a file as an MSI antenna file whatever its name, as atn import does:\n"
        "levels 0 dB at the highest, floored at -30 dB, the header as the description,\n"
        "both planes dated now. Raises veloran.PatternError.");
}
