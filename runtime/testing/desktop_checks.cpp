// SPDX-License-Identifier: GPL-3.0-or-later
// Checks of a panel as users with other desktop settings meet it: font
// size, dark or light palette, keyboard and screen readers.
#include "testing.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <map>

#include "appearance.h"
#include "graph.h"
#include "internal.h"

namespace rt::test {

void UseFontSize(int pointSize)
{
    QFont f = QApplication::font();
    f.setPointSize(pointSize);
    QApplication::setFont(f);
}

void UseDarkPalette(bool dark)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette pal = QApplication::style()->standardPalette();
    if (dark) {
        const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe8, 0xe8, 0xe8);
        pal.setColor(QPalette::Window, window);
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::Base, base);
        pal.setColor(QPalette::AlternateBase, window);
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
        pal.setColor(QPalette::ButtonText, text);
        pal.setColor(QPalette::ToolTipBase, base);
        pal.setColor(QPalette::ToolTipText, text);
        pal.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
        pal.setColor(QPalette::HighlightedText, Qt::white);
        pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
        pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
        pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    }
    QApplication::setPalette(pal);
}

void UseShotLooks()
{
    if (const int pt = qEnvironmentVariableIntValue("VELORAN_SHOT_FONT_PT"); pt > 0)
        UseFontSize(pt);
    if (qEnvironmentVariableIsSet("VELORAN_SHOT_DARK"))
        UseDarkPalette(true);
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        ProcessSystemEvents();
}

double Contrast(const QColor &a, const QColor &b)
{
    return detail::ContrastRatio(a, b);
}

namespace {

QWidget *ShownPanel(int panel)
{
    QWidget *w = PanelWidget(panel);
    if (!w)
        return nullptr;
    DisplayPanel(panel);
    for (int i = 0; i < 3; ++i)
        ProcessSystemEvents();
    if (w->layout())
        w->layout()->activate();
    return w;
}

std::string Name(const QWidget *w)
{
    return w->objectName().toStdString();
}

std::string Size(QSize s)
{
    return std::to_string(s.width()) + "x" + std::to_string(s.height());
}

}  // namespace

std::vector<std::string> CutTexts(int panel)
{
    std::vector<std::string> faults;
    QWidget *w = ShownPanel(panel);
    if (!w)
        return {"no panel"};
    std::vector<QWidget *> texts;
    for (auto *l : w->findChildren<QLabel *>())
        texts.push_back(l);
    for (auto *b : w->findChildren<QAbstractButton *>())
        texts.push_back(b);
    for (QWidget *t : texts) {
        if (!t->isVisibleTo(w))
            continue;
        const auto *label = qobject_cast<QLabel *>(t);
        if (label && !label->pixmap().isNull())
            continue;  // a picture, not a text
        if (label && label->wordWrap()) {
            const int need = label->heightForWidth(label->width());
            if (need > label->height())
                faults.push_back(Name(t) + ": needs " + std::to_string(need) + " px of height, has "
                                 + std::to_string(label->height()));
            continue;
        }
        const QSize hint = t->sizeHint();
        if (hint.width() > t->width() || hint.height() > t->height())
            faults.push_back(Name(t) + ": needs " + Size(hint) + ", has " + Size(t->size()));
    }
    return faults;
}

std::vector<std::string> PoorContrast(int panel)
{
    std::vector<std::string> faults;
    QWidget *w = ShownPanel(panel);
    if (!w)
        return {"no panel"};
    auto check = [&](QWidget *t) {
        if (!t->isVisibleTo(w))
            return;
        const QPalette &pal = t->palette();
        const double c = Contrast(pal.color(QPalette::WindowText), pal.color(t->backgroundRole()));
        if (c < 4.5)
            faults.push_back(Name(t) + ": " + std::to_string(c) + ":1");
    };
    for (auto *l : w->findChildren<QLabel *>())
        check(l);
    for (auto *g : w->findChildren<QGroupBox *>())
        check(g);
    return faults;
}

std::vector<std::string> AccessibleNameFaults(int panel)
{
    std::vector<std::string> faults;
    auto *p = detail::FindPanel(panel);
    if (!p)
        return {"no panel"};
    std::map<std::string, std::string> owner;
    for (const auto &[id, c] : p->ctrls) {
        QAccessibleInterface *ai = QAccessible::queryAccessibleInterface(c.widget);
        const std::string name = ai ? ai->text(QAccessible::Name).toStdString() : std::string();
        const std::string ctrl = c.name.toStdString();
        if (name.empty())
            faults.push_back(ctrl + ": no accessible name");
        else if (name == ctrl)
            faults.push_back(ctrl + ": named by its control id");
        else if (auto [it, fresh] = owner.emplace(name, ctrl); !fresh)
            faults.push_back(ctrl + ": \"" + name + "\" is also " + it->second);
    }
    return faults;
}

