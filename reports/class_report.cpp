// SPDX-License-Identifier: GPL-3.0-or-later
// The class report: a summary of all files in a table, then one page for
// each file with its graphs, readouts, lobe metrics and description (and,
// with the textbook models, their dashed cuts and the comparison).
#include <QDateTime>
#include <QTextLayout>

#include <algorithm>
#include <map>

#include "antennas.h"
#include "lobe_fit.h"
#include "report_parts.h"
#include "reports.h"
#include "theory.h"

using namespace reportparts;

// The lab pages' class report (lab_summary.cpp).
bool MakeLabClassReport(const std::vector<ReportFile> &files, const ReportOptions &options,
                        std::string *pdf, std::string *error);

namespace {

struct PlaneFigures {
    ViewerReadouts readouts;
    LobeMetrics lobe;
};

PlaneFigures FiguresOf(const double levels[LEVELS])
{
    return {PlaneReadouts(levels), PlaneLobeMetrics(levels)};
}

struct Entry {
    std::string path;
    std::string shown;  // the shortest end of the path that tells it apart
    bool ok = false;
    std::string error;
    const PatternRecord *rec = nullptr;
    PlaneFigures e, h;
    FittedLobeMetrics fe, fh;  // through the noise: the widths the pages show
};

std::string ShownName(const std::string &path)
{
    return Shown(path).toLocal8Bit().toStdString();
}

QString Fmt(const std::optional<double> &v, int decimals = 1)
{
    return v ? QString::number(*v, 'f', decimals) : QStringLiteral("–");
}
QString Fmt(const std::optional<int> &v)
{
    return v ? QString::number(*v) : QStringLiteral("–");
}

// A fitted width, and the raw one from the samples beside it where the two
// read differently.
QString Width(const std::optional<double> &fitted, const std::optional<double> &raw, int decimals,
              const QString &unit = QString(), const QString &prefix = QString())
{
    const QString f = Fmt(fitted, decimals) + (fitted ? unit : QString());
    const QString r = Fmt(raw, decimals) + (raw ? unit : QString());
    return f == r ? f : f + QStringLiteral(" (") + prefix + r + QStringLiteral(")");
}

// The raw front-to-back ratio, a lower bound where the level opposite the
// peak lies on the floor.
QString FrontToBack(const LobeMetrics &m, const double *levels, int decimals)
{
    if (!m.frontToBack)
        return Fmt(m.frontToBack, decimals);
    const bool bound = OnFloor(levels[WrapAngle(m.peak + 180)]);
    return (bound ? QStringLiteral("≥ ") : QString()) + Fmt(m.frontToBack, decimals);
}

QString TitleOf(const Entry &e)
{
    const QString name = Q(e.shown);
    return e.ok && e.rec->person[0] ? name + QStringLiteral(" — ") + ShortPerson(*e.rec) : name;
}

// A table drawn row by row; returns the y below it.
double Table(QPainter &p, double x, double y, const std::vector<double> &widths,
             const std::vector<QStringList> &rows, double rowH, bool header = true)
{
    QFont normal = p.font(), bold = p.font();
    bold.setBold(true);
    for (size_t r = 0; r < rows.size(); ++r) {
        p.setFont(header && r == 0 ? bold : normal);
        double cx = x;
        for (size_t c = 0; c < size_t(rows[r].size()) && c < widths.size(); ++c) {
            const QRectF cell(cx + 8, y, widths[c] - 16, rowH);
            p.drawText(cell, Qt::AlignVCenter | (c == 0 ? Qt::AlignLeft : Qt::AlignRight),
                       p.fontMetrics().elidedText(rows[r][c], Qt::ElideRight, int(cell.width())));
            cx += widths[c];
        }
        y += rowH;
        if (header && r == 0) {
            p.drawLine(QPointF(x, y), QPointF(cx, y));
        }
    }
    p.setFont(normal);
    return y;
}

// Gives each entry the shortest end of its path that no other entry of the
// same file name shares: "lab1/horn.atn" beside "lab2/horn.atn", "horn.atn"
// when it is the only one. A path given twice keeps the whole path.
void NameEntries(std::vector<Entry> &entries)
{
    std::vector<std::vector<std::string>> parts(entries.size());
    std::map<std::string, std::vector<size_t>> byName;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string &path = entries[i].path;
        for (size_t at = 0; at < path.size();) {
            const size_t slash = std::min(path.find('/', at), path.size());
            if (slash > at)
                parts[i].push_back(path.substr(at, slash - at));
            at = slash + 1;
        }
        if (!parts[i].empty())
            byName[parts[i].back()].push_back(i);
        entries[i].shown = ShownName(path);
    }
    auto end = [&](size_t i, size_t k) {
        std::string s;
        const auto &p = parts[i];
        for (size_t c = p.size() - std::min(k, p.size()); c < p.size(); ++c)
            s += (s.empty() ? "" : "/") + p[c];
        return s;
    };
    for (const auto &[name, group] : byName) {
        if (group.size() < 2)
            continue;
        for (size_t i : group) {
            size_t k = 1;
            for (; k < parts[i].size(); ++k) {
                const std::string mine = end(i, k);
                bool shared = false;
                for (size_t j : group)
                    shared = shared || (j != i && end(j, k) == mine);
                if (!shared)
                    break;
            }
            if (k < parts[i].size())
                entries[i].shown = end(i, k);
        }
    }
}

