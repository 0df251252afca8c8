// SPDX-License-Identifier: GPL-3.0-or-later
// atn info and atn compare.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "antennas.h"
#include "atn.h"
#include "cli.h"
#include "figures_json.h"
#include "json.h"
#include "pattern_text.h"

namespace {

QString Text(const char *s)
{
    return QString::fromUtf8(s);
}

QJsonObject FileJson(const AtnPattern &p)
{
    const PatternRecord &r = p.rec;
    const auto d =
        DirectivityEstimate(PlaneLobeMetrics(r.e_data).hpbw, PlaneLobeMetrics(r.h_data).hpbw);
    const char *name = AntennaNameOf(r.Antype);
    return QJsonObject{
        {"file", QString::fromLocal8Bit(p.path.c_str())},
        {"ok", true},
        {"format", Text(p.format.c_str())},
        {"antenna_type", r.Antype},
        {"antenna_name", name ? QJsonValue(Text(name)) : QJsonValue()},
        {"person", QString::fromStdString(PersonOf(r))},
        {"description", QString::fromStdString(DescriptOf(r))},
        {"description_lines", p.desNO},
        {"clamped_levels", p.clampedLevels},
        {"e", PlaneJsonOf(r.Edate, r.Etime, r.Eattn, r.e_data)},
        {"h", PlaneJsonOf(r.Hdate, r.Htime, r.Hattn, r.h_data)},
        {"directivity_estimate",
         d ? QJsonValue(QJsonObject{{"ratio", d->ratio}, {"dbi", d->dBi}}) : QJsonValue()},
    };
}

std::string Num(const std::optional<double> &v, const char *unit, int decimals = 2)
{
    if (!v)
        return "none";
    char b[64];
    std::snprintf(b, sizeof b, "%.*f%s", decimals, *v, unit);
    return b;
}

std::string Num(const std::optional<int> &v, const char *unit)
{
    return v ? std::to_string(*v) + unit : "none";
}

void PrintPlane(const char *label, const char *date, const char *time, double attn,
                const PlaneFigures &f)
{
    const ViewerReadouts &r = f.readouts;
    const LobeMetrics &m = f.lobe;
    std::printf("  %s plane: measured %s %s, attenuation %.1f dB\n", label, date, time, attn);
    if (r.peak < 0)
        std::printf("    peak: none (no level above -30 dB)\n");
    else
        std::printf("    peak: %d deg, %.2f dB\n", r.peak, *r.peakLevel);
    if (r.hasBeamwidth)
        std::printf("    half-power: edges %.1f and %.1f deg, width %.1f deg, level %.2f dB\n",
                    r.search.left, r.search.right, r.hpbWidth, r.hpbLevel);
    else
        std::printf("    half-power: none (the viewer shows 0)\n");
    std::printf("    beamwidth -3 dB (interpolated): %s", Num(m.hpbw, " deg").c_str());
    if (m.hpbw)
        std::printf(" (%.2f to %.2f deg)", *m.hpbwLeft, *m.hpbwRight);
    std::printf("\n    beamwidth -10 dB: %s\n", Num(m.bw10, " deg").c_str());
    std::printf("    first-null beamwidth: %s", Num(m.fnbw, " deg").c_str());
    if (m.fnbw)
        std::printf(" (nulls at %d and %d deg)", *m.nullLeft, *m.nullRight);
    std::printf("\n    front-to-back: %s\n", Num(m.frontToBack, " dB").c_str());
    std::printf("    side lobe: %s", Num(m.sideLobeLevel, " dB").c_str());
    if (m.sideLobeLevel)
        std::printf(" at %d deg", *m.sideLobeAngle);
    std::printf("\n");
}

void PrintFile(const AtnPattern &p)
{
    const PatternRecord &r = p.rec;
    std::printf("%s (%s file)\n", Printable(ShownName(p.path)).c_str(), p.format.c_str());
    const char *name = AntennaNameOf(r.Antype);
    if (r.Antype == -1 || !name)
        std::printf("  antenna: type %d, It is not specified.\n", r.Antype);
    else
        std::printf("  antenna: type %d, %s\n", r.Antype, name);
    std::printf("  person: %s\n", Printable(PersonOf(r)).c_str());
    // Each line on its own, its control characters shown escaped so that
    // none of them reaches the terminal.
    std::string text = DescriptOf(r), d;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    for (size_t at = 0; at <= text.size() && !text.empty();) {
        const size_t nl = std::min(text.find('\n', at), text.size());
        d += (at ? "\n               " : "") + Printable(text.substr(at, nl - at));
        at = nl + 1;
    }
    std::printf("  description: %s\n", d.empty() ? "(none)" : d.c_str());
    if (p.clampedLevels)
        std::printf("  levels: %d beyond +-10000 dB, read as +-10000 dB\n", p.clampedLevels);
    const PlaneFigures e = FiguresOf(r.e_data), h = FiguresOf(r.h_data);
    PrintPlane("E", r.Edate, r.Etime, r.Eattn, e);
    PrintPlane("H", r.Hdate, r.Htime, r.Hattn, h);
    const auto dir = DirectivityEstimate(e.lobe.hpbw, h.lobe.hpbw);
    if (dir)
        std::printf("  directivity (estimate from the two half-power widths): %.1f, %.1f dBi\n",
                    dir->ratio, dir->dBi);
    else
        std::printf("  directivity (estimate): none, a plane has no half-power width or one wider "
                    "than 180 deg\n");
}

}  // namespace

