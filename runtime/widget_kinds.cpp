// SPDX-License-Identifier: GPL-3.0-or-later
// The widget-kind adapters: everything that differs between a button, a
// numeric, a ring, a string, a text box, a label, a progress bar, a graph
// and a timer.
#include "widget_kinds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStyle>
#include <QTextBlock>
#include <QVariant>

#include <algorithm>
#include <cmath>

#include "appearance.h"
#include "graph.h"
#include "internal.h"

namespace rt::detail {

namespace {

// A number as text, locale-independent and without trailing noise.
QString NumberText(double v, bool integral)
{
    return integral ? QString::number(qint64(v)) : QString::number(v, 'g', 12);
}

int Round(double v)
{
    return int(std::lround(v));
}

std::function<void()> Commit(int panel, int id)
{
    return [panel, id] { DispatchCtrl(panel, id, RT_EVENT_COMMIT); };
}

template <typename W> W *As(const Ctrl &c)
{
    return static_cast<W *>(c.widget.data());
}

// The read-only switch of the kinds a user types into.
template <typename W> bool SetReadOnly(Ctrl &c, int attribute, double value)
{
    if (attribute != RT_ATTR_NO_EDIT_TEXT)
        return false;
    As<W>(c)->setReadOnly(value != 0);
    return true;
}

template <typename W> bool ReadOnly(const Ctrl &c, int attribute, double *value)
{
    if (attribute != RT_ATTR_NO_EDIT_TEXT)
        return false;
    *value = As<W>(c)->isReadOnly();
    return true;
}

class Plain : public WidgetKind {};

class GraphKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        const int id = c.id;
        As<Graph>(c)->onEvent = [panel, id](int ev) { DispatchCtrl(panel, id, ev); };
    }
};

class TimerKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        const int id = c.id;
        auto *t = As<TimerCtrl>(c);
        t->onTick = [panel, id] {
            if (gModalDepth == 0)
                DispatchCtrl(panel, id, RT_EVENT_TIMER_TICK);
        };
        t->syncTimer();
    }
    bool setAttribute(Ctrl &c, int attribute, double value) const override
    {
        if (attribute == RT_ATTR_ENABLED)
            As<TimerCtrl>(c)->setTimerEnabled(value != 0);
        else if (attribute == RT_ATTR_INTERVAL)
            As<TimerCtrl>(c)->setInterval(value);
        else
            return false;
        return true;
    }
    bool attribute(const Ctrl &c, int attribute, double *value) const override
    {
        if (attribute == RT_ATTR_ENABLED)
            *value = As<TimerCtrl>(c)->timerEnabled();
        else if (attribute == RT_ATTR_INTERVAL)
            *value = As<TimerCtrl>(c)->interval();
        else
            return false;
        return true;
    }
};

class ButtonKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        auto *b = As<QAbstractButton>(c);
        // A toggle button commits on every change of state, so that one
        // switched by a screen reader or switch access (which toggles without
        // a click) runs its callback like a click and never drifts from it.
        if (b->isCheckable())
            QObject::connect(b, &QAbstractButton::toggled, b, Commit(panel, c.id));
        else
            QObject::connect(b, &QAbstractButton::clicked, b, Commit(panel, c.id));
        b->setProperty("rtMnemonic", QVariant::fromValue(MnemonicOf(b->text())));
    }
    // The program reads and writes plain texts; the mnemonic the form gave
    // the button stays on its letter.
    QString caption(const Ctrl &c) const override
    {
        return PlainText(As<QAbstractButton>(c)->text());
    }
    void setCaption(Ctrl &c, const QString &s) const override { Show(c, s); }
    bool setNumber(Ctrl &c, double v, bool) const override
    {
        auto *b = As<QAbstractButton>(c);
        if (b->isCheckable()) {
            const QSignalBlocker quiet(b);  // a value set by the program is no user event
            b->setChecked(v != 0);
        }
        return true;
    }
    bool number(const Ctrl &c, double *v) const override
    {
        *v = As<QAbstractButton>(c)->isChecked();
        return true;
    }
    bool setText(Ctrl &c, const QString &s) const override
    {
        Show(c, s);
        return true;
    }
    bool text(const Ctrl &c, QString *s) const override
    {
        *s = PlainText(As<QAbstractButton>(c)->text());
        return true;
    }

private:
    static void Show(Ctrl &c, const QString &s)
    {
        auto *b = As<QAbstractButton>(c);
        b->setText(WithMnemonic(s, b->property("rtMnemonic").value<QChar>()));
    }
};

class SpinKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        auto *s = As<QSpinBox>(c);
        s->setLocale(QLocale::c());  // numbers shown and typed with a point, as everywhere else
        s->setKeyboardTracking(false);
        QObject::connect(s, &QSpinBox::valueChanged, s, Commit(panel, c.id));
    }
    bool setNumber(Ctrl &c, double v, bool) const override
    {
        As<QSpinBox>(c)->setValue(Round(v));
        return true;
    }
    bool number(const Ctrl &c, double *v) const override
    {
        *v = As<QSpinBox>(c)->value();
        return true;
    }
};

class DoubleSpinKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        auto *d = As<QDoubleSpinBox>(c);
        d->setLocale(QLocale::c());
        d->setKeyboardTracking(false);
        const int id = c.id;
        QObject::connect(d, &QDoubleSpinBox::valueChanged, d, [panel, id] {
            if (Ctrl *cc = FindCtrl(panel, id))
                cc->hasExact = false;  // the user typed a new value
            DispatchCtrl(panel, id, RT_EVENT_COMMIT);
        });
    }
    bool setNumber(Ctrl &c, double v, bool) const override
    {
        As<QDoubleSpinBox>(c)->setValue(v);
        c.exact = v;
        c.hasExact = true;
        return true;
    }
    bool number(const Ctrl &c, double *v) const override
    {
        *v = c.hasExact ? c.exact : As<QDoubleSpinBox>(c)->value();
        return true;
    }
};

class RingKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        auto *cb = As<QComboBox>(c);
        QObject::connect(cb, &QComboBox::activated, cb, Commit(panel, c.id));
    }
    bool setNumber(Ctrl &c, double v, bool) const override
    {
        auto *cb = As<QComboBox>(c);
        const int k = cb->findData(Round(v));
        cb->setCurrentIndex(k >= 0 ? k : Round(v));
        return true;
    }
    bool number(const Ctrl &c, double *v) const override
    {
        auto *cb = As<QComboBox>(c);
        *v = cb->currentData().isValid() ? cb->currentData().toInt() : cb->currentIndex();
        return true;
    }
    bool setText(Ctrl &c, const QString &s) const override
    {
        As<QComboBox>(c)->setCurrentText(s);
        return true;
    }
    bool text(const Ctrl &c, QString *s) const override
    {
        *s = As<QComboBox>(c)->currentText();
        return true;
    }
    bool setAttribute(Ctrl &c, int attribute, double value) const override
    {
        if (attribute != RT_ATTR_CTRL_INDEX)
            return false;
        const QSignalBlocker block(c.widget);
        As<QComboBox>(c)->setCurrentIndex(Round(value));
        return true;
    }
    bool attribute(const Ctrl &c, int attribute, double *value) const override
    {
        if (attribute != RT_ATTR_CTRL_INDEX)
            return false;
        *value = As<QComboBox>(c)->currentIndex();
        return true;
    }
};

class StringKind : public WidgetKind {
public:
    void wire(Ctrl &c, int panel) const override
    {
        auto *le = As<QLineEdit>(c);
        QObject::connect(le, &QLineEdit::returnPressed, le, Commit(panel, c.id));
    }
    bool setNumber(Ctrl &c, double v, bool integral) const override
    {
        As<QLineEdit>(c)->setText(NumberText(v, integral));
        return true;
    }
    bool number(const Ctrl &c, double *v) const override
    {
        *v = As<QLineEdit>(c)->text().toDouble();
        return true;
    }
    bool setText(Ctrl &c, const QString &s) const override
    {
        auto *le = As<QLineEdit>(c);
        le->setText(s);
        // A read-only field in a layout widens to show the whole of what it
        // shows (a larger font makes the same text longer), never below the
        // width it was given.
        if (le->isReadOnly() && le->parentWidget() && le->parentWidget()->layout()) {
            QVariant given = le->property("rtGivenMinWidth");
            if (!given.isValid()) {
                given = le->minimumWidth();
                le->setProperty("rtGivenMinWidth", given);
            }
            le->ensurePolished();  // measured in the font it will show
            const QMargins m = le->textMargins();
            const int frame = le->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, le);
            const int need =
                le->fontMetrics().horizontalAdvance(s) + m.left() + m.right() + 2 * frame + 8;
            le->setMinimumWidth(std::max(given.toInt(), need));
        }
        return true;
    }
    bool text(const Ctrl &c, QString *s) const override
    {
        *s = As<QLineEdit>(c)->text();
        return true;
    }
    bool setAttribute(Ctrl &c, int attribute, double value) const override
    {
        if (attribute != RT_ATTR_MAX_ENTRY_LENGTH)
            return SetReadOnly<QLineEdit>(c, attribute, value);
        As<QLineEdit>(c)->setMaxLength(Round(value));
        return true;
    }
    bool attribute(const Ctrl &c, int attribute, double *value) const override
    {
        return ReadOnly<QLineEdit>(c, attribute, value);
    }
};

