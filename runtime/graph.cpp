// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

#include "rt.h"

namespace rt {

namespace {

QColor toColor(int rgb)
{
    return QColor::fromRgb(QRgb(rgb & 0xFFFFFF));
}
bool isTransparent(int rgb)
{
    return rgb & RT_TRANSPARENT;
}

// Dash patterns in pen widths, so that they grow with the line in a picture.
void SetLineStyle(QPen &pen, int style)
{
    switch (style) {
    case RT_DASH:
        pen.setStyle(Qt::DashLine);
        break;
    case RT_DOT:
        pen.setStyle(Qt::DotLine);
        break;
    case RT_DASH_DOT:
        pen.setStyle(Qt::DashDotLine);
        break;
    case RT_DASH_DOT_DOT:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    case RT_LONG_DASH:
        pen.setDashPattern({9, 3});
        break;
    case RT_LONG_DASH_DOT:
        pen.setDashPattern({9, 3, 1, 3});
        break;
    case RT_LONG_SHORT_DASH:
        pen.setDashPattern({9, 3, 3, 3});
        break;
    case RT_LONG_DASH_DOT_DOT:
        pen.setDashPattern({9, 3, 1, 3, 1, 3});
        break;
    default:
        break;
    }
}

}  // namespace

Graph::Graph(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

QPointF Graph::toPixel(double x, double y) const
{
    const QSizeF size = renderSize_.isValid() ? renderSize_ : QSizeF(this->size());
    const double w = size.width() - 1, h = size.height() - 1;
    double sx = w / (xMax_ - xMin_), sy = h / (yMax_ - yMin_);
    double ox = 0, oy = 0;
    if (equalScale_) {
        const double s = std::min(sx, sy);
        ox = (w - s * (xMax_ - xMin_)) / 2;
        oy = (h - s * (yMax_ - yMin_)) / 2;
        sx = sy = s;
    }
    return {ox + (x - xMin_) * sx, oy + (yMax_ - y) * sy};
}

QPointF Graph::toGraph(QPointF px) const
{
    const QPointF o = toPixel(xMin_, yMax_);
    const QPointF e = toPixel(xMax_, yMin_);
    const double x = xMin_ + (px.x() - o.x()) / (e.x() - o.x()) * (xMax_ - xMin_);
    const double y = yMax_ - (px.y() - o.y()) / (e.y() - o.y()) * (yMax_ - yMin_);
    return {x, y};
}

int Graph::mapped(int color) const
{
    for (const auto &[from, to] : colorMap_)
        if (from == color)
            return to;
    return color;
}

void Graph::applyMap(PlotItem &it) const
{
    auto &[color, fill] = plotted_.at(it.handle);
    it.color = mapped(color);
    it.fillColor = mapped(fill);
}

QFont Graph::textFont() const
{
    QFont f = font();
    f.setPointSizeF(std::max(6.0, f.pointSizeF() - 1) * fontScale_);
    return f;
}

QRectF Graph::textBox(const PlotItem &it, const QFontMetricsF &fm) const
{
    // The point is the lower-left corner of the text.
    const QPointF at = toPixel(it.xs[0], it.ys[0]);
    const QString s = QString::fromUtf8(it.text.c_str());
    QRectF box(at.x(), at.y() - fm.height(), fm.horizontalAdvance(s) + 2, fm.height());
    // A text that the graph's edge would cut (a large font) moves inside.
    const QSizeF size = renderSize_.isValid() ? renderSize_ : QSizeF(this->size());
    if (box.width() <= size.width())
        box.moveLeft(std::clamp(box.left(), 0.0, size.width() - box.width()));
    if (box.height() <= size.height())
        box.moveTop(std::clamp(box.top(), 0.0, size.height() - box.height()));
    return box;
}

QRectF Graph::inkBox(const PlotItem &it, const QFontMetricsF &fm) const
{
    // A text on a background shows the whole box; one without, its letters.
    const QRectF box = textBox(it, fm);
    if (!isTransparent(it.fillColor))
        return box;
    return fm.tightBoundingRect(QString::fromUtf8(it.text.c_str()))
        .translated(box.left(), box.top() + fm.ascent());
}

std::vector<bool> Graph::hiddenTexts(const QPaintDevice *device) const
{
    // Labels of one series (the same colours) that would cover one another
    // at this size and font, or come closer than half a letter, are thinned
    // out, so a large font or a small graph shows fewer labels instead of a
    // heap of them. A row or a column of labels (one y or one x) keeps every
    // k-th one, its first-plotted label among them, with the smallest k that
    // leaves no two touching; the other labels, from the series' first one
    // outwards, stay when they touch none already kept. In a series of
    // several, a label the graph's edge would cut is left out too, and so is
    // one that a text of its own (a marker's) would cover.
    std::vector<bool> hidden(items_.size(), false);
    const QFontMetricsF fm(textFont(), device);
    const double gap = fm.height() / 4;
    const QSizeF size = renderSize_.isValid() ? renderSize_ : QSizeF(this->size());
    const QRectF area = QRectF(QPointF(0, 0), size).adjusted(-1, -1, 1, 1);
    std::vector<QRectF> boxes(items_.size());
    std::map<std::pair<int, int>, std::vector<size_t>> series;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].kind == PlotKind::Text) {
            series[{items_[i].color, items_[i].fillColor}].push_back(i);
            boxes[i] = textBox(items_[i], fm);
        }
    auto touch = [&](const QRectF &a, const QRectF &b) {
        return a.adjusted(-gap, -1, gap, 1).intersects(b);
    };
    for (auto &[colours, members] : series) {
        if (members.size() < 2) {
            // A text of its own (a marker's) goes over the labels: those it
            // would cover are left out.
            const QRectF marker = inkBox(items_[members.front()], fm);
            for (auto &[other, labels] : series)
                if (labels.size() >= 2)
                    for (size_t i : labels)
                        if (inkBox(items_[i], fm).intersects(marker))
                            hidden[i] = true;
            continue;
        }
        std::vector<size_t> kept;
        std::vector<bool> placed(items_.size(), false);
        // Rows (one y), then columns (one x), of three labels or more.
        for (int axis = 0; axis < 2; ++axis) {
            std::map<double, std::vector<size_t>> lines;
            for (size_t i : members)
                if (!placed[i])
                    lines[axis == 0 ? items_[i].ys[0] : items_[i].xs[0]].push_back(i);
            for (auto &[at, line] : lines) {
                if (line.size() < 3)
                    continue;
                const size_t anchor = line.front();  // first plotted
                std::sort(line.begin(), line.end(), [&](size_t a, size_t b) {
                    return axis == 0 ? items_[a].xs[0] < items_[b].xs[0]
                                     : items_[a].ys[0] > items_[b].ys[0];
                });
                const long a = long(std::find(line.begin(), line.end(), anchor) - line.begin());
                const long n = long(line.size());
                long step = 1;
                for (; step < n; ++step) {
                    bool clear = true;
                    long last = -1;
                    for (long j = a % step; j < n && clear; j += step) {
                        if (!area.contains(boxes[line[size_t(j)]]))
                            continue;
                        if (last >= 0 && touch(boxes[line[size_t(last)]], boxes[line[size_t(j)]]))
                            clear = false;
                        last = j;
                    }
                    if (clear)
                        break;
                }
                for (long j = 0; j < n; ++j) {
                    const size_t i = line[size_t(j)];
                    placed[i] = true;
                    if ((j - a) % step != 0 || !area.contains(boxes[i]))
                        hidden[i] = true;
                    else
                        kept.push_back(i);
                }
            }
        }
        std::vector<size_t> rest;
        for (size_t i : members)
            if (!placed[i])
                rest.push_back(i);
        if (rest.empty())
            continue;
        const QPointF first = boxes[members.front()].center();
        std::stable_sort(rest.begin(), rest.end(), [&](size_t a, size_t b) {
            const QPointF da = boxes[a].center() - first, db = boxes[b].center() - first;
            return QPointF::dotProduct(da, da) < QPointF::dotProduct(db, db);
        });
        for (size_t i : rest) {
            const bool covers = std::any_of(kept.begin(), kept.end(),
                                            [&](size_t k) { return touch(boxes[k], boxes[i]); });
            if (covers || !area.contains(boxes[i]))
                hidden[i] = true;
            else
                kept.push_back(i);
        }
    }
    return hidden;
}

