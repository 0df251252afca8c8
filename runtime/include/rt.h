// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time services both programs call: panels, controls, menus, graphs,
// pop-ups, the event loop, files and formatting, serial ports, printing.
// A procedural surface over Qt; handles are plain ints.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "com_backend.h"

// The services live in namespace rt and are used unqualified by the programs.
namespace rt {

// ---- Events delivered to callbacks -------------------------------------
enum {
    RT_EVENT_NONE = 0,
    RT_EVENT_COMMIT = 1,
    RT_EVENT_LEFT_CLICK = 3,
    RT_EVENT_GOT_FOCUS = 20,
    RT_EVENT_LOST_FOCUS = 21,
    RT_EVENT_CLOSE = 11,
    RT_EVENT_PANEL_SIZE = 23,
    RT_EVENT_TIMER_TICK = 30,
};

// ---- Attributes ---------------------------------------------------------
enum {
    RT_ATTR_DIMMED = 1,
    RT_ATTR_VISIBLE,
    RT_ATTR_ENABLED,     // timer control running
    RT_ATTR_INTERVAL,    // timer control, seconds (double)
    RT_ATTR_CTRL_INDEX,  // ring: index of the selected item
    RT_ATTR_TEXT_COLOR,
    RT_ATTR_TEXT_BGCOLOR,
    RT_ATTR_LEFT,
    RT_ATTR_TOP,
    RT_ATTR_WIDTH,
    RT_ATTR_HEIGHT,
    RT_ATTR_LABEL_TEXT,
    RT_ATTR_TITLE,  // panel title
    RT_ATTR_CLOSE_ITEM_VISIBLE,
    RT_ATTR_SIZABLE,
    RT_ATTR_MOVABLE,
    RT_ATTR_CAN_MINIMIZE,
    RT_ATTR_CAN_MAXIMIZE,
    RT_ATTR_MAX_ENTRY_LENGTH,  // string / text box: most characters it holds
    RT_ATTR_NO_EDIT_TEXT,      // read-only entry
    RT_ATTR_CHECKED,           // menu item check mark
    RT_ATTR_ITEM_NAME,         // menu item text
    RT_ATTR_PLOT_THICKNESS,    // plot line weight
    RT_ATTR_PLOT_COLOR,
    RT_ATTR_LINE_STYLE,    // plot line style (RT_SOLID ...)
    RT_ATTR_FILL_OPACITY,  // polygon fill, percent (100 opaque)
};

// ---- Colours (0xRRGGBB) ---------------------------------------------------
enum : int {
    RT_BLACK = 0x000000,
    RT_WHITE = 0xFFFFFF,
    RT_RED = 0xFF0000,
    RT_GREEN = 0x00FF00,
    RT_BLUE = 0x0000FF,
    RT_CYAN = 0x00FFFF,
    RT_YELLOW = 0xFFFF00,
    RT_GRAY = 0xA0A0A0,
    RT_TRANSPARENT = 0x1000000,
};
int MakeColor(int red, int green, int blue);

// ---- Data types and plot styles for PlotXY ------------------------------
enum { RT_INTEGER = 1, RT_DOUBLE = 4 };
enum { RT_THIN_LINE = 0, RT_CONNECTED_POINTS = 1, RT_SCATTER = 2 };
// Line styles. Past dash and dot, six more patterns that stay apart from one
// another on a thin curve, for several curves on one graph.
enum {
    RT_SOLID = 0,
    RT_DASH = 1,
    RT_DOT = 2,
    RT_DASH_DOT = 3,
    RT_DASH_DOT_DOT = 4,
    RT_LONG_DASH = 5,
    RT_LONG_DASH_DOT = 6,
    RT_LONG_SHORT_DASH = 7,
    RT_LONG_DASH_DOT_DOT = 8,
};
enum { RT_SIMPLE_DOT = 0, RT_SOLID_CIRCLE = 24 };
enum { RT_DELAYED_DRAW = 0, RT_IMMEDIATE_DRAW = 1 };

// ---- Callback shapes ----------------------------------------------------
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData,
                               int eventData1, int eventData2);
typedef void (*MenuCallbackPtr)(int menuBar, int menuItem, void *callbackData, int panel);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1,
                                int eventData2);

// Each program registers its callbacks by name before loading panels; the
// names in the resource files are bound to them when a panel is loaded.
void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn);
void RegisterMenuCallback(const char *name, MenuCallbackPtr fn);
void RegisterPanelCallback(const char *name, PanelCallbackPtr fn);
#define RT_CTRL_CALLBACK(fn) RegisterCtrlCallback(#fn, fn)
#define RT_MENU_CALLBACK(fn) RegisterMenuCallback(#fn, fn)
#define RT_PANEL_CALLBACK(fn) RegisterPanelCallback(#fn, fn)

