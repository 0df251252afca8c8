// SPDX-License-Identifier: GPL-3.0-or-later
// atn theory and atn compare --theory: the library types' textbook models
// beside measurements.
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "atn.h"
#include "cli.h"
#include "msi.h"
#include "pattern_file.h"
#include "render.h"
#include "theory.h"

namespace {

// The graphs' lowest level: what lies below it is drawn at the centre.
constexpr double kDrawFloor = -30.0;

QString U(const char *s)
{
    return QString::fromUtf8(s);
}

std::string Fixed(double v, int decimals)
{
    char b[64];
    std::snprintf(b, sizeof b, "%.*f", decimals, v);
    return b;
}

bool ParseType(const QString &s, int *type)
{
    bool ok = false;
    const int t = s.toInt(&ok);
    if (!ok || t < 0 || t >= THEORY_TYPES)
        return false;
    *type = t;
    return true;
}

// The model as a pattern record: the levels in dBi (or relative to the
// peak), floored at the graphs' -30 dB.
PatternRecord ModelRecord(int type, const TheoryModel &m, bool relative, std::string *text,
                          int *lines)
{
    PatternRecord r{};
    r.Antype = type;
    const double shift = relative ? -m.gainDbi : 0.0;
    for (int k = 0; k < LEVELS; ++k) {
        r.e_data[k] = std::max(kDrawFloor, m.e[k] + shift);
        r.h_data[k] = std::max(kDrawFloor, m.h[k] + shift);
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray date = now.toString(QStringLiteral("MM-dd-yyyy")).toLatin1();
    const QByteArray time = now.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    std::snprintf(r.Edate, sizeof r.Edate, "%s", date.constData());
    std::snprintf(r.Hdate, sizeof r.Hdate, "%s", date.constData());
    std::snprintf(r.Etime, sizeof r.Etime, "%s", time.constData());
    std::snprintf(r.Htime, sizeof r.Htime, "%s", time.constData());
    const TheoryDesign &d = DesignOf(type);
    const std::string descript = std::string("Textbook model: ") + d.name + ", "
                                 + EngineName(d.engine) + "\nGain " + Fixed(m.gainDbi, 2)
                                 + " dBi; levels in dBi, floored at -30\n";
    std::snprintf(r.person, sizeof r.person, "%s", "Textbook model");
    std::snprintf(r.descript, sizeof r.descript, "%s", descript.c_str());
    if (text)
        *text = ViewerTextBlock(r.person, r.descript);
    if (lines)
        *lines = 2;
    return r;
}

bool WriteModel(const QString &out, int type, const TheoryModel &m, const QString &view, int size)
{
    const std::string outPath = out.toLocal8Bit().toStdString();
    const QString ext = QFileInfo(out).suffix().toLower();
    std::string error;
    if (ext == QLatin1String("atn")) {
        std::string text;
        int lines = 0;
        const PatternRecord r = ModelRecord(type, m, false, nullptr, &lines);
        const PatternFileResult w = WritePatternFile(outPath, PatternFileDataOf(r, lines, text));
        if (!w.ok)
            Complain(outPath + ": not written: " + w.error);
        return w.ok;
    }
    std::string bytes;
    if (ext == QLatin1String("csv")) {
        bytes = FormatCsv(m.e, m.h);
    } else if (ext == QLatin1String("msi")) {
        MsiWriteData d;
        d.name = DesignOf(type).name;
        d.frequencyMHz = DesignOf(type).frequencyMhz;
        const LobeMetrics e = PlaneLobeMetrics(m.e), h = PlaneLobeMetrics(m.h);
        d.hWidth = h.hpbw;
        d.vWidth = e.hpbw;
        d.frontToBack = h.frontToBack;
        d.comment = std::string("Textbook model (") + EngineName(DesignOf(type).engine) + "), gain "
                    + Fixed(m.gainDbi, 2) + " dBi";
        d.eLevels = m.e;
        d.hLevels = m.h;
        bytes = FormatMsi(d);
    } else if (ext == QLatin1String("png") || ext == QLatin1String("svg")
               || ext == QLatin1String("pdf")) {
        if (!PrepareDrawing(error)) {
            Complain(error);
            return false;
        }
        // Drawn relative to the peak: the graphs' scale ends at +5 dB.
        DrawPattern(ModelRecord(type, m, true, nullptr, nullptr), true, true);
        const int ctrl = view == QLatin1String("cartesian") ? CartesianGraph() : PolarGraph();
        if (rt::SaveGraphPicture(DrawingPanel(), ctrl, out.toLocal8Bit().constData(), size, size,
                                 &error)
            != 0) {
            Complain(outPath + ": not written: " + error);
            return false;
        }
        return true;
    } else {
        Complain("theory: -o takes a file ending in .atn, .csv, .msi, .png, .svg or .pdf");
        return false;
    }
    if (!SaveBytes(out, QByteArray(bytes.data(), qsizetype(bytes.size())), error)) {
        Complain(outPath + ": not written: " + error);
        return false;
    }
    return true;
}

QJsonObject ComparisonJson(const TheoryComparison &c)
{
    if (!c.valid)
        return QJsonObject{{"valid", false}};
    return QJsonObject{
        {"valid", true},
        {"rotation_deg", c.rotation},
        {"rms_db", c.rms},
        {"max_diff_db", c.maxDiff},
        {"angles", c.angles},
        {"model_hpbw_deg", c.modelHpbw > 0 ? QJsonValue(c.modelHpbw) : QJsonValue()},
        {"measured_hpbw_deg", c.measuredHpbw > 0 ? QJsonValue(c.measuredHpbw) : QJsonValue()},
    };
}

std::string ComparisonLine(const char *plane, const TheoryComparison &c)
{
    if (!c.valid)
        return std::string(plane) + " plane: no peak to compare";
    auto w = [](double v) { return v > 0 ? Fixed(v, 1) + " deg" : std::string("none"); };
    return std::string(plane) + " plane: model turned right by " + std::to_string(c.rotation)
           + " deg: RMS " + Fixed(c.rms, 2) + " dB, largest " + Fixed(c.maxDiff, 2) + " dB over "
           + std::to_string(c.angles) + " angles; half-power width model " + w(c.modelHpbw)
           + ", measured " + w(c.measuredHpbw);
}

// The model of a record's type, or false with the reason.
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

}  // namespace

int RunTheory(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "theory",
                "Prints the textbook model of a library antenna type (0 to 15, as \"atn info\"\n"
                "names them): the wire antennas simulated with NEC-2 (the nec2c program),\n"
                "horn and patches from closed-form models. The E and H cuts are levels in dBi,\n"
                "angle 0 on the main beam. -o writes the model as .atn (levels in dBi, floored\n"
                "at -30), .csv, .msi, or as a picture (.png, .svg, .pdf: relative to the peak).",
                "TYPE: the library's antenna type, 0 to 15");
    p.clearPositionalArguments();  // a type, not a file
    p.addPositionalArgument(QStringLiteral("TYPE"),
                            QStringLiteral("The library's antenna type, 0 to 15."));
    p.addOption({QStringLiteral("json"), QStringLiteral("Print the model as one JSON document.")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("Write the model to OUT (.atn, .csv, .msi, .png, .svg or .pdf)."),
                 QStringLiteral("OUT")});
    p.addOption({QStringLiteral("view"), QStringLiteral("Pictures: polar (default) or cartesian."),
                 QStringLiteral("VIEW"), QStringLiteral("polar")});
    p.addOption({QStringLiteral("size"),
                 QStringLiteral("Pictures: width and height in pixels, 16 to 8000 (default 900)."),
                 QStringLiteral("PIXELS"), QStringLiteral("900")});
    int status = 0;
    if (!Parse(p, args, "theory", &status))
        return status;
    const QStringList pos = p.positionalArguments();
    int type = -1;
    if (pos.size() != 1 || !ParseType(pos[0], &type)) {
        Complain("theory: give one antenna type, 0 to 15; see --help");
        return 2;
    }
    const QString view = p.value(QStringLiteral("view")).toLower();
    bool sizeOk = false;
    const int size = p.value(QStringLiteral("size")).toInt(&sizeOk);
    if ((view != QLatin1String("polar") && view != QLatin1String("cartesian")) || !sizeOk
        || size < 16 || size > 8000) {
        Complain("theory: --view takes polar or cartesian, --size 16 to 8000");
        return 2;
    }
    const TheoryModel &m = TheoryModelOf(type);
    if (!m.ok) {
        Complain(m.error);
        return 1;
    }
    const TheoryDesign &d = DesignOf(type);
    if (p.isSet(QStringLiteral("output"))
        && !WriteModel(p.value(QStringLiteral("output")), type, m, view, size))
        return 1;
    if (p.isSet(QStringLiteral("json"))) {
        const QJsonObject o{
            {"type", type},
            {"name", U(d.name)},
            {"frequency_mhz", d.frequencyMhz},
            {"engine", U(EngineName(d.engine))},
            {"gain_dbi", m.gainDbi},
            {"model", U(d.model)},
            {"source", U(d.source)},
            {"e_plane_cut", U(d.ePlane)},
            {"h_plane_cut", U(d.hPlane)},
            {"e", PlaneJsonOf("", "", 0.0, m.e)},
            {"h", PlaneJsonOf("", "", 0.0, m.h)},
        };
        const QByteArray out = QJsonDocument(o).toJson();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    } else if (!p.isSet(QStringLiteral("output"))) {
        const LobeMetrics e = PlaneLobeMetrics(m.e), h = PlaneLobeMetrics(m.h);
        auto w = [](const std::optional<double> &v) {
            return v ? Fixed(*v, 1) + " deg" : std::string("none (no 3 dB fall)");
        };
        std::printf("type %d: %s\n  engine: %s\n  model: %s\n  source: %s\n", type, d.name,
                    EngineName(d.engine), d.model, d.source);
        std::printf("  E plane: %s\n  H plane: %s\n", d.ePlane, d.hPlane);
        std::printf("  gain: %.2f dBi\n  half-power width: E %s, H %s\n", m.gainDbi,
                    w(e.hpbw).c_str(), w(h.hpbw).c_str());
    }
    return 0;
}

