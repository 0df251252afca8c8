// SPDX-License-Identifier: GPL-3.0-or-later
// A demonstration panel loaded from a resource file and driven through the
// same dispatch a person's clicks use.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

#include "ogl3d.h"
#include "rt.h"
#include "rt_fixture.h"
#include "rtdemo_uir.h"

namespace {

int gCommits = 0, gLastPanel = 0, gLastControl = 0, gLastEvent = 0;
int gMenuCalls = 0, gMenuPanel = 0, gAnswer = -1, gTicks = 0, gFocus = 0;
int gPanelEvents[64];
int gDialogClosed = 0;

int ButtonCallback(int panel, int control, int event, void *, int, int)
{
    gLastPanel = panel, gLastControl = control, gLastEvent = event;
    if (event == RT_EVENT_COMMIT)
        ++gCommits;
    return 0;
}
int ValueCallback(int panel, int control, int event, void *d, int a, int b)
{
    return ButtonCallback(panel, control, event, d, a, b);
}
int GraphCallback(int panel, int control, int event, void *d, int a, int b)
{
    return ButtonCallback(panel, control, event, d, a, b);
}
int TimerCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_TIMER_TICK)
        ++gTicks;
    return 0;
}
int FocusCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_GOT_FOCUS)
        ++gFocus;
    return 0;
}
int CloseCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        ++gDialogClosed;
        DiscardPanel(panel);
    }
    return 0;
}
int PanelCallback(int, int event, void *, int, int)
{
    if (event >= 0 && event < 64)
        ++gPanelEvents[event];
    return 0;
}
void AskCallback(int, int, void *, int panel)
{
    ++gMenuCalls;
    gMenuPanel = panel;
    gAnswer = ConfirmPopup("Confrim", "Are you want to quit?");
}

void RegisterAll()
{
    RT_CTRL_CALLBACK(ButtonCallback);
    RT_CTRL_CALLBACK(ValueCallback);
    RT_CTRL_CALLBACK(GraphCallback);
    RT_CTRL_CALLBACK(TimerCallback);
    RT_CTRL_CALLBACK(FocusCallback);
    RT_CTRL_CALLBACK(CloseCallback);
    RT_PANEL_CALLBACK(PanelCallback);
    RT_MENU_CALLBACK(AskCallback);
}

int LoadDemo()
{
    RegisterAll();
    const int p = LoadPanel(0, "rtdemo.uir", DEMOPNL);
    EXPECT_GT(p, 0);
    return p;
}

TEST(Panels, MissingResourceFileOrPanelGivesNegativeHandle)
{
    RegisterAll();
    EXPECT_LT(LoadPanel(0, "no-such-file.uir", 1), 0);
    EXPECT_LT(LoadPanel(0, "rtdemo.uir", 9), 0);
}

TEST(Panels, UnknownCallbackNameIsALoadError)
{
    // Nothing registered: the demo panel names callbacks the program lacks.
    EXPECT_EQ(LoadPanel(0, "rtdemo.uir", DEMOPNL), -3);
}

TEST(Panels, ButtonClickRunsItsNamedCallbackWithCommit)
{
    const int p = LoadDemo();
    rt::test::PressButton(p, DEMOPNL_BUTTON);
    EXPECT_EQ(gCommits, 1);
    EXPECT_EQ(gLastPanel, p);
    EXPECT_EQ(gLastControl, DEMOPNL_BUTTON);
    EXPECT_EQ(gLastEvent, RT_EVENT_COMMIT);
}

// Another object that watches the panel's events, as Qt's own widgets and a
// program's helpers do. Made first among the panel's children, where a lookup
// of the run-time's own filter by type would land on it.
class EventCounter : public QWidget {
public:
    int seen = 0;

protected:
    bool eventFilter(QObject *, QEvent *ev) override
    {
        if (ev->type() == QEvent::User)
            ++seen;
        return false;
    }
};

TEST(Panels, DiscardTakesOffOnlyItsOwnEventFilter)
{
    const int p = LoadDemo();
    QPointer<QWidget> w = rt::test::PanelWidget(p);
    ASSERT_TRUE(w);
    auto *other = new EventCounter;
    other->setParent(w);
    other->hide();
    other->lower();  // first among the panel's children
    ASSERT_EQ(w->children().first(), other);
    w->installEventFilter(other);
    const auto children = w->children().size();

    EXPECT_EQ(DiscardPanel(p), 0);
    ASSERT_TRUE(w);  // deleted later, when control returns to the event loop
    QEvent ev(QEvent::User);
    QApplication::sendEvent(w, &ev);
    EXPECT_EQ(other->seen, 1);
    // The run-time's own filter went with the panel at once.
    EXPECT_EQ(w->children().size(), children - 1);
}

