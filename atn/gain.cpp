// SPDX-License-Identifier: GPL-3.0-or-later
// atn gain: the gain by comparison with a reference antenna, with its
// uncertainty budget.
#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "atn.h"
#include "checks.h"
#include "cli.h"
#include "figures_json.h"
#include "json.h"
#include "uncertainty.h"

namespace {

const char kHelp[] =
    "The antenna's gain by comparison with a reference antenna of known gain measured\n"
    "in the same set-up (the gain-transfer method). The levels of a pattern file are\n"
    "received levels with the attenuation added back, so\n"
    "  G = Gref + (boresight level of the antenna - that of the reference),\n"
    "a boresight level being the mean of the peaks of a file's two planes, each\n"
    "fitted over its main lobe's top through the noise, averaged over the files\n"
    "given. It assumes the same distance, frequency, polarisation and source power\n"
    "for every file, both antennas in the far field and matched alike, and each\n"
    "plane's attenuation read back into its levels.\n"
    "Several files of the antenna and of the reference (repeated measurements) give\n"
    "the Type A term: atn gain A1.atn A2.atn --reference R1.atn R2.atn (files after\n"
    "--reference are references when files came before it; --reference may also be\n"
    "given once for each).\n"
    "The result reads \"G = 7.8 +- 0.9 dBi (k = 2)\": each source of doubt is a\n"
    "standard uncertainty in dB, combined by root sum of squares, expanded with the\n"
    "coverage factor k = 2. The budget:\n"
    "  Repeatability (Type A): the standard deviation of the files' boresight levels\n"
    "    over the square root of their number; none with one file each.\n"
    "  Reference antenna gain: --u-reference (default 0.5 dB).\n"
    "  Level resolution: the receiver's 0.05 dB step, rectangular, in both levels.\n"
    "  Attenuator setting: --u-attenuator (default 0.25 dB), counted only when the\n"
    "    antenna's and the reference's attenuations differ.\n"
    "  Peak sampling: the loss of the one-degree grid at the beam's peak, from the\n"
    "    measured half-power widths.\n"
    "  Mismatch and alignment: --u-mismatch and --u-alignment (default 0.1 dB each).\n"
    "  Far field: with --distance, when an antenna fails the far-field check (see\n"
    "    atn check --help), a term from the phase error across its aperture at that\n"
    "    distance; too close for that, the result is outside the method. Without\n"
    "    --distance it is not counted.\n"
    "  Noise: from the noise estimate of each plane at its fitted peak.\n"
    "Gref defaults to the textbook model gain of the first reference file's antenna\n"
    "type (2.12 dBi for the half-wave dipole). A gain more than 3 dB from the\n"
    "textbook model gain of the antenna's own type is flagged: check the set-up.\n"
    "The antenna type, and the size the far-field check takes, are those of the\n"
    "first file of each.";

// The command line's files: those after the first --reference are
// references when files came before it (atn gain A1 A2 --reference R1 R2),
// measured antennas otherwise (the older atn gain --reference R A).
struct CommandFiles {
    QStringList antenna, reference;
};

CommandFiles SplitFiles(const QStringList &args, const QStringList &valued)
{
    CommandFiles g;
    QStringList after;
    bool seenReference = false, before = false, onlyFiles = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!onlyFiles && a == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        if (!onlyFiles && a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1), value;
            bool hasValue = false;
            if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
                value = name.mid(eq + 1);
                name = name.left(eq);
                hasValue = true;
            } else if (valued.contains(name) && i + 1 < args.size()) {
                value = args[++i];
                hasValue = true;
            }
            if (name == QLatin1String("reference") && hasValue) {
                g.reference << value;
                seenReference = true;
            }
            continue;
        }
        if (seenReference) {
            after << a;
        } else {
            before = true;
            g.antenna << a;
        }
    }
    (before ? g.reference : g.antenna) << after;
    return g;
}

// A standard uncertainty option: 0 or more dB.
bool Uncertainty(QCommandLineParser &p, const char *name, double *u)
{
    const QString key = QString::fromUtf8(name);
    if (!p.isSet(key))
        return true;
    bool ok = false;
    const double v = p.value(key).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0) {
        Complain(std::string("gain: --") + name
                 + " takes a standard uncertainty in dB, 0 or more; \"" + p.value(key).toStdString()
                 + "\" is not one");
        return false;
    }
    *u = v;
    return true;
}

bool LoadAll(const QStringList &files, std::vector<AtnPattern> &out)
{
    bool ok = true;
    for (const QString &f : files) {
        AtnPattern pat;
        std::string error;
        const std::string path = f.toLocal8Bit().toStdString();
        if (!LoadPatternFile(path, pat, error)) {
            Complain(ShownName(path) + ": " + error);
            ok = false;
        }
        out.push_back(std::move(pat));
    }
    return ok;
}

