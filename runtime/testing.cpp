// Test-mode state and the seams of testing.h.
#include "testing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>

#include <deque>

#include "graph.h"
#include "internal.h"
#include "test_state.h"

namespace rt {
namespace detail {

TestState &TS()
{
    static TestState s;
    return s;
}

bool TestMode() { return TS().enabled; }

void RecordTestFailure(const std::string &what)
{
    if (TS().failureHook)
        TS().failureHook(what);
    else
        TS().failures.push_back(what);
}

} // namespace detail

using detail::TS;

namespace test {

void Enable() { TS().enabled = true; }
void SetProgramDir(const std::string &dir) { TS().programDir = dir; }

void AnswerConfirm(int answer) { TS().answers.push_back({"confirm", answer, {}, nullptr}); }
void AcknowledgeMessage() { TS().answers.push_back({"message", 1, {}, nullptr}); }
void ChooseFile(const std::string &path, int result) { TS().answers.push_back({"file", result, path, nullptr}); }
void CancelFile() { TS().answers.push_back({"file", 0, {}, nullptr}); }
void OnNextPopup(std::function<void()> action) { TS().popupActions.push_back(std::move(action)); }
const std::vector<Popup> &Popups() { return TS().popups; }
void ClearPopups() { TS().popups.clear(); }

std::vector<std::string> TakeFailures()
{
    auto f = std::move(TS().failures);
    TS().failures.clear();
    return f;
}

void SetFailureHook(std::function<void(const std::string &)> hook) { TS().failureHook = std::move(hook); }

int PendingAnswers() { return int(TS().answers.size()); }

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

void OnUserEventWait(std::function<void()> action) { TS().userEventActions.push_back(std::move(action)); }
void SetRunScript(std::function<void()> script) { TS().runScript = std::move(script); }
bool QuitRequested() { return TS().quitRequested; }

std::vector<PlotItem> GraphItems(int panel, int control)
{
    auto *c = detail::FindCtrl(panel, control);
    auto g = c ? qobject_cast<Graph *>(c->widget) : nullptr;
    return g ? g->items() : std::vector<PlotItem>{};
}

int PlotCount(int panel, int control) { return int(GraphItems(panel, control).size()); }

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

std::vector<int> LivePanels() { return detail::PanelHandles(); }

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

const std::vector<double> &Delays() { return TS().delays; }
void SetDelayScale(double scale) { TS().delayScale = scale; }

std::string ComWritten(int port) { return port >= 1 && port <= 4 ? TS().comWritten[port] : std::string(); }
std::string ComRead(int port) { return port >= 1 && port <= 4 ? TS().comRead[port] : std::string(); }
void ClearComLog()
{
    for (auto &s : TS().comWritten)
        s.clear();
    for (auto &s : TS().comRead)
        s.clear();
}

const std::vector<std::string> &Launches() { return TS().launches; }
const std::vector<std::string> &HelpCalls() { return TS().helpCalls; }
const std::vector<PrintJob> &PrintJobs() { return TS().printJobs; }
void SetPrinterFile(const std::string &pdfPath) { TS().printerFile = pdfPath; }

} // namespace test
} // namespace rt
