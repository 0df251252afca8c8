// SPDX-License-Identifier: GPL-3.0-or-later
// File commands: open in either view, cancel, close, save and save as, the
// unsaved-changes question, and files that are no pattern at all.
#include "viewer_fixture.h"

#include <chrono>

using namespace vt;

namespace {

Planes Sample()
{
    return MakePlanes([](int a) { return Lobe(a, 40, -2.0, 0.25); },
                      [](int a) { return Lobe(a, 300, -4.0, 0.5); });
}

}  // namespace

TEST(Open, InPolarViewEverythingBecomesUsable)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    EXPECT_TRUE(PatternOpen());
    EXPECT_EQ(CountDimmed(kAnalysis), 0);
    EXPECT_EQ(CountItemsDimmed(kPlotItems), 0);
    EXPECT_EQ(CountItemsDimmed(kFileItems), 0);
    EXPECT_EQ(CountDimmed(kCursor), int(kCursor.size())) << "cursors wait for cursor mode";
    EXPECT_EQ(RotationColor(), RT_RED);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 0);
    for (int c : {ANTENNALAB_CURSOR1_ANGLE, ANTENNALAB_CURSOR2_ANGLE, ANTENNALAB_CURSOR3_ANGLE,
                  ANTENNALAB_CURSOR4_ANGLE})
        EXPECT_EQ(Int(c), 0);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR1_LEVEL), Lobe(0, 40, -2.0, 0.25));
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_CURSOR4_LEVEL), Lobe(0, 300, -4.0, 0.5));
    EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 40);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_EPEAKLEVEL), -2.0);
    EXPECT_EQ(Int(ANTENNALAB_HPEAKANGLE), 300);
    EXPECT_DOUBLE_EQ(Dbl(ANTENNALAB_HPEAKLEVEL), -4.0);
    EXPECT_EQ(Changed, 0);
    EXPECT_EQ(rt::test::PopupLog(), "file:File Open|\n");
}

TEST(Open, InCartesianViewOnlyTheFileCommandsUntilThePolarView)
{
    Start();
    Menu(MENUBAR_CARTESIAN);
    Open(WriteAtn("a.atn", Sample()));
    EXPECT_EQ(CountItemsDimmed(kFileItems), 0);
    EXPECT_EQ(CountItemsDimmed(kPlotItems), 3);
    // Only the half-power readouts, undimmed by the search that found both
    // edges of each plane, are usable.
    EXPECT_EQ(CountDimmed(kAnalysis), int(kAnalysis.size()) - 4);
    EXPECT_TRUE(CtrlDimmed(ANTENNALAB_EPEAKANGLE));
    EXPECT_TRUE(CtrlDimmed(ANTENNALAB_GORIGHT));
    EXPECT_FALSE(CtrlDimmed(ANTENNALAB_EHPB));
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_CARTESIAN), 47 + 2);
    Menu(MENUBAR_POLAR);
    EXPECT_EQ(CountItemsDimmed(kPlotItems), 0);
    EXPECT_EQ(CountDimmed(kAnalysis), 0);
    EXPECT_FALSE(ItemChecked(MENUBAR_CURSOR));
    EXPECT_EQ(CountDimmed(kCursor), int(kCursor.size()));
    // Back to the Cartesian view: everything stays usable but the cursor item.
    Menu(MENUBAR_CARTESIAN);
    EXPECT_EQ(CountItemsDimmed(kFileItems), 0);
    EXPECT_EQ(CountDimmed(kAnalysis), 0);
    EXPECT_FALSE(ItemDimmed(MENUBAR_EDATA));
}

TEST(Open, CartesianViewWithoutPatternDimsWhatever)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    rt::test::ChooseMenuItem(Bar(), MENUBAR_CLOSE);
    Menu(MENUBAR_CARTESIAN);
    EXPECT_EQ(CountItemsDimmed(kFileItems) + CountItemsDimmed(kPlotItems), 8);
    EXPECT_EQ(CountDimmed(kAnalysis), int(kAnalysis.size()));
    EXPECT_TRUE(Visible(ANTENNALAB_CARTESIAN));
    EXPECT_FALSE(Visible(ANTENNALAB_POLAR));
}

TEST(Open, CancelledOpenKeepsThePatternAndClearsChanged)
{
    Start();
    const std::string path = WriteAtn("a.atn", Sample());
    Open(path);
    ptsPtr->e_data[3] = 1.25;  // an edit in memory only
    Changed = 1;
    rt::test::AnswerConfirm(0);
    rt::test::CancelFile();
    Menu(MENUBAR_OPEN);
    EXPECT_STREQ(filepathname, path.c_str());
    ASSERT_NE(ptsPtr, nullptr);
    EXPECT_DOUBLE_EQ(ptsPtr->e_data[3], 1.25);
    EXPECT_EQ(Changed, 0);
    EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, polarPlot1));
    // Nothing is left to ask about.
    rt::test::ClearPopups();
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(rt::test::PopupLog(), "");
    EXPECT_FALSE(PatternOpen());
}

