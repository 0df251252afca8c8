// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement record: the two selectors, the information panel and the
// save command that writes the atn file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "handoff.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "pattern_file.h"
#include "rt.h"
#include "rt_session.h"

int Antype = 0;
int PlaneType = 0;
char person[KESTO_PERSON_SIZE];
char descript[KESTO_DESCRIPT_SIZE];
int NOdescript = 0;
double imsi_Edata[KESTO_SAMPLES], imsi_Hdata[KESTO_SAMPLES], imsi_Ddata[KESTO_SAMPLES];
char Edate[11], Etime[9], Hdate[11], Htime[9];
double Eattn = 0.0, Hattn = 0.0;
int QuestionSave = 0;

namespace {

template <std::size_t N> void CopyText(char (&to)[N], const char *from)
{
    const std::size_t n = std::min(std::strlen(from), N - 1);
    std::memcpy(to, from, n);
    to[n] = 0;
}

// A text box keeps an empty last line below what is inserted, so a text that
// ends with LF goes in without it and comes back unchanged on accept.
void InsertWithoutLastLf(int panel, int control, const char *text)
{
    std::string s(text);
    if (!s.empty() && s.back() == '\n')
        s.pop_back();
    InsertTextBoxLine(panel, control, 0, s.c_str());
}

// The file carries the person as exactly one line: line breaks typed inside
// it become blanks, and it always ends with one LF.
void TakePerson(const char *typed)
{
    std::string s(typed);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    for (char &c : s)
        if (c == '\n' || c == '\r')
            c = ' ';
    if (s.size() > KESTO_PERSON_SIZE - 2) {
        // Cut before a whole character, never inside one.
        std::size_t n = KESTO_PERSON_SIZE - 2;
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
            --n;
        s.resize(n);
    }
    s += '\n';
    CopyText(person, s.c_str());
}

// The record as the save command writes it; `text` holds the text block.
PatternFileData RecordData(std::string &text)
{
    text = KestoTextBlock(person, descript);
    PatternFileData data;
    data.Antype = Antype;
    data.Eattn = Eattn;
    data.Hattn = Hattn;
    data.lines = NOdescript;
    data.text = text;
    data.Edate = Edate;
    data.Etime = Etime;
    data.Hdate = Hdate;
    data.Htime = Htime;
    data.e_data = imsi_Edata;
    data.h_data = imsi_Hdata;
    return data;
}

}  // namespace

void Init_Imsi_Data(void)
{
    CopyText(person, "It is not specified.");
    CopyText(descript, "There are no description.");
    for (int i = 0; i < KESTO_SAMPLES; ++i) {
        imsi_Edata[i] = 0.0;
        imsi_Hdata[i] = 0.0;
    }
    ResetPlaneSweeps();
}

int AntTypeCallback(int panel, int control, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        GetCtrlAttribute(panel, control, RT_ATTR_CTRL_INDEX, &Antype);
    return 0;
}

int PlaneTypeCallback(int panel, int control, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        GetCtrlAttribute(panel, control, RT_ATTR_CTRL_INDEX, &PlaneType);
    return 0;
}

void InfoEditCallback(int, int, void *, int)
{
    if (infopnl > 0) {  // already open: bring it forward instead of a second copy
        DisplayPanel(infopnl);
        return;
    }
    infopnl = LoadPanel(0, "kesto.uir", KESTOINFO);
    InsertWithoutLastLf(infopnl, KESTOINFO_PERSON, person);
    InsertWithoutLastLf(infopnl, KESTOINFO_DESCRIPT, descript);
    DisplayPanel(infopnl);
}

int AcceptCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    GetCtrlVal(panel, KESTOINFO_DESCRIPT, descript);
    // The box keeps an empty line below its text; it is no line of the
    // description, and dropping it lets the text come back unchanged the
    // next time the panel opens.
    if (const std::size_t n = std::strlen(descript); n > 0 && descript[n - 1] == '\n')
        descript[n - 1] = 0;
    // The line count is taken from the text actually kept, so that the
    // header always announces exactly the lines that follow it.
    NOdescript = 1;
    for (const char *c = descript; *c; ++c)
        NOdescript += *c == '\n';
    char typed[KESTO_PERSON_SIZE];
    GetCtrlVal(panel, KESTOINFO_PERSON, typed);
    TakePerson(typed);
    DiscardPanel(panel);
    infopnl = 0;
    return 0;
}

int EscCallback(int panel, int, int event, void *, int, int)
{
    return DiscardOnCommit(panel, event, infopnl);
}

