// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer as a desktop program: recent files, the window title, files
// dropped on the window, the export dialogue, dialogues of the main window.
#include <QAccessible>
#include <QApplication>
#include <QColor>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <algorithm>

#include "checks_view.h"
#include "codepage.h"
#include "files_overlay.h"
#include "gain_view.h"
#include "lobes.h"
#include "theory_view.h"
#include "viewer_fixture.h"

using namespace vt;

namespace {

Planes Sample()
{
    return MakePlanes([](int a) { return Lobe(a, 40, -2.0, 0.25); },
                      [](int a) { return Lobe(a, 300, -4.0, 0.5); });
}

std::string Title()
{
    return rt::test::PanelWidget(antennalab)->windowTitle().toStdString();
}

const std::string kBase = "antenna - Veloran pattern viewer";

// The paths behind File > Recent files, in menu order.
std::vector<std::string> RecentMenu()
{
    return RecentFiles();
}

void Drop(const std::string &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QWidget *w = rt::test::PanelWidget(antennalab);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    EXPECT_TRUE(enter.isAccepted()) << "the window takes a file";
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &drop);
}

}  // namespace

TEST(RecentFiles, NewestFirstAtMostEightKeptInSettingsAndGoneOnesDropped)
{
    const std::string ini = (TempDir() / "antenna.ini").string();
    rt::test::UseSettingsFile(ini);
    Start();
    EXPECT_TRUE(ItemDimmed(MENUBAR_RECENT)) << "nothing opened yet";
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i)
        paths.push_back(WriteAtn("p" + std::to_string(i) + ".atn", Sample()));
    for (const auto &p : paths)
        Open(p);
    ASSERT_EQ(RecentMenu().size(), 8u);
    EXPECT_EQ(RecentMenu()[0], paths[9]);
    EXPECT_EQ(RecentMenu()[7], paths[2]);
    EXPECT_FALSE(ItemDimmed(MENUBAR_RECENT));
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_RECENT), "Recent files");
    // Opening one again moves it to the top, once.
    Open(paths[5]);
    EXPECT_EQ(RecentMenu()[0], paths[5]);
    const auto once = RecentMenu();
    EXPECT_EQ(std::count(once.begin(), once.end(), paths[5]), 1);

    // Kept for the next run.
    EXPECT_EQ(GetUserSettingText("antenna", "recent/1", ""), paths[5]);
    EXPECT_EQ(GetUserSettingText("antenna", "recent/8", ""), paths[2]);

    // A file that is gone: a message, and it leaves the list.
    fs::remove(paths[9]);
    const int bar = Bar();
    // The second item of the menu is paths[9]; the items come after the
    // form's own, newest first.
    int item = 0;
    for (int id = MENUBAR_ABOUT + 1; id < MENUBAR_ABOUT + 40; ++id)
        if (rt::test::MenuItemText(bar, id) == "2 p9.atn")
            item = id;
    ASSERT_NE(item, 0);
    rt::test::AcknowledgeMessage();
    rt::test::ChooseMenuItem(bar, item);
    EXPECT_NE(
        rt::test::PopupLog().find("message:Recent files|" + paths[9] + " is no longer there."),
        std::string::npos);
    EXPECT_EQ(RecentMenu().size(), 7u);
    const auto left = RecentMenu();
    EXPECT_EQ(std::count(left.begin(), left.end(), paths[9]), 0);
    EXPECT_EQ(std::string(filepathname), paths[5]) << "the open pattern stays";

    // A recent file that is there opens as File > Open does; the list has
    // closed up behind the one that went.
    item = 0;
    for (int id = MENUBAR_ABOUT + 1; id < MENUBAR_ABOUT + 40; ++id)
        if (rt::test::MenuItemText(bar, id) == "3 p7.atn")
            item = id;
    ASSERT_NE(item, 0) << "p7.atn is third in the menu";
    rt::test::ChooseMenuItem(bar, item);
    EXPECT_EQ(std::string(filepathname), paths[7]);
    EXPECT_EQ(RecentMenu()[0], paths[7]);
}

