// SPDX-License-Identifier: GPL-3.0-or-later
// Textbook models, the comparison of a measurement with the model of its
// type, and the gain by comparison with its uncertainty budget.
#include <pybind11/stl.h>

#include <optional>
#include <vector>

#include "checks.h"
#include "figures_json.h"
#include "theory.h"
#include "uncertainty.h"
#include "veloran_module.h"

using nlohmann::json;

namespace {

int TypeFrom(int type)
{
    if (type < 0 || type >= THEORY_TYPES)
        RaiseValue("type: the library's antenna types are 0 to 15, got " + std::to_string(type));
    return type;
}

// The model of a type, or RuntimeError with the reason it could not be made.
const TheoryModel &Model(int type)
{
    const TheoryModel &m = TheoryModelOf(TypeFrom(type));
    if (!m.ok)
        throw std::runtime_error(m.error);
    return m;
}

// The model of a pattern's recorded type, with atn's reasons when there is none.
const TheoryModel *ModelFor(int type, std::string &error)
{
    if (type < 0 || type >= THEORY_TYPES) {
        error = "the file records no library antenna type (type " + std::to_string(type) + ")";
        return nullptr;
    }
    const TheoryModel &m = TheoryModelOf(type);
    if (!m.ok) {
        error = m.error;
        return nullptr;
    }
    return &m;
}

json ComparisonJson(const TheoryComparison &c)
{
    if (!c.valid)
        return json{{"valid", false}};
    return json{
        {"valid", true},
        {"rotation_deg", c.rotation},
        {"rms_db", c.rms},
        {"max_diff_db", c.maxDiff},
        {"angles", c.angles},
        {"model_hpbw_deg", c.modelHpbw > 0 ? json(c.modelHpbw) : json(nullptr)},
        {"measured_hpbw_deg", c.measuredHpbw > 0 ? json(c.measuredHpbw) : json(nullptr)},
    };
}

py::dict Theory(py::handle typeObj)
{
    const int type = TypeFrom(IntFrom(typeObj, "type"));
    const TheoryModel &m = Model(type);
    const TheoryDesign &d = DesignOf(type);
    py::dict out = ToPython(json{
        {"type", type},
        {"name", d.name},
        {"frequency_mhz", d.frequencyMhz},
        {"engine", EngineName(d.engine)},
        {"gain_dbi", m.gainDbi},
        {"model", d.model},
        {"source", d.source},
        {"e_plane_cut", d.ePlane},
        {"h_plane_cut", d.hPlane},
    });
    out["e"] = LevelArray(m.e);
    out["h"] = LevelArray(m.h);
    return out;
}

py::dict CompareTheory(py::handle obj)
{
    const PyPattern &p = NeedPattern(obj, "pattern");
    const PatternRecord &r = p.loaded.rec;
    std::string error;
    const TheoryModel *m = ModelFor(r.Antype, error);
    if (!m)
        RaiseValue(error);
    const TheoryDesign &d = DesignOf(r.Antype);
    py::dict out = ToPython(json{
        {"ok", true},
        {"type", r.Antype},
        {"name", d.name},
        {"engine", EngineName(d.engine)},
        {"gain_dbi", m->gainDbi},
        {"e", ComparisonJson(CompareWithModel(r.e_data, m->e))},
        {"h", ComparisonJson(CompareWithModel(r.h_data, m->h))},
    });
    out["file"] = PathOrNone(p);
    return out;
}

// Patterns from one Pattern, one path, or a sequence of either.
std::vector<py::object> PatternsFrom(py::handle obj, const char *what)
{
    auto one = [&](py::handle o) -> py::object {
        if (PatternOf(o)) {
            NeedPattern(o, what);
            return py::reinterpret_borrow<py::object>(o);
        }
        if (py::isinstance<py::str>(o) || py::isinstance<py::bytes>(o)
            || py::hasattr(o, "__fspath__"))
            return ReadPattern(PathFrom(o, what));
        RaiseType(std::string(what) + ": expected veloran.Pattern objects or file names, got "
                  + std::string(py::str(py::type::handle_of(o).attr("__name__"))));
    };
    std::vector<py::object> out;
    if (obj.is_none())
        RaiseType(std::string(what) + ": expected patterns or file names, got None");
    if (PatternOf(obj) || py::isinstance<py::str>(obj) || py::isinstance<py::bytes>(obj)
        || py::hasattr(obj, "__fspath__")) {
        out.push_back(one(obj));
    } else if (py::isinstance<py::iterable>(obj)) {
        for (py::handle o : py::reinterpret_borrow<py::iterable>(obj))
            out.push_back(one(o));
    } else {
        one(obj);  // raises the TypeError naming it
    }
    if (out.empty())
        RaiseValue(std::string(what) + ": give at least one pattern");
    return out;
}

double Uncertainty(py::handle obj, const char *what)
{
    const double u = FiniteFrom(obj, what);
    if (u < 0)
        RaiseValue(std::string(what) + ": a standard uncertainty cannot be negative");
    return u;
}

py::dict Gain(py::handle filesObj, py::handle refsObj, py::handle refGainObj,
              py::handle distanceObj, py::handle uRef, py::handle uAttn, py::handle uMismatch,
              py::handle uAlign)
{
    const std::vector<py::object> files = PatternsFrom(filesObj, "files"),
                                  refs = PatternsFrom(refsObj, "references");
    std::optional<double> distance;
    if (!distanceObj.is_none()) {
        distance = FiniteFrom(distanceObj, "distance");
        if (!(*distance > 0))
            RaiseValue("distance: expected a positive number of metres");
    }
    GainSettings s;
    s.uReferenceGain = Uncertainty(uRef, "u_reference");
    s.uAttenuator = Uncertainty(uAttn, "u_attenuator");
    s.uMismatch = Uncertainty(uMismatch, "u_mismatch");
    s.uAlignment = Uncertainty(uAlign, "u_alignment");

    GainInput in;
    py::list filePaths, refPaths;
    for (const auto &[list, side, paths] :
         {std::tuple{&files, &in.antenna, &filePaths}, std::tuple{&refs, &in.reference, &refPaths}})
        for (const py::object &o : *list) {
            const PatternRecord &r = PatternOf(o)->loaded.rec;
            side->push_back({r.e_data, r.h_data, r.Eattn, r.Hattn});
            paths->append(PathOrNone(*PatternOf(o)));
        }
    const PatternRecord &a = PatternOf(files[0])->loaded.rec, &ref = PatternOf(refs[0])->loaded.rec;
    const bool given = !refGainObj.is_none();
    if (given) {
        in.referenceGainDbi = FiniteFrom(refGainObj, "reference_gain");
    } else {
        std::string error;
        const TheoryModel *m = ModelFor(ref.Antype, error);
        if (!m)
            RaiseValue("references: no reference gain: " + error + "; give reference_gain");
        in.referenceGainDbi = m->gainDbi;
    }
    in.referenceGainFromModel = !given;
    in.antennaFarField = FarFieldOfType(a.Antype, distance);
    in.referenceFarField = FarFieldOfType(ref.Antype, distance);
    std::string ignored;
    if (const TheoryModel *m = ModelFor(a.Antype, ignored))
        in.modelGainDbi = m->gainDbi;
    const GainResult g = GainWithUncertainty(in, s);
    if (!g.ok)
        RaiseValue(English(g.error));

    json j = GainJson(g);
    j["reference_gain_dbi"] = in.referenceGainDbi;
    j["reference_gain_from"] = given ? "given" : "model";
    j["plane_gain_dbi"] = json{{"e", g.eGainDbi ? json(*g.eGainDbi) : json(nullptr)},
                               {"h", g.hGainDbi ? json(*g.hGainDbi) : json(nullptr)}};
    j["e_minus_h_db"] = g.eGainDbi && g.hGainDbi ? json(*g.eGainDbi - *g.hGainDbi) : json(nullptr);
    j["model_gain_dbi"] = in.modelGainDbi ? json(*in.modelGainDbi) : json(nullptr);
    j["distance_m"] = distance ? json(*distance) : json(nullptr);
    j["far_field"] = json{{"antenna", FarFieldJson(in.antennaFarField)},
                          {"reference", FarFieldJson(in.referenceFarField)}};
    py::dict out = ToPython(j);
    out["file"] = filePaths[0];
    out["reference"] = refPaths[0];
    out["files"] = filePaths;
    out["references"] = refPaths;
    return out;
}

}  // namespace

