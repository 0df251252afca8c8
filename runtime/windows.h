// SPDX-License-Identifier: GPL-3.0-or-later
// Panels as desktop windows (main windows and their dialogues). Internal.
#pragma once

class QObject;
class QEvent;

namespace rt::detail {

struct Panel;

// Before a panel is shown: a main panel gets back the size and place it had
// last time; any other panel, the first time it is shown while a main panel
// is up, becomes a dialogue of it, centred on it.
void PrepareWindow(int panel);
// Just shown: a dialogue made so by PrepareWindow is centred on its main
// window, now that its size is final.
void PlaceDialog(int panel);
// A panel without a menu bar: a dialogue of its program's main window.
bool IsDialogPanel(const Panel &p);
// Stores a shown main panel's size and place for the next run.
void KeepGeometry(int panel);
// The window events of a panel's own widget: Escape, move and resize,
// files dragged in. True when the event was used up.
bool WindowEvent(int panel, QObject *obj, QEvent *ev);
// The panel is discarded.
void ForgetWindow(int panel);

// Held while a user event's callback runs; the program's after-event hook
// runs when the outermost one ends.
struct DispatchScope {
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope &) = delete;
    DispatchScope &operator=(const DispatchScope &) = delete;
};

}  // namespace rt::detail
