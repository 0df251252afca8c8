// SPDX-License-Identifier: GPL-3.0-or-later
// The test seams of testing.h and the recorder behind them, which the
// run-time reaches through its test hooks while test mode is on.
#include "testing.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPalette>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <map>

#include <algorithm>
#include <array>
#include <deque>
#include <map>

#include "appearance.h"
#include "graph.h"
#include "internal.h"
#include "test_hooks.h"

namespace rt::test {

namespace {

struct Answer {
    std::string kind;
    detail::PopupAnswer answer;
};

// Everything a test scripts and everything the program did that a test reads back.
class Recorder final : public detail::TestHooks {
public:
    std::deque<Answer> answers;
    std::deque<std::function<void()>> popupActions;
    std::vector<Popup> popups;
    std::vector<std::string> failures;
    std::function<void(const std::string &)> failureHook;
    std::deque<std::function<void()>> userEventActions;
    std::function<void()> script;
    bool quit = false;
    std::vector<double> delays;
    double delayScale = 0.0;
    std::array<std::string, 5> comWritten, comRead;
    std::vector<std::string> launches, helpCalls;
    std::vector<PrintJob> printJobs;
    std::string printerFile;
    std::string programFolder;

    bool answerPopup(const std::string &kind, const std::string &title, const std::string &text,
                     detail::PopupAnswer *out) override
    {
        notePopup(kind, title, text);
        if (!popupActions.empty()) {
            auto action = std::move(popupActions.front());
            popupActions.pop_front();
            action();
        }
        if (answers.empty() || answers.front().kind != kind) {
            failure("unexpected " + kind + " pop-up \"" + title + "\": " + text);
            return false;
        }
        *out = answers.front().answer;
        answers.pop_front();
        return true;
    }

    void notePopup(const std::string &kind, const std::string &title,
                   const std::string &text) override
    {
        popups.push_back({kind, title, text});
    }

    void failure(const std::string &what) override
    {
        if (failureHook)
            failureHook(what);
        else
            failures.push_back(what);
    }

    void runScript() override
    {
        if (auto s = std::move(script)) {
            script = nullptr;
            s();
        }
    }

    void quitRequested() override { quit = true; }

    bool nextUserAction() override
    {
        if (userEventActions.empty())
            return false;
        auto action = std::move(userEventActions.front());
        userEventActions.pop_front();
        action();
        return true;
    }

    double delay(double seconds) override
    {
        delays.push_back(seconds);
        return seconds * delayScale;
    }

    void comTraffic(int port, bool written, const char *data, int count) override
    {
        if (port >= 1 && port <= 4)
            (written ? comWritten : comRead)[std::size_t(port)].append(data, std::size_t(count));
    }

    void launched(const std::string &fileName) override { launches.push_back(fileName); }
    std::string programDir() override { return programFolder; }
    void helpCalled(const std::string &call) override { helpCalls.push_back(call); }

    std::string printed(int panel, int control, const std::string &fileName,
                        int interactive) override
    {
        printJobs.push_back({panel, control, fileName, interactive});
        return printerFile;
    }

    std::string iniFile;
    std::map<std::string, std::string> settings;
    std::function<double()> testClock;

    std::string settingsFile() override { return iniFile; }
    void fileDialogFolder(const std::string &folder) override { lastFolder = folder; }
    std::string lastFolder;

    bool readSetting(const std::string &key, std::string *value) override
    {
        const auto it = settings.find(key);
        if (it == settings.end())
            return false;
        *value = it->second;
        return true;
    }

    void writeSetting(const std::string &key, const std::string &value) override
    {
        settings[key] = value;
    }

