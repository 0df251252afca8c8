// SPDX-License-Identifier: GPL-3.0-or-later
// atn info and atn compare.
#include <QJsonArray>
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

// An angle as a reading: whole degrees without decimals, else one.
std::string Angle(double a)
{
    std::string t = Fixed(a, 1);
    if (t.size() > 2 && t.compare(t.size() - 2, 2, ".0") == 0)
        t.resize(t.size() - 2);
    return t;
}

std::string Width(const std::optional<double> &w, const std::optional<double> &left,
                  const std::optional<double> &right)
{
    std::string t = Num(w, " deg");
    if (w && left && right)
        t += " (" + Fixed(*left, 2) + " to " + Fixed(*right, 2) + " deg)";
    return t;
}

// The fitted figure, and the raw one (from the samples as they are) beside
// it where the two read differently.
std::string WithRaw(const std::string &fitted, const std::string &raw)
{
    return fitted == raw ? fitted : fitted + "; raw " + raw;
}

// The first nulls, with a note where they lie on the floor (the fitted
// ones know it).
std::string Nulls(const std::optional<double> &width, const std::optional<double> &left,
                  const std::optional<double> &right, bool leftLimited = false,
                  bool rightLimited = false)
{
    if (!width || !left || !right)
        return "none";
    std::string note;
    if (leftLimited && rightLimited)
        note = ", both on the floor: deeper than measured";
    else if (leftLimited || rightLimited)
        note = ", the one at " + Angle(leftLimited ? *left : *right)
               + " deg on the floor: deeper than measured";
    return Angle(*width) + " deg (nulls at " + Angle(*left) + " and " + Angle(*right) + " deg"
           + note + ")";
}

// A lobe's level relative to the peak, as a bound where it lies on the floor.
std::string LobeText(const LobeLevel &l)
{
    std::string level = Fixed(l.level, 2);
    if (l.level > 0 && level != "0.00")
        level = "+" + level;  // a second main lobe a little above the fitted peak
    return std::string(l.limited ? "≤ " : "") + level + " dB at " + Angle(l.angle) + " deg"
           + (l.limited ? " (it lies on the -30 dB floor)" : "");
}

void PrintFitted(const PlaneFigures &f, const FittedLobeMetrics &m)
{
    const LobeMetrics &raw = f.lobe;
    const PlaneFit &fit = m.fit;
    if (!fit.peakFound) {
        std::printf("    fitted peak: none\n");
        return;
    }
    const std::string rawPeak =
        std::to_string(raw.peak) + " deg, " + Fixed(*raw.peakLevel, 2) + " dB";
    const std::string fitPeak = Angle(fit.peakAngle) + " deg, " + Fixed(fit.peakLevel, 2) + " dB";
    std::printf("    fitted peak: %s (+-%s dB)%s\n", fitPeak.c_str(),
                Fixed(fit.peakLevelU, 2).c_str(),
                fitPeak == rawPeak ? "" : ("; raw " + rawPeak).c_str());
    std::printf("    beamwidth -3 dB (fitted): %s\n",
                WithRaw(Width(m.hpbw, m.hpbwLeft, m.hpbwRight),
                        Width(raw.hpbw, raw.hpbwLeft, raw.hpbwRight))
                    .c_str());
    std::printf("    beamwidth -10 dB (fitted): %s\n",
                WithRaw(Num(m.bw10, " deg"), Num(raw.bw10, " deg")).c_str());
    auto opt = [](const std::optional<int> &v) {
        return v ? std::optional<double>(*v) : std::nullopt;
    };
    std::printf(
        "    first-null beamwidth (fitted): %s\n",
        WithRaw(Nulls(m.fnbw, m.nullLeft, m.nullRight, m.nullLeftLimited, m.nullRightLimited),
                Nulls(opt(raw.fnbw), opt(raw.nullLeft), opt(raw.nullRight)))
            .c_str());
    if (m.mainLobes == 2)
        std::printf("    main lobes: two, within %.0f dB of each other, at %s and %s deg\n",
                    EQUAL_LOBES_DB, Angle(fit.peakAngle).c_str(), Angle(m.backLobe->angle).c_str());
    if (!m.backLobe)
        std::printf("    back lobe: none\n");
    else if (m.mainLobes == 2)
        std::printf("    back lobe: the second main lobe, %s\n", LobeText(*m.backLobe).c_str());
    else
        std::printf("    back lobe: %s\n", LobeText(*m.backLobe).c_str());
    if (m.frontToBack && m.frontToBackLimited)
        std::printf("    front-to-back: ≥ %s dB (the back lies on the -30 dB floor)\n",
                    Fixed(*m.frontToBack, 2).c_str());
    else
        std::printf("    front-to-back: %s\n", Num(m.frontToBack, " dB").c_str());
    if (m.sideLobe)
        std::printf("    side lobes: %d, the highest %s\n", m.sideLobes,
                    LobeText(*m.sideLobe).c_str());
    else
        std::printf("    side lobes: none\n");
    if (!fit.noiseKnown)
        std::printf("    noise: unknown (too little of the plane lies above the floor)\n");
    else if (fit.noisy)
        std::printf("    noise: %s dB per reading; it lifts the highest sample %s dB above the "
                    "fitted peak: average several readings per step in Kesto\n",
                    Fixed(fit.noiseDb, 2).c_str(), Fixed(fit.peakBias, 2).c_str());
    else
        std::printf("    noise: %s dB per reading\n", Fixed(fit.noiseDb, 2).c_str());
    std::printf("    dynamic range: %s dB above the -30 dB floor\n",
                Fixed(fit.peakLevel - PATTERN_FLOOR, 2).c_str());
}

void PrintPlane(const char *label, const char *date, const char *time, double attn,
                const double levels[PATTERN_LEVELS])
{
    const PlaneFigures f = FiguresOf(levels);
    const ViewerReadouts &r = f.readouts;
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
    PrintFitted(f, PlaneFittedMetrics(levels));
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
    PrintPlane("E", r.Edate, r.Etime, r.Eattn, r.e_data);
    PrintPlane("H", r.Hdate, r.Htime, r.Hattn, r.h_data);
    const auto dir =
        DirectivityEstimate(PlaneLobeMetrics(r.e_data).hpbw, PlaneLobeMetrics(r.h_data).hpbw);
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
                "half-power edges, width and level) and the lobe metrics through the noise: the\n"
                "main lobe's peak fitted over its top, the -3 dB and -10 dB beamwidths and the\n"
                "first nulls on a smoothed curve (the raw figure from the samples beside each\n"
                "where the two differ), the back lobe apart from the side lobes, the\n"
                "front-to-back ratio, the noise per reading (with a hint when it lifts the\n"
                "highest sample more than 0.3 dB above the fitted peak) and the dynamic range\n"
                "above the -30 dB floor. A figure within 1 dB of the floor is a bound: \">=\" or\n"
                "\"<=\". The directivity estimate (41253 / (E width x H width)) uses the raw\n"
                "widths. --json keeps the raw metrics under \"lobe\" (with a limited_by_floor\n"
                "flag beside each bound) and adds \"fitted\", \"noise\" and \"dynamic_range_db\".\n"
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
    if (json && !PrintJson(QJsonObject{{"files", all}}))
        return 1;
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