TEST(RecentFiles, ARecentFileAsksAboutUnsavedChangesFirst)
{
    Start();
    const std::string a = WriteAtn("a.atn", Sample());
    const std::string b = WriteAtn("b.atn", Sample());
    Open(a);
    Open(b);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    ASSERT_EQ(Changed, 1);
    rt::test::AnswerConfirm(0);
    int item = 0;
    for (int id = MENUBAR_ABOUT + 1; id < MENUBAR_ABOUT + 40; ++id)
        if (rt::test::MenuItemText(Bar(), id) == "2 a.atn")
            item = id;
    ASSERT_NE(item, 0);
    rt::test::ClearPopups();
    rt::test::ChooseMenuItem(Bar(), item);
    EXPECT_EQ(rt::test::PopupLog(), "confirm:File Save|Save changes to the current file?\n");
    EXPECT_EQ(std::string(filepathname), a);
    EXPECT_EQ(Changed, 0);
}

TEST(WindowTitle, NamesTheFileAndMarksChangesUntilSaved)
{
    Start();
    EXPECT_EQ(Title(), kBase);
    const std::string path = WriteAtn("horn.atn", Sample());
    Open(path);
    EXPECT_EQ(Title(), "horn.atn \u2014 " + kBase);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    EXPECT_EQ(Title(), "horn.atn* \u2014 " + kBase);
    Menu(MENUBAR_SAVE);
    EXPECT_EQ(Title(), "horn.atn \u2014 " + kBase) << "saved: nothing unsaved";
    EXPECT_EQ(Changed, 1) << "the designed flag is left as saving leaves it";
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT);
    EXPECT_EQ(Title(), "horn.atn* \u2014 " + kBase);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT);
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(Title(), "horn.atn* \u2014 " + kBase) << "a hidden plane is saved as zeros";
    rt::test::AnswerConfirm(0);
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(Title(), kBase);
}

TEST(Drop, APatternDroppedOnTheWindowOpensAsFileOpenDoes)
{
    Start();
    const std::string a = WriteAtn("a.atn", Sample());
    const std::string b = WriteAtn("b.atn", Sample());
    Drop(a);
    EXPECT_EQ(std::string(filepathname), a);
    EXPECT_EQ(Title(), "a.atn \u2014 " + kBase);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    // The unsaved-changes question first; Yes saves, then b opens.
    rt::test::AnswerConfirm(1);
    rt::test::ClearPopups();
    Drop(b);
    EXPECT_EQ(rt::test::PopupLog(), "confirm:File Save|Save changes to the current file?\n");
    EXPECT_EQ(std::string(filepathname), b);
    // What File > Open refuses, a drop refuses the same way.
    const std::string junk = WriteBytes("junk.atn", "not a pattern\n");
    rt::test::AcknowledgeMessage();
    Drop(junk);
    EXPECT_EQ(std::string(filepathname), b);
}

TEST(FileDialogues, EachOpensInTheFolderLastUsedInIt)
{
    Start();
    const fs::path sub = TempDir() / "patterns";
    fs::create_directories(sub);
    char cwd[4096] = "";
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    Open(WriteAtn("a.atn", Sample()));
    EXPECT_EQ(rt::test::FileDialogFolder(), cwd) << "the first time: the current folder";
    const std::string p = (sub / "b.atn").string();
    WriteAtn("patterns/b.atn", Sample());
    Open(p);
    rt::test::CancelFile();
    Menu(MENUBAR_OPEN);
    EXPECT_EQ(rt::test::FileDialogFolder(), sub.string());
    // Save as keeps its own folder.
    rt::test::ChooseFile((TempDir() / "c.atn").string());
    Menu(MENUBAR_SAVEAS);
    rt::test::CancelFile();
    Menu(MENUBAR_SAVEAS);
    EXPECT_EQ(rt::test::FileDialogFolder(), TempDir().string());
    rt::test::CancelFile();
    Menu(MENUBAR_OPEN);
    EXPECT_EQ(rt::test::FileDialogFolder(), sub.string());
}