TEST(Open, TheOpenFileChosenAgainIsKept)
{
    Start();
    const std::string path = WriteAtn("a.atn", Sample());
    Open(path);
    ptsPtr->h_data[7] = 2.5;
    rt::test::ChooseFile((TempDir() / "." / "a.atn").string());
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_OPEN);
    EXPECT_EQ(rt::test::Popups().back().title, "Veloran");
    EXPECT_EQ(rt::test::Popups().back().text, "This is the current file.");
    EXPECT_DOUBLE_EQ(ptsPtr->h_data[7], 2.5);
    EXPECT_STREQ(filepathname, path.c_str());
}

TEST(Open, AnotherFileReplacesThePatternAndItsPlots)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    const int before = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    const int oldE = polarPlot1;
    const std::string b = WriteAtn("b.atn", MakePlanes([](int a) { return Lobe(a, 100, 1, 1); },
                                                       [](int a) { return Lobe(a, 10, 0, 1); }));
    Open(b);
    EXPECT_STREQ(filepathname, b.c_str());
    EXPECT_FALSE(OnGraph(ANTENNALAB_POLAR, oldE));
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), before);
    EXPECT_EQ(Int(ANTENNALAB_EPEAKANGLE), 100);
}

TEST(Open, AFileThatIsNotAPatternIsRefusedAndTheLoadedOneStays)
{
    struct Case {
        const char *name;
        std::string bytes;
        const char *line;  // the line the message names
    } cases[] = {
        {"text.atn", "This is a letter.\nNothing here is a number.\n", "line 1 "},
        {"binary.atn", std::string("\x00\xff\x10\x80\n\x01\x02", 7) + std::string(5000, '\xee'),
         "line 1 "},
        {"empty.atn", "", "empty"},
        {"huge-count.atn", "3 0 0 2147483647\nKim\n", "ends after line 2"},
        {"negative-count.atn", "3 0 0 -5\nKim\n", "line 1 "},
        {"one-line.atn", std::string(100000, '7'), "line 1 "},
    };
    // A real file cut in the middle of its E levels.
    const std::string whole = ReadBytes(WriteAtn("whole.atn", Sample()));
    Start();
    const std::string good = WriteAtn("good.atn", Sample());
    for (bool loaded : {false, true}) {
        if (loaded)
            Open(good);
        for (const auto &c : cases) {
            const std::string path = WriteBytes(c.name, c.bytes);
            rt::test::ChooseFile(path);
            rt::test::AcknowledgeMessage();
            Menu(MENUBAR_OPEN);
            const rt::test::Popup shown = rt::test::Popups().back();
            EXPECT_EQ(shown.kind, "message");
            EXPECT_NE(shown.text.find("\"" + path + "\" is not a pattern file"), std::string::npos)
                << shown.text;
            EXPECT_NE(shown.text.find(c.line), std::string::npos) << shown.text;
            EXPECT_EQ(PatternOpen(), loaded) << c.name;
            if (loaded) {
                EXPECT_STREQ(filepathname, good.c_str());
                EXPECT_DOUBLE_EQ(ptsPtr->e_data[40], -2.0);
                EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, polarPlot1)) << c.name;
            }
        }
    }
    rt::test::ChooseFile(WriteBytes("cut.atn", whole.substr(0, whole.size() / 3)));
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_OPEN);
    EXPECT_STREQ(filepathname, good.c_str());
    // One description line more than the header counts: the time line would
    // be read as the first level and every level a degree off.
    std::string extra = whole;
    extra.insert(extra.find('\n', extra.find('\n') + 1) + 1, "one line too many\n");
    rt::test::ChooseFile(WriteBytes("extra.atn", extra));
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_OPEN);
    EXPECT_NE(
        rt::test::Popups().back().text.find("should hold the E-plane level at 0 degrees, but"),
        std::string::npos)
        << rt::test::Popups().back().text;
    EXPECT_STREQ(filepathname, good.c_str());
}

