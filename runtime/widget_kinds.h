// SPDX-License-Identifier: GPL-3.0-or-later
// One adapter per kind of widget a control can be: what a value, a text, an
// attribute and the wiring of events mean for it. The kind of a control is
// found once, when its panel is loaded; adding a widget kind touches only
// widget_kinds.cpp.
#pragma once

#include <QString>

class QWidget;

namespace rt::detail {

struct Ctrl;

class WidgetKind {
public:
    virtual ~WidgetKind() = default;

    // Connects the widget's own signals to the control's events.
    virtual void wire(Ctrl &, int /*panel*/) const {}
    // The text the widget shows of itself (its accessible name by default),
    // and a new one (the control's label).
    virtual QString caption(const Ctrl &) const { return {}; }
    virtual void setCaption(Ctrl &, const QString &) const {}

    // Values. False: the kind holds no value of that sort.
    virtual bool setNumber(Ctrl &, double /*v*/, bool /*integral*/) const { return false; }
    virtual bool number(const Ctrl &, double * /*v*/) const { return false; }
    virtual bool setText(Ctrl &, const QString &) const { return false; }
    virtual bool text(const Ctrl &, QString *) const { return false; }

    // Attributes particular to the kind. False: the kind has no such attribute.
    virtual bool setAttribute(Ctrl &, int /*attribute*/, double /*value*/) const { return false; }
    virtual bool attribute(const Ctrl &, int /*attribute*/, double * /*value*/) const
    {
        return false;
    }
};

// The adapter for a widget (a plain one, with no values, for an unknown kind).
const WidgetKind &KindOf(QWidget *w);

}  // namespace rt::detail