std::vector<std::pair<std::string, QRectF>> Graph::shownTexts() const
{
    std::vector<std::pair<std::string, QRectF>> shown;
    const std::vector<bool> hidden = hiddenTexts(this);
    const QFontMetricsF fm(textFont(), this);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].kind == PlotKind::Text && !hidden[i])
            shown.emplace_back(items_[i].text, inkBox(items_[i], fm));
    return shown;
}

void Graph::drawAll(QPainter &p) const
{
    const std::vector<bool> hidden = hiddenTexts(p.device());
    for (size_t i = 0; i < items_.size(); ++i)
        if ((!labelsOnTop_ || items_[i].kind != PlotKind::Text) && !hidden[i])
            drawItem(p, items_[i]);
    if (labelsOnTop_)
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i].kind == PlotKind::Text && !hidden[i])
                drawItem(p, items_[i]);
}

void Graph::setColorMap(std::vector<std::pair<int, int>> map, bool labelsOnTop)
{
    colorMap_ = std::move(map);
    labelsOnTop_ = labelsOnTop;
    for (auto &it : items_) {
        plotted_.try_emplace(it.handle, it.color, it.fillColor);
        applyMap(it);
    }
    if (colorMap_.empty())
        plotted_.clear();
    invalidate();
}

int Graph::add(PlotItem item)
{
    item.handle = nextHandle_++;
    if (!colorMap_.empty()) {
        plotted_[item.handle] = {item.color, item.fillColor};
        applyMap(item);
    }
    items_.push_back(std::move(item));
    // Appending draws just the new item onto the cached picture, so a trace
    // that grows one segment at a time stays cheap however long it gets. A
    // new text may take the place of another: everything is drawn again.
    if (cacheValid_ && items_.back().kind == PlotKind::Text) {
        invalidate();
    } else if (cacheValid_) {
        QPainter p(&cache_);
        p.setRenderHint(QPainter::Antialiasing);
        drawItem(p, items_.back());
        QRect dirty = itemBounds(items_.back());
        // Labels stay above a curve drawn over them.
        if (labelsOnTop_ && items_.back().kind != PlotKind::Text) {
            bool any = false;
            const std::vector<bool> hidden = hiddenTexts(&cache_);
            for (size_t i = 0; i < items_.size(); ++i)
                if (items_[i].kind == PlotKind::Text && !hidden[i]) {
                    drawItem(p, items_[i]);
                    any = true;
                }
            if (any)
                dirty = rect();
        }
        update(dirty);
    } else {
        update();
    }
    return items_.back().handle;
}

