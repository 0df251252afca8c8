// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the serial port, the rig exchange and its failures, the polar
// frame and the two exit commands, driven through the program's own dispatch.
#include "kesto_fixture.h"

#include <QColor>

#include <cmath>

using kt::RunKesto;

namespace {

class KestoTest : public kt::InScratchDir {};

// ---- Start-up through the chooser ------------------------------------------

class ChooserPort : public KestoTest, public testing::WithParamInterface<int> {};

TEST_P(ChooserPort, OpensThePortAndFillsTheDisplaysFromOneH)
{
    const int port = GetParam();
    auto rig = kt::MakeRig(port);
    rig->setAngle(90);
    bool ran = false;
    EXPECT_EQ(RunKesto(kt::kChooserButtons[port], [&] { ran = true; }), 0);
    EXPECT_TRUE(ran) << "the event loop ran";
    EXPECT_EQ(COMnumber, port);
    EXPECT_EQ(RS232Error, 0);
    EXPECT_EQ(kt::Received(*rig), "H");
    EXPECT_EQ(kt::AngleShown(), 90u);
    const auto r = rig->report();
    EXPECT_DOUBLE_EQ(kt::LevelShown(), std::max(-30.0, (r[0] * 256 + r[1]) / 20.0 - 50.0));
    EXPECT_EQ(kt::TimerOn(), 1);
    EXPECT_TRUE(rt::test::IsDisplayed(kestopnl));
    EXPECT_EQ(portpnl, 0) << "chooser discarded";
    EXPECT_EQ(kt::PlotCount(), kt::kFramePlots);
    EXPECT_TRUE(rt::test::Popups().empty()) << rt::test::PopupLog();
}
INSTANTIATE_TEST_SUITE_P(EachPort, ChooserPort, testing::Values(1, 2, 3, 4));

TEST_F(KestoTest, ChooserExitAsksToQuitOpensNothingAndRemovesTheMarker)
{
    for (int answer : {1, 0}) {
        SCOPED_TRACE(answer);
        auto rig = kt::MakeRig(1);
        kt::MakeMarker();
        GoOut = 0;
        rt::test::ClearPopups();
        rt::test::AnswerConfirm(answer);
        bool ran = false;
        EXPECT_EQ(RunKesto(PORTPNL_EXIT, [&] { ran = true; }), 0);
        EXPECT_FALSE(ran) << "no event loop";
        EXPECT_EQ(GoOut, 1);
        EXPECT_EQ(COMnumber, 1);
        EXPECT_EQ(kt::Received(*rig), "");
        EXPECT_FALSE(rt::test::IsDisplayed(kestopnl));
        EXPECT_EQ(rt::test::PopupLog(), "confirm:Confirm|Are you want to quit?\n");
        // Answered No the program ends all the same: no stale marker.
        EXPECT_FALSE(kt::MarkerExists());
    }
}

// ---- A failed open -------------------------------------------------------------

class Refusing : public rt::ComBackend {
public:
    explicit Refusing(int code) : code_(code) {}
    int open(const rt::ComSettings &) override { return code_; }
    void close() override {}
    int write(const unsigned char *, int n) override { return n; }
    int read(unsigned char *, int, int) override { return 0; }
    void flushInput() override {}

private:
    int code_;
};

struct OpenFailure {
    int code;
    const char *text;
};

void PrintTo(const OpenFailure &f, std::ostream *os)
{
    *os << "code " << f.code;
}

class FailedOpen : public KestoTest, public testing::WithParamInterface<OpenFailure> {};

TEST_P(FailedOpen, ShowsTheCodesMessageThenErrorAndLeavesTheTimerOff)
{
    const OpenFailure f = GetParam();
    rt::BindComPort(3, [code = f.code](int) { return std::make_unique<Refusing>(code); });
    rt::test::AcknowledgeMessage();
    rt::test::AcknowledgeMessage();
    EXPECT_EQ(RunKesto(PORTPNL_COM3, [] {}), 0);
    EXPECT_EQ(RS232Error, f.code);
    EXPECT_EQ(rt::test::PopupLog(),
              std::string("message:RS232 Message|") + f.text + "\nmessage:Error|Error\n");
    EXPECT_EQ(kt::TimerOn(), 0);
    EXPECT_TRUE(rt::test::IsDisplayed(kestopnl)) << "the program carries on without a rig";
}
INSTANTIATE_TEST_SUITE_P(
    Codes, FailedOpen,
    testing::Values(OpenFailure{-2, "Invalid port number (must be in the range 1 to 4)."},
                    OpenFailure{-3, "No port is open.\nCheck COM Port setting in Configure."},
                    OpenFailure{
                        -99, "Timeout error.\n\nEither increase timeout value,\n       check COM "
                             "Port setting, or\n       check device."},
                    OpenFailure{-1, "RS232 error number -1"},
                    OpenFailure{-6, "RS232 error number -6"}));

TEST_F(KestoTest, DisplayRS232ErrorSaysNoErrorsForZeroAndNothingForPositiveCodes)
{
    RS232Error = 0;
    rt::test::AcknowledgeMessage();
    DisplayRS232Error();
    RS232Error = 5;
    DisplayRS232Error();
    EXPECT_EQ(rt::test::PopupLog(), "message:RS232 Message|No errors.\n");
}

// ---- Changing the port from the menu -------------------------------------------

TEST_F(KestoTest, PortChangeOpensTheNewPortAndPollsThere)
{
    auto rig1 = kt::MakeRig(1);
    auto rig2 = kt::MakeRig(2);
    rig2->setAngle(200);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_PORT);
        ASSERT_GT(compnl, 0);
        EXPECT_EQ(kt::TimerOn(), 0) << "no poll while the port changes";
        int shown = 0;
        GetCtrlVal(compnl, COMPNL_PORT, &shown);
        EXPECT_EQ(shown, 1);
        rt::test::CommitValue(compnl, COMPNL_PORT, 2);
        rt::test::PressButton(compnl, COMPNL_CLOSE);
        EXPECT_EQ(compnl, 0);
        EXPECT_EQ(COMnumber, 2);
        EXPECT_EQ(kt::TimerOn(), 1);
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
    });
    EXPECT_EQ(kt::Received(*rig1), "H");
    EXPECT_EQ(kt::Received(*rig2), "H");
    EXPECT_EQ(kt::AngleShown(), 200u);
    char b;
    EXPECT_EQ(ComWrt(1, &(b = 'H'), 1), rt::kComPortNotOpen) << "the old port was released";
}