void BindTheory(py::module_ &m)
{
    using namespace pybind11::literals;
    m.def("theory", Theory, "type"_a,
          "theory(type) -> dict\n"
          "\n"
          "The textbook model of a library antenna type (0 to 15), as atn theory gives it:\n"
          "type, name, frequency_mhz, engine (\"nec2c\" for the wire antennas, simulated\n"
          "with NEC-2, or \"closed form\"), gain_dbi, model, source, the physical cuts\n"
          "shown as E and H, and the cuts \"e\" and \"h\" as arrays of 360 levels in dBi\n"
          "(angle 0 on the main beam). Computed once per process. Raises RuntimeError\n"
          "when the model cannot be made (nec2c missing).");
    m.def("compare_theory", CompareTheory, "pattern"_a,
          "compare_theory(pattern) -> dict\n"
          "\n"
          "The pattern against the textbook model of its recorded type, as atn compare\n"
          "--theory --json gives it: per plane the model's aligning rotation, RMS and\n"
          "largest difference over the angles within 20 dB of the peak, and both\n"
          "half-power widths. Raises ValueError when the pattern records no library type.");
    m.def(
        "_model_overlay",
        [](py::handle measured, py::handle model) -> py::object {
            const Levels a = LevelsFrom(measured, "measured"), b = LevelsFrom(model, "model");
            const TheoryComparison c = CompareWithModel(a.data(), b.data());
            return c.valid ? py::object(LevelArray(c.scaled)) : py::object(py::none());
        },
        "measured"_a, "model"_a,
        "_model_overlay(measured, model) -> numpy.ndarray or None\n"
        "\n"
        "The model cut turned and set to the measured plane's level, as the viewer\n"
        "draws it dashed; None when the measured plane has no peak.");
    m.def("gain", Gain, "files"_a, "references"_a, "reference_gain"_a = py::none(),
          "distance"_a = py::none(), "u_reference"_a = 0.5, "u_attenuator"_a = 0.25,
          "u_mismatch"_a = 0.1, "u_alignment"_a = 0.1,
          "gain(files, references, reference_gain=None, distance=None, u_reference=0.5, "
          "u_attenuator=0.25, u_mismatch=0.1, u_alignment=0.1) -> dict\n"
          "\n"
          "The antenna's gain by comparison with a reference antenna of known gain\n"
          "measured in the same set-up, with its uncertainty budget, as atn gain --json\n"
          "gives it: gain_dbi = reference gain + (boresight level of the antenna - that\n"
          "of the reference), each the mean of the fitted peaks of a file's planes over\n"
          "the files given. files and references: a Pattern, a file name, or a sequence\n"
          "of either (several give the Type A term). reference_gain in dBi defaults to\n"
          "the textbook gain of the first reference's type; distance (metres) adds the\n"
          "far-field term; the u_ settings are standard uncertainties in dB. The budget\n"
          "is \"uncertainty\": its components, the combined standard uncertainty, the\n"
          "coverage factor k = 2 and the expanded uncertainty; \"far_field\" the check of\n"
          "each antenna at the distance; \"statement\" reads\n"
          "\"G = 7.8 ± 0.9 dBi (k = 2)\".");
}
