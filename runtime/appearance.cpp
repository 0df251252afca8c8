// SPDX-License-Identifier: GPL-3.0-or-later
#include "appearance.h"

#include "accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace rt::detail {

QString PlainText(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&'))
                out += s[++i];
            continue;
        }
        out += s[i];
    }
    return out;
}

QChar MnemonicOf(const QString &s)
{
    for (qsizetype i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != QLatin1Char('&'))
            continue;
        if (s[i + 1] != QLatin1Char('&'))
            return s[i + 1];
        ++i;
    }
    return {};
}

QString WithMnemonic(const QString &plain, QChar letter)
{
    QString out = plain;
    out.replace(QLatin1Char('&'), QLatin1String("&&"));
    if (letter.isNull())
        return out;
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == QLatin1Char('&')) {
            ++i;  // an escaped ampersand
            continue;
        }
        if (out[i].toCaseFolded() == letter.toCaseFolded()) {
            out.insert(i, QLatin1Char('&'));
            break;
        }
    }
    return out;
}

namespace {

double Channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor &c)
{
    return 0.2126 * Channel(c.redF()) + 0.7152 * Channel(c.greenF()) + 0.0722 * Channel(c.blueF());
}

QColor Mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

constexpr double kMinContrast = 4.5;
const char kDesigned[] = "rtDesignedTextColor";

// One filter for every label kept readable: it recolours after a palette
// change and stops there, since its own change leaves the colour as it wants.
class ReadableFilter : public QObject {
public:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() == QEvent::PaletteChange || ev->type() == QEvent::ApplicationPaletteChange
            || ev->type() == QEvent::StyleChange)
            if (auto *w = qobject_cast<QWidget *>(obj))
                Apply(w);
        return false;
    }
    static void Apply(QWidget *w)
    {
        const QColor designed = w->property(kDesigned).value<QColor>();
        if (!designed.isValid())
            return;
        QPalette pal = w->palette();
        const QColor want = ReadableOn(designed, pal.color(w->backgroundRole()));
        if (pal.color(QPalette::WindowText) == want && pal.color(QPalette::Text) == want)
            return;
        pal.setColor(QPalette::WindowText, want);
        pal.setColor(QPalette::Text, want);
        w->setPalette(pal);
    }
};

ReadableFilter *Filter()
{
    static ReadableFilter *f = new ReadableFilter;
    return f;
}

// A value display: its name stays what the form calls it and its value is
// the text shown, through the value and the text interface both (the
// desktop's accessibility bus passes no value for a label, only its text).
class DisplayAccessible : public QAccessibleWidget, public ReadOnlyText {
public:
    explicit DisplayAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::StaticText) {}
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString shown() const override { return PlainText(static_cast<QLabel *>(widget())->text()); }
    QString text(int start, int end) const override { return ReadOnlyText::text(start, end); }
    // A label that shows a picture is an image for screen readers.
    QAccessible::Role role() const override
    {
        return static_cast<QLabel *>(widget())->pixmap().isNull() ? QAccessible::StaticText
                                                                  : QAccessible::Graphic;
    }
    QString text(QAccessible::Text t) const override
    {
        auto *label = static_cast<QLabel *>(widget());
        switch (t) {
        case QAccessible::Name:
            return label->accessibleName().isEmpty() ? PlainText(label->text())
                                                     : label->accessibleName();
        case QAccessible::Value:
            return label->text();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

// A sub-window is a dialogue for screen readers, not a bare filler.
class DialogAccessible : public QAccessibleWidget {
public:
    explicit DialogAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Dialog) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *DisplayFactory(const QString &className, QObject *obj)
{
    if (className == QLatin1String(PanelWidget::staticMetaObject.className())
        && obj->property(kDialogPanel).toBool())
        return new DialogAccessible(static_cast<QWidget *>(obj));
    // Also the labels the run-time's pop-ups and dialogues make themselves,
    // whose messages would otherwise give no text.
    if (className == QLatin1String(DisplayLabel::staticMetaObject.className())
        || className == QLatin1String("QLabel"))
        return new DisplayAccessible(static_cast<QWidget *>(obj));
    return nullptr;
}

class LinesFilter : public QObject {
public:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() == QEvent::FontChange || ev->type() == QEvent::StyleChange)
            Apply(static_cast<QPlainTextEdit *>(obj));
        return false;
    }
    static void Apply(QPlainTextEdit *box)
    {
        const int lines = box->property("lines").toInt();
        const QMargins m = box->contentsMargins();
        const int h = lines * box->fontMetrics().lineSpacing()
                      + int(2 * box->document()->documentMargin()) + m.top() + m.bottom() + 2;
        box->setFixedHeight(h);
    }
};

}  // namespace

void FitLines(QWidget *w)
{
    auto *box = qobject_cast<QPlainTextEdit *>(w);
    if (!box || box->property("lines").toInt() <= 0)
        return;
    static LinesFilter *filter = new LinesFilter;
    box->removeEventFilter(filter);
    box->installEventFilter(filter);
    LinesFilter::Apply(box);
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    double la = Luminance(a), lb = Luminance(b);
    if (la < lb)
        std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

QColor ReadableOn(const QColor &fg, const QColor &bg)
{
    if (ContrastRatio(fg, bg) >= kMinContrast)
        return fg;
    const QColor towards = Luminance(bg) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 1; step <= 20; ++step) {
        const QColor c = Mix(fg, towards, step / 20.0);
        if (ContrastRatio(c, bg) >= kMinContrast)
            return c;
    }
    return towards;
}

void KeepReadable(QWidget *w, const QColor &designed)
{
    w->setProperty(kDesigned, designed);
    w->removeEventFilter(Filter());
    w->installEventFilter(Filter());
    ReadableFilter::Apply(w);
}

void InstallDisplayAccessibility()
{
    static bool done = false;
    if (!done)
        QAccessible::installFactory(DisplayFactory);
    done = true;
}

void AnnounceValue(QWidget *w)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent ev(w, static_cast<QLabel *>(w)->text());
    QAccessible::updateAccessibility(&ev);
}

}  // namespace rt::detail
