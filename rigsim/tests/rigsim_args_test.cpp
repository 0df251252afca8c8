// SPDX-License-Identifier: GPL-3.0-or-later
// The rigsim program's parsers of option numbers, faults, unplugs and stdin
// commands: values in range come through, everything else is refused with a
// message that says what is taken.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "rigsim_args.h"

using namespace rigsim::args;

namespace {

struct OptionCase {
    const char *option;
    const char *text;
    bool ok;
    double value;
};

}  // namespace

TEST(RigsimArgs, OptionNumbersInAndOutOfRange)
{
    const OptionCase cases[] = {
        {"--angle", "90", true, 90},
        {"--angle", "-90", true, -90},
        {"--angle", "+400", true, 400},
        {"--angle", "1e20", false, 0},
        {"--angle", "90.5", false, 0},
        {"--angle", "2147483648", false, 0},
        {"--attn", "10.5", true, 10.5},
        {"--attn", "1e300", false, 0},
        {"--peak", "-5", true, -5},
        {"--boresight", "12.25", true, 12.25},
        {"--noise", "0.5", true, 0.5},
        {"--noise", "-0.1", false, 0},
        {"--drift", "0.5", true, 0.5},
        {"--drift", "-2", true, -2},
        {"--drift", "101", false, 0},
        {"--drift", "nan", false, 0},
        {"--baud", "9600", true, 9600},
        {"--baud", "0", true, 0},
        {"--baud", "1e30", false, 0},
        {"--baud", "9600.5", false, 0},
        {"--step-ms", "0", true, 0},
        {"--step-ms", "-1", false, 0},
        {"--init-ms", "nan", false, 0},
        {"--init-ms", "inf", false, 0},
        {"--fault-count", "3", true, 3},
        {"--fault-count", "1e10", false, 0},
        {"--fault-step", "100", true, 100},
        {"--fault-step", "0", false, 0},
        {"--seed", "4294967295", true, 4294967295.0},
        {"--seed", "-1", false, 0},
        {"--seed", "4294967296", false, 0},
        {"--seed", "", false, 0},
        {"--seed", "12abc", false, 0},
        {"--seed", " 12", false, 0},
        {"--attn", "1,5", false, 0},
        {"--attn", "0x10", false, 0},
        {"--attn", "++1", false, 0},
        {"--attn", "-0", true, 0},
        {"--distance", "0.25", true, 0.25},
        {"--distance", "0", true, 0},
        {"--distance", "-1", false, 0},
        {"--distance", "1e7", false, 0},
        {"--floor", "-30", true, -30},
        {"--floor", "-101", false, 0},
        {"--floor", "inf", false, 0},
    };
    for (const OptionCase &c : cases) {
        const NumberRule *rule = OptionRule(c.option);
        ASSERT_NE(rule, nullptr) << c.option;
        double v = -999;
        const std::string why = ParseRuled(c.option, c.text, *rule, &v);
        EXPECT_EQ(why.empty(), c.ok) << c.option << " " << c.text << ": " << why;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.option << " " << c.text;
            EXPECT_FALSE(std::signbit(v) && v == 0) << "no negative zero";
        } else {
            EXPECT_EQ(v, -999) << "nothing stored on a refusal";
            EXPECT_EQ(why.rfind(std::string(c.option) + " takes ", 0), 0u) << why;
            EXPECT_NE(why.find(std::string("\"") + c.text + "\""), std::string::npos) << why;
        }
    }
    EXPECT_EQ(OptionRule("--link"), nullptr);
}

// Without --link the link goes to the user's private run-time folder, or
// nowhere: never to a fixed name in /tmp.
TEST(RigsimArgs, DefaultLinkIsInTheUsersRunTimeFolder)
{
    EXPECT_EQ(DefaultLink("/run/user/1000"), "/run/user/1000/veloran-rig");
    EXPECT_EQ(DefaultLink("/run/user/1000//"), "/run/user/1000/veloran-rig");
    EXPECT_EQ(DefaultLink("/"), "/veloran-rig");
    EXPECT_EQ(DefaultLink(nullptr), "");
    EXPECT_EQ(DefaultLink(""), "");
    EXPECT_EQ(DefaultLink("run/user/1000"), "") << "a relative folder depends on where it starts";
}

