// SPDX-License-Identifier: GPL-3.0-or-later
// Shared state of the run-time's modules. Not for the programs.
#pragma once

#include <QAction>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rt.h"

namespace rt {

class Graph;

namespace detail {
// Names the application and sets its window icon from ReadCommandLine's
// program; called by InitCVIRTE once the application object exists.
void ApplyProgramIdentity();
}  // namespace detail

// The timer control: invisible, ticks its callback while enabled.
class TimerCtrl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double interval READ interval WRITE setInterval)
    Q_PROPERTY(bool timerEnabled READ timerEnabled WRITE setTimerEnabled)
public:
    explicit TimerCtrl(QWidget *parent = nullptr);
    double interval() const { return interval_; }
    void setInterval(double seconds);
    bool timerEnabled() const { return enabled_; }
    void setTimerEnabled(bool on);
    void syncTimer();  // starts or stops the real timer from the state above
    std::function<void()> onTick;

private:
    QTimer timer_;
    double interval_ = 1.0;
    bool enabled_ = true;
};

namespace detail {

class WidgetKind;

struct Ctrl {
    int id = 0;
    QString name;
    QPointer<QWidget> widget;
    const WidgetKind *kind = nullptr;  // set when the panel is loaded
    CtrlCallbackPtr callback = nullptr;
    double exact = 0;  // full-precision value behind a rounded numeric display
    bool hasExact = false;
};

struct MenuItem {
    int id = 0;
    QString name;
    QPointer<QAction> action;
    QPointer<QWidget> menu;  // for a whole menu
    MenuCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
    int madeIn = 0;  // made at run time in this menu (NewMenuItem); 0: from the form
    QChar mnemonic;  // the letter the form marks, kept when the program renames it
};

struct Panel {
    int handle = 0;
    int resourceId = 0;
    int parent = 0;
    QString name;
    QPointer<QWidget> widget;
    PanelCallbackPtr callback = nullptr;
    std::map<int, Ctrl> ctrls;
    int menuBar = 0;
    std::map<int, MenuItem> items;
    int closeCtrl = 0;
    QPointer<QObject> filter;  // the run-time's event filter on the panel and its controls
};

Panel *FindPanel(int handle);
Ctrl *FindCtrl(int panel, int control);
Panel *FindMenuBarPanel(int menuBar);
MenuItem *FindMenuItem(int menuBar, int item);
std::vector<int> PanelHandles();

// Takes a panel into the run-time's care: gives it its handle, watches its
// window and wires its controls. A loaded panel and one a program makes
// itself both come in here.
int AddPanel(Panel p);

int DispatchCtrl(int panel, int control, int event, int data1 = 0, int data2 = 0);
void DispatchMenu(int menuBar, int item);
int DispatchPanel(int panel, int event, int data1 = 0, int data2 = 0);

// Set while a blocking pop-up or wait runs: timer ticks are held back so that
// no callback starts in the middle of another one's dialogue.
extern int gModalDepth;
struct ModalScope {
    ModalScope() { ++gModalDepth; }
    ~ModalScope() { --gModalDepth; }
};

// Paints the windows whose repaint is due, and nothing else: no input, no
// timers, no callbacks. Called while a serial read waits for its reply.
void PaintDueWindows();

// Copies text into a C buffer of `size` bytes with its NUL, cut before a
// whole character, never inside one.
void CopyText(const QString &s, char *buffer, std::size_t size);

// An attribute the run-time does not know: reported (a failure in a test)
// and answered with -1.
int UnknownAttribute(const char *function, int attribute);

// The room a window has on its screen, its frame left out.
QSize ScreenRoom(QWidget *window);
// Tightens the layouts and shrinks the graphs of a window that would not fit
// that room; a window that fits is left as its form drew it.
void FitToScreen(QWidget *window);

bool TestMode();
void RecordTestFailure(const std::string &what);
void RecordUserEvent(int panelOrMenuBar, int controlOrItem);

}  // namespace detail
}  // namespace rt
