// SPDX-License-Identifier: GPL-3.0-or-later
// Pages made of blocks: text, headings and table rows, laid out before they
// are drawn, with a footer and a number on every page.
#include <QFontMetricsF>

#include <algorithm>

#include "report_parts.h"

namespace reportparts {

QFont Font(double points, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Lines of a text kept as lines when it is wrapped.
QString Lines(QString text)
{
    return text.replace(QLatin1Char('\n'), QChar::LineSeparator);
}

Block TextBlock(QPaintDevice *dev, double width, QString text, const QFont &font, double indent,
                double after)
{
    text = Lines(text);
    Block b;
    b.height = WrappedHeight(font, dev, text, width - indent) + after;
    b.paint = [text, font, indent](QPainter &p, const QRectF &r) {
        p.setFont(font);
        p.drawText(r.adjusted(indent, 0, 0, 0), text, Wrapped(Qt::AlignLeft | Qt::AlignTop));
    };
    return b;
}

Block Heading(QPaintDevice *dev, double width, const QString &text)
{
    Block b = TextBlock(dev, width, text, Font(10.5, true), 0, 0.8 * kMm);
    b.height += 1.5 * kMm;  // room above, where the block draws nothing
    auto inner = b.paint;
    b.paint = [inner](QPainter &p, const QRectF &r) { inner(p, r.adjusted(0, 1.5 * kMm, 0, 0)); };
    b.keepWithNext = true;
    return b;
}

Block RowBlock(QPaintDevice *dev, const std::vector<double> &widths, std::vector<Cell> cells,
               double points, bool header, bool rule)
{
    for (Cell &c : cells)
        c.text = Lines(c.text);
    const double pad = 1.2 * kMm;
    double h = 0;
    for (size_t c = 0; c < cells.size(); ++c)
        h = std::max(h, WrappedHeight(Font(points, cells[c].bold || header), dev, cells[c].text,
                                      widths[c] - 2 * pad));
    Block b;
    b.height = h + 1.2 * kMm;
    b.paint = [=](QPainter &p, const QRectF &r) {
        double x = r.left();
        for (size_t c = 0; c < cells.size(); ++c) {
            p.setFont(Font(points, cells[c].bold || header));
            const QRectF cell(x + pad, r.top() + 0.6 * kMm, widths[c] - 2 * pad, h);
            p.drawText(cell, cells[c].text, Wrapped(cells[c].align | Qt::AlignTop));
            x += widths[c];
        }
        if (!rule)
            return;
        const QPen old = p.pen();
        p.setPen(QPen(QColor(header ? 0x202020 : 0xB0B0B0), header ? 0.35 * kMm : 0.15 * kMm));
        const double y = r.top() + h + 1.2 * kMm;
        p.drawLine(QPointF(r.left(), y), QPointF(x, y));
        p.setPen(old);
    };
    return b;
}

void Paginate(Pdf &pdf, Layout &layout)
{
    QPaintDevice *dev = pdf.writer.get();
    const double footerH = 3 * QFontMetricsF(Font(7.5), dev).height();
    const double bottom = pdf.page.bottom() - footerH;
    const double continued =
        WrappedHeight(Font(9, true), dev, layout.continued, pdf.page.width()) + 2 * kGap;
    int page = 0;
    double y = pdf.page.top();
    auto &blocks = layout.blocks;
    for (size_t i = 0; i < blocks.size(); ++i) {
        Block &b = blocks[i];
        double need = b.height;
        for (size_t j = i; j + 1 < blocks.size() && blocks[j].keepWithNext; ++j)
            need += blocks[j + 1].height;
        if (y + need > bottom && y > pdf.page.top() + continued + 1) {
            ++page;
            y = pdf.page.top() + continued;
            if (b.header >= 0)
                y += blocks[size_t(b.header)].height;
        }
        b.page = page;
        b.y = y;
        y += b.height;
    }
    layout.pages = page + 1;
}

void PaintLayout(Pdf &pdf, const Layout &l, int first, int total,
                 const std::function<void()> &after)
{
    QPainter &p = pdf.painter;
    const QRectF &area = pdf.page;
    for (int page = 0; page < l.pages; ++page) {
        if (page)
            pdf.writer->newPage();
        p.setPen(QColor(kDark));
        if (page) {
            p.setFont(Font(9, true));
            p.drawText(area, l.continued, Wrapped(Qt::AlignLeft | Qt::AlignTop));
        }
        bool firstOfPage = true;
        for (const Block &b : l.blocks) {
            if (b.page != page)
                continue;
            if (firstOfPage && page && b.header >= 0) {
                const Block &h = l.blocks[size_t(b.header)];
                h.paint(p, QRectF(area.left(), b.y - h.height, area.width(), h.height));
            }
            firstOfPage = false;
            b.paint(p, QRectF(area.left(), b.y, area.width(), b.height));
        }
        const QFont small = Font(7.5);
        const double line = QFontMetricsF(small, pdf.writer.get()).height();
        p.setFont(small);
        p.setPen(QPen(QColor(0x808080), 0.15 * kMm));
        p.drawLine(QPointF(area.left(), area.bottom() - 2.2 * line),
                   QPointF(area.right(), area.bottom() - 2.2 * line));
        p.setPen(QColor(kDark));
        const QString number = QStringLiteral("page %1 of %2").arg(first + page).arg(total);
        const double numberW = QFontMetricsF(small, pdf.writer.get()).horizontalAdvance(number);
        p.drawText(
            QRectF(area.left(), area.bottom() - 2 * line, area.width() - numberW - 5 * kMm, line),
            Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(small, pdf.writer.get())
                .elidedText(l.footer, Qt::ElideRight, area.width() - numberW - 5 * kMm));
        p.drawText(QRectF(area.left(), area.bottom() - 2 * line, area.width(), line),
                   Qt::AlignRight | Qt::AlignVCenter, number);
        p.drawText(QRectF(area.left(), area.bottom() - line, area.width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter, MadeBy());
        if (after)
            after();
    }
}

}  // namespace reportparts