TEST(RigsimArgs, MessagesGiveTheRange)
{
    double v;
    EXPECT_EQ(ParseRuled("--angle", "1e20", *OptionRule("--angle"), &v),
              "--angle takes a whole number of degrees from -1000000 to 1000000, not \"1e20\"");
    EXPECT_EQ(ParseRuled("--seed", "-1", *OptionRule("--seed"), &v),
              "--seed takes a whole number from 0 to 4294967295, not \"-1\"");
    // A long or unprintable text is cut and cleaned in the message.
    const std::string why =
        ParseRuled("--attn", std::string(100, '7') + "\x1b[2J", *OptionRule("--attn"), &v);
    EXPECT_EQ(why.find('\x1b'), std::string::npos);
    EXPECT_LT(why.size(), 120u);
}

TEST(RigsimArgs, NumbersIgnoreTheLocale)
{
    const char *had = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = had ? had : "C";
    for (const char *name : {"de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name))
            break;
    double v = 0;
    EXPECT_TRUE(ParseNumber("2.5", &v));
    EXPECT_EQ(v, 2.5);
    EXPECT_FALSE(ParseNumber("2,5", &v));
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(RigsimArgs, AntennaAndMisalignment)
{
    int type = 99;
    EXPECT_EQ(ParseAntennaOption("yagi", &type), "");
    EXPECT_EQ(type, 9);
    EXPECT_EQ(ParseAntennaOption("14", &type), "");
    EXPECT_EQ(type, 14);
    EXPECT_EQ(ParseAntennaOption("iso", &type), "");
    EXPECT_EQ(type, rigsim::kIsotropic);
    type = 99;
    EXPECT_EQ(ParseAntennaOption("16", &type),
              "--antenna takes dipole, horn, yagi, iso or a library type from 0 to 15, not \"16\"");
    EXPECT_EQ(type, 99);

    struct Case {
        const char *text;
        bool ok;
        double e, h;
    };
    for (const Case &c :
         {Case{"2", true, 2, 2}, Case{"-1.5", true, -1.5, -1.5}, Case{"0:8", true, 0, 8},
          Case{"3:-2.5", true, 3, -2.5}, Case{"90:90", true, 90, 90}, Case{"91", false, 0, 0},
          Case{"1:", false, 0, 0}, Case{":1", false, 0, 0}, Case{"1:2:3", false, 0, 0},
          Case{"", false, 0, 0}, Case{"nan", false, 0, 0}}) {
        double e = -777, h = -777;
        const std::string why = ParseMisalign(c.text, &e, &h);
        EXPECT_EQ(why.empty(), c.ok) << c.text << ": " << why;
        if (c.ok) {
            EXPECT_EQ(e, c.e) << c.text;
            EXPECT_EQ(h, c.h) << c.text;
        } else {
            EXPECT_EQ(e, -777) << c.text;
            EXPECT_NE(why.find("(DEG for both cuts, or E:H)"), std::string::npos) << why;
        }
    }
}

TEST(RigsimArgs, Faults)
{
    struct Case {
        const char *text;
        bool ok;
        rigsim::FaultKind kind;
    };
    const Case cases[] = {
        {"silence", true, rigsim::FaultKind::Silence},
        {"short:0", true, rigsim::FaultKind::Short},
        {"short:3", true, rigsim::FaultKind::Short},
        {"short:4", false, {}},
        {"short:-1", false, {}},
        {"short:1.5", false, {}},
        {"short", false, {}},
        {"garbage", true, rigsim::FaultKind::Garbage},
        {"garbage:0384", true, rigsim::FaultKind::Garbage},
        {"garbage:038", false, {}},
        {"script:03 84,00:5A", true, rigsim::FaultKind::Scripted},
        {"script:", false, {}},
        {"script:zz", false, {}},
        {"late:250", true, rigsim::FaultKind::Late},
        {"late:1e300", false, {}},
        {"late:-5", false, {}},
        {"silence:2", false, {}},
        {"loud", false, {}},
        {"", false, {}},
    };
    for (const Case &c : cases) {
        rigsim::Fault f;
        const std::string why = ParseFault(c.text, &f);
        EXPECT_EQ(why.empty(), c.ok) << c.text << ": " << why;
        if (c.ok)
            EXPECT_EQ(f.kind, c.kind) << c.text;
        else
            EXPECT_EQ(why.rfind("--fault ", 0), 0u) << why;
    }
    rigsim::Fault f;
    EXPECT_NE(ParseFault("short:7", &f).find("from 0 to 3"), std::string::npos);
    ASSERT_EQ(ParseFault("script:03 84,00:5A", &f), "");
    EXPECT_EQ(f.bytes, (std::vector<std::uint8_t>{0x03, 0x84, 0x00, 0x5A}));
    ASSERT_EQ(ParseFault("late:12.5", &f), "");
    EXPECT_EQ(f.delayMs, 12.5);
    EXPECT_NE(ParseFault("script:" + std::string(2 * (kMaxFaultBytes + 1), 'A'), &f), "");
}

TEST(RigsimArgs, Unplug)
{
    int n = 0;
    double ms = 0;
    EXPECT_EQ(ParseUnplug("--unplug", "100:1000", &n, &ms), "");
    EXPECT_EQ(n, 100);
    EXPECT_EQ(ms, 1000);
    EXPECT_EQ(ParseUnplug("--unplug-steps", "1:0", &n, &ms), "");
    for (const char *bad : {"0:100", "5", "5:", ":5", "5:-1", "1e20:5", "5:1e300", "2.5:10", "a:b"})
        EXPECT_NE(ParseUnplug("--unplug", bad, &n, &ms), "") << bad;
    EXPECT_NE(ParseUnplug("--unplug-steps", "7", &n, &ms).find("N-th step"), std::string::npos);
}

TEST(RigsimArgs, StandardInputCommands)
{
    struct Case {
        const char *line;
        bool ok;
        Command::Kind kind;
        double value;
    };
    const Case cases[] = {
        {"", true, Command::Empty, 0},
        {"   ", true, Command::Empty, 0},
        {"e", true, Command::PlaneE, 0},
        {"H", true, Command::PlaneH, 0},
        {" t ", true, Command::TogglePlane, 0},
        {"a 10", true, Command::Attenuate, 10},
        {"a", false, {}, 0},
        {"a 1e20", false, {}, 0},
        {"p 45", true, Command::Position, 45},
        {"p -45\r", true, Command::Position, -45},
        {"p 1e20", false, {}, 0},
        {"p 10 20", false, {}, 0},
        {"p ten", false, {}, 0},
        {"x", true, Command::Silence, 1},
        {"x 5", true, Command::Silence, 5},
        {"x 0", false, {}, 0},
        {"x 1e20", false, {}, 0},
        {"k 2", true, Command::ShortReply, 2},
        {"k 7", false, {}, 0},
        {"g", true, Command::Garbage, 0},
        {"g 4", false, {}, 0},
        {"l 300", true, Command::Late, 300},
        {"l -3", false, {}, 0},
        {"n", true, Command::ClearFaults, 0},
        {"u", true, Command::Unplug, 1000},
        {"u 250", true, Command::Unplug, 250},
        {"u -1", true, Command::Unplug, -1},
        {"u -2", false, {}, 0},
        {"u -0.5", false, {}, 0},
        {"r", true, Command::PlugIn, 0},
        {"s", true, Command::Show, 0},
        {"q", true, Command::Quit, 0},
        {"quit", false, {}, 0},
    };
    for (const Case &c : cases) {
        Command cmd;
        const std::string why = ParseCommand(c.line, &cmd);
        EXPECT_EQ(why.empty(), c.ok) << "\"" << c.line << "\": " << why;
        if (c.ok) {
            EXPECT_EQ(cmd.kind, c.kind) << c.line;
            EXPECT_EQ(cmd.value, c.value) << c.line;
        }
    }
    Command cmd;
    EXPECT_EQ(ParseCommand("quit", &cmd), "unknown command \"quit\" (see --help)");
    EXPECT_EQ(ParseCommand("k 9", &cmd), "k takes a whole number of bytes from 0 to 3, not \"9\"");
}

// The fuzzer's entry point keeps its promises on awkward inputs (it aborts
// otherwise).
TEST(RigsimArgs, CheckAllParsersOnAwkwardInputs)
{
    for (const char *input :
         {"",           "0",         "-0",       "1e308",        "1e309", "-1e-320",
          "4294967295", "3:3",       "short:3",  "late:3600000", "u -1",  "x 1000000000",
          "p -1000000", "script:ff", "\xff\xfe", "nan",          "+",     "-",
          ".",          "1e",        "0x1p3"})
        CheckAllParsers(input);
    CheckAllParsers(std::string("a\0b", 3));
    SUCCEED();
}