// Every attribute call refuses an attribute it does not know with a negative
// code, and a test hears of it; a known one asked of the wrong control (or
// with the wrong sort of value) is only refused.
TEST(Panels, UnknownAttributesAreErrorsThatFailATest)
{
    const int p = LoadDemo();
    const int mb = GetPanelMenuBar(p);
    std::vector<std::string> reported;
    rt::test::SetFailureHook([&](const std::string &what) { reported.push_back(what); });
    constexpr int kNone = 4242;
    int i = 0;
    double d = 0;
    char text[32];
    struct Case {
        const char *call;
        int attribute;
        bool reported;
        std::function<int()> run;
    };
    const Case cases[] = {
        {"SetCtrlAttribute", kNone, true,
         [&] { return SetCtrlAttribute(p, DEMOPNL_NAME, kNone, 1); }},
        {"SetCtrlAttribute", kNone, true,
         [&] { return SetCtrlAttribute(p, DEMOPNL_NAME, kNone, 1.5); }},
        {"SetCtrlAttribute", kNone, true,
         [&] { return SetCtrlAttribute(p, DEMOPNL_NAME, kNone, "x"); }},
        {"GetCtrlAttribute", kNone, true,
         [&] { return GetCtrlAttribute(p, DEMOPNL_NAME, kNone, &i); }},
        {"GetCtrlAttribute", kNone, true,
         [&] { return GetCtrlAttribute(p, DEMOPNL_NAME, kNone, &d); }},
        // A panel's or a menu item's attribute is not a control's.
        {"SetCtrlAttribute", RT_ATTR_TITLE, true,
         [&] { return SetCtrlAttribute(p, DEMOPNL_BUTTON, RT_ATTR_TITLE, "x"); }},
        {"SetCtrlAttribute", RT_ATTR_CHECKED, true,
         [&] { return SetCtrlAttribute(p, DEMOPNL_TOGGLE, RT_ATTR_CHECKED, 1); }},
        {"SetPanelAttribute", kNone, true, [&] { return SetPanelAttribute(p, kNone, 1); }},
        {"SetPanelAttribute", kNone, true, [&] { return SetPanelAttribute(p, kNone, "x"); }},
        {"GetPanelAttribute", kNone, true, [&] { return GetPanelAttribute(p, kNone, &i); }},
        {"SetPanelAttribute", RT_ATTR_CTRL_INDEX, true,
         [&] { return SetPanelAttribute(p, RT_ATTR_CTRL_INDEX, 1); }},
        {"SetMenuBarAttribute", kNone, true,
         [&] { return SetMenuBarAttribute(mb, DEMOMENU_ASK, kNone, 1); }},
        {"SetMenuBarAttribute", kNone, true,
         [&] { return SetMenuBarAttribute(mb, DEMOMENU_ASK, kNone, "x"); }},
        {"GetMenuBarAttribute", kNone, true,
         [&] { return GetMenuBarAttribute(mb, DEMOMENU_ASK, kNone, &i); }},
        {"GetMenuBarAttributeText", kNone, true,
         [&] { return GetMenuBarAttributeText(mb, DEMOMENU_ASK, kNone, text, sizeof text); }},
        // Known attributes where they do not apply.
        {"SetCtrlAttribute", RT_ATTR_CTRL_INDEX, false,
         [&] { return SetCtrlAttribute(p, DEMOPNL_BUTTON, RT_ATTR_CTRL_INDEX, 1); }},
        {"SetCtrlAttribute", RT_ATTR_ENABLED, false,
         [&] { return SetCtrlAttribute(p, DEMOPNL_RING, RT_ATTR_ENABLED, 1); }},
        {"SetCtrlAttribute", RT_ATTR_DIMMED, false,
         [&] { return SetCtrlAttribute(p, DEMOPNL_BUTTON, RT_ATTR_DIMMED, "x"); }},
        {"GetPanelAttribute", RT_ATTR_TITLE, false,
         [&] { return GetPanelAttribute(p, RT_ATTR_TITLE, &i); }},
        {"SetMenuBarAttribute", RT_ATTR_CHECKED, false,
         [&] { return SetMenuBarAttribute(mb, DEMOMENU_FILE, RT_ATTR_CHECKED, 1); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.attribute));
        reported.clear();
        EXPECT_LT(c.run(), 0);
        if (c.reported) {
            ASSERT_EQ(reported.size(), 1u);
            EXPECT_NE(reported[0].find(c.call), std::string::npos) << reported[0];
            EXPECT_NE(reported[0].find(std::to_string(c.attribute)), std::string::npos)
                << reported[0];
        } else {
            EXPECT_TRUE(reported.empty());
        }
    }
    rt::test::SetFailureHook([](const std::string &what) { ADD_FAILURE() << what; });
}