TEST_F(KestoTest, FailedPortChangeKeepsTheOldPortAndPollsOn)
{
    auto rig1 = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_PORT);
        rt::test::CommitValue(compnl, COMPNL_PORT, 7);
        rt::test::OnNextPopup([] { EXPECT_EQ(kt::TimerOn(), 0); });
        rt::test::AcknowledgeMessage();
        rt::test::PressButton(compnl, COMPNL_CLOSE);
        EXPECT_EQ(COMnumber, 1);
        EXPECT_EQ(RS232Error, rt::kComInvalidPort);
        EXPECT_EQ(kt::TimerOn(), 1);
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
    });
    EXPECT_EQ(rt::test::PopupLog(),
              "message:RS232 Message|Invalid port number (must be in the range 1 to 4).\n");
    EXPECT_EQ(kt::Received(*rig1), "HH");
}

// ---- Decoding ----------------------------------------------------------------------

struct Reply {
    std::vector<std::uint8_t> bytes;
    double attn;
    unsigned angle;
    double level;
};

void PrintTo(const Reply &r, std::ostream *os)
{
    *os << "angle " << r.angle << " level " << r.level << " attn " << r.attn;
}

class Decoding : public KestoTest, public testing::WithParamInterface<Reply> {};

TEST_P(Decoding, StartUpExchangeShowsAngleAndLevel)
{
    const Reply r = GetParam();
    auto rig = kt::MakeRig(1);
    rig->injectFault(rigsim::Fault::scripted(r.bytes));
    RunKesto(
        PORTPNL_COM1, [] {}, [&] { SetCtrlVal(kestopnl, KESTOPNL_ATTN, r.attn); });
    EXPECT_EQ(kt::Received(*rig), "H");
    EXPECT_EQ(Angle, r.angle);
    EXPECT_EQ(kt::AngleShown(), r.angle);
    EXPECT_DOUBLE_EQ(Level, r.level);
    EXPECT_DOUBLE_EQ(kt::LevelShown(), r.level);
}
INSTANTIATE_TEST_SUITE_P(
    Replies, Decoding,
    testing::Values(Reply{{0x03, 0x84, 0x00, 0x5A}, 0.0, 90, -5.0},
                    Reply{{0x03, 0x84, 0x00, 0x5A}, 10.0, 90, 5.0},
                    Reply{{0x00, 0x00, 0x00, 0x00}, 0.0, 0, -30.0},
                    Reply{{0x01, 0x8F, 0x00, 0x00}, 0.0, 0, -30.0},  // -30.05 floored
                    Reply{{0x01, 0x90, 0x00, 0x01}, 0.0, 1, -30.0},  // exactly -30
                    Reply{{0xFF, 0xFF, 0x01, 0x68}, 0.0, 360, 3226.75},
                    Reply{{0x00, 0x00, 0x00, 0x00}, 25.0, 0, -25.0}));

