// SPDX-License-Identifier: GPL-3.0-or-later
// Menu bars: items dimmed, checked and renamed. An attribute the run-time
// does not know is an error: a negative code, and in a test a failure.
#include <QAction>
#include <QMenu>

#include "appearance.h"
#include "internal.h"

namespace rt {

using namespace detail;

namespace {

// A menu attribute asked for with the wrong sort of value is an ordinary
// error (for example a checked mark on a whole menu); one the run-time does
// not know is reported as well.
int WrongType(const char *function, int attribute)
{
    const bool known = attribute == RT_ATTR_DIMMED || attribute == RT_ATTR_CHECKED
                       || attribute == RT_ATTR_ITEM_NAME;
    return known ? -1 : UnknownAttribute(function, attribute);
}

}  // namespace

int SetMenuBarAttribute(int menuBar, int item, int attribute, int value)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m)
        return -1;
    if (attribute == RT_ATTR_DIMMED) {
        if (m->action)
            m->action->setEnabled(!value);
        else if (m->menu)
            m->menu->setEnabled(!value);
        return 0;
    }
    if (attribute == RT_ATTR_CHECKED && m->action) {
        m->action->setCheckable(true);
        m->action->setChecked(value != 0);
        return 0;
    }
    return WrongType("SetMenuBarAttribute", attribute);
}

int SetMenuBarAttribute(int menuBar, int item, int attribute, const char *value)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m || !value)
        return -1;
    if (attribute != RT_ATTR_ITEM_NAME)
        return WrongType("SetMenuBarAttribute", attribute);
    // A new name keeps the mnemonic letter the form gave the item.
    const QString plain = QString::fromUtf8(value);
    if (m->action)
        m->action->setText(WithMnemonic(plain, m->mnemonic));
    else if (auto menu = qobject_cast<QMenu *>(m->menu))
        menu->setTitle(WithMnemonic(plain, m->mnemonic));
    return 0;
}

int GetMenuBarAttribute(int menuBar, int item, int attribute, int *value)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m || !value)
        return -1;
    if (attribute == RT_ATTR_DIMMED) {
        *value = m->action ? !m->action->isEnabled() : (m->menu ? !m->menu->isEnabled() : 0);
        return 0;
    }
    if (attribute == RT_ATTR_CHECKED) {
        *value = m->action && m->action->isChecked();
        return 0;
    }
    return WrongType("GetMenuBarAttribute", attribute);
}

int GetMenuBarAttributeText(int menuBar, int item, int attribute, char *buffer, std::size_t size)
{
    MenuItem *m = FindMenuItem(menuBar, item);
    if (!m || !buffer || size == 0)
        return -1;
    if (attribute != RT_ATTR_ITEM_NAME)
        return WrongType("GetMenuBarAttributeText", attribute);
    QString s = m->action
                    ? m->action->text()
                    : (qobject_cast<QMenu *>(m->menu) ? qobject_cast<QMenu *>(m->menu)->title()
                                                      : QString());
    CopyText(PlainText(s), buffer, size);
    return 0;
}

int NewMenuItem(int menuBar, int menu, const char *itemName, MenuCallbackPtr fn, void *callbackData)
{
    Panel *p = FindMenuBarPanel(menuBar);
    MenuItem *parent = FindMenuItem(menuBar, menu);
    auto *qmenu = parent ? qobject_cast<QMenu *>(parent->menu) : nullptr;
    if (!p || !qmenu || !itemName)
        return -1;
    const int id = p->items.empty() ? 1 : p->items.rbegin()->first + 1;
    MenuItem m;
    m.id = id;
    m.name = QStringLiteral("ITEM%1").arg(id);
    m.action = qmenu->addAction(QString::fromUtf8(itemName));
    m.action->setObjectName(m.name);
    m.callback = fn;
    m.callbackData = callbackData;
    m.madeIn = menu;
    m.mnemonic = MnemonicOf(m.action->text());
    p->items[id] = m;
    QObject::connect(m.action, &QAction::triggered, m.action,
                     [menuBar, id] { DispatchMenu(menuBar, id); });
    return id;
}

int EmptyMenu(int menuBar, int menu)
{
    Panel *p = FindMenuBarPanel(menuBar);
    if (!p || !FindMenuItem(menuBar, menu))
        return -1;
    for (auto it = p->items.begin(); it != p->items.end();) {
        if (it->second.madeIn == menu) {
            if (it->second.action)
                it->second.action->deleteLater();  // its own trigger may be what empties the menu
            if (auto *qmenu = qobject_cast<QMenu *>(FindMenuItem(menuBar, menu)->menu))
                qmenu->removeAction(it->second.action);
            it = p->items.erase(it);
        } else {
            ++it;
        }
    }
    return 0;
}

}  // namespace rt
