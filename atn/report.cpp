// SPDX-License-Identifier: GPL-3.0-or-later
// atn report: the class report, or with --lab the lab report of each
// measurement, as an A4 PDF (the reports themselves are made below atn, so
// that the viewer writes the same ones).
#include <QByteArray>

#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "atn.h"
#include "cli.h"
#include "reports.h"

namespace {

const char kHelp[] =
    "Writes an A4 PDF: a first page summarising all files in a table, then one page\n"
    "for each file with its polar and Cartesian plots, readouts, lobe metrics and\n"
    "description. Files that cannot be read are listed on the summary page and on\n"
    "stderr; the others still go in, and the status is then 1.\n"
    "With --lab, the lab report a student hands in: for one file, one A4 page (two\n"
    "where it does not fit) with the header, the graphs on white with the textbook\n"
    "model's cuts dashed, the measured figures beside the textbook's with the\n"
    "difference and a verdict that states its threshold, the checks, and with\n"
    "--reference the gain with its uncertainty budget. For several files, a lab\n"
    "page for each after a summary that shows, for each antenna type, every file's\n"
    "half-power width (and gain) against the textbook's.";

const QStringList kLabOptions{QStringLiteral("reference"),    QStringLiteral("reference-gain"),
                              QStringLiteral("distance"),     QStringLiteral("u-reference"),
                              QStringLiteral("u-attenuator"), QStringLiteral("u-mismatch"),
                              QStringLiteral("u-alignment")};

// A standard uncertainty option: 0 or more dB.
bool Uncertainty(QCommandLineParser &p, const char *name, double *u)
{
    const QString key = QString::fromUtf8(name);
    if (!p.isSet(key))
        return true;
    bool ok = false;
    const double v = p.value(key).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0) {
        Complain(std::string("report: --") + name
                 + " takes a standard uncertainty in dB, 0 or more; \"" + p.value(key).toStdString()
                 + "\" is not one");
        return false;
    }
    *u = v;
    return true;
}

// The lab settings from the command line: 2 on a usage error, 1 on a
// reference that cannot be read or has no gain, else 0.
int LabSettingsOf(QCommandLineParser &p, LabSettings *s)
{
    if (!ParseDistanceOption(p, "report", &s->distance)
        || !Uncertainty(p, "u-reference", &s->uncertainty.uReferenceGain)
        || !Uncertainty(p, "u-attenuator", &s->uncertainty.uAttenuator)
        || !Uncertainty(p, "u-mismatch", &s->uncertainty.uMismatch)
        || !Uncertainty(p, "u-alignment", &s->uncertainty.uAlignment))
        return 2;
    if (p.isSet(QStringLiteral("reference-gain"))) {
        bool ok = false;
        const double g = p.value(QStringLiteral("reference-gain")).toDouble(&ok);
        if (!ok || !std::isfinite(g)) {
            Complain("report: --reference-gain takes a number of dBi");
            return 2;
        }
        s->referenceGainDbi = g;
    }
    int status = 0;
    for (const QString &f : p.values(QStringLiteral("reference"))) {
        AtnPattern pat;
        std::string error;
        const std::string path = f.toLocal8Bit().toStdString();
        if (!LoadPatternFile(path, pat, error)) {
            Complain(ShownName(path) + ": " + error);
            status = 1;
            continue;
        }
        s->references.push_back({path, pat.rec});
    }
    if (status || s->references.empty() || s->referenceGainDbi)
        return status;
    std::string error;
    if (!ModelGainOfType(s->references[0].rec.Antype, &error)) {
        Complain(ShownName(s->references[0].path) + ": no reference gain: " + error
                 + "; give --reference-gain");
        return 1;
    }
    return 0;
}

}  // namespace

int RunReport(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "report", kHelp, "atn or MSI files");
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("The PDF to write; - for standard output."),
                 QStringLiteral("OUT")});
    p.addOption(
        {QStringLiteral("theory"),
         QStringLiteral("Add each file's textbook model: dashed cuts on the graphs and the\n"
                        "comparison numbers.")});
    p.addOption({QStringLiteral("lab"),
                 QStringLiteral("The lab report of each file (a summary first for several).")});
    p.addOption({QStringLiteral("reference"),
                 QStringLiteral("With --lab: a reference antenna's file for the gain by\n"
                                "comparison (give it again for each repeat)."),
                 QStringLiteral("REF")});
    p.addOption({QStringLiteral("reference-gain"),
                 QStringLiteral("With --lab: the reference antenna's gain in dBi (default: the\n"
                                "textbook model gain of its type)."),
                 QStringLiteral("DBI")});
    p.addOption({QStringLiteral("distance"),
                 QStringLiteral("With --lab: the range distance in metres, for the far-field\n"
                                "check and term (default: none)."),
                 QStringLiteral("M")});
    p.addOption({QStringLiteral("u-reference"),
                 QStringLiteral("With --lab: as atn gain (default 0.5 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("u-attenuator"),
                 QStringLiteral("With --lab: as atn gain (default 0.25 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("u-mismatch"),
                 QStringLiteral("With --lab: as atn gain (default 0.1 dB)."),
                 QStringLiteral("DB")});
    p.addOption({QStringLiteral("u-alignment"),
                 QStringLiteral("With --lab: as atn gain (default 0.1 dB)."),
                 QStringLiteral("DB")});
    int status = 0;
    QString out;
    if (!Parse(p, args, "report", &status) || !Required(p, QStringLiteral("output"), &out, &status))
        return status;
    const QStringList files = p.positionalArguments();
    if (files.isEmpty()) {
        Complain("report: no file given; see --help");
        return 2;
    }
    ReportOptions options;
    options.lab = p.isSet(QStringLiteral("lab"));
    options.theory = p.isSet(QStringLiteral("theory"));
    for (const QString &o : kLabOptions)
        if (!options.lab && p.isSet(o)) {
            Complain("report: --" + o.toStdString() + " goes with --lab; see --help");
            return 2;
        }
    if (options.lab && (status = LabSettingsOf(p, &options.settings)) != 0)
        return status;

    const bool progress = files.size() > 3 && isatty(STDERR_FILENO);
    std::vector<ReportFile> inputs(size_t(files.size()));
    int failed = 0;
    for (int i = 0; i < files.size(); ++i) {
        ReportFile &f = inputs[size_t(i)];
        f.path = files[i].toLocal8Bit().toStdString();
        AtnPattern pat;
        f.ok = LoadPatternFile(f.path, pat, f.error);
        if (f.ok) {
            f.rec = pat.rec;
        } else {
            ++failed;
            Complain(ShownName(f.path) + ": " + f.error);
        }
    }
    if (progress)
        options.progress = [](int done, int pages) {
            std::fprintf(stderr, "\ratn report: page %d of %d", done, pages);
        };
    // Drawn in memory and written whole at the end, so that a failed write
    // is seen and leaves any old report as it was.
    std::string pdf;
    std::string error;
    const bool made = options.lab && inputs.size() == 1
                          ? inputs[0].ok && MakeLabReport(inputs[0], options.settings, &pdf, &error)
                          : MakeClassReport(inputs, options, &pdf, &error);
    if (progress)
        std::fputs("\r\033[K", stderr);
    if (!made) {
        // A lab report of the one file that cannot be read has been
        // complained of already.
        if (!error.empty())
            Complain(NotWritten(out, error));
        return 1;
    }
    if (!SaveBytes(out, QByteArray::fromStdString(pdf), error)) {
        Complain(NotWritten(out, error));
        return 1;
    }
    return failed ? 1 : 0;
}