// ---- Failing exchanges ---------------------------------------------------------------

TEST_F(KestoTest, ShortReplyYesKeepsThePreviousReplyAndPollsOn)
{
    auto rig = kt::MakeRig(1);
    rig->injectFault(rigsim::Fault::scripted({0x03, 0x84, 0x00, 0x5A}));
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
        SetCtrlVal(kestopnl, KESTOPNL_ATTN, 20.0);
        rig->injectFault(rigsim::Fault::shortReply(3));
        rt::test::AnswerConfirm(1);
        CalVal((outBuffers[0] = 'H', outBuffers), inBuffers);
        EXPECT_EQ(level, 3);
        EXPECT_EQ(kt::TimerOn(), 1) << "Yes switches polling back on";
        EXPECT_FALSE(rt::test::QuitRequested());
        // The previous reply, recomputed with the attenuation in force.
        AttnVals = 20.0;
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
    });
    EXPECT_EQ(rt::test::PopupLog(), std::string("confirm:Error|") + kt::kConnection + "\n");
    EXPECT_EQ(kt::Received(*rig), "HHH");
    EXPECT_EQ(kt::AngleShown(), unsigned(rig->angle()));
}

TEST_F(KestoTest, ShortReplyShowsPreviousAngleAndItsLevelWithTheNewAttenuation)
{
    auto rig = kt::MakeRig(1);
    rig->injectFault(rigsim::Fault::scripted({0x03, 0x84, 0x00, 0x5A}));
    RunKesto(PORTPNL_COM1, [&] {
        SetCtrlVal(kestopnl, KESTOPNL_ATTN, 20.0);
        rig->injectFault(rigsim::Fault::shortReply(3));
        rt::test::AnswerConfirm(1);
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
    });
    EXPECT_EQ(kt::AngleShown(), 90u);
    EXPECT_DOUBLE_EQ(kt::LevelShown(), 15.0);
    EXPECT_EQ(LH, 0x03);
    EXPECT_EQ(AL, 0x5A);
}

TEST_F(KestoTest, SilentRigAtStartUpAnsweredNoEndsTheProgramAndItsMarker)
{
    auto rig = kt::MakeRig(1);
    rig->injectFault(rigsim::Fault::silence());
    kt::MakeMarker();
    rt::test::AnswerConfirm(0);
    bool ran = false;
    EXPECT_EQ(RunKesto(PORTPNL_COM1,
                       [&] {
                           ran = true;
                           EXPECT_TRUE(rt::test::QuitRequested());
                       }),
              0);
    EXPECT_TRUE(ran) << "the loop is told to end; it does so when control returns to it";
    EXPECT_EQ(rt::test::PopupLog(), std::string("confirm:Error|") + kt::kConnection + "\n");
    EXPECT_EQ(level, 0);
    EXPECT_EQ(kt::AngleShown(), 0u);
    EXPECT_DOUBLE_EQ(kt::LevelShown(), -30.0);
    EXPECT_FALSE(kt::MarkerExists());
}