TEST(Open, AHugeFileIsRefusedBeforeItIsRead)
{
    // 2 GiB of nothing, as a sparse file: takes no disk, and the reader
    // would spend seconds on its one endless line.
    Start();
    const std::string good = WriteAtn("good.atn", Sample());
    Open(good);
    const std::string huge = (TempDir() / "huge.atn").string();
    ASSERT_EQ(truncate(WriteBytes("huge.atn", "3 0 0 0\n").c_str(), 2147483648LL), 0);
    rt::test::ChooseFile(huge);
    rt::test::AcknowledgeMessage();
    const auto start = std::chrono::steady_clock::now();
    Menu(MENUBAR_OPEN);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0) << "refused at once, not after reading it";
    const rt::test::Popup shown = rt::test::Popups().back();
    EXPECT_EQ(shown.kind, "message");
    EXPECT_EQ(shown.text, "\"" + huge
                              + "\" is too large for a pattern file (2147483648 bytes); it was "
                                "not opened.");
    EXPECT_STREQ(filepathname, good.c_str());
    // Far above any pattern, yet within the limit: read, and refused for
    // what it holds.
    ASSERT_EQ(truncate(huge.c_str(), 1 << 20), 0);
    rt::test::ChooseFile(huge);
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_OPEN);
    EXPECT_NE(rt::test::Popups().back().text.find("is not a pattern file"), std::string::npos);
}

TEST(Open, AFileThatCannotBeReadLeavesThePatternAsItWas)
{
    Start();
    const std::string path = WriteAtn("a.atn", Sample());
    Open(path);
    fs::create_directories(TempDir() / "folder.atn");
    rt::test::ChooseFile((TempDir() / "folder.atn").string(), RT_EXISTING_FILE_SELECTED);
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_OPEN);
    EXPECT_EQ(rt::test::Popups().back().kind, "message");
    EXPECT_STREQ(filepathname, path.c_str());
    EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, polarPlot2));
}

TEST(Close, RemovesThePatternAndDimsItsCommands)
{
    Start();
    Open(WriteAtn("a.atn", Sample()));
    const int frame = 31;
    Menu(MENUBAR_CLOSE);
    EXPECT_FALSE(PatternOpen());
    EXPECT_EQ(ptsPtr, nullptr);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), frame);
    EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_CARTESIAN), 47);
    EXPECT_EQ(CountDimmed(kAnalysis), int(kAnalysis.size()));
    EXPECT_EQ(CountItemsDimmed(kFileItems) + CountItemsDimmed(kPlotItems), 8);
    EXPECT_EQ(RotationColor(), 0);
    EXPECT_EQ(Int(ANTENNALAB_ROTATION), 0);
    // A click on the empty graph selects nothing.
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, 0, 10);
    EXPECT_EQ(RotationColor(), 0);
}

TEST(Save, WritesToTheOpenFileAndSaveAsLeavesItTheTarget)
{
    Start();
    const std::string a = WriteAtn("a.atn", Sample(), "Lee", "line one\nline two\n");
    const std::string b = (TempDir() / "b.atn").string();
    Open(a);
    EXPECT_EQ(desNO, 2);
    ptsPtr->e_data[10] = 4.5;
    rt::test::ChooseFile(b);
    Menu(MENUBAR_SAVEAS);
    EXPECT_EQ(rt::test::Popups().back().title, "Save as");
    EXPECT_STREQ(filepathname, a.c_str());
    ptsPtr->e_data[10] = 5.5;
    Menu(MENUBAR_SAVE);
    PatternRecord ra{}, rb{};
    int n = 0, em = 0, hm = 0;
    ASSERT_TRUE(ReadPatternFile(a, ra, n, em, hm).ok);
    EXPECT_EQ(n, 2);
    EXPECT_STREQ(ra.descript, "line one\nline two\n");
    EXPECT_STREQ(ra.person, "Lee");
    EXPECT_DOUBLE_EQ(ra.e_data[10], 5.5);
    ASSERT_TRUE(ReadPatternFile(b, rb, n, em, hm).ok);
    EXPECT_DOUBLE_EQ(rb.e_data[10], 4.5);
    EXPECT_DOUBLE_EQ(rb.h_data[300], -4.0);
    EXPECT_EQ(Changed, 0) << "saving changes nothing of the state";
    // Save as cancelled writes nothing.
    rt::test::CancelFile();
    Menu(MENUBAR_SAVEAS);
}

// The viewer shows the first 20 characters of a longer person line, and a
// save writes the whole line back rather than the part shown.
TEST(Save, ALongPersonLineIsShownCutAndSavedWhole)
{
    Start();
    const std::string name = "Dr. Hannele Virtanen-Korhonen, group 4, 2nd try";  // 47
    const std::string a = WriteAtn("long.atn", Sample(), name, "a line\n");
    Open(a);
    EXPECT_EQ(std::string(ptsPtr->person), name.substr(0, 20));
    ptsPtr->e_data[10] = 4.5;
    Menu(MENUBAR_SAVE);
    const std::string saved = ReadBytes(a);
    EXPECT_EQ(saved.substr(0, saved.find("\n03-15-2004")),
              "0 10.000000 0.000000 1\n" + name + "\na line");
}

