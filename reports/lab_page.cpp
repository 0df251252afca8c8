// SPDX-License-Identifier: GPL-3.0-or-later
// The lab report of one measurement: blocks of text, the graphs and the
// tables, laid out over one A4 page or two before anything is drawn.
#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

#include "antennas.h"
#include "render.h"
#include "report_parts.h"
#include "reports.h"
#include "theory.h"

namespace reportparts {

namespace {

QString TypeText(int type)
{
    const char *name = AntennaNameOf(type);
    return name ? QStringLiteral("type %1, %2").arg(type).arg(U(name))
                : QStringLiteral("type %1, It is not specified.").arg(type);
}

QString PlaneLine(const char *date, const char *time, double attn)
{
    return QStringLiteral("measured %1 %2, attenuation %3 dB")
        .arg(QString::fromStdString(IsoDate(date)), U(time))
        .arg(attn, 0, 'f', 1);
}

std::vector<Block> HeaderBlocks(QPaintDevice *dev, double w, const ReportFile &file,
                                const LabSettings &s, const LabFigures &f)
{
    const PatternRecord &r = file.rec;
    std::vector<Block> out;
    const char *name = AntennaNameOf(r.Antype);
    out.push_back(TextBlock(
        dev, w,
        QStringLiteral("Lab report: %1").arg(name ? U(name) : QStringLiteral("antenna pattern")),
        Font(15, true), 0, 1.5 * kMm));
    const QString person = WholePerson(r).trimmed();
    std::vector<std::pair<QString, QString>> rows{
        {QStringLiteral("Person"), person.isEmpty() ? QStringLiteral("(none)") : person},
        {QStringLiteral("Antenna"), TypeText(r.Antype)},
        {QStringLiteral("File"), Shown(file.path)},
        {QStringLiteral("E plane"), PlaneLine(r.Edate, r.Etime, r.Eattn)},
        {QStringLiteral("H plane"), PlaneLine(r.Hdate, r.Htime, r.Hattn)},
        {QStringLiteral("Range distance"),
         s.distance ? QStringLiteral("%1 m").arg(QString::fromStdString(Fixed(*s.distance, 3)))
                    : QStringLiteral("not given: the far field is not checked")},
    };
    if (f.gain.asked) {
        QStringList refs;
        for (const std::string &p : f.gain.references)
            refs << Shown(p);
        rows.push_back({QStringLiteral("Reference"), refs.join(QStringLiteral(", "))});
    }
    if (!file.note.empty())
        rows.push_back({QStringLiteral("Note"), QString::fromStdString(file.note)});
    const QString desc = Description(r).trimmed();
    rows.push_back(
        {QStringLiteral("Description"), desc.isEmpty() ? QStringLiteral("(none)") : desc});
    const std::vector<double> widths{0.17 * w, 0.83 * w};
    for (const auto &[label, value] : rows)
        out.push_back(RowBlock(dev, widths, {{label, true}, {value}}, 9, false, false));
    return out;
}

// The graphs side by side with a dark frame, captions and the legend.
Block GraphBlock(QPaintDevice *dev, double w, const ReportFile &file, const LabFigures &f)
{
    const double gap = 6 * kMm;
    const double side = std::min((w - gap) / 2, 80 * kMm);
    const double left = (w - 2 * side - gap) / 2;
    const QFont small = Font(8);
    const double line = QFontMetricsF(small, dev).height();
    const bool model = f.e.modelOk || f.h.modelOk;
    const QString noModel = QStringLiteral("No textbook model: %1.")
                                .arg(QString::fromStdString(
                                    f.modelError.empty() ? "a plane has no peak" : f.modelError));
    Block b;
    b.height = side + 3.5 * line + (model ? 0 : WrappedHeight(small, dev, noModel, w));
    // The cuts are copied: the block is drawn after every file's figures exist.
    auto cuts = std::make_shared<std::array<std::vector<double>, 2>>();
    if (f.e.modelOk)
        (*cuts)[0].assign(f.e.comparison.scaled, f.e.comparison.scaled + LEVELS);
    if (f.h.modelOk)
        (*cuts)[1].assign(f.h.comparison.scaled, f.h.comparison.scaled + LEVELS);
    const PatternRecord *rec = &file.rec;
    b.paint = [=](QPainter &p, const QRectF &r) {
        DrawGraphs(*rec, (*cuts)[0].empty() ? nullptr : (*cuts)[0].data(),
                   (*cuts)[1].empty() ? nullptr : (*cuts)[1].data(), true);
        const QRectF polar(r.left() + left, r.top(), side, side);
        const QRectF cart(polar.right() + gap, r.top(), side, side);
        PaintPolar(p, polar);
        PaintCartesian(p, cart);
        p.save();
        p.setPen(QPen(QColor(kDark), 0.3 * kMm));
        p.setBrush(Qt::NoBrush);
        p.drawRect(polar);
        p.drawRect(cart);
        p.setFont(small);
        p.setPen(QColor(kDark));
        p.drawText(QRectF(polar.left(), polar.bottom() + 0.3 * line, side, line), Qt::AlignCenter,
                   QStringLiteral("Polar view: level in dB, angle clockwise from the top"));
        p.drawText(QRectF(cart.left(), cart.bottom() + 0.3 * line, side, line), Qt::AlignCenter,
                   QStringLiteral("Cartesian view: level in dB against angle in degrees"));
        // The legend: a sample of each line as the graphs draw it.
        struct Item {
            QColor color;
            bool dashed;
            QString text;
        };
        std::vector<Item> items{{QColor(0xFF0000), false, QStringLiteral("E plane, measured")},
                                {QColor(0x0000FF), false, QStringLiteral("H plane, measured")}};
        if (model) {
            items.insert(items.begin() + 1,
                         {QColor(0xFF0000), true, QStringLiteral("E plane, textbook")});
            items.push_back({QColor(0x0000FF), true, QStringLiteral("H plane, textbook")});
        }
        const double y = polar.bottom() + 2 * line;
        const double slot = w / double(items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            const double x = r.left() + slot * double(i);
            QPen pen(items[i].color, 0.4 * kMm);
            if (items[i].dashed)
                pen.setStyle(Qt::DashLine);
            p.setPen(pen);
            p.drawLine(QPointF(x, y), QPointF(x + 12 * kMm, y));
            p.setPen(QColor(kDark));
            p.drawText(QRectF(x + 14 * kMm, y - line / 2, slot - 14 * kMm, line),
                       Qt::AlignLeft | Qt::AlignVCenter, items[i].text);
        }
        if (!model)
            p.drawText(QRectF(r.left(), y + line, w, r.height()), noModel,
                       Wrapped(Qt::AlignLeft | Qt::AlignTop));
        p.restore();
    };
    return b;
}

QString ModelNote(const PatternRecord &r, const LabFigures &f)
{
    if (!f.modelOk())
        return QStringLiteral("No textbook model: %1; the measured figures stand alone.")
            .arg(QString::fromStdString(f.modelError));
    const TheoryDesign &d = DesignOf(r.Antype);
    return QStringLiteral("Textbook: the model of the %1 (%2, gain %3 dBi), turned to match each "
                          "plane (E %4°, H %5°) and set to its level. Δ = measured − textbook. "
                          "Measured widths and levels are fitted through the noise; ≥ and ≤ mark "
                          "a bound where a level lies on the -30 dB floor.")
        .arg(U(d.name), U(EngineName(d.engine)))
        .arg(f.modelGainDbi, 0, 'f', 2)
        .arg(f.e.comparison.rotation)
        .arg(f.h.comparison.rotation);
}

// One line for the reader in a hurry: how many figures agree, what warns.
QString InShort(const LabFigures &f)
{
    int count[4] = {0, 0, 0, 0};
    for (const LabRow &r : f.rows)
        ++count[int(r.agreement)];
    QStringList parts;
    if (f.modelOk())
        parts << QStringLiteral("Against the textbook: %1 figures agree, %2 consistent, %3 differ, "
                                "%4 not compared")
                     .arg(count[int(Agreement::Agrees)])
                     .arg(count[int(Agreement::Consistent)])
                     .arg(count[int(Agreement::Differs)])
                     .arg(count[int(Agreement::NotCompared)]);
    else
        parts << QStringLiteral("No textbook to compare with");
    QStringList warned;
    for (const CheckLine &l : f.checks.lines)
        if (l.verdict == Verdict::Warn)
            warned << QString::fromStdString(English(l.title));
    parts << (warned.isEmpty()
                  ? QStringLiteral("no check warns")
                  : QStringLiteral("checks that warn: ") + warned.join(QStringLiteral(", ")));
    if (f.gain.ok)
        parts << QString::fromStdString(GainStatement(f.gain.result));
    return QStringLiteral("In short: ") + parts.join(QStringLiteral("; ")) + QStringLiteral(".");
}

// The table's blocks, the first of them to be block `base` of the page.
std::vector<Block> TableBlocks(QPaintDevice *dev, double w, const PatternRecord &r,
                               const LabFigures &f, size_t base)
{
    std::vector<Block> out;
    out.push_back(Heading(dev, w, QStringLiteral("Measured and textbook figures")));
    out.push_back(TextBlock(dev, w, ModelNote(r, f), Font(8), 0, 1 * kMm));
    const std::vector<double> widths{0.18 * w, 0.075 * w, 0.16 * w, 0.135 * w, 0.16 * w, 0.29 * w};
    const Qt::Alignment right = Qt::AlignRight;
    out.push_back(RowBlock(dev, widths,
                           {{QStringLiteral("Figure")},
                            {QStringLiteral("Plane")},
                            {QStringLiteral("Measured"), false, right},
                            {QStringLiteral("Textbook"), false, right},
                            {QStringLiteral("Difference"), false, right},
                            {QStringLiteral("Verdict")}},
                           8.5, true));
    out.back().keepWithNext = true;
    const int header = int(base + out.size() - 1);
    for (const LabRow &row : f.rows) {
        const bool differs = row.agreement == Agreement::Differs;
        out.push_back(RowBlock(dev, widths,
                               {{QString::fromStdString(row.figure)},
                                {QString::fromStdString(row.plane)},
                                {QString::fromStdString(row.measured), false, right},
                                {QString::fromStdString(row.textbook), false, right},
                                {QString::fromStdString(row.difference), false, right},
                                {QString::fromStdString(row.verdict), differs}},
                               8.5, false));
        out.back().header = header;
    }
    return out;
}

std::vector<Block> CheckBlocks(QPaintDevice *dev, double w, const LabFigures &f)
{
    std::vector<Block> out;
    out.push_back(Heading(dev, w, QStringLiteral("Checks")));
    for (const CheckLine &l : f.checks.lines) {
        QString text = QStringLiteral("%1: %2").arg(QString::fromStdString(English(l.title)),
                                                    U(VerdictName(l.verdict)));
        out.push_back(TextBlock(dev, w, text, Font(9, true), 0, 0.3 * kMm));
        if (!l.findings.empty())
            out.back().keepWithNext = true;
        for (size_t i = 0; i < l.findings.size(); ++i)
            out.push_back(TextBlock(dev, w, QString::fromStdString(English(l.findings[i])),
                                    Font(8.5), 5 * kMm,
                                    i + 1 == l.findings.size() ? 1.2 * kMm : 0.2 * kMm));
    }
    return out;
}

QString FarFieldText(const LabGain &g, const LabSettings &s)
{
    if (!s.distance)
        return QStringLiteral("Far field: not counted (no range distance given).");
    const QString at = QString::fromStdString(Fixed(*s.distance, 3));
    if (g.result.outsideMethod)
        return QStringLiteral("Far field: at R = %1 m an antenna is too close for the comparison "
                              "to give its far-field gain: the result is outside the method.")
            .arg(at);
    for (const UncertaintyComponent &c : g.result.components)
        if (c.id == "far_field" && c.counted)
            return QStringLiteral("Far field: at R = %1 m an antenna is not in the far field; the "
                                  "phase error across its aperture counts %2 dB.")
                .arg(at, QString::fromStdString(Fixed(c.u, 3)));
    if (!g.antennaFarField.made && !g.referenceFarField.made)
        return QStringLiteral("Far field: not checked, neither file records a library antenna "
                              "type.");
    return QStringLiteral("Far field: at R = %1 m %2 in the far field.")
        .arg(at, g.antennaFarField.made && g.referenceFarField.made
                     ? QStringLiteral("both antennas are")
                 : g.antennaFarField.made ? QStringLiteral("the antenna is")
                                          : QStringLiteral("the reference is"));
}

std::vector<Block> GainBlocks(QPaintDevice *dev, double w, const LabFigures &f,
                              const LabSettings &s)
{
    std::vector<Block> out;
    const LabGain &g = f.gain;
    if (!g.asked)
        return out;
    out.push_back(Heading(dev, w, QStringLiteral("Gain by comparison with the reference")));
    if (!g.ok) {
        out.push_back(TextBlock(dev, w,
                                QStringLiteral("No gain: %1.").arg(QString::fromStdString(g.error)),
                                Font(9, true)));
        return out;
    }
    const GainResult &res = g.result;
    out.push_back(TextBlock(dev, w, QString::fromStdString(GainStatement(res)), Font(11, true), 0,
                            0.8 * kMm));
    QStringList lines;
    lines << QStringLiteral("Reference gain %1 dBi (%2); G = Gref + (boresight level of the "
                            "antenna − that of the reference), each the mean of the fitted peaks "
                            "of its two planes.")
                 .arg(g.referenceGainDbi, 0, 'f', 2)
                 .arg(g.referenceGainFromModel ? QStringLiteral("its type's textbook model")
                                               : QStringLiteral("given"));
    if (res.eGainDbi && res.hGainDbi)
        lines << QStringLiteral("E plane %1 dBi, H plane %2 dBi, E minus H %3 dB (a check of the "
                                "set-up).")
                     .arg(*res.eGainDbi, 0, 'f', 2)
                     .arg(*res.hGainDbi, 0, 'f', 2)
                     .arg(*res.eGainDbi - *res.hGainDbi, 0, 'f', 2);
    lines << FarFieldText(g, s);
    if (res.farFromModel && g.modelGainDbi)
        lines << QStringLiteral("The result is %1 dB from the textbook model's gain of its type "
                                "(%2 dBi), more than 3 dB: check the set-up.")
                     .arg(std::fabs(res.gainDbi - *g.modelGainDbi), 0, 'f', 1)
                     .arg(*g.modelGainDbi, 0, 'f', 2);
    for (const QString &l : lines)
        out.push_back(TextBlock(dev, w, l, Font(8.5), 0, 0.6 * kMm));
    out.push_back(Heading(dev, w, QStringLiteral("Uncertainty budget (standard uncertainties)")));
    const std::vector<double> widths{0.27 * w, 0.10 * w, 0.10 * w, 0.53 * w};
    const Qt::Alignment right = Qt::AlignRight;
    out.push_back(RowBlock(dev, widths,
                           {{QStringLiteral("Component")},
                            {QStringLiteral("u (dB)"), false, right},
                            {QStringLiteral("Counted")},
                            {QStringLiteral("Source")}},
                           8.5, true));
    out.back().keepWithNext = true;
    for (const UncertaintyComponent &c : res.components)
        out.push_back(RowBlock(dev, widths,
                               {{QString::fromStdString(English(c.name))},
                                {QString::fromStdString(Fixed(c.u, 3)), false, right},
                                {c.counted ? QStringLiteral("yes") : QStringLiteral("no")},
                                {QString::fromStdString(English(c.source))}},
                               8.5, false));
    out.push_back(TextBlock(
        dev, w,
        QStringLiteral("Combined standard uncertainty u_c = %1 dB (root sum of squares); coverage "
                       "factor k = %2, expanded uncertainty U = k u_c = %3 dB.")
            .arg(res.combined, 0, 'f', 2)
            .arg(res.coverage, 0, 'f', 0)
            .arg(res.expanded, 0, 'f', 2),
        Font(8.5), 0, 0));
    out.back().height += 1.2 * kMm;
    return out;
}

}  // namespace

Layout LabLayoutOf(Pdf &pdf, const ReportFile &file, const LabFigures &f, const LabSettings &s)
{
    QPaintDevice *dev = pdf.writer.get();
    const double w = pdf.page.width();
    Layout layout;
    auto add = [&](std::vector<Block> v) {
        for (Block &b : v)
            layout.blocks.push_back(std::move(b));
    };
    add(HeaderBlocks(dev, w, file, s, f));
    layout.blocks.push_back(TextBlock(dev, w, InShort(f), Font(9, true), 0, kGap));
    layout.blocks.push_back(GraphBlock(dev, w, file, f));
    add(TableBlocks(dev, w, file.rec, f, layout.blocks.size()));
    add(CheckBlocks(dev, w, f));
    add(GainBlocks(dev, w, f, s));
    // The footer names the person and the file; the heading of a second
    // page the whole path.
    const QString person = WholePerson(file.rec).trimmed();
    const QString name = file.path == "-" ? Shown(file.path)
                                          : Q(std::filesystem::path(file.path).filename().string());
    layout.footer = person.isEmpty() ? name : person + QStringLiteral(" — ") + name;
    layout.continued = QStringLiteral("Lab report, continued: ") + Shown(file.path)
                       + (person.isEmpty() ? QString() : QStringLiteral(" — ") + person);
    Paginate(pdf, layout);
    return layout;
}

}  // namespace reportparts

using namespace reportparts;

bool MakeLabReport(const ReportFile &file, const LabSettings &settings, std::string *pdf,
                   std::string *error)
{
    if (!file.ok) {
        *error = file.error;
        return false;
    }
    if (!PrepareGraphs(error))
        return false;
    const LabFigures f = ComputeLabFigures(file.rec, settings);
    Pdf out;
    if (!BeginPdf(out, QStringLiteral("Antenna lab report"), error))
        return false;
    const Layout layout = LabLayoutOf(out, file, f, settings);
    PaintLayout(out, layout, 1, layout.pages, nullptr);
    return EndPdf(out, pdf, error);
}

bool SaveReport(const std::string &path, const std::string &pdf, std::string *error)
{
    return rt::SaveFileWhole(path.c_str(), pdf.data(), pdf.size(), error) == 0;
}
