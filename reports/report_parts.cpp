// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of a record, wrapped text, the PDF in memory and the graphs.
#include "report_parts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPageSize>
#include <QTextLayout>

#include "analysis.h"
#include "pattern_text.h"
#include "plots.h"
#include "render.h"
#include "rt.h"
#include "rt_newpanel.h"
#include "theory.h"

namespace reportparts {

QString Q(const std::string &s)
{
    return QString::fromLocal8Bit(s.c_str());
}

QString U(const char *s)
{
    return QString::fromUtf8(s);
}

QString ShortPerson(const PatternRecord &r)
{
    return QString::fromStdString(
        DecodePerson(r.person, PATTERN_DEFAULT_CODEPAGE, PATTERN_PERSON_MAX));
}

QString WholePerson(const PatternRecord &r)
{
    return QString::fromStdString(
        DecodePerson(PersonLineOf(r), PATTERN_DEFAULT_CODEPAGE, PATTERN_PERSON_LINE_MAX));
}

QString Description(const PatternRecord &r)
{
    return QString::fromStdString(
        DecodeDescript(r.descript, PATTERN_DEFAULT_CODEPAGE, PATTERN_DESCRIPT_MAX));
}

QString Shown(const std::string &path)
{
    return path == "-" ? QStringLiteral("standard input") : Q(path);
}

QTextOption Wrapped(Qt::Alignment align)
{
    QTextOption o(align);
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return o;
}

double WrappedHeight(const QFont &font, QPaintDevice *device, const QString &text, double width)
{
    QTextLayout layout(text, font, device);
    layout.setTextOption(Wrapped());
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        height += line.height();
    }
    layout.endLayout();
    return height;
}

bool BeginPdf(Pdf &pdf, const QString &title, std::string *error)
{
    pdf.buffer.open(QIODevice::WriteOnly);
    pdf.writer = std::make_unique<QPdfWriter>(&pdf.buffer);
    QPdfWriter &w = *pdf.writer;
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setResolution(300);
    w.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    w.setTitle(title);
    w.setCreator(QStringLiteral("Veloran ") + QCoreApplication::applicationName());
    if (!pdf.painter.begin(&w)) {
        *error = "the PDF could not be started";
        return false;
    }
    pdf.page = QRectF(0, 0, w.width(), w.height());
    pdf.painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return true;
}

bool EndPdf(Pdf &pdf, std::string *bytes, std::string *error)
{
    if (!pdf.painter.end()) {
        *error = "the PDF could not be finished";
        return false;
    }
    *bytes = pdf.buffer.data().toStdString();
    return true;
}

