// SPDX-License-Identifier: GPL-3.0-or-later
// The gain by comparison panel: files, settings, the statement of the gain
// and its uncertainty budget.
#include "gain_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "antenna.h"
#include "antenna_uir.h"
#include "checks.h"
#include "checks_view.h"
#include "message.h"
#include "pattern_file.h"
#include "rt.h"
#include "theory.h"
#include "uncertainty.h"

int gainpnl = 0;

namespace {

constexpr const char *kProgram = "antenna";
constexpr const char *kCtx = "GainPanel";
constexpr const char *kTitle = "Gain by comparison";
constexpr int kWarnColor = 0xC00000;

// A measurement given to the panel besides the open pattern.
struct GainPattern {
    std::string path;
    std::unique_ptr<PatternRecord> rec;
};
std::vector<GainPattern> gRefs;     // the reference antenna's files
std::vector<GainPattern> gRepeats;  // more files of the open pattern's antenna

// The standard uncertainties the user sets, kept between runs.
struct USetting {
    const char *key;
    int ctrl;
    double GainSettings::*field;
};
const USetting kUSettings[] = {
    {"gain/uReferenceGain", GAINPNL_U_REFGAIN, &GainSettings::uReferenceGain},
    {"gain/uAttenuator", GAINPNL_U_ATTN, &GainSettings::uAttenuator},
    {"gain/uMismatch", GAINPNL_U_MISMATCH, &GainSettings::uMismatch},
    {"gain/uAlignment", GAINPNL_U_ALIGN, &GainSettings::uAlignment},
};
bool gSettingsRead = false;
GainSettings gSettings;
// The reference gain as last set, kept while the panel is closed so that
// it comes back when the panel is opened again.
std::optional<double> gRefGain;

std::string Say(const char *text, std::vector<std::string> args = {})
{
    return English(Message{kCtx, text, std::move(args)});
}

std::string Dbi(double v)
{
    return Say(QT_TRANSLATE_NOOP("GainPanel", "%1 dBi"), {Fixed(v, 2)});
}

std::string Db(double v)
{
    return Say(QT_TRANSLATE_NOOP("GainPanel", "%1 dB"), {Fixed(v, 2)});
}

// The shortest text that reads back as the same number, with a point.
std::string Shortest(double v)
{
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v);
    return std::string(b, r.ptr);
}