int CompareWithTheory(const QStringList &files, bool json)
{
    if (files.isEmpty()) {
        Complain("compare --theory: no file given; see --help");
        return 2;
    }
    QJsonArray all;
    int failed = 0;
    for (const QString &f : files) {
        AtnPattern pat;
        std::string error;
        const std::string path = f.toLocal8Bit().toStdString();
        const TheoryModel *m = nullptr;
        if (LoadPatternFile(path, pat, error))
            m = ModelFor(pat.rec.Antype, error);
        if (!m) {
            Complain(path + ": " + error);
            ++failed;
            if (json)
                all.append(QJsonObject{{"file", f}, {"ok", false}, {"error", U(error.c_str())}});
            continue;
        }
        const int type = pat.rec.Antype;
        const TheoryDesign &d = DesignOf(type);
        const TheoryComparison e = CompareWithModel(pat.rec.e_data, m->e);
        const TheoryComparison h = CompareWithModel(pat.rec.h_data, m->h);
        if (json) {
            all.append(QJsonObject{{"file", f},
                                   {"ok", true},
                                   {"type", type},
                                   {"name", U(d.name)},
                                   {"engine", U(EngineName(d.engine))},
                                   {"gain_dbi", m->gainDbi},
                                   {"e", ComparisonJson(e)},
                                   {"h", ComparisonJson(h)}});
        } else {
            std::printf("%s: type %d, %s: textbook model (%s), gain %.2f dBi\n  %s\n  %s\n",
                        path.c_str(), type, d.name, EngineName(d.engine), m->gainDbi,
                        ComparisonLine("E", e).c_str(), ComparisonLine("H", h).c_str());
        }
    }
    if (json) {
        const QByteArray out = QJsonDocument(QJsonObject{{"files", all}}).toJson();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    }
    return failed ? 1 : 0;
}

std::optional<double> ModelGainOfType(int type, std::string *error)
{
    std::string why;
    const TheoryModel *m = ModelFor(type, why);
    if (!m) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    return m->gainDbi;
}