std::vector<GainFile> Measured(const std::vector<AtnPattern> &pats)
{
    std::vector<GainFile> out;
    for (const AtnPattern &p : pats)
        out.push_back({p.rec.e_data, p.rec.h_data, p.rec.Eattn, p.rec.Hattn});
    return out;
}

std::string Names(const std::vector<AtnPattern> &pats)
{
    std::string s;
    for (const AtnPattern &p : pats)
        s += (s.empty() ? "" : ", ") + Printable(ShownName(p.path));
    return s;
}

std::string Dbi(const std::optional<double> &v)
{
    return v ? Fixed(*v, 2) + " dBi" : std::string("no peak");
}

void PrintBudget(const GainResult &g)
{
    size_t width = std::string("Component").size();
    for (const UncertaintyComponent &c : g.components)
        width = std::max(width, English(c.name).size());
    std::printf("  Uncertainty budget (standard uncertainties):\n");
    std::printf("    %-*s  u (dB)  Counted  Source\n", int(width), "Component");
    for (const UncertaintyComponent &c : g.components)
        std::printf("    %-*s  %6s  %-7s  %s\n", int(width), English(c.name).c_str(),
                    Fixed(c.u, 3).c_str(), c.counted ? "yes" : "no", English(c.source).c_str());
    std::printf("  Combined standard uncertainty u_c = %s dB (root sum of squares)\n",
                Fixed(g.combined, 2).c_str());
    std::printf("  Coverage factor k = %s, expanded uncertainty U = k u_c = %s dB\n",
                Fixed(g.coverage, 0).c_str(), Fixed(g.expanded, 2).c_str());
}

std::string FarFieldText(const GainResult &g, const FarField &a, const FarField &r,
                         std::optional<double> distance)
{
    if (!distance)
        return "not checked (no --distance given)";
    if (g.outsideMethod)
        return "outside the method: at R = " + Fixed(*distance, 3)
               + " m an antenna is too close for the comparison to give its far-field gain "
                 "(see atn check)";
    if (!a.made && !r.made)
        return "not checked: neither file records a library antenna type, so their sizes "
               "are not known";
    for (const UncertaintyComponent &c : g.components)
        if (c.id == "far_field" && c.counted)
            return "at R = " + Fixed(*distance, 3) + " m an antenna is not in the far field: "
                   + "the phase error across its aperture counts " + Fixed(c.u, 3) + " dB";
    return "at R = " + Fixed(*distance, 3) + " m "
           + (a.made && r.made ? "both antennas are"
              : a.made         ? "the antenna is"
                               : "the reference is")
           + " in the far field";
}

}  // namespace

