// SPDX-License-Identifier: GPL-3.0-or-later
// Windows that would not fit their screen at the user's font size are made
// to: first the spacing and margins of their layouts tighten, then their
// graphs shrink below the size they were drawn at, as far as that helps. A
// window that fits keeps its drawn look and size; graphs shrink only when
// that makes the window fit. A main window that fits in no way scrolls.
#include <QBoxLayout>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "graph.h"
#include "internal.h"

namespace rt::detail {

namespace {

// A widget of a form may name a box layout (its property tightLayout), a
// place in it (tightIndex, default the end) and an alignment there
// (tightAlignment, Qt::Alignment flags) to move to when the window is
// tightened, for example from a tall column into a short one; a label with
// tightWordWrap set wraps its text then. Such changes come in steps
// (tightStep, 1 by default): a later step only when the earlier ones leave
// the window too large.
constexpr const char *kTightLayout = "tightLayout";
constexpr const char *kTightIndex = "tightIndex";
constexpr const char *kTightAlignment = "tightAlignment";
constexpr const char *kTightWordWrap = "tightWordWrap";
constexpr const char *kTightStep = "tightStep";
constexpr const char *kWrapped = "rtFitWrapped";
constexpr const char *kHome = "rtFitHome";  // name of the layout it came from
constexpr const char *kHomeIndex = "rtFitHomeIndex";
constexpr const char *kHomeAlignment = "rtFitHomeAlignment";

// Room left on the screen for a title bar, borders and a desktop panel that
// the window system may not report in the available geometry.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 68;
// Tightened layouts.
constexpr int kTightSpacing = 2;
constexpr int kTightMargin = 3;
// Graphs shrink in steps down to this share of their drawn size.
constexpr double kSmallestGraph = 0.5;
constexpr double kGraphStep = 0.04;

// Dynamic properties that keep what the form asked for.
constexpr const char *kSpacing = "rtFitSpacing";  // QSize: horizontal, vertical
constexpr const char *kMargins = "rtFitMargins";  // QRect: left, top, right, bottom
constexpr const char *kDrawnMin = "rtFitDrawnMin";
constexpr const char *kDrawnRect = "rtFitDrawnRect";
constexpr const char *kScroll = "rtFitScroll";  // the scroll area a main window's content went into

QSize Needed(QWidget *w)
{
    // Layouts and their cached sizes are brought up to date at once, from
    // the innermost out, instead of on the next round of events.
    const QList<QWidget *> all = w->findChildren<QWidget *>();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (QLayout *l = (*it)->layout()) {
            l->invalidate();
            l->activate();
            (*it)->updateGeometry();
        }
    if (QLayout *l = w->layout()) {
        l->invalidate();
        l->activate();
    }
    // A window of fixed size takes the size its content would like.
    const QLayout *top = w->layout();
    QSize s = top && top->sizeConstraint() == QLayout::SetFixedSize
                  ? w->sizeHint()
                  : w->minimumSizeHint().expandedTo(w->minimumSize());
    if (QLayout *l = w->layout(); l && l->hasHeightForWidth())
        s.setHeight(std::max(s.height(), l->totalHeightForWidth(s.width())));
    return s;
}

bool Fits(QSize need, QSize room)
{
    return need.width() <= room.width() && need.height() <= room.height();
}

std::pair<int, int> Spacing(QLayout *l)
{
    if (auto *g = qobject_cast<QGridLayout *>(l))
        return {g->horizontalSpacing(), g->verticalSpacing()};
    if (auto *f = qobject_cast<QFormLayout *>(l))
        return {f->horizontalSpacing(), f->verticalSpacing()};
    return {l->spacing(), l->spacing()};
}

void SetSpacing(QLayout *l, int h, int v)
{
    if (auto *g = qobject_cast<QGridLayout *>(l)) {
        g->setHorizontalSpacing(h);
        g->setVerticalSpacing(v);
    } else if (auto *f = qobject_cast<QFormLayout *>(l)) {
        f->setHorizontalSpacing(h);
        f->setVerticalSpacing(v);
    } else {
        l->setSpacing(std::min(h, v));
    }
}

void TightenLayouts(QWidget *w)
{
    for (QLayout *l : w->findChildren<QLayout *>()) {
        const auto [h, v] = Spacing(l);
        const QMargins m = l->contentsMargins();
        l->setProperty(kSpacing, QSize(h, v));
        l->setProperty(kMargins, QRect(m.left(), m.top(), m.right(), m.bottom()));
        SetSpacing(l, std::min(h, kTightSpacing), std::min(v, kTightSpacing));
        l->setContentsMargins(std::min(m.left(), kTightMargin), std::min(m.top(), kTightMargin),
                              std::min(m.right(), kTightMargin),
                              std::min(m.bottom(), kTightMargin));
    }
}

QBoxLayout *BoxLayout(QWidget *w, const QString &name)
{
    for (QBoxLayout *l : w->findChildren<QBoxLayout *>())
        if (l->objectName() == name)
            return l;
    return nullptr;
}

QBoxLayout *HoldingLayout(QWidget *w, QWidget *child)
{
    for (QBoxLayout *l : w->findChildren<QBoxLayout *>())
        if (l->indexOf(child) >= 0)
            return l;
    return nullptr;
}

int Step(const QObject *o)
{
    const QVariant v = o->property(kTightStep);
    return v.isValid() ? v.toInt() : 1;
}

int LastStep(QWidget *w)
{
    int last = 0;
    for (QWidget *c : w->findChildren<QWidget *>())
        if (c->property(kTightLayout).isValid() || c->property(kTightWordWrap).isValid())
            last = std::max(last, Step(c));
    return last;
}

void MoveWidgets(QWidget *w, int step)
{
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (Step(c) != step)
            continue;
        const QVariant target = c->property(kTightLayout);
        if (!target.isValid() || c->property(kHome).isValid())
            continue;
        QBoxLayout *to = BoxLayout(w, target.toString());
        QBoxLayout *from = HoldingLayout(w, c);
        if (!to || !from || to == from)
            continue;
        c->setProperty(kHome, from->objectName());
        c->setProperty(kHomeIndex, from->indexOf(c));
        c->setProperty(kHomeAlignment, int(from->itemAt(from->indexOf(c))->alignment()));
        from->removeWidget(c);
        const QVariant at = c->property(kTightIndex);
        to->insertWidget(at.isValid() ? std::min(at.toInt(), to->count()) : -1, c, 0,
                         Qt::Alignment(c->property(kTightAlignment).toInt()));
    }
    for (QLabel *l : w->findChildren<QLabel *>())
        if (Step(l) == step && l->property(kTightWordWrap).toBool() && !l->wordWrap()) {
            // On two lines at most, with room for both kept in the layout
            // (a window's smallest size does not follow a wrapping text).
            const int oneLine = l->sizeHint().width();
            l->setProperty(kWrapped, l->minimumSize());
            l->setWordWrap(true);
            const int width = oneLine / 2 + l->fontMetrics().averageCharWidth() * 4;
            l->setMinimumSize(width, l->heightForWidth(width));
        }
}

void MoveWidgetsBack(QWidget *w)
{
    for (QWidget *c : w->findChildren<QWidget *>()) {
        const QVariant home = c->property(kHome);
        if (!home.isValid())
            continue;
        QBoxLayout *to = BoxLayout(w, home.toString());
        if (QBoxLayout *from = HoldingLayout(w, c); from && to) {
            from->removeWidget(c);
            to->insertWidget(std::min(c->property(kHomeIndex).toInt(), to->count()), c, 0,
                             Qt::Alignment(c->property(kHomeAlignment).toInt()));
        }
        c->setProperty(kHome, QVariant());
        c->setProperty(kHomeIndex, QVariant());
        c->setProperty(kHomeAlignment, QVariant());
    }
    for (QLabel *l : w->findChildren<QLabel *>())
        if (const QVariant was = l->property(kWrapped); was.isValid()) {
            l->setWordWrap(false);
            l->setMinimumSize(was.toSize());
            l->setProperty(kWrapped, QVariant());
        }
}

// A graph that sets a size in its layout, or a box whose graphs are placed
// by hand (the box sets the size, its children their place in it).
std::vector<QWidget *> GraphBoxes(QWidget *w)
{
    std::vector<QWidget *> boxes;
    for (Graph *g : w->findChildren<Graph *>()) {
        QWidget *parent = g->parentWidget();
        QWidget *box = parent && !parent->layout() && parent != w ? parent : g;
        if (box->minimumSize().isEmpty())
            continue;
        if (std::find(boxes.begin(), boxes.end(), box) == boxes.end())
            boxes.push_back(box);
    }
    return boxes;
}

void ScaleBox(QWidget *box, double scale)
{
    if (!box->property(kDrawnMin).isValid()) {
        box->setProperty(kDrawnMin, box->minimumSize());
        for (QWidget *c : box->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            c->setProperty(kDrawnRect, c->geometry());
    }
    const QSize drawn = box->property(kDrawnMin).toSize();
    box->setMinimumSize(int(std::lround(drawn.width() * scale)),
                        int(std::lround(drawn.height() * scale)));
    if (box->layout() == nullptr)
        for (QWidget *c : box->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect r = c->property(kDrawnRect).toRect();
            if (r.isValid())
                c->setGeometry(int(std::lround(r.x() * scale)), int(std::lround(r.y() * scale)),
                               int(std::lround(r.width() * scale)),
                               int(std::lround(r.height() * scale)));
        }
}

// Back to the drawn size; the next shrinking takes the places anew.
void Unscale(QWidget *box)
{
    if (!box->property(kDrawnMin).isValid())
        return;
    ScaleBox(box, 1.0);
    box->setProperty(kDrawnMin, QVariant());
}

// Back to the form's own spacing, margins and graph sizes.
void Restore(QWidget *w)
{
    if (auto *main = qobject_cast<QMainWindow *>(w))
        if (auto *area = qobject_cast<QScrollArea *>(main->centralWidget());
            area && area->objectName() == QLatin1String(kScroll))
            main->setCentralWidget(area->takeWidget());  // the scroll area goes
    MoveWidgetsBack(w);
    for (QLayout *l : w->findChildren<QLayout *>()) {
        const QVariant s = l->property(kSpacing);
        if (!s.isValid())
            continue;
        SetSpacing(l, s.toSize().width(), s.toSize().height());
        const QRect m = l->property(kMargins).toRect();
        l->setContentsMargins(m.x(), m.y(), m.width(), m.height());
        l->setProperty(kSpacing, QVariant());
        l->setProperty(kMargins, QVariant());
    }
    for (QWidget *box : GraphBoxes(w))
        Unscale(box);
}

}  // namespace

QSize ScreenRoom(QWidget *w)
{
    QScreen *screen = w ? w->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QSize avail = screen->availableGeometry().size();
    return {avail.width() - kFrameWidth, avail.height() - kFrameHeight};
}

void FitToScreen(QWidget *w)
{
    if (!w || !w->layout())
        return;
    Restore(w);
    const QSize room = ScreenRoom(w);
    if (room.isEmpty())
        return;
    QSize need = Needed(w);
    if (Fits(need, room))
        return;
    // A window not shown yet may have grown to what it needed before: it
    // opens at what it needs now (or at the room, when it scrolls).
    struct Shrink {
        QWidget *w;
        QSize size;
        ~Shrink()
        {
            if (w->isVisible())
                return;
            if (size.isValid())
                w->resize(size);
            else
                w->resize(w->size().boundedTo(Needed(w).expandedTo(w->minimumSize())));
        }
    } shrink{w, QSize()};
    TightenLayouts(w);
    need = Needed(w);
    for (int step = 1, last = LastStep(w); step <= last && !Fits(need, room); ++step) {
        MoveWidgets(w, step);
        need = Needed(w);
    }
    if (Fits(need, room))
        return;
    // Smaller graphs, one step at a time, until the window fits; only when
    // the smallest graphs would make it fit.
    if (const std::vector<QWidget *> boxes = GraphBoxes(w); !boxes.empty()) {
        for (QWidget *b : boxes)
            ScaleBox(b, kSmallestGraph);
        if (Fits(Needed(w), room)) {
            for (double scale = 1.0 - kGraphStep; scale > kSmallestGraph - 1e-9;
                 scale -= kGraphStep) {
                for (QWidget *b : boxes)
                    ScaleBox(b, scale);
                if (Fits(Needed(w), room))
                    return;
            }
            for (QWidget *b : boxes)
                ScaleBox(b, kSmallestGraph);
            return;
        }
        for (QWidget *b : boxes)
            Unscale(b);
    }
    // Still too large: a main window's content scrolls, at its drawn size.
    auto *main = qobject_cast<QMainWindow *>(w);
    QWidget *content = main ? main->centralWidget() : nullptr;
    if (!content)
        return;
    const QSize whole = Needed(w);
    main->takeCentralWidget();
    auto *area = new QScrollArea;
    area->setObjectName(QString::fromLatin1(kScroll));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    main->setCentralWidget(area);
    Needed(w);
    shrink.size = whole.boundedTo(room).expandedTo(w->minimumSize());
}

}  // namespace rt::detail