TEST(Export, SuggestsANameTheTypeGivesTheExtensionAndReplacingAsks)
{
    Start();
    Open(WriteAtn("horn.atn", Sample()));
    // The type chosen decides the extension of a name without one.
    const std::string bare = (TempDir() / "hornexp2").string();
    rt::test::ChooseFile(bare, -1, 1);
    rt::test::ClearPopups();
    Menu(MENUBAR_EXPORT);
    EXPECT_EQ(rt::test::PopupLog(), "file:Export|horn.png\n") << "a name from the open file";
    EXPECT_FALSE(fs::exists(bare));
    const std::string svg = ReadBytes(bare + ".svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos) << "an SVG drawing, not a PNG";
    // The type last chosen is offered again.
    const std::string csv = (TempDir() / "table").string();
    rt::test::ChooseFile(csv, -1, 3);
    rt::test::ClearPopups();
    Menu(MENUBAR_EXPORT);
    EXPECT_EQ(rt::test::PopupLog(), "file:Export|horn.svg\n");
    const std::string first = ReadBytes(csv + ".csv");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.rfind("angle", 0), 0u) << first.substr(0, 40);

    // An existing file: the question; No goes back to the dialogue.
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    rt::test::ChooseFile(csv + ".csv");
    rt::test::AnswerConfirm(0);
    rt::test::CancelFile();
    rt::test::ClearPopups();
    Menu(MENUBAR_EXPORT);
    EXPECT_EQ(rt::test::PopupLog(),
              "file:Export|horn.csv\nconfirm:Export|table.csv already exists. Do you want to "
              "replace it?\nfile:Export|horn.csv\n");
    EXPECT_EQ(ReadBytes(csv + ".csv"), first) << "left alone";
    // Yes replaces it.
    rt::test::ChooseFile(csv + ".csv");
    rt::test::AnswerConfirm(1);
    Menu(MENUBAR_EXPORT);
    EXPECT_NE(ReadBytes(csv + ".csv"), first);
}

TEST(Export, SaveAsStillReplacesWithoutAQuestion)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    const std::string other = WriteAtn("b.atn", Sample());
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    rt::test::ChooseFile(other);
    rt::test::ClearPopups();
    Menu(MENUBAR_SAVEAS);
    EXPECT_EQ(rt::test::PopupLog(), "file:Save as|\n");
}

namespace {

QWidget *Window(int panel)
{
    return rt::test::PanelWidget(panel);
}

void PressEscape(int panel)
{
    QWidget *w = Window(panel);
    QWidget *target = w->focusWidget() ? w->focusWidget() : w;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

bool Live(int panel)
{
    const auto v = rt::test::LivePanels();
    return std::find(v.begin(), v.end(), panel) != v.end();
}

// A sub-window as a desktop user expects a dialogue: above the main window
// and with it, centred on it (or, for a panel read beside the graphs, next
// to them and over none of them), a dialogue to screen readers; Escape
// closes it as its close button does.
void ExpectDialogue(int panel, const char *what, bool beside = false)
{
    SCOPED_TRACE(what);
    ASSERT_GT(panel, 0);
    QWidget *w = Window(panel);
    QWidget *main = Window(antennalab);
    ASSERT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->parentWidget(), main) << "transient for the main window";
    EXPECT_EQ(w->windowType(), Qt::Dialog);
    if (beside) {
        // On this screen only the gain panel, the largest, finds no place
        // clear of the graphs: it covers a corner of them.
        const QWidget *graph = rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR);
        const QRect g(graph->mapToGlobal(QPoint(0, 0)), graph->size());
        const QRect on = w->frameGeometry().intersected(g);
        const int covered = on.isEmpty() ? 0 : on.width() * on.height();
        if (panel == gainpnl)
            EXPECT_LT(covered, g.width() * g.height() / 4) << "more than a corner of the graph";
        else
            EXPECT_EQ(covered, 0) << "over the graph";
        EXPECT_TRUE(w->screen()->availableGeometry().contains(w->frameGeometry()));
    } else {
        const QPoint d = w->frameGeometry().center() - main->frameGeometry().center();
        EXPECT_LE(std::abs(d.x()), 2) << "centred on the main window";
        EXPECT_LE(std::abs(d.y()), 2);
    }
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Dialog);
    EXPECT_FALSE(a->text(QAccessible::Name).isEmpty());
    PressEscape(panel);
    EXPECT_FALSE(Live(panel)) << "Escape closes it";
}

}  // namespace