TEST_F(KestoTest, LateBytesAfterATimeOutDoNotShiftLaterReplies)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        // The reply to this poll comes half a second after the read gave up.
        rig->injectFault(rigsim::Fault::late(KESTO_REPLY_TIMEOUT * 1000 + 500));
        rt::test::AnswerConfirm(1);
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
        EXPECT_EQ(level, 0);
        rig->advanceVirtualTime(1000);  // the next poll is due
        for (int deg : {10, 11, 250}) {
            rig->setAngle(deg);
            EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
            EXPECT_EQ(level, 4);
            EXPECT_EQ(kt::AngleShown(), unsigned(deg)) << "reply in step with its command";
        }
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        EXPECT_EQ(kt::AngleShown(), 251u);
    });
    EXPECT_EQ(kt::Received(*rig), "HHHHHA");
    EXPECT_EQ(rt::test::PopupLog(), std::string("confirm:Error|") + kt::kConnection + "\n");
}

TEST_F(KestoTest, AnswersToSilentCommandsAreDroppedBeforeTheNextCommand)
{
    auto rig = kt::MakeRig(1);
    rig->setAngle(42);
    RunKesto(PORTPNL_COM1, [&] {
        rigsim::Fault f = rigsim::Fault::scripted({0xDE, 0xAD});
        f.onSilentCommands = true;
        rig->injectFault(f);
        RigSend('I');
        rig->advanceVirtualTime(100);
        EXPECT_TRUE(rt::test::TickTimer(kestopnl, KESTOPNL_TIMER));
    });
    EXPECT_EQ(kt::Received(*rig), "HIH");
    EXPECT_EQ(kt::AngleShown(), 42u);
}

// ---- Initialise and clear ---------------------------------------------------------------

TEST_F(KestoTest, InitialiseClearsTheGraphAndSendsCEvenToASilentRig)
{
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent);
        auto rig = kt::MakeRig(1);
        rig->setAngle(30);
        rt::test::ClearPopups();
        RunKesto(PORTPNL_COM1, [&] {
            rt::test::PressButton(kestopnl, KESTOPNL_INC10);
            EXPECT_EQ(kt::PlotCount(), kt::kFramePlots + 19);
            rt::test::AnswerConfirm(0);
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INIT);
            EXPECT_EQ(kt::Received(*rig), "HAAAAAAAAAA") << "No sends nothing";
            if (silent)
                rig->injectFault(rigsim::Fault::silence());
            AttnVals = 0.0;
            rt::test::AnswerConfirm(1);
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_INIT);
        });
        EXPECT_EQ(kt::Received(*rig), "HAAAAAAAAAAC");
        EXPECT_EQ(kt::AngleShown(), 0u);
        double attn = 0;
        GetCtrlVal(kestopnl, KESTOPNL_ATTN, &attn);
        EXPECT_DOUBLE_EQ(attn, 30.0);
        EXPECT_DOUBLE_EQ(AttnVals, 0.0) << "taken from the field at the next poll only";
        EXPECT_EQ(kt::PlotCount(), kt::kFramePlots);
        EXPECT_EQ(rt::test::PopupLog(),
                  "confirm:Initialization|Are you want to initialize Veloran?\n"
                  "confirm:Initialization|Are you want to initialize Veloran?\n");
    }
}

TEST_F(KestoTest, ClearLeavesJustTheFrameAndKeepsTheMeasuredLevels)
{
    auto rig = kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [&] {
        imsi_Edata[5] = -7.5;
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_CLEAR);
        EXPECT_EQ(kt::PlotCount(), kt::kFramePlots) << "empty graph: just the frame";
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        rt::test::ChooseMenuItem(menu_handle, KESTOMENU_CLEAR);
    });
    EXPECT_EQ(kt::PlotCount(), kt::kFramePlots);
    EXPECT_DOUBLE_EQ(imsi_Edata[5], -7.5);
}