bool Graph::remove(int handle)
{
    if (handle == -1) {
        items_.clear();
        plotted_.clear();
        cursorPlot_ = 0;
        invalidate();
        return true;
    }
    auto it = std::find_if(items_.begin(), items_.end(),
                           [handle](const PlotItem &i) { return i.handle == handle; });
    if (it == items_.end())
        return false;
    items_.erase(it);
    plotted_.erase(handle);
    if (cursorPlot_ == handle)
        cursorPlot_ = 0;
    invalidate();
    return true;
}

bool Graph::setThickness(int handle, int thickness)
{
    for (auto &i : items_)
        if (i.handle == handle) {
            i.thickness = std::max(1, thickness);
            invalidate();
            return true;
        }
    return false;
}

bool Graph::setLineStyle(int handle, int style)
{
    for (auto &i : items_)
        if (i.handle == handle) {
            i.lineStyle = style;
            invalidate();
            return true;
        }
    return false;
}

bool Graph::setFillOpacity(int handle, int percent)
{
    for (auto &i : items_)
        if (i.handle == handle) {
            i.fillOpacity = std::clamp(percent, 0, 100);
            invalidate();
            return true;
        }
    return false;
}

QSizeF Graph::textSize(const std::string &text) const
{
    PlotItem it;
    it.kind = PlotKind::Text;
    it.xs = {xMin_};
    it.ys = {yMin_};
    it.text = text;
    const QFontMetricsF fm(textFont(), this);
    const QRectF box = textBox(it, fm);
    const QPointF a = toGraph(box.topLeft()), b = toGraph(box.bottomRight());
    return {std::abs(b.x() - a.x()), std::abs(a.y() - b.y())};
}

bool Graph::setColor(int handle, int color)
{
    for (auto &i : items_)
        if (i.handle == handle) {
            i.color = color;
            if (!colorMap_.empty()) {
                plotted_[handle].first = color;
                applyMap(i);
            }
            invalidate();
            return true;
        }
    return false;
}

void Graph::invalidate()
{
    cacheValid_ = false;
    update();
}

void Graph::resizeEvent(QResizeEvent *)
{
    invalidate();
}