TEST(Dialogues, EverySubWindowIsADialogueOfTheMainWindow)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    QApplication::processEvents();
    Menu(MENUBAR_INFO);
    const int info = infopnl;
    rt::test::PressButton(info, INFOPNL_PICTURE);
    ExpectDialogue(pichandle, "picture");
    int dimmed = 1;
    GetCtrlAttribute(info, INFOPNL_PICTURE, RT_ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0) << "closed as its close button closes it";
    ExpectDialogue(info, "information");
    Menu(MENUBAR_LOBES);
    ExpectDialogue(lobepnl, "lobe metrics");
    Menu(MENUBAR_CHECKS);
    ExpectDialogue(checkpnl, "checks", true);
    Menu(MENUBAR_THEORY);
    ExpectDialogue(theorypnl, "textbook pattern", true);
    Menu(MENUBAR_GAIN);
    ExpectDialogue(gainpnl, "gain by comparison", true);
    Menu(MENUBAR_OVERLAY);
    ExpectDialogue(overlaypnl, "overlay", true);
    Menu(MENUBAR_CODEPAGE);
    ExpectDialogue(codepnl, "text of older files");
    Menu(MENUBAR_ABOUT);
    const int about = logo;
    ExpectDialogue(about, "About");
    EXPECT_EQ(LOGOflag, 0);
}

TEST(Dialogues, AboutShowsTheVersionAndTheLicence)
{
    Start();
    Menu(MENUBAR_ABOUT);
    char text[200] = "";
    GetCtrlVal(logo, LOGO_VERSION, text);
    EXPECT_EQ(std::string(text), std::string("Version ") + ProgramVersion());
    EXPECT_STRNE(ProgramVersion(), "0");
    const QString licence = Window(logo)->findChild<QLabel *>("LOGO_LICENCE")->text();
    EXPECT_TRUE(licence.contains("GPL-3.0-or-later")) << licence.toStdString();
}

TEST(MainWindow, KeepsItsSizeAndPlaceForTheNextRun)
{
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    Start();
    QWidget *w = Window(antennalab);
    QApplication::processEvents();
    // The test screen may be narrower than the window: only the height and
    // the place below the top change.
    const QSize size(w->width(), std::min(avail.height() - 60, w->height() + 20));
    const QPoint at(w->x(), avail.top() + 30);
    w->resize(size);
    w->move(at);
    QApplication::processEvents();
    // Kept under the program's own name (the test program's here).
    const std::string program = QCoreApplication::applicationName().toStdString();
    const std::string kept = GetUserSettingText(program.c_str(), "window/ANTENNALAB", "");
    EXPECT_EQ(kept, std::to_string(at.x()) + "," + std::to_string(at.y()) + ","
                        + std::to_string(size.width()) + "," + std::to_string(size.height()));
    // The next run opens so.
    DiscardPanel(antennalab);
    antennalab = 0;
    ASSERT_EQ(AntennaStartup(0, nullptr), 0);
    QApplication::processEvents();
    EXPECT_EQ(Window(antennalab)->size(), size);
    EXPECT_EQ(Window(antennalab)->pos(), at);
    // A place that no screen shows any more is not used.
    SetUserSettingText(program.c_str(), "window/ANTENNALAB", "90000,90000,900,600");
    DiscardPanel(antennalab);
    antennalab = 0;
    ASSERT_EQ(AntennaStartup(0, nullptr), 0);
    QApplication::processEvents();
    EXPECT_TRUE(avail.intersects(Window(antennalab)->frameGeometry()));
}