TEST_F(KestoTest, PolarFrameRingsSpokesAndLabels)
{
    kt::MakeRig(1);
    RunKesto(PORTPNL_COM1, [] {});
    const auto items = rt::test::GraphItems(kestopnl, KESTOPNL_GRAPH);
    ASSERT_EQ(items.size(), std::size_t(kt::kFramePlots));
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(items[k].kind, rt::PlotKind::Oval);
        EXPECT_DOUBLE_EQ(items[k].xs[1], 5.0 * (k + 1));
        EXPECT_EQ(items[k].fillColor, RT_TRANSPARENT);
    }
    for (int k = 0; k < 6; ++k) {
        const auto &l = items[7 + k];
        EXPECT_EQ(l.kind, rt::PlotKind::Line);
        EXPECT_NEAR(std::hypot(l.xs[0], l.ys[0]), 35.0, 1e-9);
        EXPECT_NEAR(std::atan2(l.ys[1], l.xs[1]) * 180 / M_PI, 30.0 * k, 1e-4);
    }
    struct Where {
        const char *text;
        double x, y;
    };
    const Where expect[] = {{" -25", -2.4, 3.2},    {" 5", -1.2, 33.4},     {"90", 34.0, -1.6},
                            {"270", -36.4, -1.6},   {"180", -1.8, -36.6},   {"30", 16.7, 29.51},
                            {"60", 29.51, 16.7},    {"120", 29.31, -18.5},  {"150", 16.5, -31.31},
                            {"210", -18.3, -31.11}, {"240", -31.11, -18.3}, {"330", -18.5, 29.31},
                            {"300", -31.31, 16.5}};
    for (const Where &w : expect) {
        bool found = false;
        for (std::size_t i = 13; i < items.size(); ++i)
            if (items[i].text == w.text) {
                found = true;
                EXPECT_NEAR(items[i].xs[0], w.x, 0.006) << w.text;
                EXPECT_NEAR(items[i].ys[0], w.y, 0.006) << w.text;
                EXPECT_EQ(items[i].font, "NIAppMetaFont");
                EXPECT_EQ(items[i].fillColor, 0x808000);
                EXPECT_EQ(items[i].color, RT_BLACK);
            }
        EXPECT_TRUE(found) << w.text;
    }
}

// ---- Exit -------------------------------------------------------------------------------

struct ExitRoute {
    bool button;
    const char *title;
};

void PrintTo(const ExitRoute &r, std::ostream *os)
{
    *os << r.title;
}

class ExitCommand : public KestoTest, public testing::WithParamInterface<ExitRoute> {
protected:
    void Exit()
    {
        if (GetParam().button)
            rt::test::PressButton(kestopnl, KESTOPNL_EXIT);
        else
            rt::test::ChooseMenuItem(menu_handle, KESTOMENU_EXIT);
    }
};

TEST_P(ExitCommand, NoKeepsEverythingYesClosesThePortAndRemovesTheMarker)
{
    auto rig = kt::MakeRig(1);
    kt::MakeMarker();
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::AnswerConfirm(0);
        Exit();
        EXPECT_FALSE(rt::test::QuitRequested());
        EXPECT_TRUE(kt::MarkerExists());
        char c = 'H';
        EXPECT_EQ(ComWrt(COMnumber, &c, 1), 1) << "port still open";
        rt::test::AnswerConfirm(1);
        Exit();
        EXPECT_TRUE(rt::test::QuitRequested());
        EXPECT_FALSE(kt::MarkerExists());
        EXPECT_EQ(ComWrt(COMnumber, &c, 1), rt::kComPortNotOpen);
    });
    const std::string q = std::string("confirm:") + GetParam().title + "|Are you want to quit?\n";
    EXPECT_EQ(rt::test::PopupLog(), q + q);
    EXPECT_EQ(kt::Received(*rig), "HH") << "nothing is sent to the rig at exit";
}
TEST_F(KestoTest, ClosingTheMainWindowIsTheExitButton)
{
    auto rig = kt::MakeRig(1);
    kt::MakeMarker();
    RunKesto(PORTPNL_COM1, [&] {
        rt::test::AnswerConfirm(0);
        rt::test::ClosePanelWindow(kestopnl);
        EXPECT_FALSE(rt::test::QuitRequested());
        EXPECT_TRUE(rt::test::IsDisplayed(kestopnl));
        rt::test::AnswerConfirm(1);
        rt::test::ClosePanelWindow(kestopnl);
        EXPECT_TRUE(rt::test::QuitRequested());
    });
    const std::string q = "confirm:Confrim|Are you want to quit?\n";
    EXPECT_EQ(rt::test::PopupLog(), q + q);
    EXPECT_FALSE(kt::MarkerExists());
}