void Graph::drawItem(QPainter &p, const PlotItem &it) const
{
    QPen pen(toColor(it.color));
    pen.setWidthF(it.thickness * lineScale_);
    SetLineStyle(pen, it.lineStyle);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (it.kind) {
    case PlotKind::Line:
        p.drawLine(toPixel(it.xs[0], it.ys[0]), toPixel(it.xs[1], it.ys[1]));
        break;
    case PlotKind::XY: {
        const int n = int(it.xs.size());
        if (it.plotStyle != RT_SCATTER && n > 1) {
            QPolygonF poly;
            poly.reserve(n);
            for (int i = 0; i < n; ++i)
                poly << toPixel(it.xs[i], it.ys[i]);
            p.drawPolyline(poly);
        }
        if (it.plotStyle != RT_THIN_LINE || n == 1) {
            p.setBrush(toColor(it.color));
            const int step = std::max(1, it.pointFrequency);
            for (int i = 0; i < n; i += step)
                p.drawEllipse(toPixel(it.xs[i], it.ys[i]), 1.5, 1.5);
        }
        break;
    }
    case PlotKind::Oval: {
        if (!isTransparent(it.fillColor))
            p.setBrush(toColor(it.fillColor));
        p.drawEllipse(
            QRectF(toPixel(it.xs[0], it.ys[0]), toPixel(it.xs[1], it.ys[1])).normalized());
        break;
    }
    case PlotKind::Polygon: {
        QPolygonF poly;
        poly.reserve(int(it.xs.size()));
        for (size_t i = 0; i < it.xs.size(); ++i)
            poly << toPixel(it.xs[i], it.ys[i]);
        if (isTransparent(it.color))
            p.setPen(Qt::NoPen);
        if (!isTransparent(it.fillColor)) {
            QColor fill = toColor(it.fillColor);
            fill.setAlphaF(it.fillOpacity / 100.0);
            p.setBrush(fill);
        }
        p.drawPolygon(poly, Qt::OddEvenFill);
        break;
    }
    case PlotKind::Text: {
        const QFont f = textFont();
        p.setFont(f);
        const QFontMetricsF fm(f, p.device());
        const QString s = QString::fromUtf8(it.text.c_str());
        const QRectF box = textBox(it, fm);
        if (!isTransparent(it.fillColor))
            p.fillRect(box, toColor(it.fillColor));
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, s);
        break;
    }
    }
}

QRect Graph::itemBounds(const PlotItem &it) const
{
    if (it.kind == PlotKind::Text)
        return rect();  // text extents depend on the font: repaint it all
    // Min and max by hand: QRectF::united ignores the zero-size rectangle of a
    // single point, which would leave most of a long segment unrepainted.
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (size_t i = 0; i < it.xs.size(); ++i) {
        const QPointF q = toPixel(it.xs[i], it.ys[i]);
        x0 = std::min(x0, q.x()), x1 = std::max(x1, q.x());
        y0 = std::min(y0, q.y()), y1 = std::max(y1, q.y());
    }
    if (!(x0 <= x1 && y0 <= y1))
        return {};
    // Only the part on the control matters; cutting to it first keeps a point
    // far outside the axes (a level of 1e9 dB) within the range of int.
    const int pad = it.thickness + 3;
    const QRectF visible = QRectF(rect()).adjusted(-pad, -pad, pad, pad);
    const QRectF box = QRectF(QPointF(std::clamp(x0, visible.left(), visible.right()),
                                      std::clamp(y0, visible.top(), visible.bottom())),
                              QPointF(std::clamp(x1, visible.left(), visible.right()),
                                      std::clamp(y1, visible.top(), visible.bottom())));
    return box.toAlignedRect().adjusted(-pad, -pad, pad, pad);
}

void Graph::renderTo(QPainter &p, const QRectF &target, double lineScale, double fontScale)
{
    renderSize_ = target.size();
    lineScale_ = lineScale;
    fontScale_ = fontScale;
    p.save();
    p.translate(target.topLeft());
    const QRectF area(QPointF(0, 0), target.size());
    p.setClipRect(area);
    p.fillRect(area, background_);
    p.setRenderHint(QPainter::Antialiasing);
    drawAll(p);
    p.restore();
    renderSize_ = QSizeF();
    lineScale_ = fontScale_ = 1;
}

void Graph::paintEvent(QPaintEvent *e)
{
    // The picture is kept at the screen's pixel density, so that lines and
    // text are as sharp as the rest of the window on a scaled display.
    const qreal dpr = devicePixelRatioF();
    if (!cacheValid_ || cache_.deviceIndependentSize() != QSizeF(size())
        || cache_.devicePixelRatio() != dpr) {
        cache_ = QPixmap(size() * dpr);
        cache_.setDevicePixelRatio(dpr);
        cache_.fill(background_);
        QPainter p(&cache_);
        p.setRenderHint(QPainter::Antialiasing);
        drawAll(p);
        cacheValid_ = true;
    }
    // Only the part that changed is copied: a growing trace dirties a few pixels.
    QPainter p(this);
    const QRect r = e->rect();
    p.drawPixmap(QPointF(r.topLeft()), cache_,
                 QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
    if (cursorCount_ > 0 && cursorPlaced_) {
        const QPointF c = toPixel(cursorX_, cursorY_);
        p.setPen(QPen(cursorColor_, 1));
        p.drawLine(QPointF(c.x() - 6, c.y()), QPointF(c.x() + 6, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - 6), QPointF(c.x(), c.y() + 6));
        p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
    }
}

}  // namespace rt