TEST(Panels, DimmedAndHiddenAttributesReadBack)
{
    const int p = LoadDemo();
    int v = -1;
    SetCtrlAttribute(p, DEMOPNL_BUTTON, RT_ATTR_DIMMED, 1);
    GetCtrlAttribute(p, DEMOPNL_BUTTON, RT_ATTR_DIMMED, &v);
    EXPECT_EQ(v, 1);
    rt::test::PressButton(p, DEMOPNL_BUTTON);  // a dimmed button takes no click
    EXPECT_EQ(gCommits, 0);
    SetCtrlAttribute(p, DEMOPNL_GRAPH, RT_ATTR_VISIBLE, 0);
    GetCtrlAttribute(p, DEMOPNL_GRAPH, RT_ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 0);
}

TEST(Panels, ValuesOfEveryKindRoundTrip)
{
    const int p = LoadDemo();
    int i = 0;
    double d = 0;
    SetCtrlVal(p, DEMOPNL_NUMBER, 42);
    GetCtrlVal(p, DEMOPNL_NUMBER, &i);
    EXPECT_EQ(i, 42);
    // A display with one decimal still gives back the full value it was set to.
    SetCtrlVal(p, DEMOPNL_LEVEL, -5.05);
    GetCtrlVal(p, DEMOPNL_LEVEL, &d);
    EXPECT_DOUBLE_EQ(d, -5.05);
    unsigned short us = 0;
    SetCtrlVal(p, DEMOPNL_NUMBER, 7);
    GetCtrlVal(p, DEMOPNL_NUMBER, &us);
    EXPECT_EQ(us, 7);
    SetCtrlVal(p, DEMOPNL_NAME, "Kim");
    char small[3];
    GetCtrlVal(p, DEMOPNL_NAME, small);  // cut to the buffer, never past it
    EXPECT_STREQ(small, "Ki");
    SetCtrlAttribute(p, DEMOPNL_RING, RT_ATTR_CTRL_INDEX, 2);
    GetCtrlAttribute(p, DEMOPNL_RING, RT_ATTR_CTRL_INDEX, &i);
    EXPECT_EQ(i, 2);
    SetCtrlVal(p, DEMOPNL_TOGGLE, 1);
    GetCtrlVal(p, DEMOPNL_TOGGLE, &i);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(gCommits, 0) << "setting values from the program commits nothing";
}

// The attributes that only some kinds of control have reach the widget of
// each kind that has them, and read back.
TEST(Panels, KindAttributesReachTheirWidgets)
{
    const int p = LoadDemo();
    for (int ctrl : {DEMOPNL_NAME, DEMOPNL_TEXT, DEMOPNL_NUMBER, DEMOPNL_LEVEL}) {
        SCOPED_TRACE(ctrl);
        const QVariant before = rt::test::CtrlWidget(p, ctrl)->property("readOnly");
        ASSERT_TRUE(before.isValid());
        EXPECT_FALSE(before.toBool());
        EXPECT_EQ(SetCtrlAttribute(p, ctrl, RT_ATTR_NO_EDIT_TEXT, 1), 0);
        EXPECT_TRUE(rt::test::CtrlWidget(p, ctrl)->property("readOnly").toBool());
        int v = 0;
        EXPECT_EQ(GetCtrlAttribute(p, ctrl, RT_ATTR_NO_EDIT_TEXT, &v), 0);
        EXPECT_EQ(v, 1);
    }
    EXPECT_EQ(SetCtrlAttribute(p, DEMOPNL_NAME, RT_ATTR_MAX_ENTRY_LENGTH, 4), 0);
    EXPECT_EQ(qobject_cast<QLineEdit *>(rt::test::CtrlWidget(p, DEMOPNL_NAME))->maxLength(), 4);
    EXPECT_EQ(SetCtrlAttribute(p, DEMOPNL_TIMER, RT_ATTR_INTERVAL, 0.25), 0);
    double interval = 0;
    EXPECT_EQ(GetCtrlAttribute(p, DEMOPNL_TIMER, RT_ATTR_INTERVAL, &interval), 0);
    EXPECT_DOUBLE_EQ(interval, 0.25);
    EXPECT_EQ(SetCtrlAttribute(p, DEMOPNL_BUTTON, RT_ATTR_LABEL_TEXT, "Go on"), 0);
    char text[16];
    EXPECT_EQ(GetCtrlVal(p, DEMOPNL_BUTTON, text), 0);
    EXPECT_STREQ(text, "Go on");
    EXPECT_EQ(rt::test::CtrlWidget(p, DEMOPNL_BUTTON)->accessibleName(), QString("Go on"));
    // Kept for the 3D canvas, with no effect of its own.
    EXPECT_EQ(SetCtrlAttribute(p, DEMOPNL_GRAPH, RT_ATTR_CANVAS_OGL_FLAGS, 3), 0);
    int flags = 0;
    EXPECT_EQ(GetCtrlAttribute(p, DEMOPNL_GRAPH, RT_ATTR_CANVAS_OGL_FLAGS, &flags), 0);
    EXPECT_EQ(flags, 3);
}