// ---- Program identity and command line ------------------------------------
struct ProgramInfo {
    const char *name;          // program name: --version, settings, messages
    const char *desktopId;     // its desktop entry and icon name
    const char *summary;       // what it does, one line for --help
    const char *fileArgument;  // name of the optional file argument; null: takes none
    const char *fileHelp;
};
struct CommandLine {
    int exitStatus = -1;     // 0 or more: end now with this status
    std::string file;        // the file named on the command line, or empty
    bool selfCheck = false;  // --self-check: report the run-time files found, then end
};
// Read before InitCVIRTE: answers --help and --version on standard output
// (status 0) and refuses an unknown option or a surplus argument with one
// line on standard error (status 2). InitCVIRTE then names the application
// after `info` and sets its window icon.
CommandLine ReadCommandLine(int argc, char **argv, const ProgramInfo &info);
// The version of the programs, "1.0.0".
const char *ProgramVersion(void);

// ---- Start and event loop -----------------------------------------------
// Initialises the run-time (creates the application object). 0 on failure.
int InitCVIRTE(void *hInstance, char *argv[], void *reserved);
int RunUserInterface(void);
int QuitUserInterface(int returnCode);
int ProcessSystemEvents(void);
int ProcessDrawEvents(void);
int Delay(double seconds);
// Waits (wait != 0) for the next commit or menu event; returns the control or
// menu item id and fills in the panel (or menu bar). Callbacks still run.
int GetUserEvent(int wait, int *panelOrMenuBar, int *controlOrMenuItem);
int SetWaitCursor(int on);
int GetWaitCursorState(void);

// ---- Run-time files ------------------------------------------------------
// The places where a program finds the files it loads at run time (panel
// resource files, pictures, help) and the programs it starts, in the order
// searched: the folder of the executable (the build tree), then
// ../share/veloran from it (an installation).
std::vector<std::string> RunTimeFilePlaces();
// The full path of `name` in the first of those places that holds it as a
// file; an absolute name is taken as it is. Empty when it is nowhere.
std::string FindRunTimeFile(const char *name);
// "Cannot find NAME; looked in PLACE and PLACE."
std::string RunTimeFileMissing(const char *name);

// ---- Panels ---------------------------------------------------------------
// Loads panel `resourceId` from the resource file `fileName` (found with
// FindRunTimeFile). Returns a handle > 0, or a negative error:
// -1 file missing or unreadable, -2 no such panel, -3 a callback name unknown.
int LoadPanel(int parentPanel, const char *fileName, int resourceId);
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char *value);
int GetPanelAttribute(int panel, int attribute, int *value);
int GetPanelMenuBar(int panel);
int SetActiveCtrl(int panel, int control);
int GetActiveCtrl(int panel);
int GetActivePanel(void);
// A file dropped on the panel's window (a local file dragged from a file
// manager) goes to `fn` with its path; null stops accepting drops.
typedef void (*FileDropPtr)(int panel, const char *path);
int SetPanelFileDrop(int panel, FileDropPtr fn);
// Runs after each user event's callbacks have all returned (a click, a menu
// command, a drop), for state shown outside the panels such as the title.
typedef void (*AfterEventPtr)(void);
void SetAfterEventCallback(AfterEventPtr fn);

// ---- Controls ---------------------------------------------------------------
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, unsigned int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, int *value);
// Rings filled at run time: items with a label and an integer value.
int ClearListCtrl(int panel, int control);
// Inserts at `index` (-1: at the end); returns 0, or -1 for no such ring.
int InsertListItem(int panel, int control, int index, const char *label, int value);
int GetNumListItems(int panel, int control, int *count);
int GetCtrlVal(int panel, int control, unsigned int *value);
int GetCtrlVal(int panel, int control, unsigned short *value);
int GetCtrlVal(int panel, int control, short *value);
int GetCtrlVal(int panel, int control, double *value);
// Text of a string control or text box, cut to fit `size` bytes with its NUL.
int GetCtrlValText(int panel, int control, char *buffer, std::size_t size);
template <std::size_t N> int GetCtrlVal(int panel, int control, char (&buffer)[N])
{
    return GetCtrlValText(panel, control, buffer, N);
}
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *value);
int GetCtrlAttribute(int panel, int control, int attribute, int *value);
int GetCtrlAttribute(int panel, int control, int attribute, double *value);
// Text boxes: lines are joined by LF; SetCtrlVal on a text box appends.
int InsertTextBoxLine(int panel, int control, int lineIndex, const char *text);
int GetNumTextBoxLines(int panel, int control, int *count);
int ResetTextBox(int panel, int control, const char *text);
int DisplayImageFile(int panel, int control, const char *fileName);