INSTANTIATE_TEST_SUITE_P(Routes, ExitCommand,
                         testing::Values(ExitRoute{false, "Confirm"}, ExitRoute{true, "Confrim"}),
                         [](const auto &info) { return info.param.button ? "Button" : "Menu"; });

}  // namespace

// ---- Graph > High-contrast graphs --------------------------------------------

namespace {

// The trace's segments: the lines that are not the black frame.
std::vector<int> TraceColours()
{
    std::vector<int> v;
    for (const auto &it : rt::test::GraphItems(kestopnl, KESTOPNL_GRAPH))
        if (it.kind == rt::PlotKind::Line && it.color != RT_BLACK)
            v.push_back(it.color);
    return v;
}

}  // namespace

TEST_F(KestoTest, HighContrastTraceStandsOutThreeToOneAndTheChoiceIsKept)
{
    const std::string ini = (rt::test::ScratchDir() / "Kesto.ini").string();
    rt::test::UseSettingsFile(ini);
    auto rig = kt::MakeRig(1);
    const QColor grey(168, 176, 180);
    auto stepAndCheck = [&](bool high) {
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        rt::test::PressButton(kestopnl, KESTOPNL_INC1);
        const auto colours = TraceColours();
        ASSERT_FALSE(colours.empty());
        for (int c : colours) {
            const double ratio = rt::test::Contrast(QColor::fromRgb(QRgb(c)), grey);
            if (high)
                EXPECT_GE(ratio, 3.0) << std::hex << c;
            else
                EXPECT_EQ(c, RT_RED) << "the designed colour";
        }
    };
    EXPECT_EQ(RunKesto(PORTPNL_COM1,
                       [&] {
                           SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
                           int checked = -1;
                           GetMenuBarAttribute(menu_handle, KESTOMENU_CONTRAST, RT_ATTR_CHECKED,
                                               &checked);
                           EXPECT_EQ(checked, 0) << "off by default";
                           stepAndCheck(false);
                           rt::test::ChooseMenuItem(menu_handle, KESTOMENU_CONTRAST);
                           GetMenuBarAttribute(menu_handle, KESTOMENU_CONTRAST, RT_ATTR_CHECKED,
                                               &checked);
                           EXPECT_EQ(checked, 1);
                           // The segments there already and those drawn next.
                           stepAndCheck(true);
                       }),
              0);
    EXPECT_EQ(GetUserSetting("Kesto", "view/highContrast", 0), 1);
    EXPECT_EQ(RunKesto(PORTPNL_COM1,
                       [&] {
                           int checked = -1;
                           GetMenuBarAttribute(menu_handle, KESTOMENU_CONTRAST, RT_ATTR_CHECKED,
                                               &checked);
                           EXPECT_EQ(checked, 1) << "kept from the last run";
                           SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, 0);
                           stepAndCheck(true);
                           rt::test::ChooseMenuItem(menu_handle, KESTOMENU_CONTRAST);
                           stepAndCheck(false);
                       }),
              0);
    EXPECT_EQ(GetUserSetting("Kesto", "view/highContrast", 1), 0);
}