TEST(Keyboard, ThePlaneToTurnIsChosenByKeyAndSaidInWords)
{
    Start();
    EXPECT_EQ(rt::test::MenuItemShortcut(Bar(), MENUBAR_SELECTE), "E");
    EXPECT_EQ(rt::test::MenuItemShortcut(Bar(), MENUBAR_SELECTH), "H");
    // The display's words up to the hint that follows them.
    auto words = [] {
        char b[200] = "";
        GetCtrlVal(antennalab, ANTENNALAB_ROTPLANE, b);
        const std::string s = b;
        return s.substr(0, s.find(" ("));
    };
    Menu(MENUBAR_SELECTH);
    EXPECT_NE(RotationColor(), RT_BLUE) << "no pattern, no plane";
    EXPECT_EQ(words(), "No plane selected");
    Open(WriteAtn("a.atn", Sample()));
    EXPECT_EQ(words(), "E plane selected");
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    Menu(MENUBAR_SELECTH);
    EXPECT_EQ(RotationColor(), RT_BLUE);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 0) << "H's own count";
    EXPECT_EQ(words(), "H plane selected");
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT);
    EXPECT_EQ(BLUEvalue, -1);
    Menu(MENUBAR_SELECTE);
    EXPECT_EQ(RotationColor(), RT_RED);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 10);
    EXPECT_EQ(words(), "E plane selected");
    EXPECT_EQ(rt::test::AccessibleName(antennalab, ANTENNALAB_ROTPLANE), "Selected plane");
    EXPECT_EQ(
        rt::test::AccessibleValue(antennalab, ANTENNALAB_ROTPLANE).rfind("E plane selected (", 0),
        0u);
    rt::test::AnswerConfirm(0);
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(words(), "No plane selected");
}

TEST(Keyboard, EachViewHasAShortcut)
{
    Start();
    EXPECT_EQ(rt::test::MenuItemShortcut(Bar(), MENUBAR_POLAR), "Ctrl+1");
    EXPECT_EQ(rt::test::MenuItemShortcut(Bar(), MENUBAR_CARTESIAN), "Ctrl+2");
    EXPECT_EQ(rt::test::MenuItemShortcut(Bar(), MENUBAR_3D), "Ctrl+3");
}

TEST(ScreenReaders, AValueDisplayGivesItsShownTextThroughTheTextInterface)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(
        rt::test::CtrlWidget(antennalab, ANTENNALAB_ROTATION));
    ASSERT_NE(a, nullptr);
    QAccessibleTextInterface *t = a->textInterface();
    ASSERT_NE(t, nullptr) << "the bus reads a label's value through its text";
    EXPECT_EQ(t->text(0, t->characterCount()).toStdString(), "10");
    EXPECT_EQ(a->text(QAccessible::Name).toStdString(), "Rotation of the selected plane (deg)");
}

namespace {

// The mean colour of a widget as drawn.
QColor MeanColour(QWidget *w)
{
    const QImage img = w->grab().toImage();
    double r = 0, g = 0, b = 0;
    const int n = img.width() * img.height();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            r += c.redF();
            g += c.greenF();
            b += c.blueF();
        }
    return QColor::fromRgbF(float(r / n), float(g / n), float(b / n));
}

}  // namespace

TEST(DarkPalette, OnAndOffOfTheToggleButtonsCanBeTold)
{
    rt::test::UseDarkPalette(true);
    Start();
    Open(WriteAtn("a.atn", Sample()));
    for (int b : {ANTENNALAB_EHPBBTN, ANTENNALAB_HHPBBTN, ANTENNALAB_EMSLBTN, ANTENNALAB_HMSLBTN}) {
        QWidget *w = rt::test::CtrlWidget(antennalab, b);
        QApplication::processEvents();
        const QColor off = MeanColour(w);
        rt::test::PressButton(antennalab, b);
        QApplication::processEvents();
        const QColor on = MeanColour(w);
        EXPECT_GE(rt::test::Contrast(on, off), 1.5) << w->objectName().toStdString();
    }
}

namespace {

constexpr int kBlack = 0x000000;

QColor Rgb(int c)
{
    return QColor::fromRgb(QRgb(c & 0xFFFFFF));
}

// Every text against its own background (the graph's black where it has
// none) and every curve against the graph's black, below 3:1.
std::vector<std::string> PoorGraphContrast(int control)
{
    std::vector<std::string> faults;
    for (const auto &it : rt::test::GraphItems(antennalab, control)) {
        const bool text = it.kind == rt::PlotKind::Text;
        if (!text && it.kind != rt::PlotKind::XY)
            continue;
        const int back = text && !(it.fillColor & RT_TRANSPARENT) ? it.fillColor : kBlack;
        const double ratio = rt::test::Contrast(Rgb(it.color), Rgb(back));
        if (ratio < 3.0)
            faults.push_back((text ? "text '" + it.text + "'" : std::string("curve")) + " "
                             + std::to_string(ratio));
    }
    return faults;
}

// The colours of the texts and curves plotted on a graph, as pairs.
std::vector<std::pair<int, int>> Colours(int control)
{
    std::vector<std::pair<int, int>> v;
    for (const auto &it : rt::test::GraphItems(antennalab, control))
        v.emplace_back(it.color, it.fillColor);
    return v;
}

}  // namespace