// ---- Menus ------------------------------------------------------------------
int SetMenuBarAttribute(int menuBar, int item, int attribute, int value);
int SetMenuBarAttribute(int menuBar, int item, int attribute, const char *value);
int GetMenuBarAttribute(int menuBar, int item, int attribute, int *value);
int GetMenuBarAttributeText(int menuBar, int item, int attribute, char *buffer, std::size_t size);
// Items made at run time in the menu `menu` (a menu of the bar, by its id):
// NewMenuItem appends one that calls `fn` with `callbackData` and returns its
// id; EmptyMenu removes every item made so.
int NewMenuItem(int menuBar, int menu, const char *itemName, MenuCallbackPtr fn,
                void *callbackData);
int EmptyMenu(int menuBar, int menu);

// ---- Graphs -----------------------------------------------------------------
int PlotLine(int panel, int control, double x1, double y1, double x2, double y2, int color);
int PlotXY(int panel, int control, const void *x, const void *y, int count, int xType, int yType,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
int PlotOval(int panel, int control, double x1, double y1, double x2, double y2, int color,
             int fillColor);
int PlotText(int panel, int control, double x, double y, const char *text, const char *font,
             int textColor, int backgroundColor);
// A closed polygon through count points, its outline in `color` (none when
// transparent) and its inside filled with fillColor (none when transparent);
// RT_ATTR_FILL_OPACITY makes the fill see-through. Clicks never put the
// graph cursor on a polygon.
int PlotPolygon(int panel, int control, const void *x, const void *y, int count, int xType,
                int yType, int color, int fillColor);
// The box PlotText gives `text` on this graph at its present size and font,
// in graph units (width along x, height along y), for laying out texts.
int GetGraphTextSize(int panel, int control, const char *text, double *width, double *height);
int SetPlotAttribute(int panel, int control, int plot, int attribute, int value);
// plot -1 deletes every plot item of the graph.
int DeleteGraphPlot(int panel, int control, int plot, int refresh);
int GetGraphCursorIndex(int panel, int control, int cursor, int *plot, int *index);
int GetGraphCursor(int panel, int control, int cursor, double *x, double *y);
int RefreshGraph(int panel, int control);
// Draws a graph's plots in other colours: every line, text or fill colour
// equal to from[i] is shown as to[i], for the plots there now and those
// plotted later, until the next call; count 0 restores the colours as
// plotted. With labelsOnTop the texts are painted after every other plot,
// so that no curve covers them.
int SetGraphColorMap(int panel, int control, const int *from, const int *to, int count,
                     int labelsOnTop);

// ---- Pop-ups ------------------------------------------------------------------
int MessagePopup(const char *title, const char *message);
int ConfirmPopup(const char *title, const char *message);  // 1 yes, 0 no
enum { RT_OK_BUTTON = 1, RT_SAVE_BUTTON = 2, RT_SELECT_BUTTON = 3, RT_LOAD_BUTTON = 4 };
enum { RT_NO_FILE_SELECTED = 0, RT_EXISTING_FILE_SELECTED = 1, RT_NEW_FILE_SELECTED = 2 };
// Room for any path the system takes: 4,095 bytes and the NUL (PATH_MAX).
constexpr std::size_t RT_PATH_SIZE = 4096;
// `path` receives the chosen path (at most `pathSize` bytes with its NUL). A
// chosen path that does not fit is never cut short: the user is told, and
// nothing counts as chosen.
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char *path, std::size_t pathSize);
// The same into an array, whose size is the limit.
template <std::size_t N>
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char (&path)[N])
{
    return FileSelectPopup(defaultDirectory, defaultFileSpec, fileTypeList, title, buttonLabel,
                           restrictDirectory, restrictExtension, allowCancel, allowMakeDirectory,
                           path, N);
}

// A save dialogue for one of several file types. `typeList` holds one type
// a line, "PNG picture (*.png)"; `suggestedName` is the name offered. The
// type chosen gives its extension to a name typed without one, and a file
// that exists is replaced only after the question "NAME already exists. Do
// you want to replace it?" (No: the dialogue comes back). `*typeIndex` in:
// the type offered first; out: the type of the path handed back.
int SaveFileTypePopup(const char *title, const char *suggestedName, const char *typeList,
                      int *typeIndex, char *path, std::size_t pathSize);