class TextBoxKind : public WidgetKind {
public:
    void wire(Ctrl &c, int) const override
    {
        // A text box never holds more than its entry length.
        auto *te = As<QPlainTextEdit>(c);
        QObject::connect(te, &QPlainTextEdit::textChanged, te, [te] {
            const int max = te->property("maxLength").toInt();
            if (max <= 0)
                return;
            const QString text = te->toPlainText();
            if (text.size() <= max)
                return;
            QTextCursor cur = te->textCursor();
            const int pos = cur.position();
            const int excess = text.size() - max;
            cur.setPosition(std::max(0, pos - excess));
            cur.setPosition(pos, QTextCursor::KeepAnchor);
            if (cur.selectedText().size() != excess) {
                cur.setPosition(max);
                cur.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            }
            cur.removeSelectedText();
        });
    }
    // A text box appends what it is given.
    bool setNumber(Ctrl &c, double v, bool integral) const override
    {
        return setText(c, NumberText(v, integral));
    }
    bool setText(Ctrl &c, const QString &s) const override
    {
        auto *t = As<QPlainTextEdit>(c);
        t->moveCursor(QTextCursor::End);
        t->insertPlainText(s);
        return true;
    }
    bool text(const Ctrl &c, QString *s) const override
    {
        *s = As<QPlainTextEdit>(c)->toPlainText();
        return true;
    }
    bool setAttribute(Ctrl &c, int attribute, double value) const override
    {
        return SetReadOnly<QPlainTextEdit>(c, attribute, value);
    }
    bool attribute(const Ctrl &c, int attribute, double *value) const override
    {
        return ReadOnly<QPlainTextEdit>(c, attribute, value);
    }
};

class LabelKind : public WidgetKind {
public:
    QString caption(const Ctrl &c) const override { return As<QLabel>(c)->text(); }
    void setCaption(Ctrl &c, const QString &s) const override { setText(c, s); }
    bool setNumber(Ctrl &c, double v, bool integral) const override
    {
        return setText(c, NumberText(v, integral));
    }
    bool number(const Ctrl &c, double *v) const override
    {
        *v = As<QLabel>(c)->text().toDouble();
        return true;
    }
    bool setText(Ctrl &c, const QString &s) const override
    {
        As<QLabel>(c)->setText(s);
        AnnounceValue(c.widget);
        return true;
    }
    bool text(const Ctrl &c, QString *s) const override
    {
        *s = As<QLabel>(c)->text();
        return true;
    }
};

class ProgressKind : public WidgetKind {
public:
    bool setNumber(Ctrl &c, double v, bool) const override
    {
        // A progress bar repaints itself at once on every new value; let it
        // repaint with the rest of the window instead, so that a long loop
        // that reports its progress is not slowed down by it.
        auto *pb = As<QProgressBar>(c);
        pb->setUpdatesEnabled(false);
        pb->setValue(Round(v));
        pb->setUpdatesEnabled(true);
        return true;
    }
    bool number(const Ctrl &c, double *v) const override
    {
        *v = As<QProgressBar>(c)->value();
        return true;
    }
    // The label of a bar is the text on it: %v stands for the value, %m for
    // the maximum.
    void setCaption(Ctrl &c, const QString &s) const override { As<QProgressBar>(c)->setFormat(s); }
};

// Spin boxes of both sorts can be made read-only too.
template <typename Base> class ReadOnlySpin : public Base {
public:
    bool setAttribute(Ctrl &c, int attribute, double value) const override
    {
        return SetReadOnly<QAbstractSpinBox>(c, attribute, value);
    }
    bool attribute(const Ctrl &c, int attribute, double *value) const override
    {
        return ReadOnly<QAbstractSpinBox>(c, attribute, value);
    }
};

}  // namespace

const WidgetKind &KindOf(QWidget *w)
{
    static const Plain plain;
    static const GraphKind graph;
    static const TimerKind timer;
    static const ButtonKind button;
    static const ReadOnlySpin<SpinKind> spin;
    static const ReadOnlySpin<DoubleSpinKind> doubleSpin;
    static const RingKind ring;
    static const StringKind string;
    static const TextBoxKind textBox;
    static const LabelKind label;
    static const ProgressKind progress;
    if (qobject_cast<Graph *>(w))
        return graph;
    if (qobject_cast<TimerCtrl *>(w))
        return timer;
    if (qobject_cast<QAbstractButton *>(w))
        return button;
    if (qobject_cast<QSpinBox *>(w))
        return spin;
    if (qobject_cast<QDoubleSpinBox *>(w))
        return doubleSpin;
    if (qobject_cast<QComboBox *>(w))
        return ring;
    if (qobject_cast<QLineEdit *>(w))
        return string;
    if (qobject_cast<QPlainTextEdit *>(w))
        return textBox;
    if (qobject_cast<QProgressBar *>(w))
        return progress;
    if (qobject_cast<QLabel *>(w))
        return label;
    return plain;
}

}  // namespace rt::detail