// A standard uncertainty as typed: a number of decibels, 0 or more; empty
// for the default. False with the reason for anything else.
bool ParseUncertainty(const std::string &text, std::optional<double> *u, std::string *why)
{
    const size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
    if (a == std::string::npos) {
        u->reset();
        return true;
    }
    const std::string t = text.substr(a, b - a + 1);
    double v = 0;
    const char *first = t.data() + (t[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(first, t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) {
        *why = Say(QT_TRANSLATE_NOOP(
                       "GainPanel", "The standard uncertainty \"%1\" is not a number of decibels."),
                   {t});
        return false;
    }
    if (v < 0) {
        *why = Say(QT_TRANSLATE_NOOP("GainPanel",
                                     "A standard uncertainty cannot be below 0 dB; \"%1\" is."),
                   {t});
        return false;
    }
    *u = v;
    return true;
}

const GainSettings &Settings()
{
    if (!gSettingsRead) {
        gSettingsRead = true;
        for (const USetting &s : kUSettings) {
            // A setting spoilt outside the program leaves the default.
            std::optional<double> u;
            std::string why;
            if (ParseUncertainty(GetUserSettingText(kProgram, s.key, ""), &u, &why) && u)
                gSettings.*s.field = *u;
        }
    }
    return gSettings;
}

void SetText(int ctrl, const std::string &s)
{
    SetCtrlVal(gainpnl, ctrl, s.c_str());
}

int OpenType()
{
    return PatternOpen() && ptsPtr && ptsPtr->Antype >= 0 && ptsPtr->Antype < THEORY_TYPES
               ? ptsPtr->Antype
               : -1;
}

int TypeOf(const PatternRecord &r)
{
    return r.Antype >= 0 && r.Antype < THEORY_TYPES ? r.Antype : -1;
}

std::string TypeName(int type)
{
    return type >= 0 ? DesignOf(type).name : "It is not specified.";
}

std::string BaseName(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

std::string Canonical(const std::string &path)
{
    std::error_code ec;
    const auto p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

// The files of a list on its ring, the one at `shown` selected.
void ShowList(int ctrl, int removeCtrl, const std::vector<GainPattern> &list, int shown)
{
    ClearListCtrl(gainpnl, ctrl);
    for (size_t i = 0; i < list.size(); ++i)
        InsertListItem(gainpnl, ctrl, -1,
                       Say(QT_TRANSLATE_NOOP("GainPanel", "%1. %2"),
                           {std::to_string(i + 1), BaseName(list[i].path)})
                           .c_str(),
                       int(i));
    if (!list.empty())
        SetCtrlAttribute(gainpnl, ctrl, RT_ATTR_CTRL_INDEX,
                         std::clamp(shown, 0, int(list.size()) - 1));
    SetCtrlAttribute(gainpnl, removeCtrl, RT_ATTR_DIMMED, list.empty());
}

int ShownIndex(int ctrl)
{
    int i = -1;
    GetCtrlAttribute(gainpnl, ctrl, RT_ATTR_CTRL_INDEX, &i);
    return i;
}

// Characters (not bytes) of a UTF-8 text.
size_t Width(const std::string &s)
{
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Pad(const std::string &s, size_t width)
{
    const size_t w = Width(s);
    return w >= width ? s : s + std::string(width - w, ' ');
}

// The budget as a table in a fixed-width font: component, standard
// uncertainty, counted, source (which says why a component is not counted).
std::string BudgetTable(const GainResult &g)
{
    const std::string head[] = {Say(QT_TRANSLATE_NOOP("GainPanel", "Component")),
                                Say(QT_TRANSLATE_NOOP("GainPanel", "u (dB)")),
                                Say(QT_TRANSLATE_NOOP("GainPanel", "Counted")),
                                Say(QT_TRANSLATE_NOOP("GainPanel", "Source"))};
    const std::string yes = Say(QT_TRANSLATE_NOOP("GainPanel", "yes")),
                      no = Say(QT_TRANSLATE_NOOP("GainPanel", "no"));
    size_t w0 = Width(head[0]), w1 = Width(head[1]),
           w2 = std::max({Width(head[2]), Width(yes), Width(no)});
    for (const UncertaintyComponent &c : g.components)
        w0 = std::max(w0, Width(English(c.name)));
    w1 = std::max<size_t>(w1, 5);
    auto row = [&](const std::string &a, const std::string &b, const std::string &c,
                   const std::string &d) {
        const std::string u =
            std::string(w1 > Width(b) ? w1 - Width(b) : 0, ' ') + b;  // right-aligned
        return Pad(a, w0) + "  " + u + "  " + Pad(c, w2) + "  " + d + "\n";
    };
    std::string t = row(head[0], head[1], head[2], head[3]);
    for (const UncertaintyComponent &c : g.components)
        t += row(English(c.name), c.counted ? Fixed(c.u, 2) : "-", c.counted ? yes : no,
                 English(c.source));
    t += "\n"
         + Say(QT_TRANSLATE_NOOP("GainPanel", "Combined standard uncertainty u_c (root sum of "
                                              "squares of the counted components): %1 dB"),
               {Fixed(g.combined, 2)})
         + "\n"
         + Say(QT_TRANSLATE_NOOP("GainPanel", "Expanded uncertainty U = k u_c: %1 dB (k = %2)"),
               {Fixed(g.expanded, 2), Fixed(g.coverage, 0)});
    return t;
}

// The files of a list as the comparison takes them, with the planes deleted
// from view left out of every file alike, so that a plane is only ever
// compared with the same plane.
void AddFiles(const PatternRecord &r, std::vector<GainFile> *files)
{
    files->push_back(
        {Eflag == 1 ? nullptr : r.e_data, Hflag == 1 ? nullptr : r.h_data, r.Eattn, r.Hattn});
}

void ClearResult(const std::string &why)
{
    for (int c : {GAINPNL_UC, GAINPNL_U})
        SetText(c, "");
    SetText(GAINPNL_RESULT, why);
    ResetTextBox(gainpnl, GAINPNL_BUDGET, "");
    SetText(GAINPNL_FLAG, "");
}

void FillGainPanel()
{
    if (gainpnl <= 0)
        return;
    const GainSettings &s = Settings();
    const bool open = PatternOpen() && ptsPtr;
    SetText(GAINPNL_ANTFILE, open ? BaseName(filepathname) : "");
    ShowList(GAINPNL_REPEATS, GAINPNL_REPREMOVE, gRepeats, ShownIndex(GAINPNL_REPEATS));
    ShowList(GAINPNL_REFFILE, GAINPNL_REFREMOVE, gRefs, ShownIndex(GAINPNL_REFFILE));
    SetCtrlAttribute(gainpnl, GAINPNL_REPADD, RT_ATTR_DIMMED, !open);
    const int rt = gRefs.empty() ? -1 : TypeOf(*gRefs[0].rec);
    SetText(GAINPNL_REFTYPE, gRefs.empty() ? "" : TypeName(rt));
    const int type = OpenType();
    const TheoryModel *own = type >= 0 ? &TheoryModelOf(type) : nullptr;
    SetText(GAINPNL_MODEL,
            !own      ? (open ? "no type in the pattern" : "")
            : own->ok ? Say(QT_TRANSLATE_NOOP("GainPanel", "%1, %2"),
                            {Dbi(own->gainDbi), DesignOf(type).name})
                      : Say(QT_TRANSLATE_NOOP("GainPanel", "not available: %1"), {own->error}));
    for (const USetting &u : kUSettings)
        SetText(u.ctrl, Shortest(s.*u.field));
    const std::optional<double> distance = RangeDistance();
    SetText(GAINPNL_DISTANCE,
            distance ? Say(QT_TRANSLATE_NOOP("GainPanel", "%1 m (set in Measure > Checks...)"),
                           {Shortest(*distance)})
                     : Say(QT_TRANSLATE_NOOP("GainPanel", "not set (Measure > Checks...)")));
    SetText(GAINPNL_DIFF, "");
    if (!open || gRefs.empty()) {
        const std::string why = !open ? "No pattern is open." : "Choose a reference file.";
        SetText(GAINPNL_E, why);
        SetText(GAINPNL_H, why);
        ClearResult(why);
        return;
    }
    GainInput in;
    AddFiles(*ptsPtr, &in.antenna);
    for (const GainPattern &p : gRepeats)
        AddFiles(*p.rec, &in.antenna);
    for (const GainPattern &p : gRefs)
        AddFiles(*p.rec, &in.reference);
    if (gRefGain)
        SetCtrlVal(gainpnl, GAINPNL_REFGAIN, *gRefGain);
    GetCtrlVal(gainpnl, GAINPNL_REFGAIN, &in.referenceGainDbi);
    in.referenceGainFromModel =
        rt >= 0 && TheoryModelOf(rt).ok
        && std::fabs(in.referenceGainDbi - TheoryModelOf(rt).gainDbi) < 0.005;
    in.antennaFarField = FarFieldOfType(type, distance);
    in.referenceFarField = FarFieldOfType(rt, distance);
    if (own && own->ok)
        in.modelGainDbi = own->gainDbi;
    const GainResult g = GainWithUncertainty(in, s);
    SetText(GAINPNL_E, Eflag == 1 ? "hidden" : g.eGainDbi ? Dbi(*g.eGainDbi) : "no peak");
    SetText(GAINPNL_H, Hflag == 1 ? "hidden" : g.hGainDbi ? Dbi(*g.hGainDbi) : "no peak");
    if (!g.ok) {
        ClearResult(English(g.error));
        return;
    }
    if (g.eGainDbi && g.hGainDbi)
        SetText(GAINPNL_DIFF, Db(*g.eGainDbi - *g.hGainDbi));
    SetText(GAINPNL_RESULT, GainStatement(g));
    SetText(GAINPNL_UC, Db(g.combined));
    SetText(GAINPNL_U, Say(QT_TRANSLATE_NOOP("GainPanel", "%1 dB (k = %2)"),
                           {Fixed(g.expanded, 2), Fixed(g.coverage, 0)}));
    ResetTextBox(gainpnl, GAINPNL_BUDGET, BudgetTable(g).c_str());
    std::string flag;
    if (g.farFromModel)
        flag =
            Say(QT_TRANSLATE_NOOP("GainPanel", "More than 3 dB from the textbook model's gain of "
                                               "its type (%1 dBi): check the set-up."),
                {Fixed(*in.modelGainDbi, 2)});
    if (g.outsideMethod)
        flag += (flag.empty() ? "" : "\n")
                + Say(QT_TRANSLATE_NOOP("GainPanel", "The range is too short for the comparison: "
                                                     "the result is outside the method."));
    SetText(GAINPNL_FLAG, flag);
    SetCtrlAttribute(gainpnl, GAINPNL_FLAG, RT_ATTR_TEXT_COLOR, kWarnColor);
}

// Reads a file for a list; false with the message shown when it cannot be
// read or does not belong there.
std::unique_ptr<PatternRecord> ReadFor(const std::string &path,
                                       const std::vector<GainPattern> &list, bool repeat)
{
    const std::string canon = Canonical(path);
    std::string refused;
    if (repeat && !(PatternOpen() && ptsPtr))
        refused = Say(QT_TRANSLATE_NOOP("GainPanel", "Open a pattern file first: repeats are "
                                                     "measurements of its antenna."));
    else if (repeat && Canonical(filepathname) == canon)
        refused = Say(QT_TRANSLATE_NOOP("GainPanel", "%1 is the open pattern itself; a repeat is "
                                                     "another measurement of its antenna."),
                      {path});
    for (const GainPattern &p : list)
        if (refused.empty() && Canonical(p.path) == canon)
            refused = Say(QT_TRANSLATE_NOOP("GainPanel", "%1 is in the list already."), {path});
    if (!refused.empty()) {
        MessagePopup(kTitle, refused.c_str());
        return nullptr;
    }
    auto rec = std::make_unique<PatternRecord>();
    int lines = 0, emax = -1, hmax = -1;
    const PatternFileResult res = ReadPatternFile(path, *rec, lines, emax, hmax);
    if (!res.ok) {
        MessagePopup(kTitle, res.error.c_str());
        return nullptr;
    }
    // One list holds measurements of one antenna.
    const PatternRecord *first = repeat ? ptsPtr : list.empty() ? nullptr : list[0].rec.get();
    if (first && TypeOf(*first) >= 0 && TypeOf(*rec) >= 0 && TypeOf(*first) != TypeOf(*rec)) {
        MessagePopup(
            kTitle,
            Say(QT_TRANSLATE_NOOP("GainPanel", "%1 is a pattern of %2, the other files of %3: the "
                                               "files of the antenna, and those of the reference, "
                                               "must each be of one antenna."),
                {path, TypeName(TypeOf(*rec)), TypeName(TypeOf(*first))})
                .c_str());
        return nullptr;
    }
    return rec;
}

}  // namespace

void RefreshGainPanel()
{
    FillGainPanel();
}

void GainPatternChanged()
{
    gRepeats.clear();
    FillGainPanel();
}

void antGainCallback(int, int, void *, int)
{
    if (gainpnl <= 0) {
        gainpnl = LoadPanel(0, "antenna.uir", GAINPNL);
        if (gainpnl < 0) {
            gainpnl = 0;
            return;
        }
    }
    FillGainPanel();
    DisplayPanel(gainpnl);
}

bool SetGainReference(const std::string &path)
{
    auto rec = ReadFor(path, gRefs, false);
    if (!rec)
        return false;
    const bool first = gRefs.empty();
    gRefs.push_back({path, std::move(rec)});
    // The reference's gain defaults to its type's model gain.
    const int t = TypeOf(*gRefs[0].rec);
    if (first)
        gRefGain = t >= 0 && TheoryModelOf(t).ok ? TheoryModelOf(t).gainDbi : 0.0;
    FillGainPanel();
    if (gainpnl > 0)
        SetCtrlAttribute(gainpnl, GAINPNL_REFFILE, RT_ATTR_CTRL_INDEX, int(gRefs.size()) - 1);
    return true;
}

bool AddGainRepeat(const std::string &path)
{
    auto rec = ReadFor(path, gRepeats, true);
    if (!rec)
        return false;
    gRepeats.push_back({path, std::move(rec)});
    FillGainPanel();
    if (gainpnl > 0)
        SetCtrlAttribute(gainpnl, GAINPNL_REPEATS, RT_ATTR_CTRL_INDEX, int(gRepeats.size()) - 1);
    return true;
}

namespace {

bool ChooseAtn(const char *title, char (&path)[FILEPATH_SIZE])
{
    return FileSelectPopup("", "*.atn", "*.atn", title, RT_OK_BUTTON, 0, 0, 1, 1, path)
           == RT_EXISTING_FILE_SELECTED;
}

void RemoveShown(std::vector<GainPattern> &list, int ring)
{
    const int i = ShownIndex(ring);
    if (i >= 0 && size_t(i) < list.size())
        list.erase(list.begin() + i);
    FillGainPanel();
}

}  // namespace

int GainBrowseCallback(int, int, int event, void *, int, int)
{
    char path[FILEPATH_SIZE] = "";
    if (event == RT_EVENT_COMMIT && ChooseAtn("Reference pattern", path))
        SetGainReference(path);
    return 0;
}

int GainAddRepeatCallback(int, int, int event, void *, int, int)
{
    char path[FILEPATH_SIZE] = "";
    if (event == RT_EVENT_COMMIT && ChooseAtn("Repeated measurement", path))
        AddGainRepeat(path);
    return 0;
}

int GainRemoveRefCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        RemoveShown(gRefs, GAINPNL_REFFILE);
    return 0;
}

int GainRemoveRepeatCallback(int, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        RemoveShown(gRepeats, GAINPNL_REPEATS);
    return 0;
}

int GainRefGainCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        double g = 0;
        GetCtrlVal(panel, GAINPNL_REFGAIN, &g);
        gRefGain = g;
        FillGainPanel();
    }
    return 0;
}

int GainSettingCallback(int panel, int control, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT || panel != gainpnl)
        return 0;
    for (const USetting &u : kUSettings) {
        if (u.ctrl != control)
            continue;
        char text[256] = "";
        GetCtrlVal(panel, control, text);
        std::optional<double> v;
        std::string why;
        if (!ParseUncertainty(text, &v, &why)) {
            // Refused: the old value stays, in the field too.
            MessagePopup(kTitle, why.c_str());
        } else {
            Settings();  // the kept values are read before one is replaced
            gSettings.*u.field = v ? *v : GainSettings{}.*u.field;
            if (SetUserSettingText(kProgram, u.key, v ? Shortest(*v).c_str() : "") != 0)
                MessagePopup(kTitle, Say(QT_TRANSLATE_NOOP("GainPanel", "The setting could not be "
                                                                        "kept for the next run."))
                                         .c_str());
        }
    }
    FillGainPanel();
    return 0;
}

int GainCloseCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT) {
        DiscardPanel(panel);
        if (panel == gainpnl)
            gainpnl = 0;
    }
    return 0;
}

void RegisterGainCallbacks()
{
    RT_MENU_CALLBACK(antGainCallback);
    RT_CTRL_CALLBACK(GainBrowseCallback);
    RT_CTRL_CALLBACK(GainRemoveRefCallback);
    RT_CTRL_CALLBACK(GainAddRepeatCallback);
    RT_CTRL_CALLBACK(GainRemoveRepeatCallback);
    RT_CTRL_CALLBACK(GainRefGainCallback);
    RT_CTRL_CALLBACK(GainSettingCallback);
    RT_CTRL_CALLBACK(GainCloseCallback);
}

GainReportSetup GainSetupForReport()
{
    GainReportSetup g;
    for (const GainPattern &p : gRefs)
        g.references.push_back({p.path, p.rec.get()});
    g.settings = Settings();
    // The model's gain of the reference's type reads as that, as atn gives
    // it without --reference-gain.
    const int t = gRefs.empty() ? -1 : TypeOf(*gRefs[0].rec);
    const bool model = t >= 0 && TheoryModelOf(t).ok && gRefGain
                       && std::fabs(*gRefGain - TheoryModelOf(t).gainDbi) < 0.005;
    if (!gRefs.empty() && gRefGain && !model)
        g.referenceGainDbi = gRefGain;
    return g;
}