// ---- Files and formatting --------------------------------------------------
enum { RT_READ = 0, RT_WRITE = 1, RT_READ_WRITE = 2 };
enum { RT_APPEND = 1, RT_TRUNCATE = 2, RT_OPEN_ONLY = 3 };
enum { RT_BINARY = 0, RT_ASCII = 1 };
int OpenFile(const char *fileName, int action, int mode, int type);  // handle >= 0, or -1
// Reads one line without its LF; keeps at most maxChars characters and drops
// the rest of a longer line. Returns the characters kept, -2 at end of file,
// -1 on error.
int ReadLine(int file, char *buffer, int maxChars);
int WriteFile(int file, const char *data, std::size_t count);
int CloseFile(int file);
int DeleteFile(const char *fileName);
// 1 when the file exists (its size in *size), 0 when not, negative on error.
int GetFileInfo(const char *fileName, long *size);
int GetDir(char *buffer, std::size_t size);
// Locale-independent formatting: "%d"/"%i" integers, "%f" six decimals,
// "%s" text; every other character is copied. "%s<" in front of the format
// (the target-first form) is accepted and skipped.
int Fmt(char *target, std::size_t size, const char *format, ...);
int FmtFile(int file, const char *format, ...);
// Locale-independent scanning of `source`: "%s>" in front (source first) is
// accepted and skipped; "%d"/"%i" take int*, "%f" double*; white space
// before a number is skipped. Returns the count of items converted.
int Scan(const char *source, const char *format, ...);
// "MM-DD-YYYY" and "HH:MM:SS" of the present local date and time.
const char *DateStr(void);
const char *TimeStr(void);

// ---- Serial ports -------------------------------------------------------------
int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int ComWrt(int port, const char *buffer, int count);
int ComRd(int port, char *buffer, int count);
int FlushInQ(int port);
int SetComTime(int port, double seconds);
int ReturnRS232Err(void);
int DisableBreakOnLibraryErrors(void);
int EnableBreakOnLibraryErrors(void);
// The device that port n opens on this machine: $VELORAN_COMn, else the
// device the user chose for it (kept per user), else the automatic rule: the
// USB serial adapters present take ports 1, 2, ... (ordered by serial number,
// then device name), then the built-in /dev/ttyS0, /dev/ttyS1, ... follow.
std::string ComDeviceName(int port);

// ---- Serial devices and why an open failed -----------------------------------
struct ComDeviceInfo {
    std::string device;        // "/dev/ttyUSB0"
    std::string description;   // "FT232R USB UART"
    std::string manufacturer;  // "FTDI"
    std::string serialNumber;
    bool usb = false;
};
// Every serial device found on the machine now, in the automatic order.
std::vector<ComDeviceInfo> ListComDevices(void);
// One line for a device list: device, kind, description, maker, serial number.
std::string ComDeviceText(const ComDeviceInfo &info);
enum { RT_COM_FROM_ENVIRONMENT = 1, RT_COM_FROM_CHOICE, RT_COM_AUTOMATIC };
int ComDeviceSource(int port);
// The device saved for port n ("" when none); saving "" goes back to the
// automatic rule. Saving returns 0, or -1 when the choice could not be
// written to the settings.
std::string ComDeviceChoice(int port);
int SetComDeviceChoice(int port, const std::string &device);
enum {
    RT_COM_OK = 0,
    RT_COM_MISSING,     // no such device
    RT_COM_PERMISSION,  // the user may not open it
    RT_COM_BUSY,        // held or locked by another program
    RT_COM_NOT_SERIAL,  // there, but not a serial device
    RT_COM_OTHER,
};
struct ComOpenFailure {
    int reason = RT_COM_OK;
    std::string device;
    std::string detail;  // the system's own words
};
// The last failed open of port n (reason RT_COM_OK after a successful open).
ComOpenFailure ComLastOpenFailure(int port);
// Words for a failure reason, for the user ("" for RT_COM_OK).
std::string ComFailureText(int reason);
// "/dev/ttyUSB0 (USB serial, FTDI FT232R USB UART)", "/dev/ttyS2 (not
// present)", or the device with the reason its last open failed.
std::string ComDeviceSummary(int port);
// Closes port n and opens it again on the same device with the same
// settings (a replugged adapter comes back as a new device node).
int ReopenCom(int port);

// ---- Other services -----------------------------------------------------------
int LaunchExecutable(const char *fileName);  // 0 on success
int SystemHelp(const char *helpFile, int command, int contextId, const char *extra);
// Prints a panel or one control: an empty file name prints on a printer
// (after the print dialogue when interactive), a file name writes a PDF.
int PrintPanel(int panel, const char *fileName, int scaling, int area, int interactive);
int PrintCtrl(int panel, int control, const char *fileName, int scaling, int interactive);
int SetPrintAttributeEx(int attribute, int value);

// ---- Settings kept between runs ----------------------------------------------
// Kept per user under organisation "Veloran" and the program's name.
int GetUserSetting(const char *program, const char *key, int defaultValue);
std::string GetUserSettingText(const char *program, const char *key, const char *defaultValue);
int SetUserSetting(const char *program, const char *key, int value);  // 0, or -1
int SetUserSettingText(const char *program, const char *key, const char *value);

// Seconds on a steady clock, for measuring how long something took.
double Timer(void);

}  // namespace rt

using namespace rt;
