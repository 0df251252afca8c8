// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer as users with other desktop settings meet it: large fonts, dark
// themes, the keyboard and screen readers.
#include "viewer_fixture.h"

using namespace vt;

namespace {
// E a small circle (radius 10), H a large one (radius 28, off the rings).
std::string Circles()
{
    return WriteAtn("circles.atn", MakePlanes([](int) { return -20.0; }, [](int) { return -2.0; }));
}

class AtFontSize : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(AtFontSize, EveryPanelFitsItsTexts)
{
    rt::test::UseFontSize(GetParam());
    Start();
    Open(Circles());
    Menu(MENUBAR_CURSOR);
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(antennalab)), "");
    // The graphs keep their designed size and square shape.
    for (int g : {ANTENNALAB_POLAR, ANTENNALAB_CARTESIAN}) {
        int w = 0, h = 0;
        GetCtrlAttribute(antennalab, g, RT_ATTR_WIDTH, &w);
        GetCtrlAttribute(antennalab, g, RT_ATTR_HEIGHT, &h);
        EXPECT_EQ(w, h);
        EXPECT_GE(w, 450);
    }
    Menu(MENUBAR_INFO);
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(infopnl)), "");
    rt::test::PressButton(infopnl, INFOPNL_PICTURE);
    EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(pichandle)), "");
    for (int id : {LOGO, CODEPNL, LOBEPNL}) {
        const int p = LoadPanel(0, "antenna.uir", id);
        EXPECT_EQ(rt::test::Lines(rt::test::CutTexts(p)), "") << "panel " << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Points, AtFontSize, testing::Values(9, 12, 16));

class InPalette : public testing::TestWithParam<bool> {};

TEST_P(InPalette, TextsOnTheWindowAreReadable)
{
    rt::test::UseDarkPalette(GetParam());
    Start();
    Open(Circles());
    EXPECT_EQ(RotationColor(), RT_RED);
    EXPECT_EQ(rt::test::Lines(rt::test::PoorContrast(antennalab)), "") << "E selected";
    rt::test::ClickGraph(antennalab, ANTENNALAB_POLAR, 19.8,
                         19.8);  // on the H circle at 45 degrees
    ASSERT_EQ(RotationColor(), RT_BLUE) << "the designed colour is what the program reads";
    EXPECT_EQ(rt::test::Lines(rt::test::PoorContrast(antennalab)), "") << "H selected";
    // Switching the theme while the program runs recolours as well.
    rt::test::UseDarkPalette(!GetParam());
    EXPECT_EQ(rt::test::Lines(rt::test::PoorContrast(antennalab)), "") << "after the switch";
    Menu(MENUBAR_INFO);
    EXPECT_EQ(rt::test::Lines(rt::test::PoorContrast(infopnl)), "");
}

INSTANTIATE_TEST_SUITE_P(DarkAndLight, InPalette, testing::Bool(),
                         [](const auto &info) { return info.param ? "Dark" : "Light"; });

TEST(ScreenReader, EveryControlHasItsOwnName)
{
    Start();
    Open(Circles());
    Menu(MENUBAR_INFO);
    rt::test::PressButton(infopnl, INFOPNL_PICTURE);
    const int logoPanel = LoadPanel(0, "antenna.uir", LOGO);
    const int codePanel = LoadPanel(0, "antenna.uir", CODEPNL);
    const int lobePanel = LoadPanel(0, "antenna.uir", LOBEPNL);
    for (int p : {antennalab, infopnl, pichandle, logoPanel, codePanel, lobePanel})
        EXPECT_EQ(rt::test::Lines(rt::test::AccessibleNameFaults(p)), "") << "panel " << p;
    // Fields say what their label says, mnemonic marks left out; repeated
    // buttons say which cursor they move.
    const std::pair<int, const char *> names[] = {
        {ANTENNALAB_CURSORINDEX, "Cartesian cursor point"},
        {ANTENNALAB_GOTO2, "Cursor 2 forward 10 degrees"},
        {ANTENNALAB_BACK4, "Cursor 4 back 1 degree"},
        {ANTENNALAB_HPEAKLEVEL, "H plane Peak (dB)"},
        {ANTENNALAB_EMSLBTN, "E MSL marker"},
    };
    for (const auto &[ctrl, name] : names)
        EXPECT_EQ(rt::test::AccessibleName(antennalab, ctrl), name);
    EXPECT_EQ(rt::test::AccessibleName(infopnl, INFOPNL_EDATE), "E plane measured");
}