TEST(HighContrast, OffByDefaultOnGivesThreeToOneAndLabelsAboveCurvesKeptInSettings)
{
    const std::string ini = (TempDir() / "antenna.ini").string();
    rt::test::UseSettingsFile(ini);
    Start();
    Open(WriteAtn("a.atn", Sample()));
    EXPECT_FALSE(ItemChecked(MENUBAR_CONTRAST));
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_CONTRAST), "High-contrast graphs");
    // Off: the designed colours, poor as some are.
    const auto designedPolar = Colours(ANTENNALAB_POLAR);
    const auto designedCart = Colours(ANTENNALAB_CARTESIAN);
    const auto polar = rt::test::GraphItems(antennalab, ANTENNALAB_POLAR);
    ASSERT_FALSE(polar.empty());
    for (const auto &it : polar) {
        if (it.kind == rt::PlotKind::Text) {
            EXPECT_EQ(it.color, 0xA0A0A0);
            EXPECT_EQ(it.fillColor, 0x008080);
        }
        if (it.handle == polarPlot2) {
            EXPECT_EQ(it.color, RT_BLUE);
        }
        if (it.handle == polarPlot1) {
            EXPECT_EQ(it.color, RT_RED);
        }
    }
    EXPECT_FALSE(PoorGraphContrast(ANTENNALAB_POLAR).empty()) << "the designed ring labels";

    Menu(MENUBAR_CONTRAST);
    EXPECT_TRUE(ItemChecked(MENUBAR_CONTRAST));
    EXPECT_EQ(GetUserSetting("antenna", "view/highContrast", 0), 1);
    EXPECT_EQ(rt::test::Lines(PoorGraphContrast(ANTENNALAB_POLAR)), "");
    EXPECT_EQ(rt::test::Lines(PoorGraphContrast(ANTENNALAB_CARTESIAN)), "");
    // Curves plotted while it is on (a rotation redraws them) follow it too.
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    Menu(MENUBAR_SELECTH);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    EXPECT_EQ(rt::test::Lines(PoorGraphContrast(ANTENNALAB_POLAR)), "");
    EXPECT_EQ(rt::test::Lines(PoorGraphContrast(ANTENNALAB_CARTESIAN)), "");

    // A level label is drawn over the curves: a thick curve laid across the
    // "-25" label leaves the label's own background at its middle.
    QWidget *g = rt::test::CtrlWidget(antennalab, ANTENNALAB_POLAR);
    g->show();
    const int across = PlotLine(antennalab, ANTENNALAB_POLAR, -10, 4.2, 10, 4.2, RT_BLUE);
    SetPlotAttribute(antennalab, ANTENNALAB_POLAR, across, RT_ATTR_PLOT_THICKNESS, 12);
    // Graph units -40..40 over the square graph: the label's middle.
    const QImage picture = g->grab().toImage();
    const double s = std::min(g->width(), g->height()) / 80.0;
    const QPoint mid(int(g->width() / 2.0 + (-2.4 + 1.6) * s), int(g->height() / 2.0 - 4.2 * s));
    int curve = 0, label = 0;
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const unsigned c = picture.pixelColor(mid + QPoint(dx, dy)).rgb() & 0xFFFFFF;
            curve += c == 0x5090FFu;
            label += c == 0x004040u;
        }
    EXPECT_EQ(curve, 0) << "the curve shows through the label";
    EXPECT_GT(label, 0) << "the label's background is there";
    DeleteGraphPlot(antennalab, ANTENNALAB_POLAR, across, RT_IMMEDIATE_DRAW);

    // Off again: the designed colours come back.
    Menu(MENUBAR_SELECTE);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT10);
    Menu(MENUBAR_SELECTH);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT10);
    Menu(MENUBAR_CONTRAST);
    EXPECT_FALSE(ItemChecked(MENUBAR_CONTRAST));
    EXPECT_EQ(Colours(ANTENNALAB_POLAR).size(), designedPolar.size());
    EXPECT_EQ(Colours(ANTENNALAB_CARTESIAN), designedCart);
    auto sorted = [](std::vector<std::pair<int, int>> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(Colours(ANTENNALAB_POLAR)), sorted(designedPolar));
    EXPECT_EQ(GetUserSetting("antenna", "view/highContrast", 1), 0);

    // Kept for the next start.
    Menu(MENUBAR_CONTRAST);
    rt::test::AnswerConfirm(0);
    Menu(MENUBAR_CLOSE);
    DiscardPanel(antennalab);
    Start();
    EXPECT_TRUE(ItemChecked(MENUBAR_CONTRAST));
    EXPECT_EQ(rt::test::Lines(PoorGraphContrast(ANTENNALAB_POLAR)), "");
}

