// SPDX-License-Identifier: GPL-3.0-or-later
// atn check: the checks on a measurement, file by file.
#include <QJsonArray>

#include <cstdio>
#include <optional>
#include <string>

#include "antennas.h"
#include "atn.h"
#include "checks.h"
#include "cli.h"
#include "figures_json.h"
#include "json.h"

namespace {

const char kHelp[] =
    "Checks each pattern file as a lab does before it trusts a measurement, from the\n"
    "file alone (and the range distance):\n"
    "  Dynamic range: each plane's peak, fitted over the main lobe's top, above the\n"
    "    -30 dB floor of the receiver's levels; below 20 dB it warns (measure with\n"
    "    less attenuation).\n"
    "  Figures on the floor: a null, back lobe or side lobe within 1 dB of the\n"
    "    floor is only a bound (\">=\" or \"<=\"); listed, not a warning.\n"
    "  Noise: the spread of the readings about a short running fit; it warns when\n"
    "    the noise lifts the highest sample more than 0.3 dB above the fitted peak\n"
    "    (average several readings per step in Kesto).\n"
    "  The planes at boresight: both cuts pass through the direction of maximum\n"
    "    radiation, so their fitted peaks (attenuation already added back) should\n"
    "    agree; more than 1.5 dB apart warns of misalignment or a polarisation\n"
    "    error.\n"
    "  Far field: with --distance R, R >= 2D^2/lambda, R >= 5D and R >= 1.6 lambda,\n"
    "    D being the largest dimension and lambda the wavelength of the file's\n"
    "    antenna type in the antenna table; without --distance, or for a file\n"
    "    without a library type, the check is not made (not a warning).\n"
    "The status is 0 when every check passes or was not made, 3 when one warns, 1\n"
    "when a file cannot be read (whatever the others gave) and 2 on a usage error.";

std::string TypeText(int type)
{
    const char *name = AntennaNameOf(type);
    if (type == -1 || !name)
        return "type " + std::to_string(type) + ", It is not specified.";
    return "type " + std::to_string(type) + ", " + name;
}

void PrintChecks(const AtnPattern &p, const PatternChecks &c, std::optional<double> distance)
{
    std::printf("%s: %s\n", Printable(ShownName(p.path)).c_str(), VerdictName(c.overall()));
    std::printf("  antenna: %s; range distance %s\n", TypeText(p.rec.Antype).c_str(),
                distance ? (Fixed(*distance, 3) + " m").c_str() : "not given");
    for (const CheckLine &l : c.lines) {
        std::printf("  %s: %s\n", English(l.title).c_str(), VerdictName(l.verdict));
        for (const Message &m : l.findings)
            std::printf("    %s\n", English(m).c_str());
    }
}

}  // namespace

int RunCheck(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "check", kHelp, "atn or MSI files");
    p.addOption({QStringLiteral("json"), QStringLiteral("One JSON document for all files.")});
    p.addOption({QStringLiteral("distance"),
                 QStringLiteral("The range distance in metres, from the antenna to the source\n"
                                "(default: none, and the far-field check is not made)."),
                 QStringLiteral("M")});
    int status = 0;
    if (!Parse(p, args, "check", &status))
        return status;
    std::optional<double> distance;
    if (!ParseDistanceOption(p, "check", &distance))
        return 2;
    const QStringList files = p.positionalArguments();
    if (files.isEmpty()) {
        Complain("check: no file given; see --help");
        return 2;
    }
    const bool json = p.isSet(QStringLiteral("json"));
    QJsonArray all;
    int failed = 0;
    bool warned = false;
    for (const QString &f : files) {
        AtnPattern pat;
        std::string error;
        const std::string path = f.toLocal8Bit().toStdString();
        if (!LoadPatternFile(path, pat, error)) {
            Complain(ShownName(path) + ": " + error);
            ++failed;
            if (json)
                all.append(QJsonObject{
                    {"file", f}, {"ok", false}, {"error", QString::fromUtf8(error.c_str())}});
            continue;
        }
        const PatternChecks c =
            CheckPatternOfType(pat.rec.e_data, pat.rec.h_data, pat.rec.Antype, distance);
        warned = warned || c.overall() == Verdict::Warn;
        if (!json) {
            PrintChecks(pat, c, distance);
            continue;
        }
        QJsonObject o = ToQJsonObject(ChecksJson(c));
        o.insert(QStringLiteral("file"), f);
        o.insert(QStringLiteral("ok"), true);
        o.insert(QStringLiteral("antenna_type"), pat.rec.Antype);
        o.insert(QStringLiteral("distance_m"),
                 distance ? QJsonValue(*distance) : QJsonValue(QJsonValue::Null));
        all.append(o);
    }
    if (json && !PrintJson(QJsonObject{{"files", all}}))
        return 1;
    return failed ? 1 : warned ? 3 : 0;
}

bool ParseDistanceOption(QCommandLineParser &p, const char *command,
                         std::optional<double> *distance)
{
    distance->reset();
    if (!p.isSet(QStringLiteral("distance")))
        return true;
    const std::string text = p.value(QStringLiteral("distance")).toStdString();
    Message why;
    if (text.find_first_not_of(" \t") == std::string::npos) {
        Complain(std::string(command) + ": --distance takes a number of metres");
        return false;
    }
    if (!ParseDistance(text, distance, &why)) {
        Complain(std::string(command) + ": --distance: " + English(why));
        return false;
    }
    return true;
}
