// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement record: selectors, information panel and the save command.
#include "kesto_fixture.h"

#include <fstream>
#include <sstream>

#include "pattern_file.h"
#include "pattern_text.h"

using kt::RunKesto;
using kt::TypeInto;

namespace {

class RecordTest : public kt::InScratchDir {};

std::vector<std::string> Lines(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    std::vector<std::string> out;
    std::string s = ss.str(), line;
    for (char c : s) {
        if (c == '\n') {
            out.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    EXPECT_TRUE(line.empty()) << "the file ends with LF";
    return out;
}

void Save(const std::string &path)
{
    rt::test::ChooseFile(path);
    rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
}

TEST_F(RecordTest, SaveWithNothingMeasuredOrAlreadySavedSaysTheDataIsEmpty)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::AcknowledgeMessage();
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        Save("one.atn");
        EXPECT_EQ(QuestionSave, 0);
        rt::test::AcknowledgeMessage();
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
    });
    const std::string empty = "message:Error|The data is empty.\n";
    EXPECT_EQ(rt::test::PopupLog(), empty + "file:Save|\n" + empty);
}

TEST_F(RecordTest, SaveAfterAnESweepOnlyWithoutAcceptedInformation)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::CommitValue(kestopnl, KESTOPNL_ATTN, 10.0);
        rt::test::CommitValue(kestopnl, KESTOPNL_ANTTYPE, 12);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        // Opened and left through escape: counts as never accepted.
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INFO);
        TypeInto(infopnl, KESTOINFO_PERSON, "Somebody");
        rt::test::PressButton(infopnl, KESTOINFO_ESC);
        EXPECT_EQ(infopnl, 0);
        rt::test::CancelFile();
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        EXPECT_EQ(QuestionSave, 1) << "cancelled: still unsaved";
        Save("e.atn");
    });
    const auto lines = Lines("e.atn");
    ASSERT_EQ(lines.size(), 726u);
    EXPECT_EQ(lines[0], "12 10.000000 0.000000 0");
    EXPECT_EQ(lines[1], "It is not specified.There are no description.");
    EXPECT_EQ(lines[2], Edate);
    EXPECT_EQ(lines[3], Etime);
    EXPECT_EQ(lines[364], lines[2]) << "both planes carry the sweep's date";
    EXPECT_EQ(lines[365], lines[3]);
    EXPECT_EQ(lines[366], "0.000000");
    EXPECT_EQ(lines[725], "0.000000");
    PatternRecord rec;
    int desNO = -1, emax = 0, hmax = 0;
    ASSERT_TRUE(ReadPatternFile("e.atn", rec, desNO, emax, hmax).ok);
    EXPECT_STREQ(rec.person, "It is not specified.");
    EXPECT_EQ(desNO, 0);
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(rec.e_data[i], imsi_Edata[i], 1e-6);
    EXPECT_EQ(emax, 0) << "the horn's peak lies where the sweep started";
}

TEST_F(RecordTest, AcceptedInformationRoundTripsThroughTheFile)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INFO);
        char shown[64];
        GetCtrlVal(infopnl, KESTOINFO_PERSON, shown);
        EXPECT_STREQ(shown, "It is not specified.\n");
        TypeInto(infopnl, KESTOINFO_PERSON, "Kim\nLee\n");
        TypeInto(infopnl, KESTOINFO_DESCRIPT, "Horn at 10 GHz\nlab 3");
        rt::test::PressButton(infopnl, KESTOINFO_ACCEPT);
        EXPECT_EQ(infopnl, 0);
        EXPECT_STREQ(person, "Kim Lee\n") << "one line, ending with LF";
        EXPECT_STREQ(descript, "Horn at 10 GHz\nlab 3");
        EXPECT_EQ(NOdescript, 2);
        // Reopened, the panel shows what was accepted, and accepting again
        // changes nothing.
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INFO);
        rt::test::PressButton(infopnl, KESTOINFO_ACCEPT);
        EXPECT_STREQ(person, "Kim Lee\n");
        EXPECT_EQ(NOdescript, 2);
        Save("h.atn");
    });
    const auto lines = Lines("h.atn");
    ASSERT_EQ(lines.size(), 728u);
    EXPECT_EQ(lines[0], "0 0.000000 0.000000 2");
    PatternRecord rec;
    int desNO = -1, emax = 0, hmax = 0;
    ASSERT_TRUE(ReadPatternFile("h.atn", rec, desNO, emax, hmax).ok);
    EXPECT_STREQ(rec.person, "Kim Lee");
    EXPECT_STREQ(rec.descript, "Horn at 10 GHz\nlab 3\n");
    EXPECT_EQ(desNO, 2);
    EXPECT_STREQ(rec.Hdate, Hdate);
    EXPECT_STREQ(rec.Htime, Htime);
    for (int i = 0; i < KESTO_SAMPLES; ++i) {
        ASSERT_NEAR(rec.h_data[i], imsi_Hdata[i], 1e-6);
        ASSERT_DOUBLE_EQ(rec.e_data[i], 0.0);
    }
}

