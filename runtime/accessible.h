// SPDX-License-Identifier: GPL-3.0-or-later
// What screen readers are told about the controls whose own answers the
// desktop's accessibility bus reads wrongly. Internal.
#pragma once

#include <QAccessibleInterface>
#include <QString>

namespace rt::detail {

// A text interface for a control that only shows a text: read whole or in
// parts, never edited, with no caret and no selection. The accessibility
// bus reads a control's shown value through it.
class ReadOnlyText : public QAccessibleTextInterface {
public:
    // The text the control shows now.
    virtual QString shown() const = 0;

    void selection(int, int *start, int *end) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override;
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *start, int *end) const override;
};

// The property that marks a widget drawn as a graph (a chart for screen
// readers) where its class alone does not say so.
inline constexpr char kChart[] = "rtChart";

// Registers the run-time's own answers for the toolkit's controls (drop-down
// lists, plain frames) and for the graphs. Installed once the application
// exists, after the toolkit's own, so that they are asked first.
void InstallControlAccessibility();

}  // namespace rt::detail
