// SPDX-License-Identifier: GPL-3.0-or-later
// atn export, atn import and atn plot.
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <optional>

#include "atn.h"
#include "cli.h"
#include "msi.h"
#include "overlay_cmd.h"
#include "pattern_file.h"
#include "render.h"

namespace {

const char kMsiConvention[] =
    "MSI files: the H plane is the HORIZONTAL cut and the E plane the VERTICAL cut.\n"
    "Losses are dB below the highest level of both planes, written without a minus\n"
    "sign; GAIN is written as 0 dBi with a COMMENT saying the levels are relative.";

bool Load(const QString &f, AtnPattern &pat)
{
    std::string error;
    const std::string path = f.toLocal8Bit().toStdString();
    if (!LoadPatternFile(path, pat, error)) {
        Complain(ShownName(path) + ": " + error);
        return false;
    }
    return true;
}

bool OneFile(QCommandLineParser &p, const char *command, QString *file, int *status)
{
    const QStringList files = p.positionalArguments();
    if (files.size() != 1) {
        Complain(std::string(command) + ": give exactly one input file; see --help");
        *status = 2;
        return false;
    }
    *file = files[0];
    return true;
}

// --plane, --align and --band mean something only with --overlay.
bool OverlayOptionsAlone(const QCommandLineParser &p, const char *command)
{
    if (p.isSet(QStringLiteral("overlay")))
        return false;
    for (const char *o : {"plane", "align", "band"})
        if (p.optionNames().contains(QLatin1String(o)) && p.isSet(QLatin1String(o))) {
            Complain(std::string(command) + ": --" + o + " goes with --overlay");
            return true;
        }
    return false;
}

bool Write(const QString &out, const std::string &bytes)
{
    std::string error;
    if (!SaveBytes(out, QByteArray(bytes.data(), qsizetype(bytes.size())), error)) {
        Complain(NotWritten(out, error));
        return false;
    }
    return true;
}

}  // namespace

int RunExport(const QStringList &args)
{
    QCommandLineParser p;
    const std::string help =
        std::string(
            "Writes the levels of a pattern file as CSV (a header line angle_deg,e_db,h_db and\n"
            "360 rows) or as an MSI antenna file for planning tools.\n")
        + kMsiConvention
        + "\nWith --overlay F2 [F3 ...], CSV of one plane of FILE and each file: a header line\n"
          "angle_deg, the files' names, mean_db, sd_db, and 360 rows; the mean and the\n"
          "standard deviation (n - 1) are of FILE and the files of its antenna type, empty\n"
          "when they are fewer than three.";
    SetUpParser(p, "export", help.c_str(), "atn or MSI file");
    p.addOption({{QStringLiteral("f"), QStringLiteral("format")},
                 QStringLiteral("csv or msi (default: from the output's extension)."),
                 QStringLiteral("FORMAT")});
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("Output file; - for standard output (CSV unless --format msi)."),
                 QStringLiteral("OUT")});
    p.addOption({QStringLiteral("frequency"), QStringLiteral("MSI: FREQUENCY in MHz."),
                 QStringLiteral("MHZ")});
    p.addOption({QStringLiteral("name"), QStringLiteral("MSI: NAME (default: the file name)."),
                 QStringLiteral("NAME")});
    AddOverlayOptions(p, false);
    int status = 0;
    QString in, out;
    if (!Parse(p, args, "export", &status))
        return status;
    const bool overlay = p.isSet(QStringLiteral("overlay"));
    if (OverlayOptionsAlone(p, "export"))
        return 2;
    if ((!overlay && !OneFile(p, "export", &in, &status))
        || !Required(p, QStringLiteral("output"), &out, &status))
        return status;
    QString format = p.value(QStringLiteral("format")).toLower();
    if (format.isEmpty())
        format =
            out == QLatin1String("-") ? QStringLiteral("csv") : QFileInfo(out).suffix().toLower();
    if (format != QLatin1String("csv") && format != QLatin1String("msi")) {
        Complain("export: --format must be csv or msi");
        return 2;
    }
    if (overlay) {
        if (format != QLatin1String("csv")) {
            Complain("export: --overlay writes CSV only");
            return 2;
        }
        return RunExportOverlay(p, out);
    }
    std::optional<double> frequency;
    if (p.isSet(QStringLiteral("frequency"))) {
        bool ok = false;
        const double f = p.value(QStringLiteral("frequency")).toDouble(&ok);
        // "inf" and "nan" read as numbers, and a FREQUENCY that cannot be
        // written would be left out of the file without a word.
        if (!ok || !std::isfinite(f) || !(f > 0)) {
            Complain("export: --frequency must be a positive number of MHz");
            return 2;
        }
        frequency = f;
    }
    AtnPattern pat;
    if (!Load(in, pat))
        return 1;
    std::string bytes;
    if (format == QLatin1String("csv")) {
        bytes = FormatCsv(pat.rec.e_data, pat.rec.h_data);
    } else {
        MsiWriteData d;
        d.name = p.isSet(QStringLiteral("name")) ? p.value(QStringLiteral("name")).toStdString()
                                                 : QFileInfo(in).completeBaseName().toStdString();
        d.frequencyMHz = frequency;
        const LobeMetrics e = PlaneLobeMetrics(pat.rec.e_data),
                          h = PlaneLobeMetrics(pat.rec.h_data);
        d.hWidth = h.hpbw;
        d.vWidth = e.hpbw;
        d.frontToBack = h.frontToBack;
        d.comment = std::string("Measured by ") + pat.rec.person;
        d.eLevels = pat.rec.e_data;
        d.hLevels = pat.rec.h_data;
        bytes = FormatMsi(d);
    }
    return Write(out, bytes) ? 0 : 1;
}

