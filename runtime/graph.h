// SPDX-License-Identifier: GPL-3.0-or-later
// The graph control: paints plot items in graph units over fixed axis ranges,
// with an optional graph cursor that snaps to the nearest plotted item.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "plot_item.h"

namespace rt {

class Graph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double xMin MEMBER xMin_)
    Q_PROPERTY(double xMax MEMBER xMax_)
    Q_PROPERTY(double yMin MEMBER yMin_)
    Q_PROPERTY(double yMax MEMBER yMax_)
    Q_PROPERTY(bool equalScale MEMBER equalScale_)
    Q_PROPERTY(QColor plotBackground MEMBER background_)
    Q_PROPERTY(int cursorCount MEMBER cursorCount_)
    Q_PROPERTY(QColor cursorColor MEMBER cursorColor_)
    Q_PROPERTY(bool commitOnClick MEMBER commitOnClick_)

public:
    explicit Graph(QWidget *parent = nullptr);

    int add(PlotItem item);
    bool remove(int handle);  // -1 removes everything
    bool setThickness(int handle, int thickness);
    bool setColor(int handle, int color);
    bool setLineStyle(int handle, int style);
    bool setFillOpacity(int handle, int percent);
    // The box a text item gets at the graph's present size, in graph units.
    QSizeF textSize(const std::string &text) const;
    // Colours shown instead of the plotted ones (see SetGraphColorMap).
    void setColorMap(std::vector<std::pair<int, int>> map, bool labelsOnTop);
    const std::vector<PlotItem> &items() const { return items_; }

    // Graph cursor 1: the plot and point it sits on (plot 0 when on nothing).
    int cursorPlot() const { return cursorPlot_; }
    int cursorIndex() const { return cursorIndex_; }
    double cursorX() const { return cursorX_; }
    double cursorY() const { return cursorY_; }
    // Moves the cursor to the plotted point nearest to (x, y) in graph units.
    void snapCursor(double x, double y);

    QPointF toPixel(double x, double y) const;
    // The cached picture the graph paints from (empty until first shown).
    const QPixmap &cachedPicture() const { return cache_; }
    // Paints every plot item into painter within target (device units), as
    // the graph would look at that size, without the cursor: vector output
    // on a vector device. Line widths and text grow by the given factors.
    void renderTo(QPainter &painter, const QRectF &target, double lineScale, double fontScale);
    QPointF toGraph(QPointF pixel) const;
    // The texts the graph shows at its size on screen and where (pixels:
    // the box of one on a background, the letters of one without): labels
    // that would cover another are left out.
    std::vector<std::pair<std::string, QRectF>> shownTexts() const;

    // Called on a left click (after the cursor moved) and, when the graph
    // commits on clicks, on the release.
    std::function<void(int event)> onEvent;

protected:
    bool event(QEvent *) override;
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    // Left and Right move the cursor to the previous or next point of the
    // curve it sits on (Shift: ten points), as a click on that point would.
    void keyPressEvent(QKeyEvent *) override;

private:
    void drawItem(QPainter &p, const PlotItem &it) const;
    QRect itemBounds(const PlotItem &it) const;
    double pixelDistance(const PlotItem &it, QPointF px, int *index) const;
    void invalidate();
    int mapped(int color) const;
    void applyMap(PlotItem &it) const;
    void drawAll(QPainter &p) const;
    QFont textFont() const;
    QRectF textBox(const PlotItem &it, const QFontMetricsF &fm) const;
    QRectF inkBox(const PlotItem &it, const QFontMetricsF &fm) const;
    std::vector<bool> hiddenTexts(const QPaintDevice *device) const;

    double xMin_ = -10, xMax_ = 10, yMin_ = -10, yMax_ = 10;
    bool equalScale_ = false;
    QColor background_ = Qt::black;
    int cursorCount_ = 0;
    QColor cursorColor_ = Qt::yellow;
    bool commitOnClick_ = false;
    QSizeF renderSize_;  // set while renderTo paints
    double lineScale_ = 1, fontScale_ = 1;

    std::vector<PlotItem> items_;
    // The colour and fill each plot was given, by handle, while a map is set.
    std::map<int, std::pair<int, int>> plotted_;
    std::vector<std::pair<int, int>> colorMap_;
    bool labelsOnTop_ = false;
    int nextHandle_ = 1;
    QPixmap cache_;
    bool cacheValid_ = false;
    int cursorPlot_ = 0, cursorIndex_ = 0;
    double cursorX_ = 0, cursorY_ = 0;
    bool cursorPlaced_ = false;
};

}  // namespace rt