int RunGain(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "gain", kHelp, "the measured antenna's atn or MSI files");
    const QStringList valued{QStringLiteral("reference"),    QStringLiteral("reference-gain"),
                             QStringLiteral("distance"),     QStringLiteral("u-reference"),
                             QStringLiteral("u-attenuator"), QStringLiteral("u-mismatch"),
                             QStringLiteral("u-alignment")};
    p.addOption({QStringLiteral("reference"),
                 QStringLiteral("A reference antenna's file (files after it are references\n"
                                "too when files came before it)."),
                 QStringLiteral("REF")});
    p.addOption({QStringLiteral("reference-gain"),
                 QStringLiteral("The reference antenna's gain in dBi (default: the textbook\n"
                                "model gain of its type)."),
                 QStringLiteral("DBI")});
    p.addOption({QStringLiteral("distance"),
                 QStringLiteral("The range distance in metres, for the far-field term\n"
                                "(default: none, not counted)."),
                 QStringLiteral("M")});
    p.addOption({QStringLiteral("u-reference"),
                 QStringLiteral("Standard uncertainty of the reference gain (default 0.5 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("u-attenuator"),
                 QStringLiteral("Standard uncertainty of an attenuator setting, counted when\n"
                                "the files' attenuations differ (default 0.25 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("u-mismatch"),
                 QStringLiteral("Standard uncertainty of the mismatch (default 0.1 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("u-alignment"),
                 QStringLiteral("Standard uncertainty of the alignment (default 0.1 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON document.")});
    int status = 0;
    QString firstReference;
    if (!Parse(p, args, "gain", &status)
        || !Required(p, QStringLiteral("reference"), &firstReference, &status))
        return status;
    const CommandFiles files = SplitFiles(args, valued);
    if (files.antenna.isEmpty()) {
        Complain("gain: give at least one measured file; see --help");
        return 2;
    }
    std::optional<double> given, distance;
    if (p.isSet(QStringLiteral("reference-gain"))) {
        bool ok = false;
        const double g = p.value(QStringLiteral("reference-gain")).toDouble(&ok);
        if (!ok || !std::isfinite(g)) {
            Complain("gain: --reference-gain takes a number of dBi");
            return 2;
        }
        given = g;
    }
    GainSettings settings;
    if (!ParseDistanceOption(p, "gain", &distance)
        || !Uncertainty(p, "u-reference", &settings.uReferenceGain)
        || !Uncertainty(p, "u-attenuator", &settings.uAttenuator)
        || !Uncertainty(p, "u-mismatch", &settings.uMismatch)
        || !Uncertainty(p, "u-alignment", &settings.uAlignment))
        return 2;
    std::vector<AtnPattern> aut, ref;
    const bool autRead = LoadAll(files.antenna, aut);
    if (!LoadAll(files.reference, ref) || !autRead)
        return 1;

    GainInput in;
    in.antenna = Measured(aut);
    in.reference = Measured(ref);
    in.referenceGainFromModel = !given;
    if (given) {
        in.referenceGainDbi = *given;
    } else {
        std::string error;
        const auto model = ModelGainOfType(ref[0].rec.Antype, &error);
        if (!model) {
            Complain(ref[0].path + ": no reference gain: " + error + "; give --reference-gain");
            return 1;
        }
        in.referenceGainDbi = *model;
    }
    in.antennaFarField = FarFieldOfType(aut[0].rec.Antype, distance);
    in.referenceFarField = FarFieldOfType(ref[0].rec.Antype, distance);
    in.modelGainDbi = ModelGainOfType(aut[0].rec.Antype);
    const GainResult g = GainWithUncertainty(in, settings);
    if (!g.ok)
        Complain("gain: " + English(g.error));

    if (p.isSet(QStringLiteral("json"))) {
        QJsonObject o = ToQJsonObject(GainJson(g));
        auto opt = [](const std::optional<double> &v) {
            return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
        };
        o.insert(QStringLiteral("file"), files.antenna[0]);
        o.insert(QStringLiteral("reference"), files.reference[0]);
        o.insert(QStringLiteral("files"), QJsonArray::fromStringList(files.antenna));
        o.insert(QStringLiteral("references"), QJsonArray::fromStringList(files.reference));
        o.insert(QStringLiteral("reference_gain_dbi"), in.referenceGainDbi);
        o.insert(QStringLiteral("reference_gain_from"),
                 given ? QStringLiteral("given") : QStringLiteral("model"));
        o.insert(QStringLiteral("model_gain_dbi"), opt(in.modelGainDbi));
        o.insert(QStringLiteral("distance_m"), opt(distance));
        o.insert(QStringLiteral("far_field"),
                 QJsonObject{{"antenna", ToQJson(FarFieldJson(in.antennaFarField))},
                             {"reference", ToQJson(FarFieldJson(in.referenceFarField))}});
        if (g.ok) {
            o.insert(QStringLiteral("plane_gain_dbi"),
                     QJsonObject{{"e", opt(g.eGainDbi)}, {"h", opt(g.hGainDbi)}});
            o.insert(QStringLiteral("e_minus_h_db"), g.eGainDbi && g.hGainDbi
                                                         ? QJsonValue(*g.eGainDbi - *g.hGainDbi)
                                                         : QJsonValue(QJsonValue::Null));
        }
        return PrintJson(o) && g.ok ? 0 : 1;
    }
    if (!g.ok)
        return 1;
    const char *from = given ? "given" : "its type's model";
    if (aut.size() == 1 && ref.size() == 1)
        std::printf("%s against %s (reference gain %.2f dBi, %s)\n", Names(aut).c_str(),
                    Names(ref).c_str(), in.referenceGainDbi, from);
    else
        std::printf("%zu antenna file%s against %zu reference file%s (reference gain %.2f "
                    "dBi, %s)\n  antenna: %s\n  reference: %s\n",
                    aut.size(), aut.size() == 1 ? "" : "s", ref.size(), ref.size() == 1 ? "" : "s",
                    in.referenceGainDbi, from, Names(aut).c_str(), Names(ref).c_str());
    std::printf("  %s\n", GainStatement(g).c_str());
    PrintBudget(g);
    std::printf("  E plane: %s\n  H plane: %s\n", Dbi(g.eGainDbi).c_str(), Dbi(g.hGainDbi).c_str());
    if (g.eGainDbi && g.hGainDbi)
        std::printf("  E minus H: %.2f dB (a check of the set-up)\n", *g.eGainDbi - *g.hGainDbi);
    if (in.modelGainDbi)
        std::printf("  model gain of its type: %.2f dBi%s\n", *in.modelGainDbi,
                    g.farFromModel
                        ? (": the result is " + Fixed(std::fabs(g.gainDbi - *in.modelGainDbi), 1)
                           + " dB from it, more than 3 dB: check the set-up")
                              .c_str()
                        : "");
    std::printf("  far field: %s\n",
                FarFieldText(g, in.antennaFarField, in.referenceFarField, distance).c_str());
    return 0;
}