// The summary goes on over as many pages as it needs: the table of the
// readable files (its header on every page), then every unreadable file
// with its reason, wrapped rather than cut so that each is named whole.
struct SummaryItem {
    enum Kind { Row, Heading, Unreadable } kind;
    const Entry *entry;
    double height;
};
using SummaryPlan = std::vector<std::vector<SummaryItem>>;

constexpr double kRowH = 62;
constexpr double kFirstTop = 240, kNextTop = 130;

QString UnreadableText(const Entry &e)
{
    return Q(ShownName(e.path)) + QStringLiteral(": ") + Q(e.error);
}

SummaryPlan PlanSummary(const QFont &font, QPaintDevice *device, const QRectF &page,
                        const std::vector<Entry> &entries)
{
    std::vector<SummaryItem> items;
    for (const Entry &e : entries)
        if (e.ok)
            items.push_back({SummaryItem::Row, &e, kRowH});
    bool heading = false;
    for (const Entry &e : entries) {
        if (e.ok)
            continue;
        if (!heading)
            items.push_back({SummaryItem::Heading, nullptr, 2 * kRowH});
        heading = true;
        const double h = WrappedHeight(font, device, UnreadableText(e), page.width());
        items.push_back({SummaryItem::Unreadable, &e, std::max(kRowH, h + 16)});
    }
    SummaryPlan plan(1);
    double y = page.top() + kFirstTop;
    bool tableHeader = false;
    for (const SummaryItem &it : items) {
        double need = it.height + (it.kind == SummaryItem::Row && !tableHeader ? kRowH : 0);
        // A heading goes with the first file under it.
        if (it.kind == SummaryItem::Heading)
            need += kRowH;
        if (y + need > page.bottom() && !plan.back().empty()) {
            plan.emplace_back();
            y = page.top() + kNextTop;
            tableHeader = false;
        }
        if (it.kind == SummaryItem::Row && !tableHeader) {
            tableHeader = true;
            y += kRowH;
        }
        plan.back().push_back(it);
        y += it.height;
    }
    return plan;
}

