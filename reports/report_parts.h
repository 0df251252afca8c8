// SPDX-License-Identifier: GPL-3.0-or-later
// The parts the reports are made of: texts of a record, wrapped text, the
// PDF in memory, the graphs the pictures are painted from, and the lab
// pages laid out before they are drawn.
#pragma once

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <QString>
#include <QTextOption>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lab_figures.h"
#include "pattern_record.h"

struct ReportFile;

namespace reportparts {

QString Q(const std::string &s);  // a path or message in the local encoding
QString U(const char *s);         // UTF-8
// The person line the viewer shows (its first 20 characters), the whole
// line as the file holds it, and the description, decoded as atn info does.
QString ShortPerson(const PatternRecord &r);
QString WholePerson(const PatternRecord &r);
QString Description(const PatternRecord &r);
// A path as messages show it: "-" is standard input.
QString Shown(const std::string &path);

// Wrapped at spaces, or anywhere in a word (a long path) wider than the room.
QTextOption Wrapped(Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
double WrappedHeight(const QFont &font, QPaintDevice *device, const QString &text, double width);

// An A4 PDF drawn in memory, 300 dots per inch, 15 mm margins.
struct Pdf {
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    QRectF page;  // the printable area, device units
};
bool BeginPdf(Pdf &pdf, const QString &title, std::string *error);
bool EndPdf(Pdf &pdf, std::string *bytes, std::string *error);

// ---- Graphs -------------------------------------------------------------------
// Two offscreen graphs with the viewer's sizes, axes and frames.
bool PrepareGraphs(std::string *error);
// Both planes of a record and, where given, a model's cuts (scaled and
// turned to the planes) dashed over them, in place of what was drawn before.
// The screen look is the viewer's; the print look is white with a dark
// frame and labels, the curves in their colours, the cuts thicker so that
// their dashes show on paper.
void DrawGraphs(const PatternRecord &r, const double *eCut, const double *hCut, bool print);
void PaintPolar(QPainter &p, const QRectF &target);
void PaintCartesian(QPainter &p, const QRectF &target);

// ---- Pages of blocks -------------------------------------------------------------
constexpr double kMm = 300 / 25.4;  // device units of the 300 dpi PDF
constexpr double kGap = 2.2 * kMm;  // between parts of a page
constexpr int kDark = 0x202020;     // text and frames

QFont Font(double points, bool bold = false);
// Lines of a text kept as lines when it is wrapped.
QString Lines(QString text);

// One piece of a page: its height, drawn at the top of the area it gets.
struct Block {
    double height = 0;
    std::function<void(QPainter &, const QRectF &)> paint;
    bool keepWithNext = false;  // a heading stays with what follows it
    int header = -1;  // a table row's header block, drawn again above a row that begins a page
    int page = 0;     // where pagination put it
    double y = 0;
};
// Wrapped lines in one font, indented, with room after them.
Block TextBlock(QPaintDevice *dev, double width, QString text, const QFont &font, double indent = 0,
                double after = 0);
Block Heading(QPaintDevice *dev, double width, const QString &text);
// A row of cells, each wrapped in its column, bold where asked; a rule under
// it (a heavy one under a header row).
struct Cell {
    QString text;
    bool bold = false;
    Qt::Alignment align = Qt::AlignLeft;
};
Block RowBlock(QPaintDevice *dev, const std::vector<double> &widths, std::vector<Cell> cells,
               double points, bool header, bool rule = true);

// Blocks laid out over pages before anything is drawn, so that each page
// can say how many there are.
struct Layout {
    std::vector<Block> blocks;
    QString footer;     // on every page, beside its number
    QString continued;  // the heading of every page after the first
    int pages = 0;
};
void Paginate(Pdf &pdf, Layout &layout);
// Draws the pages, the first on the page begun now, the others each on a
// new one, numbered from `first` of `total`; after() runs once each page
// is drawn.
void PaintLayout(Pdf &pdf, const Layout &layout, int first, int total,
                 const std::function<void()> &after);

// The lab report of one measurement, laid out.
Layout LabLayoutOf(Pdf &pdf, const ReportFile &file, const LabFigures &f, const LabSettings &s);

// The footer of every lab and summary page.
QString MadeBy();

}  // namespace reportparts
