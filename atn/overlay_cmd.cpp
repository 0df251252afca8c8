// SPDX-License-Identifier: GPL-3.0-or-later
// Several files on one graph, from the command line: the files of --overlay
// over FILE, aligned when asked, with their mean and band, drawn through the
// viewer's drawing functions and written as CSV.
#include "overlay_cmd.h"

#include <QFileInfo>

#include <charconv>
#include <filesystem>
#include <vector>

#include "atn.h"
#include "overlay.h"
#include "overlay_plots.h"
#include "pattern_text.h"
#include "plots.h"
#include "render.h"
#include "rt.h"

namespace {

const char kPlaneHelp[] = "With --overlay: the plane to show, E (default) or H.";

struct OverlaySet {
    std::vector<AtnPattern> files;  // FILE first
    int plane = 0;
    bool align = false;
    // Each file's levels as drawn and the comparison with FILE.
    std::vector<PlaneLevels> levels;
    std::vector<PlaneComparison> match;
    // The mean and spread of FILE and the files of its antenna type.
    int bandFiles = 0;
    bool statistics = false;
    PlaneLevels mean{}, sd{};
};

std::string PersonLine(const PatternRecord &r)
{
    return DecodePerson(PersonLineOf(r), PATTERN_DEFAULT_CODEPAGE, PATTERN_PERSON_LINE_MAX);
}

std::string BaseName(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

// Reads FILE and the files of --overlay (the option's values, then any
// further names after FILE), and works out what is drawn.
bool LoadSet(const QCommandLineParser &p, const char *command, OverlaySet &set, int *status)
{
    const QStringList positional = p.positionalArguments();
    if (positional.isEmpty()) {
        Complain(std::string(command) + ": give FILE and the files to lay over it; see --help");
        *status = 2;
        return false;
    }
    QStringList names{positional[0]};
    names += p.values(QStringLiteral("overlay"));
    names += positional.mid(1);
    if (names.size() - 1 > OVERLAY_FILES_MAX) {
        Complain(std::string(command) + ": --overlay takes at most "
                 + std::to_string(OVERLAY_FILES_MAX) + " files");
        *status = 2;
        return false;
    }
    const QString plane = p.value(QStringLiteral("plane")).toUpper();
    if (plane != QLatin1String("E") && plane != QLatin1String("H")) {
        Complain(std::string(command) + ": --plane takes E or H");
        *status = 2;
        return false;
    }
    set.plane = plane == QLatin1String("H") ? 1 : 0;
    set.align = p.isSet(QStringLiteral("align"));
    for (const QString &n : names) {
        AtnPattern pat;
        std::string error;
        const std::string path = n.toLocal8Bit().toStdString();
        if (!LoadPatternFile(path, pat, error)) {
            Complain(ShownName(path) + ": " + error);
            *status = 1;
            return false;
        }
        set.files.push_back(std::move(pat));
    }
    auto levels = [&](const AtnPattern &a) { return set.plane == 0 ? a.rec.e_data : a.rec.h_data; };
    const double *ref = levels(set.files[0]);
    set.levels.resize(set.files.size());
    set.match.resize(set.files.size());
    std::copy(ref, ref + LEVELS, set.levels[0].begin());
    std::vector<const double *> band{ref};
    for (size_t i = 1; i < set.files.size(); ++i) {
        const double *l = levels(set.files[i]);
        if (set.align) {
            set.match[i] = AlignPlane(ref, l, set.levels[i]);
        } else {
            set.match[i] = ComparePlanes(ref, l);
            std::copy(l, l + LEVELS, set.levels[i].begin());
        }
        if (set.files[i].rec.Antype == set.files[0].rec.Antype)
            band.push_back(set.levels[i].data());
    }
    set.bandFiles = int(band.size());
    set.statistics = PlaneMeanAndDeviation(band, set.mean, set.sd);
    return true;
}

OverlayPicture PictureOf(const OverlaySet &set, bool withBand)
{
    OverlayPicture pic;
    const AtnPattern &first = set.files[0];
    pic.reference.name = BaseName(first.path);
    pic.reference.person = PersonLine(first.rec);
    pic.reference.color = set.plane == 0 ? RT_RED : RT_BLUE;
    pic.reference.lineStyle = RT_SOLID;
    for (size_t i = 1; i < set.files.size(); ++i) {
        const OverlayStyle &s = OverlayStyleOf(int(i - 1));
        OverlayCurve c;
        c.levels = set.levels[i].data();
        c.color = s.color;
        c.lineStyle = s.lineStyle;
        c.name = BaseName(set.files[i].path);
        c.person = PersonLine(set.files[i].rec);
        c.aligned = set.align;
        c.rotation = set.match[i].rotation;
        pic.curves.push_back(c);
    }
    if (withBand && set.statistics) {
        pic.mean = set.mean.data();
        pic.sd = set.sd.data();
        pic.bandFiles = set.bandFiles;
    }
    return pic;
}

// One CSV field: quoted when it holds a comma, a quote or a line break.
std::string Field(const std::string &s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string q = "\"";
    for (char c : s)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

void AppendNumber(std::string &out, double v)
{
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::fixed, 6);
    out.append(b, r.ptr);
}

}  // namespace

void AddOverlayOptions(QCommandLineParser &p, bool picture)
{
    p.addOption({QStringLiteral("overlay"),
                 QStringLiteral("Lay these pattern files (up to %1, given after the option)\n"
                                "over FILE: one plane of each, FILE's own among them.")
                     .arg(OVERLAY_FILES_MAX),
                 QStringLiteral("F2")});
    p.addOption({QStringLiteral("plane"), QString::fromUtf8(kPlaneHelp), QStringLiteral("E|H"),
                 QStringLiteral("E")});
    p.addOption({QStringLiteral("align"),
                 QStringLiteral("With --overlay: turn each file by the rotation that matches\n"
                                "FILE best (as atn compare finds it).")});
    if (picture)
        p.addOption({QStringLiteral("band"),
                     QStringLiteral("With --overlay: the mean and a band of one standard\n"
                                    "deviation of FILE and the files of its antenna type\n"
                                    "(three files or more).")});
}

int RunPlotOverlay(const QCommandLineParser &p, const QString &out, bool cartesian, int size)
{
    if (p.isSet(QStringLiteral("planes"))) {
        Complain("plot: --overlay shows one plane; choose it with --plane");
        return 2;
    }
    OverlaySet set;
    int status = 0;
    if (!LoadSet(p, "plot", set, &status))
        return status;
    const bool band = p.isSet(QStringLiteral("band"));
    if (band && !set.statistics) {
        Complain("plot: --band needs three files or more of FILE's antenna type, FILE among "
                 "them; there are "
                 + std::to_string(set.bandFiles));
        return 1;
    }
    std::string error;
    if (!PrepareDrawing(error)) {
        Complain(error);
        return 1;
    }
    DrawPattern(set.files[0].rec, set.plane == 0, set.plane == 1);
    const int ctrl = cartesian ? CartesianGraph() : PolarGraph();
    PlotOverlay(DrawingPanel(), ctrl, !cartesian, PictureOf(set, band));
    const QByteArray format = out == QLatin1String("-")
                                  ? QByteArray("svg")
                                  : QFileInfo(out).suffix().toLower().toLatin1();
    std::string bytes;
    if (rt::RenderGraphPicture(DrawingPanel(), ctrl, format.constData(), size, size, &bytes, &error)
        != 0) {
        Complain(NotWritten(out, error));
        return 1;
    }
    if (!SaveBytes(out, QByteArray(bytes.data(), qsizetype(bytes.size())), error)) {
        Complain(NotWritten(out, error));
        return 1;
    }
    return 0;
}

int RunExportOverlay(const QCommandLineParser &p, const QString &out)
{
    OverlaySet set;
    int status = 0;
    if (!LoadSet(p, "export", set, &status))
        return status;
    std::string csv = "angle_deg";
    for (const AtnPattern &f : set.files)
        csv += "," + Field(BaseName(f.path));
    csv += ",mean_db,sd_db\n";
    for (int k = 0; k < LEVELS; ++k) {
        csv += std::to_string(k);
        for (const PlaneLevels &l : set.levels) {
            csv += ',';
            AppendNumber(csv, l[k]);
        }
        // Empty where fewer than three files of FILE's type give no mean.
        csv += ',';
        if (set.statistics)
            AppendNumber(csv, set.mean[k]);
        csv += ',';
        if (set.statistics)
            AppendNumber(csv, set.sd[k]);
        csv += '\n';
    }
    std::string error;
    if (!SaveBytes(out, QByteArray(csv.data(), qsizetype(csv.size())), error)) {
        Complain(NotWritten(out, error));
        return 1;
    }
    return 0;
}