    bool clock(double *seconds) override
    {
        if (!testClock)
            return false;
        *seconds = testClock();
        return true;
    }
};

Recorder &R()
{
    static Recorder r;
    return r;
}

}  // namespace

void Enable()
{
    detail::InstallTestHooks(&R());
}
void Disable()
{
    detail::InstallTestHooks(nullptr);
}
void SetProgramDir(const std::string &dir)
{
    R().programFolder = dir;
}

void AnswerConfirm(int answer)
{
    R().answers.push_back({"confirm", {answer, {}}});
}
void AcknowledgeMessage()
{
    R().answers.push_back({"message", {1, {}}});
}
void ChooseFile(const std::string &path, int result, int typeIndex)
{
    R().answers.push_back({"file", {result, path, typeIndex}});
}
std::string FileDialogFolder()
{
    return R().lastFolder;
}
void CancelFile()
{
    R().answers.push_back({"file", {0, {}}});
}
void OnNextPopup(std::function<void()> action)
{
    R().popupActions.push_back(std::move(action));
}
const std::vector<Popup> &Popups()
{
    return R().popups;
}
void ClearPopups()
{
    R().popups.clear();
}

std::vector<std::string> TakeFailures()
{
    auto f = std::move(R().failures);
    R().failures.clear();
    return f;
}

void SetFailureHook(std::function<void(const std::string &)> hook)
{
    R().failureHook = std::move(hook);
}

int PendingAnswers()
{
    return int(R().answers.size());
}

int FireCtrlEvent(int panel, int control, int event, int data1, int data2)
{
    return detail::DispatchCtrl(panel, control, event, data1, data2);
}

void PressButton(int panel, int control)
{
    if (auto *c = detail::FindCtrl(panel, control))
        if (auto b = qobject_cast<QAbstractButton *>(c->widget))
            b->click();
}

void CommitValue(int panel, int control, double value)
{
    auto *c = detail::FindCtrl(panel, control);
    if (!c)
        return;
    QWidget *w = c->widget;
    if (auto s = qobject_cast<QSpinBox *>(w)) {
        if (s->value() == int(value))
            detail::DispatchCtrl(panel, control, RT_EVENT_COMMIT);
        else
            s->setValue(int(value));
    } else if (auto d = qobject_cast<QDoubleSpinBox *>(w)) {
        c->hasExact = false;
        if (d->value() == value)
            detail::DispatchCtrl(panel, control, RT_EVENT_COMMIT);
        else
            d->setValue(value);
    } else if (auto cb = qobject_cast<QComboBox *>(w)) {
        cb->setCurrentIndex(int(value));
        emit cb->activated(int(value));
    } else if (auto b = qobject_cast<QAbstractButton *>(w)) {
        if (b->isChecked() != (value != 0))
            b->click();
    }
}

void CommitText(int panel, int control, const std::string &text)
{
    auto *c = detail::FindCtrl(panel, control);
    if (!c)
        return;
    if (auto le = qobject_cast<QLineEdit *>(c->widget)) {
        le->setText(QString::fromStdString(text));
        emit le->returnPressed();
    }
}

void ChooseMenuItem(int menuBar, int item)
{
    if (auto *m = detail::FindMenuItem(menuBar, item))
        if (m->action && m->action->isEnabled())
            m->action->trigger();
}

void FocusCtrl(int panel, int control)
{
    if (auto *c = detail::FindCtrl(panel, control)) {
        QFocusEvent ev(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(c->widget, &ev);
    }
}

void ActivatePanel(int panel)
{
    if (auto *p = detail::FindPanel(panel); p && p->widget) {
        QEvent ev(QEvent::WindowActivate);
        QApplication::sendEvent(p->widget, &ev);
    }
}

void ResizePanel(int panel, int width, int height)
{
    if (auto *p = detail::FindPanel(panel); p && p->widget) {
        p->widget->resize(width, height);
        // A shown window reports its resize itself.
        if (!p->widget->isVisible())
            detail::DispatchPanel(panel, RT_EVENT_PANEL_SIZE);
    }
}

void ClosePanelWindow(int panel)
{
    if (auto *p = detail::FindPanel(panel); p && p->widget) {
        QCloseEvent ev;
        QApplication::sendEvent(p->widget, &ev);
    }
}

bool TickTimer(int panel, int control)
{
    auto *c = detail::FindCtrl(panel, control);
    auto t = c ? qobject_cast<TimerCtrl *>(c->widget) : nullptr;
    if (!t || !t->timerEnabled() || !t->onTick)
        return false;
    t->onTick();
    return true;
}

void ClickGraph(int panel, int control, double x, double y)
{
    auto *c = detail::FindCtrl(panel, control);
    auto g = c ? qobject_cast<Graph *>(c->widget) : nullptr;
    if (!g)
        return;
    const QPointF px = g->toPixel(x, y);
    QMouseEvent press(QEvent::MouseButtonPress, px, g->mapToGlobal(px), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(g, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, px, g->mapToGlobal(px), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(g, &release);
}

void OnUserEventWait(std::function<void()> action)
{
    R().userEventActions.push_back(std::move(action));
}
void SetRunScript(std::function<void()> script)
{
    R().script = std::move(script);
}
bool QuitRequested()
{
    return R().quit;
}

std::vector<PlotItem> GraphItems(int panel, int control)
{
    auto *c = detail::FindCtrl(panel, control);
    auto g = c ? qobject_cast<Graph *>(c->widget) : nullptr;
    return g ? g->items() : std::vector<PlotItem>{};
}

std::vector<ShownText> GraphTexts(int panel, int control)
{
    auto *c = detail::FindCtrl(panel, control);
    auto g = c ? qobject_cast<Graph *>(c->widget) : nullptr;
    std::vector<ShownText> texts;
    if (g)
        for (const auto &[text, box] : g->shownTexts())
            texts.push_back({text, box.left(), box.top(), box.width(), box.height()});
    return texts;
}

int PlotCount(int panel, int control)
{
    return int(GraphItems(panel, control).size());
}

QWidget *PanelWidget(int panel)
{
    auto *p = detail::FindPanel(panel);
    return p ? p->widget.data() : nullptr;
}

QWidget *CtrlWidget(int panel, int control)
{
    auto *c = detail::FindCtrl(panel, control);
    return c ? c->widget.data() : nullptr;
}

std::vector<int> LivePanels()
{
    return detail::PanelHandles();
}

bool IsDisplayed(int panel)
{
    auto *p = detail::FindPanel(panel);
    return p && p->widget && p->widget->isVisible();
}

std::string MenuItemText(int menuBar, int item)
{
    char buf[256];
    if (GetMenuBarAttributeText(menuBar, item, RT_ATTR_ITEM_NAME, buf, sizeof buf) != 0)
        return {};
    return buf;
}

const std::vector<double> &Delays()
{
    return R().delays;
}
void SetDelayScale(double scale)
{
    R().delayScale = scale;
}
void SetClock(std::function<double()> seconds)
{
    R().testClock = std::move(seconds);
}

void UseSettingsFile(const std::string &iniPath)
{
    R().iniFile = iniPath;
    R().settings.clear();
}

std::string ComWritten(int port)
{
    return port >= 1 && port <= 4 ? R().comWritten[std::size_t(port)] : std::string();
}
std::string ComRead(int port)
{
    return port >= 1 && port <= 4 ? R().comRead[std::size_t(port)] : std::string();
}
void ClearComLog()
{
    for (auto &s : R().comWritten)
        s.clear();
    for (auto &s : R().comRead)
        s.clear();
}

const std::vector<std::string> &Launches()
{
    return R().launches;
}
const std::vector<std::string> &HelpCalls()
{
    return R().helpCalls;
}
const std::vector<PrintJob> &PrintJobs()
{
    return R().printJobs;
}
void SetPrinterFile(const std::string &pdfPath)
{
    R().printerFile = pdfPath;
}

}  // namespace rt::test