TEST_F(RecordTest, TypedTextIsWrittenAsUtf8AndReadsBackTheSame)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INFO);
        TypeInto(infopnl, KESTOINFO_PERSON, "M\u00fcller");
        TypeInto(infopnl, KESTOINFO_DESCRIPT, "Gr\u00fc\u00dfe, \u00e9t\u00e9 \u20ac");
        rt::test::PressButton(infopnl, KESTOINFO_ACCEPT);
        Save("u.atn");
    });
    const auto lines = Lines("u.atn");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "M\xc3\xbcller");
    EXPECT_EQ(lines[2], "Gr\xc3\xbc\xc3\x9f"
                        "e, \xc3\xa9t\xc3\xa9 \xe2\x82\xac");
    PatternRecord rec;
    int desNO = -1, emax = 0, hmax = 0;
    ASSERT_TRUE(ReadPatternFile("u.atn", rec, desNO, emax, hmax).ok);
    // Whatever legacy code page a reader has chosen, UTF-8 shows as it is.
    EXPECT_EQ(DecodePerson(rec.person, "WINDOWS-1251", PATTERN_PERSON_MAX), lines[1]);
    EXPECT_EQ(DecodeDescript(rec.descript, "WINDOWS-1251", PATTERN_DESCRIPT_MAX), lines[2] + "\n");
}

TEST_F(RecordTest, TextBoxesNeverHoldMoreThanTheBuffers)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INFO);
        TypeInto(infopnl, KESTOINFO_PERSON, std::string(80, 'p'));
        TypeInto(infopnl, KESTOINFO_DESCRIPT, std::string(300, 'd'));
        rt::test::PressButton(infopnl, KESTOINFO_ACCEPT);
    });
    EXPECT_EQ(std::string(person), std::string(48, 'p') + "\n");
    EXPECT_EQ(std::string(descript), std::string(199, 'd'));
    EXPECT_EQ(NOdescript, 1);
}

TEST_F(RecordTest, AFullPersonLineIsNeverCutInsideACharacter)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INFO);
        // 49 characters, 50 bytes: the last one that fits is two bytes long.
        TypeInto(infopnl, KESTOINFO_PERSON, std::string(47, 'p') + "\xC3\xA9" + "x");
        rt::test::PressButton(infopnl, KESTOINFO_ACCEPT);
    });
    EXPECT_EQ(std::string(person), std::string(47, 'p') + "\n");
    EXPECT_TRUE(QString::fromUtf8(person).toUtf8() == QByteArray(person)) << "valid UTF-8";
}

TEST_F(RecordTest, FailedSaveSaysSoAndExitStillOffersToSave)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        rt::test::ChooseFile("no-such-dir/x.atn");
        rt::test::AcknowledgeMessage();
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_SAVE);
        EXPECT_EQ(QuestionSave, 1);
        // Exit: save answered Yes, then the file dialogue cancelled; quit No.
        rt::test::AnswerConfirm(1);
        rt::test::CancelFile();
        rt::test::AnswerConfirm(0);
        rt::test::PressButton(kestopnl, KESTOPNL_EXIT);
        EXPECT_FALSE(rt::test::QuitRequested());
        // Exit again, saving for real this time.
        rt::test::AnswerConfirm(1);
        rt::test::ChooseFile("x.atn");
        rt::test::AnswerConfirm(1);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_EXIT);
        EXPECT_TRUE(rt::test::QuitRequested());
    });
    const auto &p = rt::test::Popups();
    ASSERT_GE(p.size(), 2u);
    EXPECT_EQ(p[1].title, "Error");
    EXPECT_EQ(p[1].text.rfind("The data could not be saved.", 0), 0u) << p[1].text;
    EXPECT_EQ(QuestionSave, 0);
    EXPECT_EQ(Lines("x.atn").size(), 726u);
    const std::string log = rt::test::PopupLog();
    const std::string ask = "confirm:Save|Save the data to the file?\n";
    EXPECT_NE(log.find(ask), log.rfind(ask)) << "asked at both exits:\n" << log;
}

TEST_F(RecordTest, SaveToAPathAsLongAsTheSystemTakes)
{
    // 4,000 bytes of nested folders: the file is written there, whole.
    const std::string path = rt::test::LongPath(rt::test::ScratchDir() / "deep", 4000, "sweep.atn");
    ASSERT_EQ(path.size(), 4000u);
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::PressButton(kestopnl, KESTOPNL_AUTO);
        Save(path);
        EXPECT_EQ(QuestionSave, 0) << rt::test::PopupLog().substr(0, 300);
    });
    EXPECT_EQ(Lines(path).size(), 726u);
    PatternRecord rec;
    int desNO = -1, emax = 0, hmax = 0;
    ASSERT_TRUE(ReadPatternFile(path, rec, desNO, emax, hmax).ok);
    for (int i = 0; i < KESTO_SAMPLES; ++i)
        ASSERT_NEAR(rec.e_data[i], imsi_Edata[i], 1e-6);
    EXPECT_EQ(rt::test::PopupLog(), "file:Save|\n");
}

TEST_F(RecordTest, SelectorsSetTheTypeAndPlaneWithoutClearingLevels)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        imsi_Edata[3] = -4.0;
        rt::test::CommitValue(kestopnl, KESTOPNL_ANTTYPE, 15);
        rt::test::CommitValue(kestopnl, KESTOPNL_PLANE, 1);
    });
    EXPECT_EQ(Antype, 15);
    EXPECT_EQ(PlaneType, 1);
    EXPECT_DOUBLE_EQ(imsi_Edata[3], -4.0);
}

}  // namespace
