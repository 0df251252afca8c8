// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a plane and of a pattern, comparisons, checks, rotation and
// the viewer's graph coordinates, as the analysis library gives them.
#include <pybind11/stl.h>

#include <optional>

#include "analysis.h"
#include "antennas.h"
#include "checks.h"
#include "figures_json.h"
#include "lobe.h"
#include "pattern_text.h"
#include "veloran_module.h"

using nlohmann::json;

namespace {

json Plane(const char *date, const char *time, double attn, const double *levels)
{
    return PlaneFiguresJson(date, time, attn, levels);
}

json Metrics(const PatternRecord &r)
{
    return json{{"e", Plane(r.Edate, r.Etime, r.Eattn, r.e_data)},
                {"h", Plane(r.Hdate, r.Htime, r.Hattn, r.h_data)}};
}

py::dict Info(const PyPattern &p)
{
    const PatternRecord &r = p.loaded.rec;
    json j = Metrics(r);
    const auto d =
        DirectivityEstimate(PlaneLobeMetrics(r.e_data).hpbw, PlaneLobeMetrics(r.h_data).hpbw);
    const char *name = AntennaNameOf(r.Antype);
    j["ok"] = true;
    j["format"] = p.loaded.format.empty() ? json(nullptr) : json(p.loaded.format);
    j["antenna_type"] = r.Antype;
    j["antenna_name"] = name ? json(name) : json(nullptr);
    j["person"] = DecodePerson(r.person, PATTERN_DEFAULT_CODEPAGE, PATTERN_PERSON_MAX);
    j["description"] = DecodeDescript(r.descript, PATTERN_DEFAULT_CODEPAGE, PATTERN_DESCRIPT_MAX);
    j["description_lines"] = p.loaded.desNO;
    j["clamped_levels"] = p.loaded.clampedLevels;
    j["directivity_estimate"] = d ? json{{"ratio", d->ratio}, {"dbi", d->dBi}} : json(nullptr);
    py::dict out = ToPython(j);
    out["file"] = PathOrNone(p);
    return out;
}

std::optional<double> Distance(py::handle obj)
{
    if (obj.is_none())
        return std::nullopt;
    const double d = FiniteFrom(obj, "distance");
    if (!(d > 0))
        RaiseValue("distance: expected a positive number of metres, got " + std::to_string(d));
    return d;
}

py::dict Checks(py::handle obj, py::handle distanceObj)
{
    const PyPattern &p = NeedPattern(obj, "pattern");
    const std::optional<double> distance = Distance(distanceObj);
    const PatternRecord &r = p.loaded.rec;
    json j = ChecksJson(CheckPatternOfType(r.e_data, r.h_data, r.Antype, distance));
    j["ok"] = true;
    j["antenna_type"] = r.Antype;
    j["distance_m"] = distance ? json(*distance) : json(nullptr);
    py::dict out = ToPython(j);
    out["file"] = PathOrNone(p);
    return out;
}

json Comparison(const double *a, const double *b)
{
    const PlaneComparison c = ComparePlanes(a, b);
    return json{{"rotation_deg", c.rotation}, {"rms_db", c.rms}, {"max_diff_db", c.maxDiff}};
}

py::object Compare(py::handle a, py::handle b)
{
    PyPattern *pa = PatternOf(a), *pb = PatternOf(b);
    if (pa || pb) {
        const PyPattern &x = NeedPattern(a, "a"), &y = NeedPattern(b, "b");
        return ToPython(json{{"e", Comparison(x.loaded.rec.e_data, y.loaded.rec.e_data)},
                             {"h", Comparison(x.loaded.rec.h_data, y.loaded.rec.h_data)}});
    }
    const Levels x = LevelsFrom(a, "a"), y = LevelsFrom(b, "b");
    return ToPython(Comparison(x.data(), y.data()));
}

py::dict Antenna(py::handle typeObj)
{
    const int type = IntFrom(typeObj, "type");
    const AntennaEntry *a = AntennaOf(type);
    if (!a)
        RaiseValue("type: the library's antenna types are 0 to 15, got " + std::to_string(type));
    double lambda = 0, size = 0;
    AntennaWavelength(type, &lambda);
    AntennaSize(type, &size);
    return ToPython(json{
        {"type", a->type},
        {"name", a->name},
        {"picture", a->picture},
        {"frequency_mhz", a->frequencyMhz},
        {"engine", a->engine == ModelEngine::Nec2c ? "nec2c" : "closed form"},
        {"model", a->model},
        {"source", a->source},
        {"e_plane_cut", a->ePlane},
        {"h_plane_cut", a->hPlane},
        {"size_wavelengths", a->sizeWavelengths},
        {"wavelength_m", lambda},
        {"size_m", size},
    });
}

}  // namespace

