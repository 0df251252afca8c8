// SPDX-License-Identifier: GPL-3.0-or-later
#include "rigsim_args.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace rigsim::args {

namespace {

struct NamedRule {
    std::string_view option;
    NumberRule rule;
};

// Ranges wide enough for any use of a simulated rig, narrow enough that
// every value converts to its type without overflow.
constexpr NamedRule kOptionRules[] = {
    {"--angle", {-1000000, 1000000, true, "degrees"}},
    {"--attn", {-1000, 1000, false, "dB"}},
    {"--peak", {-1000, 1000, false, "dB"}},
    {"--boresight", {-1000000, 1000000, false, "degrees"}},
    {"--noise", {0, 100, false, "dB"}},
    {"--drift", {-100, 100, false, "dB per minute"}},
    {"--distance", {0, 1000000, false, "metres"}},
    {"--floor", {-100, 100, false, "dB"}},
    {"--baud", {0, 4000000, true, "baud"}},
    {"--step-ms", {0, 3600000, false, "ms"}},
    {"--init-ms", {0, 3600000, false, "ms"}},
    {"--fault-count", {0, 1000000000, true, "replies"}},
    {"--fault-step", {1, 1000000000, true, "steps"}},
    {"--seed", {0, 4294967295.0, true, nullptr}},
};

constexpr NumberRule kShortKeep{0, 3, true, "bytes"};
constexpr NumberRule kMisalign{-90, 90, false, "degrees"};
constexpr NumberRule kLateMs{0, 3600000, false, "ms"};
constexpr NumberRule kUnplugMs{0, 86400000, false, "ms"};
constexpr NumberRule kUnplugReplies{1, 1000000000, true, "replies"};
constexpr NumberRule kUnplugSteps{1, 1000000000, true, "steps"};
constexpr NumberRule kCmdAttn{-1000, 1000, false, "dB"};
constexpr NumberRule kCmdAngle{-1000000, 1000000, true, "degrees"};
constexpr NumberRule kCmdCount{1, 1000000000, true, "replies"};
constexpr NumberRule kCmdUnplugMs{-1, 86400000, false, "ms"};

// The user's text in a message: quoted, cut short, with control bytes shown
// as '?', so that nothing typed can garble the terminal.
std::string Quoted(std::string_view text)
{
    constexpr std::size_t kMax = 40;
    std::string q = "\"";
    for (std::size_t i = 0; i < text.size() && i < kMax; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        q += (c < 0x20 || c == 0x7F) ? '?' : char(c);
    }
    if (text.size() > kMax)
        q += "...";
    return q + "\"";
}

// Every bound is a whole number, written without the locale.
std::string Whole(double v)
{
    return std::to_string(static_cast<long long>(v));
}

std::string RuleText(const NumberRule &rule)
{
    std::string t = rule.whole ? "a whole number" : "a number";
    if (rule.what)
        t += std::string(" of ") + rule.what;
    return t + " from " + Whole(rule.lo) + " to " + Whole(rule.hi);
}

bool InRule(double v, const NumberRule &rule)
{
    return std::isfinite(v) && v >= rule.lo && v <= rule.hi && (!rule.whole || v == std::floor(v));
}

void Require(bool promise)
{
    if (!promise)
        std::abort();
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Splits off the first blank-separated word of `s`.
std::string_view NextWord(std::string_view *s)
{
    *s = Trim(*s);
    std::size_t end = 0;
    while (end < s->size() && (*s)[end] != ' ' && (*s)[end] != '\t')
        ++end;
    std::string_view word = s->substr(0, end);
    s->remove_prefix(end);
    *s = Trim(*s);
    return word;
}

}  // namespace

bool ParseNumber(std::string_view text, double *out)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    double v = 0.0;
    const char *first = text.data();
    const char *last = first + text.size();
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

std::string ParseRuled(std::string_view name, std::string_view text, const NumberRule &rule,
                       double *out)
{
    double v = 0.0;
    if (!ParseNumber(text, &v) || !InRule(v, rule))
        return std::string(name) + " takes " + RuleText(rule) + ", not " + Quoted(text);
    *out = v + 0.0;  // no negative zero
    return {};
}

bool ParseHex(std::string_view text, std::vector<std::uint8_t> *out)
{
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == ',' || c == ':')
            continue;
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (high < 0) {
            high = d;
        } else {
            if (bytes.size() >= kMaxFaultBytes)
                return false;
            bytes.push_back(std::uint8_t(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0 || bytes.empty())
        return false;
    *out = std::move(bytes);
    return true;
}

const NumberRule *OptionRule(std::string_view option)
{
    for (const NamedRule &r : kOptionRules)
        if (r.option == option)
            return &r.rule;
    return nullptr;
}

std::string ParseFault(std::string_view text, Fault *out)
{
    const std::size_t colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    const bool hasArg = colon != std::string_view::npos;
    const std::string_view arg = hasArg ? text.substr(colon + 1) : std::string_view();
    double v = 0.0;
    std::vector<std::uint8_t> bytes;
    if (kind == "silence" && !hasArg) {
        *out = Fault::silence();
    } else if (kind == "short" && hasArg) {
        std::string why = ParseRuled("--fault short:K", arg, kShortKeep, &v);
        if (!why.empty())
            return why + " (the bytes of the reply that get through)";
        *out = Fault::shortReply(int(v));
    } else if (kind == "garbage" && !hasArg) {
        *out = Fault::garbage(4);
    } else if ((kind == "garbage" || kind == "script") && hasArg) {
        if (!ParseHex(arg, &bytes))
            return "--fault " + std::string(kind) + ":HEX takes 1 to "
                   + std::to_string(kMaxFaultBytes) + " bytes in hex such as 0384005A, not "
                   + Quoted(arg);
        *out = kind == "garbage" ? Fault::garbage(std::move(bytes))
                                 : Fault::scripted(std::move(bytes));
    } else if (kind == "late" && hasArg) {
        std::string why = ParseRuled("--fault late:MS", arg, kLateMs, &v);
        if (!why.empty())
            return why;
        *out = Fault::late(v);
    } else {
        return "--fault takes silence, short:K, garbage, garbage:HEX, late:MS or script:HEX, not "
               + Quoted(text);
    }
    return {};
}

std::string ParseAntennaOption(std::string_view text, int *type)
{
    if (!ParseAntennaType(text, type))
        return "--antenna takes dipole, horn, yagi, iso or a library type from 0 to 15, not "
               + Quoted(text);
    return {};
}

std::string ParseMisalign(std::string_view text, double *eDegrees, double *hDegrees)
{
    const std::size_t colon = text.find(':');
    double e = 0.0, h = 0.0;
    std::string why;
    if (colon == std::string_view::npos) {
        why = ParseRuled("--misalign", text, kMisalign, &e);
        h = e;
    } else {
        why = ParseRuled("--misalign E", text.substr(0, colon), kMisalign, &e);
        if (why.empty())
            why = ParseRuled("--misalign H", text.substr(colon + 1), kMisalign, &h);
    }
    if (!why.empty())
        return why + " (DEG for both cuts, or E:H)";
    *eDegrees = e;
    *hDegrees = h;
    return {};
}

std::string ParseUnplug(std::string_view option, std::string_view text, int *count, double *ms)
{
    const bool steps = option == "--unplug-steps";
    const std::string usage = std::string(option) + " takes N:MS (after the N-th "
                              + (steps ? "step" : "reply") + ", for MS ms)";
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return usage + ", not " + Quoted(text);
    double n = 0.0, t = 0.0;
    std::string why = ParseRuled(std::string(option) + " N", text.substr(0, colon),
                                 steps ? kUnplugSteps : kUnplugReplies, &n);
    if (why.empty())
        why = ParseRuled(std::string(option) + " MS", text.substr(colon + 1), kUnplugMs, &t);
    if (!why.empty())
        return why;
    *count = int(n);
    *ms = t;
    return {};
}

std::string ParseCommand(std::string_view line, Command *out)
{
    std::string_view rest = line;
    const std::string_view word = NextWord(&rest);
    const std::string_view arg = NextWord(&rest);
    Command c;
    struct Simple {
        std::string_view word;
        Command::Kind kind;
    };
    static constexpr Simple kSimple[] = {
        {"e", Command::PlaneE},      {"E", Command::PlaneE},      {"h", Command::PlaneH},
        {"H", Command::PlaneH},      {"t", Command::TogglePlane}, {"g", Command::Garbage},
        {"n", Command::ClearFaults}, {"r", Command::PlugIn},      {"s", Command::Show},
        {"q", Command::Quit},
    };
    // The command, the rule of its number, and whether the number may be left out.
    struct WithNumber {
        std::string_view word;
        Command::Kind kind;
        const NumberRule *rule;
        bool optional;
        double byDefault;
    };
    static constexpr WithNumber kWithNumber[] = {
        {"a", Command::Attenuate, &kCmdAttn, false, 0},
        {"p", Command::Position, &kCmdAngle, false, 0},
        {"x", Command::Silence, &kCmdCount, true, 1},
        {"k", Command::ShortReply, &kShortKeep, false, 0},
        {"l", Command::Late, &kLateMs, false, 0},
        {"u", Command::Unplug, &kCmdUnplugMs, true, 1000},
    };
    if (word.empty()) {
        *out = c;
        return {};
    }
    for (const Simple &s : kSimple) {
        if (s.word != word)
            continue;
        if (!arg.empty() || !rest.empty())
            return std::string(word) + " takes no number, not " + Quoted(line);
        c.kind = s.kind;
        *out = c;
        return {};
    }
    for (const WithNumber &w : kWithNumber) {
        if (w.word != word)
            continue;
        double v = w.byDefault;
        if (!rest.empty())
            return std::string(word) + " takes one number, not " + Quoted(line);
        if (arg.empty() && !w.optional)
            return std::string(word) + " needs " + RuleText(*w.rule);
        if (!arg.empty()) {
            std::string why = ParseRuled(word, arg, *w.rule, &v);
            if (why.empty() && w.kind == Command::Unplug && v < 0 && v != -1)
                why = "u takes a number of ms from 0 to " + Whole(w.rule->hi)
                      + ", or -1 for until r, not " + Quoted(arg);
            if (!why.empty())
                return why;
        }
        c.kind = w.kind;
        c.value = v;
        c.count = int(v);
        *out = c;
        return {};
    }
    return "unknown command " + Quoted(line) + " (see --help)";
}

void CheckAllParsers(std::string_view input)
{
    for (const NamedRule &r : kOptionRules) {
        double v = -12345.678;
        const std::string why = ParseRuled(r.option, input, r.rule, &v);
        if (why.empty())
            Require(InRule(v, r.rule));
        else
            Require(v == -12345.678 && why.size() < 300);
    }

    Fault f;
    const std::string fw = ParseFault(input, &f);
    if (fw.empty()) {
        Require(f.kind != FaultKind::None);
        if (f.kind == FaultKind::Short)
            Require(f.keep >= 0 && f.keep <= 3);
        if (f.kind == FaultKind::Late)
            Require(InRule(f.delayMs, kLateMs));
        if (f.kind == FaultKind::Scripted || (f.kind == FaultKind::Garbage && !f.bytes.empty()))
            Require(f.bytes.size() <= kMaxFaultBytes);
    } else {
        Require(fw.size() < 300);
    }

    int type = -7;
    if (ParseAntennaOption(input, &type).empty())
        Require(type >= kIsotropic && type < kLibraryTypes);
    else
        Require(type == -7);
    double me = -777, mh = -777;
    if (ParseMisalign(input, &me, &mh).empty())
        Require(InRule(me, kMisalign) && InRule(mh, kMisalign));
    else
        Require(me == -777 && mh == -777);

    for (std::string_view option : {"--unplug", "--unplug-steps"}) {
        int n = -7;
        double ms = -7.0;
        const std::string uw = ParseUnplug(option, input, &n, &ms);
        if (uw.empty())
            Require(n >= 1 && n <= 1000000000 && InRule(ms, kUnplugMs));
        else
            Require(n == -7 && ms == -7.0);
    }

    Command c;
    c.count = -7;
    const std::string cw = ParseCommand(input, &c);
    if (!cw.empty()) {
        Require(c.count == -7 && cw.size() < 400);
        return;
    }
    switch (c.kind) {
    case Command::Attenuate:
        Require(InRule(c.value, kCmdAttn));
        break;
    case Command::Position:
        Require(InRule(c.value, kCmdAngle));
        break;
    case Command::Silence:
        Require(c.count >= 1 && c.count <= 1000000000);
        break;
    case Command::ShortReply:
        Require(c.count >= 0 && c.count <= 3);
        break;
    case Command::Late:
        Require(InRule(c.value, kLateMs));
        break;
    case Command::Unplug:
        Require(c.value == -1 || InRule(c.value, kUnplugMs));
        break;
    default:
        break;
    }
}

std::string DefaultLink(const char *runtimeDir)
{
    if (!runtimeDir || runtimeDir[0] != '/')
        return {};
    std::string link = runtimeDir;
    while (link.size() > 1 && link.back() == '/')
        link.pop_back();
    return (link == "/" ? "" : link) + "/veloran-rig";
}

}  // namespace rigsim::args