int SaveRecord(void)
{
    if (QuestionSave != 1) {
        MessagePopup("Error", "The data is empty.");
        return KESTO_SAVE_NOT_DONE;
    }
    // A plane whose last sweep was stopped is part new, part old: the user
    // says whether that is to be saved.
    if (!ConfirmSaveOfPartialSweeps())
        return KESTO_SAVE_DECLINED;
    char path[RT_PATH_SIZE];
    if (FileSelectPopup("", "*.atn", "", "Save", RT_SAVE_BUTTON, 0, 1, 1, 1, path, sizeof path)
        == RT_NO_FILE_SELECTED)
        return KESTO_SAVE_NOT_DONE;
    std::string text;
    const PatternFileResult r = WritePatternFile(path, RecordData(text));
    if (!r.ok) {
        // The measurement stays unsaved, so that exit still offers to save it.
        const std::string msg = "The data could not be saved.\n" + r.error;
        MessagePopup("Error", msg.c_str());
        return KESTO_SAVE_NOT_DONE;
    }
    QuestionSave = 0;
    PlaneSweepsSaved();
    DropRecovery();
    ShowSaved(path);
    return KESTO_SAVE_DONE;
}

void SaveFileCallback(int, int, void *, int)
{
    SaveRecord();
}

// ---- Recovery of an unsaved measurement --------------------------------------
//
// A measurement that is not saved yet is kept in an atn file in the user's
// data folder: written when a sweep ends and when the desktop ends the
// program (SIGTERM, SIGHUP), offered at the next start, and removed once it
// is saved or the user declines it.

namespace {

constexpr const char *kRecoveryName = "recovery.atn";

std::string RecoveryPath(std::string *error = nullptr)
{
    return UserDataFile(kRecoveryName, error);
}

}  // namespace

std::string RecordFileText(void)
{
    std::string text;
    return FormatPatternFile(RecordData(text));
}

bool KeepRecovery(std::string *error)
{
    std::string folderError;
    const std::string path = RecoveryPath(&folderError);
    if (path.empty()) {
        // No folder wanted (a test without settings) is no failure; a folder
        // that cannot be made is: the measurement would not be kept.
        if (!folderError.empty() && error)
            *error = folderError;
        return folderError.empty();
    }
    std::string text;
    const PatternFileResult r = WritePatternFile(path, RecordData(text));
    if (!r.ok && error)
        *error = r.error;
    return r.ok;
}

void KeepRecoveryAfterSweep(void)
{
    std::string error;
    if (!KeepRecovery(&error)) {
        const std::string msg =
            "The measurement could not be kept in case Kesto ends before it is saved.\n" + error;
        MessagePopup("Recovery", msg.c_str());
    }
}

void DropRecovery(void)
{
    const std::string path = RecoveryPath();
    if (!path.empty())
        std::remove(path.c_str());
}

void OfferRecovery(void)
{
    const std::string path = RecoveryPath();
    if (path.empty() || GetFileInfo(path.c_str(), nullptr) != 1)
        return;
    PatternRecord rec;
    int lines = 0, emax = 0, hmax = 0;
    if (!ReadPatternFile(path, rec, lines, emax, hmax).ok)
        return;  // not a measurement: left as it is, and not offered
    const std::string question = std::string("Kesto ended before the measurement of ") + rec.Edate
                                 + " " + rec.Etime + " was saved.\nLoad it as unsaved data?";
    if (!ConfirmPopup("Recovery", question.c_str())) {
        DropRecovery();
        return;
    }
    Antype = rec.Antype < 0 ? 0 : rec.Antype;
    // Before the information panel is first accepted the record holds the
    // start-up texts and no description lines; afterwards the person is one
    // line ending with LF and the description its lines joined by LF.
    NOdescript = lines;
    if (lines > 0) {
        TakePerson(PersonLineOf(rec));  // one line, within the box's length
        std::string d(rec.descript);
        if (!d.empty() && d.back() == '\n')
            d.pop_back();
        CopyText(descript, d.c_str());
    }
    CopyText(Edate, rec.Edate);
    CopyText(Etime, rec.Etime);
    CopyText(Hdate, rec.Hdate);
    CopyText(Htime, rec.Htime);
    Eattn = rec.Eattn;
    Hattn = rec.Hattn;
    for (int i = 0; i < KESTO_SAMPLES; ++i) {
        imsi_Edata[i] = rec.e_data[i];
        imsi_Hdata[i] = rec.h_data[i];
    }
    PlaneSweepsRecovered();
    QuestionSave = 1;
}

void KestoEndSignal(int)
{
    // Runs from the event loop, never inside the signal handler. A sweep cut
    // short is kept as far as it got.
    if (QuestionSave == 1 || (SweepRunning() && (PlaneType == 0 || PlaneType == 1))) {
        std::string error;
        if (!KeepRecovery(&error))
            std::fprintf(stderr, "Kesto: the unsaved measurement could not be kept: %s\n",
                         error.c_str());
    }
    // The program is gone: the viewer may start it again.
    DeleteFile(HANDOFF_MARKER_NAME);
}