TEST(Keyboard, LeftAndRightMoveTheCartesianCursorAsAClickOnTheNextPointWould)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    Menu(MENUBAR_CARTESIAN);
    QWidget *g = rt::test::CtrlWidget(antennalab, ANTENNALAB_CARTESIAN);
    auto press = [g](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(g, &down);
    };
    auto cursorX = [] {
        double x = 0, y = 0;
        GetGraphCursor(antennalab, ANTENNALAB_CARTESIAN, 1, &x, &y);
        return x;
    };
    // A click puts the cursor on the E curve at 0 degrees.
    rt::test::ClickGraph(antennalab, ANTENNALAB_CARTESIAN, arrayX[180], carPtr[180]);
    int plot = 0, index = 0;
    GetGraphCursorIndex(antennalab, ANTENNALAB_CARTESIAN, 1, &plot, &index);
    ASSERT_EQ(plot, carPlot1);
    const int start = Int(ANTENNALAB_CURSORINDEX);
    EXPECT_EQ(start, index);
    SetCtrlVal(antennalab, ANTENNALAB_CURSORBASE, 7);
    EXPECT_EQ(g->focusPolicy(), Qt::StrongFocus) << "Tab reaches it";
    rt::test::FocusCtrl(antennalab, ANTENNALAB_CARTESIAN);
    press(Qt::Key_Right);
    EXPECT_EQ(Int(ANTENNALAB_CURSORINDEX), start + 1);
    EXPECT_EQ(Int(ANTENNALAB_CURSORBASE), 0) << "as a click sets it";
    EXPECT_DOUBLE_EQ(cursorX(), arrayX[start + 1]);
    press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Int(ANTENNALAB_CURSORINDEX), start + 11);
    press(Qt::Key_Left);
    EXPECT_EQ(Int(ANTENNALAB_CURSORINDEX), start + 10);
    GetGraphCursorIndex(antennalab, ANTENNALAB_CARTESIAN, 1, &plot, &index);
    EXPECT_EQ(plot, carPlot1) << "it stays on its curve";
    // At the end of the curve it stops.
    for (int i = 0; i < 40; ++i)
        press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Int(ANTENNALAB_CURSORINDEX), 0);
    EXPECT_DOUBLE_EQ(cursorX(), arrayX[0]);
    EXPECT_TRUE(rt::test::PrintJobs().empty()) << "no commit: a key prints nothing";
}

TEST(FontSize, TheLobePanelsFieldsShowTheirWholeTextAt14And16Points)
{
    for (int pt : {14, 16}) {
        rt::test::UseFontSize(pt);
        Start();
        Open(WriteAtn("a.atn", Sample()));
        Menu(MENUBAR_LOBES);
        QWidget *panel = rt::test::PanelWidget(lobepnl);
        ASSERT_NE(panel, nullptr);
        panel->show();
        QApplication::processEvents();
        for (QLineEdit *le : panel->findChildren<QLineEdit *>()) {
            const int need = le->fontMetrics().horizontalAdvance(le->text());
            EXPECT_GE(le->contentsRect().width() - le->textMargins().left()
                          - le->textMargins().right(),
                      need)
                << pt << " pt: " << le->objectName().toStdString() << " '"
                << le->text().toStdString() << "'";
        }
        DiscardPanel(lobepnl);
        lobepnl = 0;
        DiscardPanel(antennalab);
    }
}