TEST(ScreenReader, RotationDisplayReadsWhatItShows)
{
    Start();
    Open(Circles());
    EXPECT_EQ(rt::test::AccessibleValue(antennalab, ANTENNALAB_ROTATION), "0");
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT10);
    rt::test::PressButton(antennalab, ANTENNALAB_GORIGHT);
    rt::test::PressButton(antennalab, ANTENNALAB_GOLEFT10);
    EXPECT_EQ(REDvalue, 1);
    EXPECT_EQ(rt::test::AccessibleValue(antennalab, ANTENNALAB_ROTATION), "1");
    EXPECT_EQ(rt::test::AccessibleName(antennalab, ANTENNALAB_ROTATION),
              "Rotation of the selected plane (deg)");
}

TEST(ScreenReader, ToggleThroughAccessibilityDrawsLikeAClick)
{
    Start();
    Open(Circles());
    const int base = rt::test::PlotCount(antennalab, ANTENNALAB_POLAR);
    struct Step {
        bool accessible;
        int lines, state;
    };
    // Accessible toggles and clicks mixed: the check mark, the flag and the
    // lines on the graph always agree.
    const Step steps[] = {{true, 2, 1}, {true, 0, 0}, {false, 2, 1},
                          {true, 0, 0}, {true, 2, 1}, {false, 0, 0}};
    for (const Step &s : steps) {
        if (s.accessible)
            rt::test::AccessibleToggle(antennalab, ANTENNALAB_EHPBBTN);
        else
            rt::test::PressButton(antennalab, ANTENNALAB_EHPBBTN);
        EXPECT_EQ(rt::test::PlotCount(antennalab, ANTENNALAB_POLAR), base + s.lines);
        EXPECT_EQ(Int(ANTENNALAB_EHPBBTN), s.state);
        EXPECT_EQ(eHPBflag, s.state);
    }
    rt::test::AccessibleToggle(antennalab, ANTENNALAB_HMSLBTN);
    EXPECT_EQ(hMSLflag, 1);
    EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, imsiPloth));
    // The program setting a toggle runs no callback: the state and the
    // marker stay as the program left them.
    SetCtrlVal(antennalab, ANTENNALAB_HMSLBTN, 0);
    EXPECT_EQ(hMSLflag, 1);
    EXPECT_TRUE(OnGraph(ANTENNALAB_POLAR, imsiPloth));
}

TEST(Keyboard, MnemonicsAndStandardShortcuts)
{
    Start();
    EXPECT_EQ(rt::test::Lines(rt::test::MenuMnemonicFaults(antennalab)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::ButtonMnemonicFaults(antennalab)), "");
    Menu(MENUBAR_ABOUT);
    Open(Circles());
    Menu(MENUBAR_INFO);
    rt::test::PressButton(infopnl, INFOPNL_PICTURE);
    EXPECT_EQ(rt::test::Lines(rt::test::ButtonMnemonicFaults(infopnl)), "");
    EXPECT_EQ(rt::test::Lines(rt::test::ButtonMnemonicFaults(pichandle)), "");
    const std::pair<int, const char *> keys[] = {
        {MENUBAR_OPEN, "Ctrl+O"},      {MENUBAR_SAVE, "Ctrl+S"},  {MENUBAR_SAVEAS, "Ctrl+Shift+S"},
        {MENUBAR_FULLPRINT, "Ctrl+P"}, {MENUBAR_CLOSE, "Ctrl+W"}, {MENUBAR_EXIT, "Ctrl+Q"},
        {MENUBAR_HELP, "F1"},
    };
    for (const auto &[item, key] : keys)
        EXPECT_EQ(rt::test::MenuItemShortcut(Bar(), item), key);
}

TEST(Keyboard, RenamedItemsKeepTheirMnemonicAndReadBackPlain)
{
    Start();
    Open(Circles());
    Menu(MENUBAR_EDATA);  // hides E: the item now offers to show it again
    const std::string plain = rt::test::MenuItemText(Bar(), MENUBAR_EDATA);
    EXPECT_EQ(plain.find('&'), std::string::npos) << plain;
    EXPECT_EQ(rt::test::MenuItemShownText(Bar(), MENUBAR_EDATA).find("&E"), 1u);
    Menu(MENUBAR_EDATA);
    EXPECT_EQ(rt::test::MenuItemText(Bar(), MENUBAR_EDATA), " E Data delete");
    EXPECT_EQ(rt::test::MenuItemShownText(Bar(), MENUBAR_EDATA), " &E Data delete");
}