TEST(Save, AfterSaveAsOpeningAnotherFileLeavesTheOriginalAlone)
{
    // Delete a plane, keep the result under a new name, go on to another
    // file: the changes are on disk, so nothing asks to write them over the
    // measurement that was opened.
    Start();
    const std::string a = WriteAtn("a.atn", Sample());
    const std::string b = (TempDir() / "b.atn").string();
    Open(a);
    Menu(MENUBAR_HDATA);
    ASSERT_EQ(Changed, 1);
    rt::test::ChooseFile(b);
    Menu(MENUBAR_SAVEAS);
    EXPECT_EQ(Changed, 0);
    // An unscripted question would fail the test by itself.
    const size_t asked = rt::test::Popups().size();
    Open(b);
    EXPECT_EQ(rt::test::Popups().size(), asked + 1) << "only the file dialogue";
    PatternRecord ra{}, rb{};
    int n = 0, em = 0, hm = 0;
    ASSERT_TRUE(ReadPatternFile(a, ra, n, em, hm).ok);
    EXPECT_DOUBLE_EQ(ra.h_data[300], -4.0) << "the original keeps its H plane";
    ASSERT_TRUE(ReadPatternFile(b, rb, n, em, hm).ok);
    EXPECT_DOUBLE_EQ(rb.h_data[300], 0.0) << "the copy has it deleted";
}

TEST(Save, AFailedSaveSaysSoAndTheCommandStops)
{
    Start();
    const std::string a = WriteAtn("a.atn", Sample());
    Open(a);
    Changed = 1;
    // The file has become a folder: it cannot be replaced.
    fs::remove(a);
    fs::create_directories(a);
    rt::test::AnswerConfirm(1);
    rt::test::AcknowledgeMessage();
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(rt::test::Popups().back().kind, "message");
    EXPECT_EQ(rt::test::Popups().back().title, "Veloran");
    EXPECT_TRUE(PatternOpen()) << "the unsaved pattern is not dropped";
    EXPECT_EQ(Changed, 1);
    EXPECT_TRUE(rt::test::Delays().size() == 1u) << "no pause after a failed save";
}

// The question before open, close and both exits, with its title and pause.
TEST(Save, UnsavedChangesQuestionOfEachCommand)
{
    struct Case {
        const char *what;
        std::function<void()> command;
        const char *title;
        double pause;
    } cases[] = {
        {"open",
         [] {
             rt::test::CancelFile();
             Menu(MENUBAR_OPEN);
         },
         "File Save", 1.0},
        {"close", [] { Menu(MENUBAR_CLOSE); }, "Save", 2.0},
        {"exit",
         [] {
             rt::test::AnswerConfirm(0);
             Menu(MENUBAR_EXIT);
         },
         "Save", 1.0},
        {"exit button",
         [] {
             rt::test::AnswerConfirm(0);
             rt::test::PressButton(antennalab, ANTENNALAB_EXIT);
         },
         "Save", 1.0},
    };
    Start();
    const std::string a = WriteAtn("a.atn", Sample());
    for (const auto &c : cases) {
        Open(a);
        ptsPtr->h_data[0] = 3.0;
        Changed = 1;
        rt::test::ClearPopups();
        rt::test::AnswerConfirm(1);
        c.command();
        ASSERT_GE(rt::test::Popups().size(), 1u) << c.what;
        EXPECT_EQ(rt::test::Popups()[0].title, c.title) << c.what;
        EXPECT_EQ(rt::test::Popups()[0].text, "Save changes to the current file?") << c.what;
        EXPECT_DOUBLE_EQ(rt::test::Delays().back(), c.pause) << c.what;
        PatternRecord r{};
        int n = 0, em = 0, hm = 0;
        ReadPatternFile(a, r, n, em, hm);
        EXPECT_DOUBLE_EQ(r.h_data[0], 3.0) << c.what;
        WriteAtn("a.atn", Sample());  // back to the original for the next case
        if (PatternOpen())
            Changed = 0, Menu(MENUBAR_CLOSE);
    }
    // Saving leaves Changed as it was: closing asks again.
    Open(a);
    Changed = 1;
    Menu(MENUBAR_SAVE);
    rt::test::ClearPopups();
    rt::test::AnswerConfirm(0);
    Menu(MENUBAR_CLOSE);
    EXPECT_EQ(rt::test::PopupLog(), "confirm:Save|Save changes to the current file?\n");
}

TEST(Panels, ShutDownDiscardsTheSecondaryPanel)
{
    Start();
    const int p = LoadPanel(0, "antenna.uir", LOGO);
    ASSERT_GT(p, 0);
    DisplayPanel(p);
    ShutDownCallback(p, 0, RT_EVENT_LEFT_CLICK, nullptr, 0, 0);
    EXPECT_TRUE(rt::test::IsDisplayed(p)) << "commit only";
    ShutDownCallback(p, 0, RT_EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_FALSE(rt::test::IsDisplayed(p));
    EXPECT_EQ(rt::test::LivePanels(), std::vector<int>{antennalab});
}
