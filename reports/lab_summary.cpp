// SPDX-License-Identifier: GPL-3.0-or-later
// The class report of lab pages: a summary that shows, for each antenna
// type, every file's half-power widths (and gain) against the textbook's,
// then a table of the comparison for each file, then each file's lab page.
#include <QFileInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <map>

#include "antennas.h"
#include "report_parts.h"
#include "reports.h"

using namespace reportparts;

namespace {

struct Student {
    const ReportFile *file;
    const LabFigures *figures;
};

// What names a file in the pictures: its person line, else its file name.
QString Label(const ReportFile &f)
{
    const QString person = WholePerson(f.rec).trimmed();
    return person.isEmpty() ? QFileInfo(Shown(f.path)).fileName() : person;
}

// The labels of a group, each file's own: a person named twice gets the
// file's name beside.
std::vector<QString> Labels(const std::vector<Student> &group)
{
    std::vector<QString> out;
    std::map<QString, int> seen;
    for (const Student &st : group)
        ++seen[Label(*st.file)];
    for (const Student &st : group) {
        const QString l = Label(*st.file);
        out.push_back(seen[l] > 1
                          ? l + QStringLiteral(", ") + QFileInfo(Shown(st.file->path)).fileName()
                          : l);
    }
    return out;
}

// One strip of a picture: a value of each file against one textbook value,
// agreeing within `band` (a share of it) or within each file's own spread.
struct Point {
    double value = 0, spread = 0;  // spread: an error bar either side, 0 for none
    bool far = false;
    QString label;
};
struct Strip {
    QString name, shortName, unit;
    QColor color;
    std::optional<double> textbook;
    double band = 0;  // the agreeing share either side of the textbook value
    std::vector<Point> points;
};

// Ticks 1, 2 or 5 times a power of ten apart, about six over the span.
double TickStep(double span)
{
    const double raw = span / 6, p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * p >= raw)
            return m * p;
    return 10 * p;
}

void PaintStrip(QPainter &p, const QRectF &r, const Strip &s, QPaintDevice *dev)
{
    const QFont small = Font(6.5), label = Font(8, true);
    const double line = QFontMetricsF(small, dev).height();
    double lo = INFINITY, hi = -INFINITY;
    for (const Point &pt : s.points) {
        lo = std::min(lo, pt.value - pt.spread);
        hi = std::max(hi, pt.value + pt.spread);
    }
    if (s.textbook) {
        lo = std::min(lo, *s.textbook * (1 - s.band));
        hi = std::max(hi, *s.textbook * (1 + s.band));
    }
    if (!(hi > lo)) {
        lo -= 1;
        hi += 1;
    }
    const double pad = (hi - lo) * 0.06;
    lo -= pad;
    hi += pad;
    const QRectF plot(r.left() + 32 * kMm, r.top() + line, r.width() - 36 * kMm,
                      r.height() - 2.6 * line);
    auto X = [&](double v) { return plot.left() + (v - lo) / (hi - lo) * plot.width(); };
    p.save();
    p.setFont(label);
    p.setPen(QColor(kDark));
    p.drawText(QRectF(r.left(), plot.top(), 31 * kMm, plot.height()), Lines(s.name),
               Wrapped(Qt::AlignLeft | Qt::AlignVCenter));
    if (s.textbook && s.band > 0) {
        const double a = X(*s.textbook * (1 - s.band)), b = X(*s.textbook * (1 + s.band));
        p.fillRect(QRectF(a, plot.top(), b - a, plot.height()), QColor(0xE4E4E4));
    }
    // The axis with its ticks and figures below the strip.
    p.setPen(QPen(QColor(kDark), 0.2 * kMm));
    p.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));
    p.setFont(small);
    const double step = TickStep(hi - lo);
    for (double t = std::ceil(lo / step) * step; t <= hi; t += step) {
        p.drawLine(QPointF(X(t), plot.bottom()), QPointF(X(t), plot.bottom() + 0.8 * kMm));
        p.drawText(QRectF(X(t) - 10 * kMm, plot.bottom() + 0.8 * kMm, 20 * kMm, line),
                   Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(t, 'f', step < 1 ? 1 : 0) + s.unit);
    }
    if (s.textbook) {
        QPen dash(QColor(kDark), 0.35 * kMm);
        dash.setStyle(Qt::DashLine);
        p.setPen(dash);
        p.drawLine(QPointF(X(*s.textbook), plot.top()), QPointF(X(*s.textbook), plot.bottom()));
        p.setPen(QColor(kDark));
        p.drawText(QRectF(X(*s.textbook) - 20 * kMm, r.top(), 40 * kMm, line), Qt::AlignCenter,
                   QStringLiteral("textbook %1%2").arg(*s.textbook, 0, 'f', 1).arg(s.unit));
    }
    // Dots in rows where they would cover one another; the far ones
    // hollow and named where their name has room.
    const double dot = 1.0 * kMm, rowH = 2.3 * dot;
    const int rows = std::max(1, int(plot.height() / rowH));
    std::vector<size_t> order(s.points.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return s.points[a].value < s.points[b].value; });
    std::vector<double> rowEnd(size_t(rows), -INFINITY), labelEnd(size_t(rows), -INFINITY);
    for (size_t i : order) {
        const Point &pt = s.points[i];
        const double x = X(pt.value);
        int row = 0;
        while (row + 1 < rows && rowEnd[size_t(row)] > x - 2 * dot)
            ++row;
        rowEnd[size_t(row)] = x;
        const double y = plot.bottom() - rowH * (row + 0.7);
        if (pt.spread > 0) {
            p.setPen(QPen(QColor(kDark), 0.2 * kMm));
            p.drawLine(QPointF(X(pt.value - pt.spread), y), QPointF(X(pt.value + pt.spread), y));
        }
        p.setPen(QPen(QColor(kDark), (pt.far ? 0.45 : 0.15) * kMm));
        p.setBrush(pt.far ? QBrush(Qt::white) : QBrush(s.color));
        p.drawEllipse(QPointF(x, y), dot, dot);
        if (pt.far) {
            // Named on the right of the dot, or on its left near the edge,
            // on white so that an error bar does not strike it through.
            const double wLabel = QFontMetricsF(small, dev).horizontalAdvance(pt.label) + kMm;
            double at = x + 1.5 * dot;
            if (at + wLabel > r.right())
                at = x - 1.5 * dot - wLabel;
            if (labelEnd[size_t(row)] < at && at > plot.left()) {
                const QRectF box(at, y - line / 2, wLabel, line);
                p.fillRect(box, Qt::white);
                p.setPen(QColor(kDark));
                p.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter, pt.label);
                labelEnd[size_t(row)] = std::max(x + dot, box.right());
                rowEnd[size_t(row)] = labelEnd[size_t(row)];
            }
        }
    }
    p.restore();
}

