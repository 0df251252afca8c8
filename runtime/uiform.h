// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the names that a Designer form declares: the panel, its controls and
// its menu items, in document order. The run-time numbers controls and menu
// items from this list, and the header generator emits the same numbers.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rt {

struct UiForm {
    QString panelName;      // object name of the top widget, e.g. KESTOPNL
    QString widgetClass;    // its class
    QStringList controls;   // widgets named PANEL_..., in document order
    QString menuBarName;    // object name of the menu bar, empty without one
    QStringList menuItems;  // actions and menus named MENUBAR_..., in document order
    QString error;          // non-empty when the form could not be read
};

UiForm ReadUiForm(const QByteArray &xml);

// Control and menu-item ids start here and count up in document order.
constexpr int kFirstUiId = 2;

}  // namespace rt