void BindAnalysis(py::module_ &m)
{
    using namespace pybind11::literals;
    m.def(
        "metrics",
        [](py::handle levels, const std::string &date, const std::string &time, py::handle attn) {
            const Levels v = LevelsFrom(levels, "levels");
            return ToPython(
                Plane(date.c_str(), time.c_str(), FiniteFrom(attn, "attenuation"), v.data()));
        },
        "levels"_a, "date"_a = "", "time"_a = "", "attenuation"_a = 0.0,
        "metrics(levels, date=\"\", time=\"\", attenuation=0.0) -> dict\n"
        "\n"
        "The figures of one plane, the keys and values that atn info --json gives a\n"
        "plane: the viewer's readouts (peak_angle_deg, peak_level_db, hpb_left_deg,\n"
        "hpb_right_deg, hpb_width_deg, hpb_level_db), \"lobe\" (interpolated beamwidths,\n"
        "first nulls, front-to-back, side lobe, each bound on the -30 dB floor flagged\n"
        "with limited_by_floor), \"fitted\" (the same through the noise), \"noise\" and\n"
        "dynamic_range_db. A figure the plane does not have is None.");
    m.def("compare", Compare, "a"_a, "b"_a,
          "compare(a, b) -> dict\n"
          "\n"
          "How closely b matches a, as atn compare gives it: the rotation of b (0 to 359,\n"
          "as the viewer's rotate-right buttons turn it) that matches a best, and the RMS\n"
          "and largest level difference there. For two Patterns a dict per plane\n"
          "{\"e\": ..., \"h\": ...}; for two arrays of 360 levels one dict.");
    m.def("checks", Checks, "pattern"_a, "distance"_a = py::none(),
          "checks(pattern, distance=None) -> dict\n"
          "\n"
          "The checks on a measurement, as atn check --json gives them for a file:\n"
          "dynamic range, floor-limited figures, noise, the planes at boresight and, with\n"
          "the range distance in metres, the far field of the pattern's antenna type.\n"
          "\"verdict\" is \"pass\" or \"warn\"; each entry of \"checks\" has its id, title,\n"
          "verdict and findings.");
    m.def(
        "rotate",
        [](py::handle levels, py::handle degreesObj) {
            Levels v = LevelsFrom(levels, "levels");
            const int degrees = IntFrom(degreesObj, "degrees");
            const int s = ((degrees % PATTERN_LEVELS) + PATTERN_LEVELS) % PATTERN_LEVELS;
            if (s)
                RotateLevels(v.data(), s);
            return LevelArray(v.data());
        },
        "levels"_a, "degrees"_a,
        "rotate(levels, degrees) -> numpy.ndarray\n"
        "\n"
        "360 levels turned circularly by the viewer's rotation rule: positive degrees\n"
        "move the pattern to higher angles (new[k] = old[k - degrees]), negative to\n"
        "lower. Returns a new array.");
    m.def(
        "polar_points",
        [](py::handle levels) {
            const Levels v = LevelsFrom(levels, "levels");
            double x[LEVELS], y[LEVELS];
            BuildPolarBlock(v.data(), 360, x, y);
            return py::make_tuple(LevelArray(x), LevelArray(y));
        },
        "levels"_a,
        "polar_points(levels) -> (x, y)\n"
        "\n"
        "The viewer's polar graph coordinates (x, y) of 360 levels: level L at a degrees\n"
        "at radius L + 30, clockwise from the top, so -30 dB is the centre.");
    m.def(
        "cartesian_points",
        [](py::handle levels) {
            const Levels v = LevelsFrom(levels, "levels");
            int ax[LEVELS];
            double car[LEVELS], x[LEVELS];
            BuildArrayX(ax);
            BuildCarBlock(v.data(), car);
            for (int k = 0; k < LEVELS; ++k)
                x[k] = ax[k];
            return py::make_tuple(LevelArray(x), LevelArray(car));
        },
        "levels"_a,
        "cartesian_points(levels) -> (angles, levels)\n"
        "\n"
        "The viewer's Cartesian trace (angles, levels) of 360 levels: angles -180 to\n"
        "179 degrees, 0 in the middle.");
    m.def("antenna", Antenna, "type"_a,
          "antenna(type) -> dict\n"
          "\n"
          "The antenna table's entry of a library type (0 to 15): name, picture, frequency,\n"
          "the textbook model's engine, geometry and source, the physical cuts shown as\n"
          "E and H, and the largest dimension and wavelength in metres.");
    m.attr("ANTENNA_TYPES") = ANTENNA_TYPES;

    py::class_<PyPattern> c = py::reinterpret_borrow<py::class_<PyPattern>>(m.attr("Pattern"));
    c.def(
        "metrics",
        [](py::handle self) { return ToPython(Metrics(NeedPattern(self, "pattern").loaded.rec)); },
        "metrics() -> dict\n"
        "\n"
        "The figures of both planes, {\"e\": ..., \"h\": ...}, each as veloran.metrics\n"
        "gives them with the plane's date, time and attenuation: atn info --json's planes.");
    c.def(
        "info", [](py::handle self) { return Info(NeedPattern(self, "pattern")); },
        "info() -> dict\n"
        "\n"
        "Everything atn info --json gives for the file: file, ok, format, antenna_type,\n"
        "antenna_name, person, description, description_lines, clamped_levels, e, h and\n"
        "directivity_estimate.");
    c.def("checks", Checks, "distance"_a = py::none(),
          "checks(distance=None) -> dict\n"
          "\n"
          "veloran.checks of this pattern.");
}