// The picture of one antenna type and the names of the files far off.
std::vector<Block> TypeBlocks(QPaintDevice *dev, double w, int type,
                              const std::vector<Student> &group)
{
    std::vector<Block> out;
    const char *name = AntennaNameOf(type);
    const LabFigures &first = *group.front().figures;
    const bool model = first.modelOk();
    out.push_back(Heading(dev, w,
                          QStringLiteral("%1: %2 file%3")
                              .arg(name ? U(name) : QStringLiteral("Antenna type not specified"))
                              .arg(group.size())
                              .arg(group.size() == 1 ? QString() : QStringLiteral("s"))));
    const std::vector<QString> labels = Labels(group);
    std::vector<Strip> strips;
    for (const char plane : {'E', 'H'}) {
        Strip s;
        s.name = QStringLiteral("%1 plane\nhalf-power width").arg(QLatin1Char(plane));
        s.shortName = QStringLiteral("%1 width").arg(QLatin1Char(plane));
        s.unit = QStringLiteral("°");
        s.color = plane == 'E' ? QColor(0xFF0000) : QColor(0x0000FF);
        s.band = LAB_WIDTH_PERCENT / 100;
        for (size_t i = 0; i < group.size(); ++i) {
            const Student &st = group[i];
            const LabPlane &lp = plane == 'E' ? st.figures->e : st.figures->h;
            if (model && lp.modelOk && lp.comparison.modelHpbw > 0)
                s.textbook = lp.comparison.modelHpbw;
            if (!lp.measured.hpbw)
                continue;
            const double v = *lp.measured.hpbw;
            s.points.push_back({v, 0, false, labels[i]});
        }
        for (Point &pt : s.points)
            pt.far = s.textbook && std::fabs(pt.value - *s.textbook) > s.band * *s.textbook;
        if (!s.points.empty())
            strips.push_back(s);
    }
    Strip gain;
    gain.name = QStringLiteral("Gain ± U");
    gain.shortName = QStringLiteral("gain");
    gain.unit = QString();
    gain.color = QColor(0x404040);
    for (size_t i = 0; i < group.size(); ++i) {
        const LabGain &g = group[i].figures->gain;
        if (!g.ok)
            continue;
        if (g.modelGainDbi)
            gain.textbook = *g.modelGainDbi;
        gain.points.push_back(
            {g.result.gainDbi, g.result.expanded,
             g.modelGainDbi && std::fabs(g.result.gainDbi - *g.modelGainDbi) > g.result.expanded,
             labels[i]});
    }
    if (!gain.points.empty()) {
        gain.name += QStringLiteral("\n(dBi)");
        strips.push_back(gain);
    }
    // Taller strips for a larger class, where more dots stand in rows.
    const double stripH = (group.size() > 12 ? 21 : 15) * kMm;
    for (const Strip &s : strips) {
        Block b;
        b.height = stripH;
        b.paint = [s, dev](QPainter &p, const QRectF &r) { PaintStrip(p, r, s, dev); };
        out.push_back(b);
    }
    // Each far file once, with what is far off.
    std::vector<std::pair<QString, QStringList>> farOff;
    for (const Strip &s : strips)
        for (const Point &pt : s.points) {
            if (!pt.far)
                continue;
            auto at = std::find_if(farOff.begin(), farOff.end(),
                                   [&](const auto &f) { return f.first == pt.label; });
            if (at == farOff.end())
                at = farOff.insert(farOff.end(), {pt.label, {}});
            at->second << QStringLiteral("%1 %2%3")
                              .arg(s.shortName)
                              .arg(pt.value, 0, 'f', 1)
                              .arg(s.unit.isEmpty() ? QStringLiteral(" dBi") : s.unit);
        }
    QStringList far;
    for (const auto &[who, what] : farOff)
        far << who + QStringLiteral(" (") + what.join(QStringLiteral(", ")) + QStringLiteral(")");
    QString note =
        model ? QStringLiteral("Grey band: within %1 % of the textbook's width%2. ")
                    .arg(LAB_WIDTH_PERCENT, 0, 'f', 0)
                    .arg(gain.points.empty() ? QString()
                                             : QStringLiteral("; a gain agrees within its own U"))
              : QStringLiteral("No textbook model: %1. ")
                    .arg(QString::fromStdString(first.modelError));
    note += far.isEmpty() ? QStringLiteral("None far off.")
                          : QStringLiteral("Far off (hollow): ") + far.join(QStringLiteral("; "))
                                + QStringLiteral(".");
    out.push_back(TextBlock(dev, w, note, Font(8), 0, kGap));
    return out;
}