QString MadeBy()
{
    return QStringLiteral("Veloran %1 (%2), made %3")
        .arg(U(ProgramVersion()), QCoreApplication::applicationName(),
             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

// ---- Graphs ---------------------------------------------------------------------

namespace {

int gPanel = 0, gPolar = 0, gCartesian = 0;
rt::GraphAxes gPolarAxes, gCartesianAxes;  // the screen look's
bool gPrint = false;
// What is on the graphs besides the frames.
PolarPlanePlots gCurves;
int gTraces[2] = {0, 0};
ModelCutPlots gCuts;

// The print look: the frame's grey rings and labels darker, the label boxes
// white instead of dark cyan, the Cartesian graph's white axes black; the
// curves twice as heavy as the rings, so that they stand out in grey too.
constexpr int kFrom[] = {0xA0A0A0, 0x008080, RT_WHITE};
constexpr int kTo[] = {0x707070, RT_WHITE, RT_BLACK};
constexpr int kPrintWeight = 2;

void Delete(int ctrl, int &plot)
{
    if (plot > 0)
        DeleteGraphPlot(gPanel, ctrl, plot, RT_DELAYED_DRAW);
    plot = 0;
}

void SetLook(bool print)
{
    if (print == gPrint)
        return;
    gPrint = print;
    for (const auto &[ctrl, axes] : {std::pair{gPolar, gPolarAxes}, {gCartesian, gCartesianAxes}}) {
        rt::GraphAxes a = axes;
        if (print)
            a.background = RT_WHITE;
        rt::SetGraphAxes(gPanel, ctrl, a);
        SetGraphColorMap(gPanel, ctrl, kFrom, kTo, print ? 3 : 0, print);
    }
}

}  // namespace

bool PrepareGraphs(std::string *error)
{
    if (gPanel > 0)
        return true;
    const int panel =
        rt::NewPanel(0, "report", 0, 0, PATTERN_GRAPH_SIZE + 6, PATTERN_GRAPH_SIZE + 28);
    const int polar = panel > 0 ? NewPolarGraph(panel, 3, 28) : -1;
    const int cartesian = panel > 0 ? NewCartesianGraph(panel, 3, 28) : -1;
    if (polar < 0 || cartesian < 0) {
        *error = "cannot make the graphs to draw on";
        if (panel > 0)
            DiscardPanel(panel);
        return false;
    }
    gPanel = panel;
    gPolar = polar;
    gCartesian = cartesian;
    rt::GetGraphAxes(gPanel, gPolar, &gPolarAxes);
    rt::GetGraphAxes(gPanel, gCartesian, &gCartesianAxes);
    PlotPolarFrame(gPanel, gPolar);
    PlotCartesianFrame(gPanel, gCartesian);
    return true;
}

void DrawGraphs(const PatternRecord &r, const double *eCut, const double *hCut, bool print)
{
    SetLook(print);
    for (int *p : {&gCurves.eCurve, &gCurves.hCurve, &gCurves.eClosing, &gCurves.hClosing})
        Delete(gPolar, *p);
    for (int &p : gTraces)
        Delete(gCartesian, p);
    for (int plane = 0; plane < 2; ++plane) {
        Delete(gPolar, gCuts.polar[plane]);
        Delete(gCartesian, gCuts.cartesian[plane]);
    }
    static double polar[4 * LEVELS], car[2 * LEVELS];
    static int arrayX[LEVELS];
    BuildPolarBlock(r.e_data, 360, polar, polar + LEVELS);
    BuildPolarBlock(r.h_data, 360, polar + 2 * LEVELS, polar + 3 * LEVELS);
    BuildCarBlock(r.e_data, car);
    BuildCarBlock(r.h_data, car + LEVELS);
    BuildArrayX(arrayX);
    gCurves = PlotPolarPlanes(gPanel, gPolar, polar, true, true, 1);
    gTraces[0] = PlotCartesianTrace(gPanel, gCartesian, arrayX, car, RT_RED, RT_SIMPLE_DOT);
    gTraces[1] =
        PlotCartesianTrace(gPanel, gCartesian, arrayX, car + LEVELS, RT_BLUE, RT_SIMPLE_DOT);
    gCuts = PlotModelCuts(gPanel, gPolar, gCartesian, eCut, hCut);
    if (!print)
        return;
    auto heavy = [](int ctrl, int plot) {
        if (plot > 0)
            SetPlotAttribute(gPanel, ctrl, plot, RT_ATTR_PLOT_THICKNESS, kPrintWeight);
    };
    for (int plot : {gCurves.eCurve, gCurves.hCurve, gCurves.eClosing, gCurves.hClosing})
        heavy(gPolar, plot);
    for (int plane = 0; plane < 2; ++plane) {
        heavy(gCartesian, gTraces[plane]);
        heavy(gPolar, gCuts.polar[plane]);
        heavy(gCartesian, gCuts.cartesian[plane]);
    }
}

void PaintPolar(QPainter &p, const QRectF &target)
{
    rt::RenderGraphCtrl(gPanel, gPolar, p, target);
}

void PaintCartesian(QPainter &p, const QRectF &target)
{
    rt::RenderGraphCtrl(gPanel, gCartesian, p, target);
}

}  // namespace reportparts