QJsonObject PlaneJsonOf(const char *date, const char *time, double attn,
                        const double levels[PATTERN_LEVELS])
{
    return ToQJsonObject(PlaneFiguresJson(date, time, attn, levels));
}

int RunInfo(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "info",
                "Prints the header of each pattern file (antenna type, attenuations, person,\n"
                "description, dates), the viewer's readouts of each plane (peak angle and level,\n"
                "half-power edges, width and level) and the lobe metrics: interpolated -3 dB and\n"
                "-10 dB beamwidths, first-null beamwidth, front-to-back ratio, side-lobe level,\n"
                "and a directivity estimate (41253 / (E width x H width)).\n"
                "A file that cannot be read gets one line on stderr; the status is then 1.",
                "atn or MSI files");
    p.addOption({QStringLiteral("json"), QStringLiteral("One JSON document for all files.")});
    int status = 0;
    if (!Parse(p, args, "info", &status))
        return status;
    const QStringList files = p.positionalArguments();
    if (files.isEmpty()) {
        Complain("info: no file given; see --help");
        return 2;
    }
    const bool json = p.isSet(QStringLiteral("json"));
    QJsonArray all;
    int failed = 0;
    for (const QString &f : files) {
        AtnPattern pat;
        std::string error;
        const std::string path = f.toLocal8Bit().toStdString();
        if (!LoadPatternFile(path, pat, error)) {
            Complain(ShownName(path) + ": " + error);
            ++failed;
            if (json)
                all.append(QJsonObject{{"file", f}, {"ok", false}, {"error", Text(error.c_str())}});
            continue;
        }
        if (json)
            all.append(FileJson(pat));
        else
            PrintFile(pat);
    }
    if (json) {
        const QByteArray out = QJsonDocument(QJsonObject{{"files", all}}).toJson();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    }
    return failed ? 1 : 0;
}

int RunCompare(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "compare",
                "Compares pattern B with pattern A plane by plane: turns B to the rotation\n"
                "(0 to 359 degrees, as the viewer's rotate-right buttons turn it) that matches A\n"
                "best, and prints that rotation with the RMS and the largest level difference.",
                "A and B: atn or MSI files");
    p.addOption(
        {QStringLiteral("theory"),
         QStringLiteral("Compare each FILE instead with the textbook model of its recorded\n"
                        "antenna type (any number of files).")});
    p.addOption({QStringLiteral("json"), QStringLiteral("With --theory: one JSON document.")});
    int status = 0;
    if (!Parse(p, args, "compare", &status))
        return status;
    if (p.isSet(QStringLiteral("theory")))
        return CompareWithTheory(p.positionalArguments(), p.isSet(QStringLiteral("json")));
    if (p.isSet(QStringLiteral("json"))) {
        Complain("compare: --json goes with --theory");
        return 2;
    }
    const QStringList files = p.positionalArguments();
    if (files.size() != 2) {
        Complain("compare: give exactly two files; see --help");
        return 2;
    }
    AtnPattern a, b;
    for (auto [f, pat] : {std::pair{files[0], &a}, std::pair{files[1], &b}}) {
        std::string error;
        const std::string path = f.toLocal8Bit().toStdString();
        if (!LoadPatternFile(path, *pat, error)) {
            Complain(ShownName(path) + ": " + error);
            return 1;
        }
    }
    std::printf("A: %s\nB: %s\n", Printable(ShownName(a.path)).c_str(),
                Printable(ShownName(b.path)).c_str());
    for (int plane = 0; plane < 2; ++plane) {
        const PlaneComparison c = plane == 0 ? ComparePlanes(a.rec.e_data, b.rec.e_data)
                                             : ComparePlanes(a.rec.h_data, b.rec.h_data);
        std::printf("%s plane: B turned right by %d deg: RMS difference %.2f dB, largest %.2f dB\n",
                    plane == 0 ? "E" : "H", c.rotation, c.rms, c.maxDiff);
    }
    return 0;
}

std::string PersonOf(const PatternRecord &r)
{
    return DecodePerson(r.person, PATTERN_DEFAULT_CODEPAGE, PATTERN_PERSON_MAX);
}

std::string DescriptOf(const PatternRecord &r)
{
    return DecodeDescript(r.descript, PATTERN_DEFAULT_CODEPAGE, PATTERN_DESCRIPT_MAX);
}

std::string Printable(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    char esc[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = (unsigned char)text[i];
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(esc, sizeof esc, "\\x%02x", c);
            out += esc;
        } else if (c == 0xC2 && i + 1 < text.size() && (unsigned char)text[i + 1] >= 0x80
                   && (unsigned char)text[i + 1] <= 0x9F) {
            // A C1 control (U+0080 to U+009F), which some terminals obey too.
            std::snprintf(esc, sizeof esc, "\\u%04x", (unsigned char)text[i + 1]);
            out += esc;
            ++i;
        } else {
            out += char(c);
        }
    }
    return out;
}