std::vector<Block> TableBlocks(QPaintDevice *dev, double w, const std::vector<Student> &all,
                               bool gain, size_t base)
{
    std::vector<Block> out;
    out.push_back(Heading(dev, w, QStringLiteral("Each file against the textbook")));
    std::vector<double> widths{0.30, 0.14, 0.14, 0.08, 0.08, 0.12, 0.14};
    if (!gain)
        widths = {0.34, 0.16, 0.16, 0.09, 0.09, 0.16};
    for (double &x : widths)
        x *= w;
    const Qt::Alignment right = Qt::AlignRight;
    std::vector<Cell> head{{QStringLiteral("File / person")},
                           {QStringLiteral("E width / textbook"), false, right},
                           {QStringLiteral("H width / textbook"), false, right},
                           {QStringLiteral("E RMS (dB)"), false, right},
                           {QStringLiteral("H RMS (dB)"), false, right}};
    if (gain)
        head.push_back({QStringLiteral("Gain ± U (dBi)"), false, right});
    head.push_back({QStringLiteral("Checks")});
    out.push_back(RowBlock(dev, widths, head, 8, true));
    out.back().keepWithNext = true;
    const int header = int(base + out.size() - 1);
    auto deg = [](double v) {
        return v > 0 ? QString::number(v, 'f', 1) + QStringLiteral("°") : QStringLiteral("–");
    };
    for (const Student &st : all) {
        const LabFigures &f = *st.figures;
        std::vector<Cell> cells;
        const QString person = WholePerson(st.file->rec).trimmed();
        cells.push_back(
            {Shown(st.file->path) + (person.isEmpty() ? QString() : QLatin1Char('\n') + person)});
        for (const LabPlane *lp : {&f.e, &f.h}) {
            const double m = lp->measured.hpbw.value_or(0);
            const double t = lp->modelOk ? lp->comparison.modelHpbw : 0;
            const bool differs = m > 0 && t > 0 && std::fabs(m - t) > LAB_WIDTH_PERCENT / 100 * t;
            cells.push_back({deg(m) + QStringLiteral(" / ") + deg(t), differs, right});
        }
        for (const LabPlane *lp : {&f.e, &f.h})
            cells.push_back(
                {lp->modelOk ? QString::number(lp->comparison.rms, 'f', 2) : QStringLiteral("–"),
                 lp->modelOk && lp->comparison.rms > LAB_RMS_DB, right});
        if (gain) {
            const LabGain &g = f.gain;
            const bool differs =
                g.ok && g.modelGainDbi
                && std::fabs(g.result.gainDbi - *g.modelGainDbi) > g.result.expanded;
            cells.push_back({g.ok ? QStringLiteral("%1 ± %2")
                                        .arg(g.result.gainDbi, 0, 'f', 2)
                                        .arg(g.result.expanded, 0, 'f', 2)
                                  : QStringLiteral("–"),
                             differs, right});
        }
        static const std::map<std::string, QString> kShort{
            {"dynamic_range", QStringLiteral("dynamic range")},
            {"floor_limited", QStringLiteral("floor")},
            {"noise", QStringLiteral("noise")},
            {"boresight", QStringLiteral("boresight")},
            {"far_field", QStringLiteral("far field")}};
        QStringList warned;
        for (const CheckLine &l : f.checks.lines)
            if (l.verdict == Verdict::Warn)
                warned << (kShort.count(l.id) ? kShort.at(l.id) : QString::fromStdString(l.id));
        cells.push_back({warned.isEmpty()
                             ? QStringLiteral("pass")
                             : QStringLiteral("warn: ") + warned.join(QStringLiteral(", ")),
                         !warned.isEmpty()});
        out.push_back(RowBlock(dev, widths, cells, 8, false));
        out.back().header = header;
    }
    return out;
}

}  // namespace