TEST(Panels, NumericControlsShowAndTakeAPointWhateverTheLocale)
{
    // A user whose locale writes decimal commas sees and types the same
    // numbers as the program's files and messages.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const int p = LoadDemo();
    QLocale::setDefault(QLocale::c());
    auto *level = qobject_cast<QDoubleSpinBox *>(rt::test::CtrlWidget(p, DEMOPNL_LEVEL));
    ASSERT_TRUE(level);
    SetCtrlVal(p, DEMOPNL_LEVEL, -5.5);
    EXPECT_EQ(level->text().toStdString(), "-5.5");
    // Typed with a point and committed with Enter.
    auto *edit = level->findChild<QLineEdit *>();
    ASSERT_TRUE(edit);
    edit->setText(QStringLiteral("12.5"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(level, &enter);
    double d = 0;
    GetCtrlVal(p, DEMOPNL_LEVEL, &d);
    EXPECT_DOUBLE_EQ(d, 12.5);
}

TEST(Panels, UserCommitsOnValueControlsReachTheCallback)
{
    const int p = LoadDemo();
    rt::test::CommitValue(p, DEMOPNL_NUMBER, 12);
    rt::test::CommitValue(p, DEMOPNL_RING, 1);
    rt::test::CommitValue(p, DEMOPNL_TOGGLE, 1);
    EXPECT_EQ(gCommits, 3);
    int i = 0;
    GetCtrlAttribute(p, DEMOPNL_RING, RT_ATTR_CTRL_INDEX, &i);
    EXPECT_EQ(i, 1);
}

TEST(Panels, TextBoxKeepsAnEmptyLastLineAndItsLimit)
{
    const int p = LoadDemo();
    InsertTextBoxLine(p, DEMOPNL_TEXT, 0, "first");
    int n = 0;
    GetNumTextBoxLines(p, DEMOPNL_TEXT, &n);
    EXPECT_EQ(n, 2);
    char buf[64];
    GetCtrlVal(p, DEMOPNL_TEXT, buf);
    EXPECT_STREQ(buf, "first\n");
    // Typing past the limit of 20 characters is refused.
    auto *edit = qobject_cast<QPlainTextEdit *>(rt::test::CtrlWidget(p, DEMOPNL_TEXT));
    edit->moveCursor(QTextCursor::End);
    edit->insertPlainText("0123456789abcdefghijKLMN");
    GetCtrlVal(p, DEMOPNL_TEXT, buf);
    EXPECT_EQ(std::string(buf).size(), 20u);
    EXPECT_EQ(std::string(buf).substr(0, 6), "first\n");
}

TEST(Panels, MenuItemRunsItsCallbackAndAScriptedPopupAnswers)
{
    const int p = LoadDemo();
    const int mb = GetPanelMenuBar(p);
    ASSERT_GT(mb, 0);
    rt::test::AnswerConfirm(1);
    rt::test::ChooseMenuItem(mb, DEMOMENU_ASK);
    EXPECT_EQ(gMenuCalls, 1);
    EXPECT_EQ(gMenuPanel, p);
    EXPECT_EQ(gAnswer, 1);
    EXPECT_EQ(rt::test::PopupLog(), "confirm:Confrim|Are you want to quit?\n");
    // Dimmed, the item cannot be chosen.
    SetMenuBarAttribute(mb, DEMOMENU_ASK, RT_ATTR_DIMMED, 1);
    rt::test::ChooseMenuItem(mb, DEMOMENU_ASK);
    EXPECT_EQ(gMenuCalls, 1);
}

TEST(Panels, MenuCheckMarkAndItemName)
{
    const int p = LoadDemo();
    const int mb = GetPanelMenuBar(p);
    int v = -1;
    SetMenuBarAttribute(mb, DEMOMENU_CHECK, RT_ATTR_CHECKED, 1);
    GetMenuBarAttribute(mb, DEMOMENU_CHECK, RT_ATTR_CHECKED, &v);
    EXPECT_EQ(v, 1);
    SetMenuBarAttribute(mb, DEMOMENU_CHECK, RT_ATTR_ITEM_NAME, " H data view");
    EXPECT_EQ(rt::test::MenuItemText(mb, DEMOMENU_CHECK), " H data view");
    // Read back into a short buffer: cut before a whole character, never inside one.
    SetMenuBarAttribute(mb, DEMOMENU_CHECK, RT_ATTR_ITEM_NAME,
                        "Gr\xC3\xB6\xC3\x9F"
                        "e");
    char small[4] = "xxx";
    EXPECT_EQ(GetMenuBarAttributeText(mb, DEMOMENU_CHECK, RT_ATTR_ITEM_NAME, small, sizeof small),
              0);
    EXPECT_STREQ(small, "Gr");
    // Every menu item carries an accessible name.
    EXPECT_FALSE(rt::test::MenuItemText(mb, DEMOMENU_ASK).empty());
}

TEST(Panels, TimerTicksOnlyWhileEnabled)
{
    const int p = LoadDemo();
    EXPECT_TRUE(rt::test::TickTimer(p, DEMOPNL_TIMER));
    SetCtrlAttribute(p, DEMOPNL_TIMER, RT_ATTR_ENABLED, 0);
    EXPECT_FALSE(rt::test::TickTimer(p, DEMOPNL_TIMER));
    int on = -1;
    GetCtrlAttribute(p, DEMOPNL_TIMER, RT_ATTR_ENABLED, &on);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(gTicks, 1);
}

TEST(Panels, FocusAndPanelEventsReachTheirCallbacks)
{
    const int p = LoadDemo();
    rt::test::FocusCtrl(p, DEMOPNL_TEXT);
    EXPECT_EQ(gFocus, 1);
    rt::test::ActivatePanel(p);
    EXPECT_EQ(gPanelEvents[RT_EVENT_GOT_FOCUS], 1);
    DisplayPanel(p);
    rt::test::ResizePanel(p, 600, 500);
    EXPECT_GE(gPanelEvents[RT_EVENT_PANEL_SIZE], 1);
}

TEST(Panels, ChildPanelClosedByItsWindowButtonPressesItsCloseControl)
{
    const int p = LoadDemo();
    const int d = LoadPanel(p, "rtdemo.uir", DLGPNL);
    ASSERT_GT(d, 0);
    DisplayPanel(d);
    EXPECT_TRUE(rt::test::IsDisplayed(d));
    rt::test::ClosePanelWindow(d);
    EXPECT_EQ(gDialogClosed, 1);
    EXPECT_EQ(rt::test::PanelWidget(d), nullptr);
    // Discarding the parent takes a child with it.
    const int d2 = LoadPanel(p, "rtdemo.uir", DLGPNL);
    DiscardPanel(p);
    EXPECT_EQ(rt::test::PanelWidget(d2), nullptr);
    EXPECT_EQ(SetCtrlVal(p, DEMOPNL_NUMBER, 1), -1);
}

TEST(Panels, GetUserEventReturnsTheCommittedControl)
{
    const int p = LoadDemo();
    const int d = LoadPanel(0, "rtdemo.uir", DLGPNL);
    rt::test::OnUserEventWait([d] { rt::test::PressButton(d, DLGPNL_CLOSE); });
    int panel = 0, control = 0;
    EXPECT_EQ(GetUserEvent(1, &panel, &control), DLGPNL_CLOSE);
    EXPECT_EQ(panel, d);
    EXPECT_EQ(control, DLGPNL_CLOSE);
    (void)p;
}

// The real event loop, as a program runs it outside the tests.
struct RealLoop {
    RealLoop() { rt::test::Disable(); }
    ~RealLoop() { rt::test::Enable(); }
};

TEST(Panels, QuitAskedBeforeTheLoopStartsEndsItAtOnce)
{
    // A start-up question answered "quit" comes before the loop: the loop
    // must then end at once instead of running on with nothing to stop it.
    RealLoop real;
    QTimer::singleShot(3000, [] { QuitUserInterface(7); });  // a hung loop fails, not hangs
    QuitUserInterface(0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(RunUserInterface(), 0);
    EXPECT_LT(clock.elapsed(), 1000);
    // That quit is used up: the next loop runs until it is told to end.
    QTimer::singleShot(50, [] { QuitUserInterface(3); });
    clock.restart();
    EXPECT_EQ(RunUserInterface(), 3);
    EXPECT_GE(clock.elapsed(), 40);
    QCoreApplication::processEvents();  // the safety timer may still be pending
}

TEST(Panels, UnexpectedPopupIsReportedNotBlocking)
{
    std::vector<std::string> seen;
    rt::test::SetFailureHook([&](const std::string &w) { seen.push_back(w); });
    EXPECT_EQ(ConfirmPopup("Save", "Save the data to the file?"), 0);
    rt::test::SetFailureHook([](const std::string &w) { ADD_FAILURE() << w; });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].find("Save the data to the file?"), std::string::npos);
}

TEST(Panels, FileSelectScriptedAndCancelled)
{
    char path[16];
    rt::test::ChooseFile("/tmp/x.atn");
    EXPECT_EQ(FileSelectPopup("", "*.atn", "*.atn", "Save", RT_SAVE_BUTTON, 0, 1, 1, 1, path,
                              sizeof path),
              RT_NEW_FILE_SELECTED);
    EXPECT_STREQ(path, "/tmp/x.atn");
    rt::test::ChooseFile("/tmp/noext");
    FileSelectPopup("", "*.atn", "", "Save", RT_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path);
    EXPECT_STREQ(path, "/tmp/noext.atn");
    // A path longer than the buffer is refused, not cut, and the user is told.
    rt::test::ChooseFile("/tmp/a-rather-long-name.atn");
    rt::test::AcknowledgeMessage();
    EXPECT_EQ(
        FileSelectPopup("", "*.atn", "", "Save", RT_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path),
        RT_NO_FILE_SELECTED);
    ASSERT_FALSE(rt::test::Popups().empty());
    EXPECT_EQ(rt::test::Popups().back().title, "Save");
    EXPECT_EQ(rt::test::Popups().back().text,
              "The chosen path is 27 bytes long; at most 15 bytes can be used here. "
              "Choose a shorter path.");
    rt::test::CancelFile();
    EXPECT_EQ(
        FileSelectPopup("", "*.atn", "", "File Open", RT_OK_BUTTON, 0, 0, 1, 1, path, sizeof path),
        RT_NO_FILE_SELECTED);
    EXPECT_STREQ(path, "");
}

TEST(Panels, FileSelectResultIsForThePathReturned)
{
    // The default extension is added before deciding between an existing and
    // a new file: a name typed without it can be an existing file.
    const std::string base = (rt::test::ScratchDir() / "rt-fsel").string();
    std::FILE *f = std::fopen((base + ".atn").c_str(), "w");
    ASSERT_TRUE(f);
    std::fclose(f);
    char path[256];
    rt::test::ChooseFile(base);
    EXPECT_EQ(
        FileSelectPopup("", "*.atn", "", "Save", RT_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path),
        RT_EXISTING_FILE_SELECTED);
    EXPECT_EQ(std::string(path), base + ".atn");
    std::remove((base + ".atn").c_str());
    rt::test::ChooseFile(base);
    EXPECT_EQ(
        FileSelectPopup("", "*.atn", "", "Save", RT_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path),
        RT_NEW_FILE_SELECTED);
}

TEST(Panels, DelayIsRecordedNotSlept)
{
    Delay(2.0);
    Delay(1.0);
    ASSERT_EQ(rt::test::Delays().size(), 2u);
    EXPECT_DOUBLE_EQ(rt::test::Delays()[0], 2.0);
}

TEST(Panels, APanelShownBeforeAPauseIsOnTheScreenDuringIt)
{
    // A splash shown and then held by a pause must not stay a blank window:
    // the pause lets the window system put it up and paints it, while no
    // timer tick reaches its callback.
    const int p = LoadDemo();
    rt::test::SetDelayScale(0.01);
    DisplayPanel(p);
    Delay(1.0);
    QWidget *w = rt::test::PanelWidget(p);
    ASSERT_TRUE(w->windowHandle());
    EXPECT_TRUE(w->windowHandle()->isExposed());
    EXPECT_EQ(gTicks, 0);
}

}  // namespace
