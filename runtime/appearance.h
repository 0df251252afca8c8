// SPDX-License-Identifier: GPL-3.0-or-later
// What makes the panels read right on any desktop: mnemonics that never leak
// into the texts the programs read back, text colours kept readable on the
// palette in use, and displays that screen readers can read.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QWidget>

class QWidget;

namespace rt::detail {

// The labels of the panels: a class of their own, so that the run-time's
// accessibility answers for those that display values before the widgets'
// general one does.
class DisplayLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

// The top widget of a panel drawn as a plain widget: a class of its own so
// that screen readers can be told that such a panel is a dialogue.
class PanelWidget : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// "Save &as..." -> "Save as...", "A && B" -> "A & B".
QString PlainText(const QString &s);
// The letter a text marks as its mnemonic, or a null char.
QChar MnemonicOf(const QString &s);
// A plain text with the mnemonic put back before the first occurrence of the
// letter (any case); a text without that letter gets none.
QString WithMnemonic(const QString &plain, QChar letter);

// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(const QColor &a, const QColor &b);
// The colour, or the nearest of its own hue towards white (dark background)
// or black (light background) that reaches 4.5:1 on the background.
QColor ReadableOn(const QColor &fg, const QColor &bg);
// Shows a label's text in the colour, kept readable against the label's
// background whenever the palette changes (dark and light themes).
void KeepReadable(QWidget *w, const QColor &designed);

// Keeps a text box exactly as tall as the lines the form asks for (its
// "lines" property), at whatever font size the user has.
void FitLines(QWidget *textBox);

// Registers the accessibility interface of the panels' labels, which a
// program may use as value displays: their name stays what the form calls
// them and their value is the text shown. Installed once the application
// exists, after the toolkit's own, so that it is asked first.
void InstallDisplayAccessibility();
// The property that marks a panel shown as a dialogue of its main window.
inline constexpr char kDialogPanel[] = "rtDialogPanel";
// Tells screen readers that a display shows a new value.
void AnnounceValue(QWidget *w);

}  // namespace rt::detail
