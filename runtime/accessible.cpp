// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time's own answers to screen readers where the toolkit's reach the
// desktop's accessibility bus wrong: a read-only text interface for the
// controls that show a value, drop-down lists named by their labels, graphs
// as charts, and plain frames that are no windows.
#include "accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFrame>

#include <algorithm>

namespace rt::detail {

void ReadOnlyText::selection(int, int *start, int *end) const
{
    *start = *end = 0;
}

QString ReadOnlyText::text(int start, int end) const
{
    const QString t = shown();
    start = std::clamp(start, 0, int(t.size()));
    end = end < 0 ? int(t.size()) : std::clamp(end, start, int(t.size()));
    return t.mid(start, end - start);
}

QString ReadOnlyText::attributes(int, int *start, int *end) const
{
    *start = 0;
    *end = characterCount();
    return {};
}

namespace {

// A drop-down list. On this desktop the toolkit names one by its current
// choice, so that a screen reader says "E-plane (red)" where the user needs
// "Plane": here its name is its label (the accessible name the panel loader
// gives it) and the current choice is its value and its text.
class ChoiceAccessible : public QAccessibleWidget, public ReadOnlyText {
public:
    explicit ChoiceAccessible(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
    QString shown() const override { return box()->currentText(); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return box()->accessibleName().isEmpty() ? shown() : box()->accessibleName();
        case QAccessible::Value:
            return shown();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QString text(int start, int end) const override { return ReadOnlyText::text(start, end); }

    // Its one child is the list of choices.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *c) const override
    {
        return c && c->object() == box()->view() ? 0 : -1;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    // Opening and closing the list, as a click does.
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action != showMenuAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

// A graph: a chart the user moves cursors on or turns from the keyboard,
// not a bare container.
class ChartAccessible : public QAccessibleWidget {
public:
    explicit ChartAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Chart) {}
};

QAccessibleInterface *ControlFactory(const QString &className, QObject *obj)
{
    if (!obj->isWidgetType())
        return nullptr;
    if (className == QLatin1String("rt::Graph") || obj->property(kChart).toBool())
        return new ChartAccessible(static_cast<QWidget *>(obj));
    // A plain frame holds other controls: the toolkit would call it a frame,
    // which screen readers take for a window of its own.
    if (className == QLatin1String("QFrame") && obj->metaObject() == &QFrame::staticMetaObject)
        return new QAccessibleWidget(static_cast<QWidget *>(obj), QAccessible::Client);
    // An editable combo box keeps the toolkit's answer, which reads its
    // text field.
    if (className == QLatin1String("QComboBox"))
        if (auto *box = qobject_cast<QComboBox *>(obj); box && !box->isEditable())
            return new ChoiceAccessible(box);
    return nullptr;
}

}  // namespace

void InstallControlAccessibility()
{
    static bool done = false;
    if (!done)
        QAccessible::installFactory(ControlFactory);
    done = true;
}

}  // namespace rt::detail