std::vector<std::string> MenuMnemonicFaults(int panel)
{
    std::vector<std::string> faults;
    QWidget *w = PanelWidget(panel);
    auto *bar = w ? w->findChild<QMenuBar *>() : nullptr;
    if (!bar)
        return {"no menu bar"};
    auto checkLevel = [&](const QList<QAction *> &actions, const std::string &where) {
        std::map<QChar, std::string> used;
        for (QAction *a : actions) {
            if (a->isSeparator())
                continue;
            const QChar m = detail::MnemonicOf(a->text());
            const std::string text = a->text().toStdString();
            if (m.isNull())
                faults.push_back(where + ": \"" + text + "\" has no mnemonic");
            else if (auto [it, fresh] = used.emplace(m.toCaseFolded(), text); !fresh)
                faults.push_back(where + ": \"" + text + "\" and \"" + it->second
                                 + "\" share a mnemonic");
        }
    };
    checkLevel(bar->actions(), "menu bar");
    for (QAction *a : bar->actions())
        if (a->menu())
            checkLevel(a->menu()->actions(), detail::PlainText(a->text()).toStdString());
    return faults;
}

std::vector<std::string> ButtonMnemonicFaults(int panel)
{
    std::vector<std::string> faults;
    QWidget *w = PanelWidget(panel);
    if (!w)
        return {"no panel"};
    std::map<QChar, std::string> used;
    auto claim = [&](QChar m, const std::string &who) {
        if (m.isNull())
            return;
        if (auto [it, fresh] = used.emplace(m.toCaseFolded(), who); !fresh)
            faults.push_back(who + " and " + it->second + " share the mnemonic "
                             + QString(m).toStdString());
    };
    if (auto *bar = w->findChild<QMenuBar *>())
        for (QAction *a : bar->actions())
            claim(detail::MnemonicOf(a->text()),
                  "menu " + detail::PlainText(a->text()).toStdString());
    for (auto *l : w->findChildren<QLabel *>())
        if (l->buddy())
            claim(detail::MnemonicOf(l->text()), Name(l));
    for (auto *b : w->findChildren<QAbstractButton *>()) {
        const QString text = b->text();
        const QChar m = detail::MnemonicOf(text);
        const bool hasLetter =
            std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
        if (m.isNull() && hasLetter)
            faults.push_back(Name(b) + ": \"" + b->text().toStdString() + "\" has no mnemonic");
        claim(m, Name(b));
    }
    return faults;
}

std::string MenuItemShortcut(int menuBar, int item)
{
    auto *m = detail::FindMenuItem(menuBar, item);
    return m && m->action ? m->action->shortcut().toString(QKeySequence::PortableText).toStdString()
                          : std::string();
}

std::string MenuItemShownText(int menuBar, int item)
{
    auto *m = detail::FindMenuItem(menuBar, item);
    return m && m->action ? m->action->text().toStdString() : std::string();
}

std::string AccessibleName(int panel, int control)
{
    QAccessibleInterface *ai = QAccessible::queryAccessibleInterface(CtrlWidget(panel, control));
    return ai ? ai->text(QAccessible::Name).toStdString() : std::string();
}

std::string AccessibleValue(int panel, int control)
{
    QAccessibleInterface *ai = QAccessible::queryAccessibleInterface(CtrlWidget(panel, control));
    return ai ? ai->text(QAccessible::Value).toStdString() : std::string();
}

std::string AccessibleText(int panel, int control)
{
    QAccessibleInterface *ai = QAccessible::queryAccessibleInterface(CtrlWidget(panel, control));
    QAccessibleTextInterface *t = ai ? ai->textInterface() : nullptr;
    return t ? t->text(0, t->characterCount()).toStdString() : std::string("(no text interface)");
}

void AccessibleToggle(int panel, int control)
{
    QAccessibleInterface *ai = QAccessible::queryAccessibleInterface(CtrlWidget(panel, control));
    if (ai && ai->actionInterface())
        ai->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

std::string Lines(const std::vector<std::string> &faults)
{
    std::string s;
    for (const auto &f : faults)
        s += f + "\n";
    return s;
}

}  // namespace rt::test