int RunImport(const QStringList &args)
{
    QCommandLineParser p;
    const std::string help =
        std::string(
            "Reads an MSI antenna file and writes it as an atn pattern file: levels 0 dB at\n"
            "the maximum and floored at -30 dB, any number of points per cut interpolated\n"
            "to whole degrees, the NAME, MAKE, FREQUENCY and COMMENT as the description.\n")
        + kMsiConvention;
    SetUpParser(p, "import", help.c_str(), "MSI file");
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("The atn file to write; - for standard output."),
                 QStringLiteral("OUT")});
    int status = 0;
    QString in, out;
    if (!Parse(p, args, "import", &status) || !OneFile(p, "import", &in, &status)
        || !Required(p, QStringLiteral("output"), &out, &status))
        return status;
    AtnPattern pat;
    std::string error;
    const std::string path = in.toLocal8Bit().toStdString();
    if (!LoadMsiFile(path, pat, error)) {  // as MSI whatever the file is called
        Complain(ShownName(path) + ": " + error);
        return 1;
    }
    std::string text;
    const PatternFileData d = PatternFileDataOf(pat.rec, pat.desNO, text);
    if (out == QLatin1String("-"))
        return Write(out, FormatPatternFile(d)) ? 0 : 1;
    const PatternFileResult w = WritePatternFile(out.toLocal8Bit().toStdString(), d);
    if (!w.ok) {
        Complain(NotWritten(out, w.reason));
        return 1;
    }
    return 0;
}

int RunPlot(const QStringList &args)
{
    QCommandLineParser p;
    SetUpParser(p, "plot",
                "Draws a pattern as the viewer shows it (same frame, labels and colours: E red,\n"
                "H blue) into a PNG, SVG or PDF file, chosen by the output's extension.\n"
                "With --overlay F2 [F3 ...], one plane of FILE with the other files laid over\n"
                "it, each in its own colour and dash, and a legend, as the viewer's\n"
                "File > Overlay... shows them.",
                "atn or MSI file");
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("OUT.png, OUT.svg or OUT.pdf; - for SVG on standard output."),
                 QStringLiteral("OUT")});
    p.addOption({QStringLiteral("view"), QStringLiteral("polar (default) or cartesian."),
                 QStringLiteral("VIEW"), QStringLiteral("polar")});
    p.addOption({QStringLiteral("planes"), QStringLiteral("E, H or E,H (default)."),
                 QStringLiteral("PLANES"), QStringLiteral("E,H")});
    p.addOption({QStringLiteral("size"),
                 QStringLiteral("Width and height in pixels, 16 to 8000 (default 900)."),
                 QStringLiteral("PIXELS"), QStringLiteral("900")});
    AddOverlayOptions(p, true);
    int status = 0;
    QString in, out;
    if (!Parse(p, args, "plot", &status))
        return status;
    const bool overlay = p.isSet(QStringLiteral("overlay"));
    if (OverlayOptionsAlone(p, "plot"))
        return 2;
    if ((!overlay && !OneFile(p, "plot", &in, &status))
        || !Required(p, QStringLiteral("output"), &out, &status))
        return status;
    const QString view = p.value(QStringLiteral("view")).toLower();
    if (view != QLatin1String("polar") && view != QLatin1String("cartesian")) {
        Complain("plot: --view must be polar or cartesian");
        return 2;
    }
    bool showE = false, showH = false;
    for (const QString &s : p.value(QStringLiteral("planes")).split(QLatin1Char(','))) {
        const QString t = s.trimmed().toUpper();
        if (t == QLatin1String("E"))
            showE = true;
        else if (t == QLatin1String("H"))
            showH = true;
        else {
            Complain("plot: --planes takes E, H or E,H");
            return 2;
        }
    }
    bool ok = false;
    const int size = p.value(QStringLiteral("size")).toInt(&ok);
    if (!ok || size < 16 || size > 8000) {
        Complain("plot: --size must be 16 to 8000 pixels");
        return 2;
    }
    if (overlay)
        return RunPlotOverlay(p, out, view == QLatin1String("cartesian"), size);
    AtnPattern pat;
    if (!Load(in, pat))
        return 1;
    std::string error;
    if (!PrepareDrawing(error)) {
        Complain(error);
        return 1;
    }
    DrawPattern(pat.rec, showE, showH);
    const int ctrl = view == QLatin1String("polar") ? PolarGraph() : CartesianGraph();
    const QByteArray format = out == QLatin1String("-")
                                  ? QByteArray("svg")
                                  : QFileInfo(out).suffix().toLower().toLatin1();
    std::string bytes;
    if (rt::RenderGraphPicture(DrawingPanel(), ctrl, format.constData(), size, size, &bytes, &error)
        != 0) {
        Complain(NotWritten(out, error));
        return 1;
    }
    return Write(out, bytes) ? 0 : 1;
}
