// SPDX-License-Identifier: GPL-3.0-or-later
// Test seams: everything a person does, a test does through the same paths,
// headless and fast. Only tests include this.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plot_item.h"

class QColor;

class QWidget;

namespace rt::test {

// Test mode: pop-ups answered from a script, timers ticked by the test,
// Delay recorded instead of slept, programs recorded instead of started.
void Enable();
// Back to normal operation (real pop-ups, loop, timers); what was recorded stays.
void Disable();

// ---- Pop-ups ----
struct Popup {
    std::string kind;  // "message", "confirm", "file"
    std::string title;
    std::string text;
};
void AnswerConfirm(int answer);  // the next ConfirmPopup returns it
void AcknowledgeMessage();       // the next MessagePopup is expected
// The next FileSelectPopup chooses `path` (result as FileSelectPopup returns
// it; by default existing file when the path exists, else new file).
// In a dialogue with a list of file types, `typeIndex` is the type chosen
// (-1: the one the name's extension names, else the first).
void ChooseFile(const std::string &path, int result = -1, int typeIndex = -1);
// The folder the last file dialogue opened in.
std::string FileDialogFolder();
void CancelFile();  // the next FileSelectPopup is cancelled
// Runs `action` when the next pop-up of that kind shows, before it returns
// (for example to check state while a question is up).
void OnNextPopup(std::function<void()> action);
const std::vector<Popup> &Popups();
void ClearPopups();
// Unexpected pop-ups and waits. With a hook set, each one goes to the hook
// at once (the test main makes it a test failure); without, they are kept.
std::vector<std::string> TakeFailures();
void SetFailureHook(std::function<void(const std::string &)> hook);
int PendingAnswers();

// ---- Events ----
// Dispatches an event to a control's callback exactly as the widget would.
int FireCtrlEvent(int panel, int control, int event, int data1 = 0, int data2 = 0);
// Clicks a button, or commits a value on a numeric, ring, string or toggle
// control through its widget's own signals.
void PressButton(int panel, int control);
void CommitValue(int panel, int control, double value);
void CommitText(int panel, int control, const std::string &text);
void ChooseMenuItem(int menuBar, int item);  // triggers the menu item itself
void FocusCtrl(int panel, int control);      // gives a control the keyboard focus
void ActivatePanel(int panel);               // the panel's window gets the focus
void ResizePanel(int panel, int width, int height);
void ClosePanelWindow(int panel);  // the window manager's close button
// One tick of a timer control, delivered only while the timer is enabled.
bool TickTimer(int panel, int control);
// A left click on a graph at graph coordinates (the cursor snaps, the
// callback gets the click, and a commit when the graph commits on clicks).
void ClickGraph(int panel, int control, double x, double y);
// Actions run by GetUserEvent while it waits, one per wait; and by
// RunUserInterface, which returns when its script is done.
void OnUserEventWait(std::function<void()> action);
void SetRunScript(std::function<void()> script);
bool QuitRequested();

// ---- Reading back ----
std::vector<PlotItem> GraphItems(int panel, int control);
// The texts a graph shows at its size on screen, with what they cover in
// pixels of the graph: the box of a text on a background, the letters of
// one without (labels that would cover another are left out).
struct ShownText {
    std::string text;
    double left = 0, top = 0, width = 0, height = 0;
};
std::vector<ShownText> GraphTexts(int panel, int control);
int PlotCount(int panel, int control);
QWidget *PanelWidget(int panel);
QWidget *CtrlWidget(int panel, int control);
std::vector<int> LivePanels();
bool IsDisplayed(int panel);
std::string MenuItemText(int menuBar, int item);

// ---- Time ----
const std::vector<double> &Delays();  // every Delay asked for, in seconds
void SetDelayScale(double scale);     // 0 by default: no real sleeping
// Timer() reads this clock (seconds) instead of the real one.
void SetClock(std::function<double()> seconds);

// ---- Settings ----
// In test mode settings live in memory; with a file named here they go to
// that INI file through the same store a program uses.
void UseSettingsFile(const std::string &iniPath);

// ---- Serial ----
// Bytes the program wrote to and read from port n since the last clear.
std::string ComWritten(int port);
std::string ComRead(int port);
void ClearComLog();

// ---- Other services ----
const std::vector<std::string> &Launches();  // LaunchExecutable calls
// The folder FindRunTimeFile takes for the executable's; empty: the real one.
void SetProgramDir(const std::string &dir);
const std::vector<std::string> &HelpCalls();  // SystemHelp calls
struct PrintJob {
    int panel = 0, control = 0;
    std::string fileName;
    int interactive = 0;
};
const std::vector<PrintJob> &PrintJobs();
// Where printing to the printer goes in test mode: a PDF file of this name.
void SetPrinterFile(const std::string &pdfPath);

// Desktop settings a user may have: the application font's point size, and a
// dark or light palette (on the Fusion style, which follows the palette).
void UseFontSize(int pointSize);
void UseDarkPalette(bool dark);
// The same from the environment, for the screenshot tools: the font size in
// points from VELORAN_SHOT_FONT_PT, a dark palette when VELORAN_SHOT_DARK is
// set. Called once the run-time is initialised.
void UseShotLooks();
// Lets pending events and paints run, so that a grab shows what a user sees.
void Settle();
// WCAG contrast ratio of two colours (1 to 21).
double Contrast(const QColor &a, const QColor &b);

// Checks of a panel as a user meets it; each returns one line per fault
// found, naming the widget, and nothing when all is well. The panel is shown
// and laid out first.
// Labels and buttons whose text needs more room than they got.
std::vector<std::string> CutTexts(int panel);
// Texts on the window's background (labels, group titles) below 4.5:1.
std::vector<std::string> PoorContrast(int panel);
// Controls whose accessible name is empty, is their control id or is shared
// with another control of the panel.
std::vector<std::string> AccessibleNameFaults(int panel);
// Menus and menu items without a mnemonic, and letters used twice in one
// menu or among the menu bar's titles.
std::vector<std::string> MenuMnemonicFaults(int panel);
// Buttons with a letter in their text but no mnemonic, and mnemonic letters
// used twice on the panel (buttons, labels and menu bar titles together).
std::vector<std::string> ButtonMnemonicFaults(int panel);
// The faults one per line, for a test failure that lists them all.
std::string Lines(const std::vector<std::string> &faults);
// The shortcut of a menu item as text ("Ctrl+O"), empty when it has none.
std::string MenuItemShortcut(int menuBar, int item);
// The text a menu item shows, mnemonic marks included.
std::string MenuItemShownText(int menuBar, int item);
// The accessible name and value of a control, as a screen reader gets them.
std::string AccessibleName(int panel, int control);
std::string AccessibleValue(int panel, int control);
// The text a control gives through its text interface, the way the desktop's
// accessibility bus reads a display's value.
std::string AccessibleText(int panel, int control);
// Switches a toggle button through its accessibility action, as a screen
// reader or switch access does.
void AccessibleToggle(int panel, int control);

}  // namespace rt::test