bool MakeLabClassReport(const std::vector<ReportFile> &files, const ReportOptions &options,
                        std::string *pdf, std::string *error)
{
    if (!PrepareGraphs(error))
        return false;
    std::vector<LabFigures> figures(files.size());
    std::vector<Student> readable;
    std::map<int, std::vector<Student>> byType;
    int failed = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].ok) {
            ++failed;
            continue;
        }
        figures[i] = ComputeLabFigures(files[i].rec, options.settings);
        readable.push_back({&files[i], &figures[i]});
        byType[files[i].rec.Antype].push_back(readable.back());
    }

    Pdf out;
    if (!BeginPdf(out, QStringLiteral("Antenna lab reports"), error))
        return false;
    QPaintDevice *dev = out.writer.get();
    const double w = out.page.width();
    Layout summary;
    summary.footer = QStringLiteral("Lab reports: summary");
    summary.continued = QStringLiteral("Lab reports: summary, continued");
    auto add = [&](std::vector<Block> v) {
        for (Block &b : v)
            summary.blocks.push_back(std::move(b));
    };
    summary.blocks.push_back(
        TextBlock(dev, w, QStringLiteral("Lab reports: summary"), Font(16, true), 0, kGap));
    summary.blocks.push_back(TextBlock(
        dev, w,
        QStringLiteral(
            "%1 files, %2 read, %3 not readable. Each antenna type's picture shows every "
            "file's half-power widths%4 against the textbook's; the table the figures "
            "of each file, in bold where they differ from the textbook's. A lab page "
            "for each file follows.")
            .arg(files.size())
            .arg(files.size() - size_t(failed))
            .arg(failed)
            .arg(options.settings.references.empty() ? QString() : QStringLiteral(" and gain")),
        Font(9), 0, kGap));
    for (const auto &[type, group] : byType)
        add(TypeBlocks(dev, w, type, group));
    if (!readable.empty())
        add(TableBlocks(dev, w, readable, !options.settings.references.empty(),
                        summary.blocks.size()));
    if (failed) {
        summary.blocks.push_back(Heading(dev, w, QStringLiteral("Not readable")));
        for (const ReportFile &f : files)
            if (!f.ok)
                summary.blocks.push_back(TextBlock(
                    dev, w, Shown(f.path) + QStringLiteral(": ") + Q(f.error), Font(9), 0, kMm));
    }
    Paginate(out, summary);

    std::vector<Layout> labs;
    int pages = summary.pages;
    for (const Student &st : readable) {
        labs.push_back(LabLayoutOf(out, *st.file, *st.figures, options.settings));
        pages += labs.back().pages;
    }
    int done = 0;
    auto counted = [&] {
        ++done;
        if (options.progress)
            options.progress(done, pages);
    };
    PaintLayout(out, summary, 1, pages, counted);
    for (const Layout &l : labs) {
        out.writer->newPage();
        PaintLayout(out, l, done + 1, pages, counted);
    }
    return EndPdf(out, pdf, error);
}