void SummaryPage(QPainter &p, const QRectF &page, const std::vector<Entry> &entries,
                 const std::vector<SummaryItem> &items, int number, int count)
{
    QFont f(QStringLiteral("DejaVu Sans"), 16, QFont::Bold);
    p.setFont(f);
    if (number == 1) {
        p.drawText(QPointF(page.left(), page.top() + 70), QStringLiteral("Antenna pattern report"));
    } else {
        f.setPointSize(12);
        p.setFont(f);
        p.drawText(QPointF(page.left(), page.top() + 60),
                   QStringLiteral("Antenna pattern report: summary, continued"));
    }
    f.setPointSize(9);
    f.setBold(false);
    p.setFont(f);
    if (count > 1)
        p.drawText(QRectF(page.left(), page.top(), page.width(), 90),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Summary page %1 of %2").arg(number).arg(count));
    if (number == 1) {
        int bad = 0;
        for (const Entry &e : entries)
            bad += !e.ok;
        p.drawText(
            QPointF(page.left(), page.top() + 140),
            QStringLiteral("%1 files, %2 read, %3 not readable — %4")
                .arg(entries.size())
                .arg(entries.size() - bad)
                .arg(bad)
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        p.drawText(QPointF(page.left(), page.top() + 180),
                   QStringLiteral("Widths in degrees (-3 dB, fitted through the noise; the raw "
                                  "width in brackets where it differs), levels in dB,"));
        p.drawText(QPointF(page.left(), page.top() + 225),
                   QStringLiteral("≥ a bound (the back lies on the -30 dB floor), "
                                  "D = directivity estimate from both raw half-power widths."));
    }
    const double w = page.width();
    const std::vector<double> widths{w * 0.22, w * 0.08, w * 0.14, w * 0.08,
                                     w * 0.14, w * 0.10, w * 0.10, w * 0.14};
    std::vector<QStringList> rows{{QStringLiteral("File / person"), QStringLiteral("E peak"),
                                   QStringLiteral("E width"), QStringLiteral("H peak"),
                                   QStringLiteral("H width"), QStringLiteral("E F/B"),
                                   QStringLiteral("H F/B"), QStringLiteral("D (dBi)")}};
    const QFontMetricsF fm = p.fontMetrics();
    for (const SummaryItem &it : items) {
        if (it.kind != SummaryItem::Row)
            continue;
        const Entry &e = *it.entry;
        // The file's name is kept whole where the person's has to go.
        QString title = TitleOf(e);
        const double room = widths[0] - 16;
        if (fm.horizontalAdvance(title) > room
            && fm.horizontalAdvance(Q(e.shown) + QStringLiteral(" …")) > room)
            title = fm.elidedText(Q(e.shown), Qt::ElideMiddle, room);
        const auto d = DirectivityEstimate(e.e.lobe.hpbw, e.h.lobe.hpbw);
        rows.push_back({title,
                        Fmt(e.e.lobe.peak >= 0 ? std::optional<int>(e.e.lobe.peak) : std::nullopt),
                        Width(e.fe.hpbw, e.e.lobe.hpbw, 1),
                        Fmt(e.h.lobe.peak >= 0 ? std::optional<int>(e.h.lobe.peak) : std::nullopt),
                        Width(e.fh.hpbw, e.h.lobe.hpbw, 1), FrontToBack(e.e.lobe, e.rec->e_data, 1),
                        FrontToBack(e.h.lobe, e.rec->h_data, 1),
                        d ? QString::number(d->dBi, 'f', 1) : QStringLiteral("–")});
    }
    double y = page.top() + (number == 1 ? kFirstTop : kNextTop);
    if (rows.size() > 1)
        y = Table(p, page.left(), y, widths, rows, kRowH);
    for (const SummaryItem &it : items) {
        if (it.kind == SummaryItem::Heading) {
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRectF(page.left(), y + kRowH, page.width(), kRowH), Qt::AlignVCenter,
                       QStringLiteral("Not readable"));
            f.setBold(false);
            p.setFont(f);
        } else if (it.kind == SummaryItem::Unreadable) {
            p.drawText(QRectF(page.left(), y, page.width(), it.height), UnreadableText(*it.entry),
                       Wrapped());
        }
        if (it.kind != SummaryItem::Row)
            y += it.height;
    }
}

// The textbook model of a record's type, or null with the reason.
const TheoryModel *ModelFor(int type, std::string *error)
{
    std::string why;
    const TheoryModel *m = nullptr;
    if (type < 0 || type >= THEORY_TYPES)
        why = "the file records no library antenna type (type " + std::to_string(type) + ")";
    else if (!TheoryModelOf(type).ok)
        why = TheoryModelOf(type).error;
    else
        m = &TheoryModelOf(type);
    if (error)
        *error = why;
    return m;
}

// One plane's comparison with the model, short enough for a page's width.
QString ShortLine(const char *plane, const TheoryComparison &c)
{
    if (!c.valid)
        return QStringLiteral("%1 plane: no peak to compare").arg(U(plane));
    return QStringLiteral("%1 plane: model turned %2°, RMS %3 dB, largest %4 dB (%5 angles)")
        .arg(U(plane))
        .arg(c.rotation)
        .arg(c.rms, 0, 'f', 2)
        .arg(c.maxDiff, 0, 'f', 2)
        .arg(c.angles);
}

QString Widths(const TheoryComparison &e, const TheoryComparison &h)
{
    auto w = [](double v) {
        return v > 0 ? QString::number(v, 'f', 1) + QStringLiteral("°") : QStringLiteral("–");
    };
    return QStringLiteral("Half-power width, model / measured: E %1 / %2, H %3 / %4")
        .arg(w(e.modelHpbw), w(e.measuredHpbw), w(h.modelHpbw), w(h.measuredHpbw));
}

// The model's comparison lines below a page's figures; the y below them.
double TheoryLines(QPainter &p, double x, double y, double width, const PatternRecord &r)
{
    std::string error;
    const TheoryModel *m = ModelFor(r.Antype, &error);
    QFont f = p.font(), b = f;
    b.setBold(true);
    p.setFont(b);
    p.drawText(QPointF(x, y), QStringLiteral("Textbook model (dashed on the graphs)"));
    p.setFont(f);
    const double line = p.fontMetrics().height() * 1.3;
    QStringList lines;
    if (!m) {
        lines << QString::fromStdString(error);
    } else {
        const TheoryDesign &d = DesignOf(r.Antype);
        const TheoryComparison e = CompareWithModel(r.e_data, m->e);
        const TheoryComparison h = CompareWithModel(r.h_data, m->h);
        lines << QStringLiteral("%1, %2, gain %3 dBi")
                     .arg(U(d.name), U(EngineName(d.engine)))
                     .arg(m->gainDbi, 0, 'f', 2)
              << ShortLine("E", e) << ShortLine("H", h) << Widths(e, h);
    }
    for (const QString &l : lines) {
        y += line;
        p.drawText(QRectF(x, y - line * 0.8, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(l, Qt::ElideRight, int(width)));
    }
    return y + 2 * line;
}

void FilePage(QPainter &p, const QRectF &page, const Entry &e, bool theory)
{
    const PatternRecord &r = *e.rec;
    QFont f(QStringLiteral("DejaVu Sans"), 14, QFont::Bold);
    p.setFont(f);
    p.drawText(QRectF(page.left(), page.top(), page.width(), 90), Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(TitleOf(e), Qt::ElideMiddle, int(page.width())));
    f.setPointSize(9);
    f.setBold(false);
    p.setFont(f);
    const char *name = AntennaNameOf(r.Antype);
    p.drawText(QPointF(page.left(), page.top() + 140),
               QStringLiteral("Antenna: %1    E: %2 %3, %4 dB    H: %5 %6, %7 dB")
                   .arg(name ? U(name) : QStringLiteral("It is not specified."))
                   .arg(U(r.Edate), U(r.Etime))
                   .arg(r.Eattn, 0, 'f', 1)
                   .arg(U(r.Hdate), U(r.Htime))
                   .arg(r.Hattn, 0, 'f', 1));

    TheoryComparison cuts[2];
    if (const TheoryModel *m = theory ? ModelFor(r.Antype, nullptr) : nullptr) {
        cuts[0] = CompareWithModel(r.e_data, m->e);
        cuts[1] = CompareWithModel(r.h_data, m->h);
    }
    DrawGraphs(r, cuts[0].valid ? cuts[0].scaled : nullptr,
               cuts[1].valid ? cuts[1].scaled : nullptr, false);
    const double side = (page.width() - 60) / 2;
    const double top = page.top() + 180;
    PaintPolar(p, QRectF(page.left(), top, side, side));
    PaintCartesian(p, QRectF(page.left() + side + 60, top, side, side));
    p.drawText(
        QPointF(page.left(), top + side + 50),
        QStringLiteral("Polar view (left) and Cartesian view (right): E plane red, H plane blue."));

    auto row = [](const char *label, const QString &ev, const QString &hv) {
        return QStringList{U(label), ev, hv};
    };
    const LobeMetrics &me = e.e.lobe, &mh = e.h.lobe;
    const ViewerReadouts &re = e.e.readouts, &rh = e.h.readouts;
    auto peak = [](const ViewerReadouts &d) {
        return d.peak < 0 ? QStringLiteral("none")
                          : QStringLiteral("%1° at %2 dB").arg(d.peak).arg(*d.peakLevel, 0, 'f', 2);
    };
    auto hpb = [](const ViewerReadouts &d) {
        return d.hasBeamwidth ? QStringLiteral("%1° (%2 … %3), %4 dB")
                                    .arg(d.hpbWidth, 0, 'f', 1)
                                    .arg(d.search.left, 0, 'f', 1)
                                    .arg(d.search.right, 0, 'f', 1)
                                    .arg(d.hpbLevel, 0, 'f', 2)
                              : QStringLiteral("0 (none)");
    };
    auto nulls = [](const FittedLobeMetrics &f, const LobeMetrics &m) {
        if (!f.fnbw)
            return m.fnbw ? QStringLiteral("– (raw %1°)").arg(*m.fnbw) : QStringLiteral("–");
        const QString text =
            QStringLiteral("%1° (%2° … %3°)").arg(*f.fnbw).arg(*f.nullLeft).arg(*f.nullRight);
        return m.fnbw && double(*m.fnbw) != *f.fnbw
                   ? text + QStringLiteral(", raw %1°").arg(*m.fnbw)
                   : text;
    };
    auto side_ = [](const LobeMetrics &m, const double *levels) {
        if (!m.sideLobeLevel)
            return QStringLiteral("none");
        const bool bound = OnFloor(levels[*m.sideLobeAngle]);
        return QStringLiteral("%1%2 dB at %3°")
            .arg(bound ? QStringLiteral("≤ ") : QString())
            .arg(*m.sideLobeLevel, 0, 'f', 2)
            .arg(*m.sideLobeAngle);
    };
    const FittedLobeMetrics &fe = e.fe, &fh = e.fh;
    const QString kRaw = QStringLiteral("raw ");
    const auto d = DirectivityEstimate(me.hpbw, mh.hpbw);
    std::vector<QStringList> rows{
        row("", QStringLiteral("E plane"), QStringLiteral("H plane")),
        row("Peak", peak(re), peak(rh)),
        row("Half-power (viewer)", hpb(re), hpb(rh)),
        row("-3 dB width, fitted", Width(fe.hpbw, me.hpbw, 2, QStringLiteral("°"), kRaw),
            Width(fh.hpbw, mh.hpbw, 2, QStringLiteral("°"), kRaw)),
        row("-10 dB width, fitted", Width(fe.bw10, me.bw10, 2, QStringLiteral("°"), kRaw),
            Width(fh.bw10, mh.bw10, 2, QStringLiteral("°"), kRaw)),
        row("First-null width, fitted", nulls(fe, me), nulls(fh, mh)),
        row("Front-to-back", FrontToBack(me, r.e_data, 2) + QStringLiteral(" dB"),
            FrontToBack(mh, r.h_data, 2) + QStringLiteral(" dB")),
        row("Side lobe", side_(me, r.e_data), side_(mh, r.h_data)),
    };
    const double w = page.width();
    double y = Table(p, page.left(), top + side + 100, {w * 0.34, w * 0.33, w * 0.33}, rows, 62);
    y += 30;
    p.drawText(QPointF(page.left(), y + 30),
               d ? QStringLiteral("Directivity estimate (41253 / (E width × H width)): %1 = %2 dBi")
                       .arg(d->ratio, 0, 'f', 1)
                       .arg(d->dBi, 0, 'f', 1)
                 : QStringLiteral("Directivity estimate: none (a plane has no half-power width, "
                                  "or one wider than 180°)"));
    y += 100;
    if (theory)
        y = TheoryLines(p, page.left(), y, page.width(), r);
    QFont b = f;
    b.setBold(true);
    p.setFont(b);
    p.drawText(QPointF(page.left(), y), QStringLiteral("Description"));
    p.setFont(f);
    const QString desc = Description(r).trimmed();
    p.drawText(QRectF(page.left(), y + 20, page.width(), page.bottom() - y - 20),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               desc.isEmpty() ? QStringLiteral("(none)") : desc);
}

}  // namespace

bool MakeClassReport(const std::vector<ReportFile> &files, const ReportOptions &options,
                     std::string *pdf, std::string *error)
{
    if (options.lab)
        return MakeLabClassReport(files, options, pdf, error);
    if (!PrepareGraphs(error))
        return false;
    std::vector<Entry> entries(files.size());
    int failed = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        Entry &e = entries[i];
        const ReportFile &f = files[i];
        e.path = f.path;
        e.ok = f.ok;
        e.error = f.error;
        e.rec = &f.rec;
        if (e.ok) {
            e.e = FiguresOf(f.rec.e_data);
            e.h = FiguresOf(f.rec.h_data);
            e.fe = PlaneFittedMetrics(f.rec.e_data);
            e.fh = PlaneFittedMetrics(f.rec.h_data);
        } else {
            ++failed;
        }
    }
    NameEntries(entries);

    Pdf out;
    if (!BeginPdf(out, QStringLiteral("Antenna pattern report"), error))
        return false;
    QPainter &painter = out.painter;
    const QRectF &page = out.page;
    const SummaryPlan plan = PlanSummary(painter.font(), out.writer.get(), page, entries);
    const int pages = int(plan.size() + files.size()) - failed;
    int done = 0;
    auto counted = [&] {
        ++done;
        if (options.progress)
            options.progress(done, pages);
    };
    for (size_t i = 0; i < plan.size(); ++i) {
        if (i)
            out.writer->newPage();
        SummaryPage(painter, page, entries, plan[i], int(i + 1), int(plan.size()));
        counted();
    }
    for (const Entry &e : entries) {
        if (!e.ok)
            continue;
        out.writer->newPage();
        FilePage(painter, page, e, options.theory);
        counted();
    }
    return EndPdf(out, pdf, error);
}
