// SPDX-License-Identifier: GPL-3.0-or-later
// Rig link: the serial port (choice at start-up, change from the menu, error
// messages) and the one-byte command protocol with its four-byte reply.
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "kesto.h"
#include "kesto_uir.h"
#include "rig_protocol.h"
#include "rt.h"

int COMnumber = 0;
int RS232Error = 0;
int GoOut = 0;
char outBuffers[8];
char inBuffers[8];
int level = 0;
unsigned char LH = 0, LL = 0, AH = 0, AL = 0;
std::uint32_t Angle = 0;
double Level = 0.0;
double AttnVals = 0.0;

namespace {

constexpr long kBaud = 9600;
constexpr int kQueueSize = 512;

int OpenPort(int port)
{
    return OpenComConfig(port, "", kBaud, 0, 8, 1, kQueueSize, kQueueSize);
}

void SetPollTimer(int on)
{
    SetCtrlAttribute(kestopnl, KESTOPNL_TIMER, RT_ATTR_ENABLED, on);
}

// The connection question: after a Yes the link is given a rest of at least
// kQuestionRestS before the question may come again, so that a dead link does
// not ask on every poll and the menus stay within reach between questions.
constexpr double kQuestionRestS = 2.0;
using Clock = std::chrono::steady_clock;
Clock::time_point lastYes;
bool answeredYes = false;
int linkDown = 0;

double RestLeft(void)
{
    if (!answeredYes)
        return 0.0;
    const double since = std::chrono::duration<double>(Clock::now() - lastYes).count();
    return since < kQuestionRestS ? kQuestionRestS - since : 0.0;
}

// Bytes still queued from an earlier reply (one that came after its read had
// given up, or an answer to a command that should have none) would be read
// as the start of the next reply and put every later reading out of step:
// each command starts on an empty input queue.
void WriteCommand(char command, double replyTimeout)
{
    FlushInQ(COMnumber);
    SetComTime(COMnumber, replyTimeout);
    ComWrt(COMnumber, &command, 1);
}

}  // namespace

namespace {

using rigproto::kReplySize;

bool Exchange(char command, char *reply)
{
    WriteCommand(command, command == rigproto::kCmdInit ? KESTO_INIT_TIMEOUT : KESTO_REPLY_TIMEOUT);
    level = ComRd(COMnumber, reply, kReplySize);
    return level == kReplySize;
}

void KeepReply(const char *reply)
{
    LH = (unsigned char)reply[rigproto::kLevelHigh];
    LL = (unsigned char)reply[rigproto::kLevelLow];
    AH = (unsigned char)reply[rigproto::kAngleHigh];
    AL = (unsigned char)reply[rigproto::kAngleLow];
}

constexpr const char *kConnectionText = "Confirm the connection between power and cable.\n"
                                        "Press Yes after doing connection.\n"
                                        "Press No if you want to quit.";

// The rig's angle as Kesto last learnt it from a sound reply; unknown at
// start, after a "C" whose reply is not read, and after a reply with an angle
// outside 0..359.
bool angleKnown = false;
unsigned knownAngle = 0;

unsigned AngleOf(const char *reply)
{
    return rigproto::ReplyAngle(reinterpret_cast<const unsigned char *>(reply));
}

void NoteAngle(const char *reply)
{
    knownAngle = AngleOf(reply);
    angleKnown = rigproto::AnglePossible(knownAngle);
}

// A step's reply can be right only at the step's angle; with the start angle
// unknown, at least within 0..359.
bool SoundStepReply(const char *reply, char command, bool fromKnown, unsigned from)
{
    return rigproto::StepReplyPossible(AngleOf(reply), std::uint8_t(command), fromKnown, from);
}

// How long the line must stay quiet before Kesto counts it as drained, and
// how many times it asks the rig's angle before it asks the user again.
constexpr double kQuietS = 0.2;
constexpr int kDrainReads = 50;
constexpr int kAngleAsks = 5;
// A reply that cannot be right is retaken this many times before the
// connection question, as a reading at another angle is.
constexpr int kRetakes = 2;

// Reads and drops what the rig still sends (a late reply, answers to
// questions it was asked meanwhile, garbage) until the line is quiet.
// Returns the number of bytes dropped.
int Drain(void)
{
    SetComTime(COMnumber, kQuietS);
    int dropped = 0;
    for (int i = 0; i < kDrainReads; ++i) {
        char junk[64];
        const int n = ComRd(COMnumber, junk, int(sizeof junk));
        if (n <= 0)
            break;
        dropped += n;
    }
    return dropped;
}

// Asks the rig's angle once on a drained line. True when the rig answered
// "H" with a sound reply and nothing came after it: the rig answers in order,
// so that reply is its present state.
bool AskAngle(char *now)
{
    Drain();
    if (!Exchange(rigproto::kCmdReport, now))
        return false;
    return Drain() == 0 && rigproto::AnglePossible(AngleOf(now));
}

bool AskAngleBounded(char *now)
{
    for (int i = 0; i < kAngleAsks; ++i) {
        if (AskAngle(now))
            return true;
        if (level < 0)
            break;  // no line to ask on
    }
    return false;
}

// The connection question, after the rest the link was given at the last Yes.
bool AskConnection(void)
{
    if (double rest = RestLeft(); rest > 0)
        Delay(rest);
    return ConfirmPopup("Error", kConnectionText) != 0;
}

// Yes to the connection question: the port is closed and opened again on
// the same device (a replugged adapter is a new device node), and the next
// poll is a full interval away. Returns 1 when the port is open again.
bool ReopenAfterYes(void)
{
    const bool reopened = ReopenCom(COMnumber) == 0;
    SetPollTimer(0);
    SetPollTimer(1);
    lastYes = Clock::now();
    answeredYes = true;
    return reopened;
}

void RecoverLink(char command)
{
    const bool reopened = ReopenAfterYes();
    linkDown =
        reopened && (command == rigproto::kCmdReport || command == rigproto::kCmdInit) ? 0 : 1;
}

// A step sent whose outcome is not known yet: its command and the angle it
// started from. Kept while the link is down, so that the sweep's retry of the
// step first learns whether the rig made it.
char owedCommand = 0;
unsigned owedFrom = 0;
bool owedFromKnown = false;

// One step ("A" or "B") that is made exactly once. A healthy step is one
// exchange. When its reply is missing or cannot be right, the step's outcome
// is learnt from the rig, never guessed: Kesto drains the line, asks the
// rig's angle and compares it with the step's start. At the step's target
// the step was made and that reading is its reply; still at the start, the
// step is made now; anywhere else, or with no answer, the user is asked
// about the connection again. A No leaves the step as the design has it: the
// sweep goes on with the previous reply.
void StepExchange(char command, char *reply)
{
    int retakes = 0;
    bool ask = false;
    if (owedCommand == 0) {
        const bool known = angleKnown;
        const unsigned from = knownAngle;
        if (Exchange(command, reply) && SoundStepReply(reply, command, known, from)) {
            KeepReply(reply);
            NoteAngle(reply);
            linkDown = 0;
            return;
        }
        owedCommand = command;
        owedFrom = from;
        owedFromKnown = known;
        retakes = level == kReplySize ? kRetakes : 0;
        ask = level != kReplySize;
    } else {
        // Left owed while the link was down: try the line before asking.
        retakes = 1;
    }
    for (;;) {
        char now[8] = {0};
        bool answered = false;
        if (ask) {
            if (!AskConnection()) {
                // The step's fate stays unknown, and so does the rig's angle.
                QuitUserInterface(0);
                owedCommand = 0;
                angleKnown = false;
                return;
            }
            if (!ReopenAfterYes()) {
                linkDown = 1;
                return;
            }
            answered = AskAngleBounded(now);
        } else if (retakes > 0) {
            --retakes;
            answered = AskAngle(now);
        }
        if (!answered) {
            ask = retakes == 0;
            continue;
        }
        // The rig's angle is known now.
        const unsigned at = AngleOf(now);
        if (owedCommand == command && owedFromKnown
            && at == rigproto::StepTarget(owedFrom, std::uint8_t(command))) {
            std::memcpy(reply, now, kReplySize);
        } else if (owedCommand != command || !owedFromKnown || at == owedFrom) {
            // Not made (or an earlier step of the other kind, or a start that
            // was not known): the step is made now, from where the rig stands.
            owedCommand = command;
            owedFrom = at;
            owedFromKnown = true;
            if (!Exchange(command, reply) || !SoundStepReply(reply, command, true, at)) {
                retakes = level == kReplySize ? kRetakes : 0;
                ask = level != kReplySize;
                continue;
            }
        } else {
            // The rig stands neither where the step started nor where it ends.
            KeepReply(now);
            NoteAngle(now);
            ask = true;
            retakes = 0;
            continue;
        }
        KeepReply(reply);
        NoteAngle(reply);
        owedCommand = 0;
        linkDown = 0;
        return;
    }
}

}  // namespace

void RigStandsAt(unsigned angle)
{
    knownAngle = angle;
    angleKnown = rigproto::AnglePossible(angle);
}

int RigLinkDown(void)
{
    return linkDown;
}

double RigLinkRest(void)
{
    return linkDown ? RestLeft() : 0.0;
}

void CalVal(char *command, char *reply)
{
    if (rigproto::IsStep(std::uint8_t(command[0]))) {
        StepExchange(command[0], reply);
    } else if (Exchange(command[0], reply)) {
        KeepReply(reply);
        NoteAngle(reply);
        linkDown = 0;
    } else if (command[0] == rigproto::kCmdReport && RestLeft() > 0) {
        // A poll on a link that has just been given its rest fails quietly.
        linkDown = 1;
    } else if (AskConnection()) {
        RecoverLink(command[0]);
    } else {
        QuitUserInterface(0);
    }
    Angle = rigproto::Word(AH, AL);
    Level = rigproto::DecodeLevel(rigproto::Word(LH, LL), AttnVals);
    SetCtrlVal(kestopnl, KESTOPNL_ANGLE, Angle);
    SetCtrlVal(kestopnl, KESTOPNL_LEVEL, Level);
}

void RigSend(char command)
{
    WriteCommand(command, KESTO_REPLY_TIMEOUT);
}

void RigInitUndecoded(void)
{
    // The rig moves on "C" and its reply is not read: the angle is unknown
    // until the next sound reply.
    angleKnown = false;
    WriteCommand(rigproto::kCmdInit, KESTO_INIT_TIMEOUT);
    level = ComRd(COMnumber, inBuffers, kReplySize);
}

std::string PortText(int port)
{
    return "Port " + std::to_string(port) + " \u2014 " + ComDeviceSummary(port);
}

void PortSel(void)
{
    static const int buttons[4] = {PORTPNL_COM1, PORTPNL_COM2, PORTPNL_COM3, PORTPNL_COM4};
    portpnl = LoadPanel(0, "kesto.uir", PORTPNL);
    SetPanelAttribute(portpnl, RT_ATTR_CAN_MINIMIZE, 0);
    SetPanelAttribute(portpnl, RT_ATTR_CAN_MAXIMIZE, 0);
    SetPanelAttribute(portpnl, RT_ATTR_SIZABLE, 0);
    // Each button names the device its port opens on this machine and
    // whether that device is there (or why it cannot be used).
    for (int n = 1; n <= 4; ++n)
        SetCtrlAttribute(portpnl, buttons[n - 1], RT_ATTR_LABEL_TEXT, PortText(n).c_str());
    DisplayPanel(portpnl);
    for (;;) {
        int panel = 0, control = 0;
        if (GetUserEvent(1, &panel, &control) == 0) {
            // Nothing will come any more (the program is being ended).
            COMnumber = 1;
            GoOut = 1;
            break;
        }
        if (panel != portpnl)
            continue;
        if (control == PORTPNL_EXIT) {
            COMnumber = 1;
            GoOut = 1;
            break;
        }
        int chosen = 0;
        for (int n = 1; n <= 4; ++n)
            if (control == buttons[n - 1])
                chosen = n;
        if (chosen) {
            COMnumber = chosen;
            break;
        }
    }
    DiscardPanel(portpnl);
    portpnl = 0;
}

void OpenRigPort(void)
{
    DisableBreakOnLibraryErrors();
    RS232Error = CloseCom(COMnumber);
    RS232Error = OpenPort(COMnumber);
    EnableBreakOnLibraryErrors();
    if (RS232Error != 0) {
        SetPollTimer(0);
        DisplayRS232Error();
        MessagePopup("Error", "Error");
        return;
    }
    // The poll timer stays off in the resource until a port works, so that
    // no tick reaches the rig before it is chosen.
    SetPollTimer(1);
    GetCtrlVal(kestopnl, KESTOPNL_ATTN, &AttnVals);
    outBuffers[0] = rigproto::kCmdReport;
    inBuffers[0] = 0;
    CalVal(outBuffers, inBuffers);
}

void DisplayRS232Error(void)
{
    char msg[200];
    switch (RS232Error) {
    case 0:
        MessagePopup("RS232 Message", "No errors.");
        return;
    case -2:
        Fmt(msg, sizeof msg, "%s<Invalid port number (must be in the range 1 to 4).");
        break;
    case -3:
        Fmt(msg, sizeof msg, "%s<No port is open.\nCheck COM Port setting in Configure.");
        break;
    case -99:
        Fmt(msg, sizeof msg,
            "%s<Timeout error.\n\nEither increase timeout value,\n       check COM Port "
            "setting, or\n       check device.");
        break;
    default:
        if (RS232Error > 0)
            return;
        Fmt(msg, sizeof msg, "%s<RS232 error number %i", RS232Error);
        break;
    }
    MessagePopup("RS232 Message", msg);
}

namespace {

// The devices offered in the port-setting panel: item 0 is the automatic
// rule, item k the k-th device found (or the saved device, when it is gone).
std::vector<std::string> offered;

void ShowPortStatus(int panel)
{
    int port = 0;
    GetCtrlVal(panel, COMPNL_PORT, &port);
    std::string text = port >= 1 && port <= 4
                           ? PortText(port)
                           : "Port " + std::to_string(port) + " \u2014 no such port (1 to 4)";
    if (port >= 1 && port <= 4 && ComDeviceSource(port) == RT_COM_FROM_ENVIRONMENT)
        text +=
            "\nset by VELORAN_COM" + std::to_string(port) + ", which comes before the choice below";
    SetCtrlVal(panel, COMPNL_STATUS, text.c_str());
}

// Fills the device list from a fresh scan and selects the device that the
// port number in the field is bound to.
void ListDevices(int panel)
{
    int port = 0;
    GetCtrlVal(panel, COMPNL_PORT, &port);
    const std::string saved = port >= 1 && port <= 4 ? ComDeviceChoice(port) : std::string();
    ClearListCtrl(panel, COMPNL_DEVICE);
    offered.assign(1, std::string());
    InsertListItem(panel, COMPNL_DEVICE, -1, "Automatic", 0);
    int selected = 0;
    for (const ComDeviceInfo &d : ListComDevices()) {
        if (d.device == saved)
            selected = int(offered.size());
        InsertListItem(panel, COMPNL_DEVICE, -1, ComDeviceText(d).c_str(), int(offered.size()));
        offered.push_back(d.device);
    }
    if (!saved.empty() && selected == 0) {
        selected = int(offered.size());
        InsertListItem(panel, COMPNL_DEVICE, -1, (saved + "  (not present)").c_str(), selected);
        offered.push_back(saved);
    }
    SetCtrlAttribute(panel, COMPNL_DEVICE, RT_ATTR_CTRL_INDEX, selected);
}

}  // namespace

void ShowPortDevices(int panel)
{
    ListDevices(panel);
    ShowPortStatus(panel);
}

void BindChosenDevice(int panel, int port)
{
    if (port < 1 || port > 4)
        return;
    int item = 0;
    GetCtrlVal(panel, COMPNL_DEVICE, &item);
    if (item < 0 || item >= int(offered.size()))
        return;
    if (offered[item] != ComDeviceChoice(port) && SetComDeviceChoice(port, offered[item]) != 0) {
        const std::string text = "The device chosen for port " + std::to_string(port)
                                 + " could not be kept for the next start: the settings file "
                                   "cannot be written.";
        MessagePopup("Serial port", text.c_str());
    }
}

int PortNumberCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        ShowPortDevices(panel);
    return 0;
}

int RefreshPortsCallback(int panel, int, int event, void *, int, int)
{
    if (event == RT_EVENT_COMMIT)
        ShowPortDevices(panel);
    return 0;
}

void COMportCallback(int, int, void *, int)
{
    if (compnl > 0) {  // already open: bring it forward instead of a second copy
        DisplayPanel(compnl);
        return;
    }
    compnl = LoadPanel(kestopnl, "kesto.uir", COMPNL);
    SetPollTimer(0);
    DisplayPanel(compnl);
    SetCtrlVal(compnl, COMPNL_PORT, COMnumber);
    ShowPortDevices(compnl);
}

int CloseComCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    int port = 0;
    GetCtrlVal(panel, COMPNL_PORT, &port);
    BindChosenDevice(panel, port);
    DisableBreakOnLibraryErrors();
    RS232Error = OpenPort(port);
    EnableBreakOnLibraryErrors();
    if (RS232Error != 0) {
        SetPollTimer(0);
        DisplayRS232Error();
    } else {
        // The port used until now is released once the new one works.
        if (port != COMnumber && COMnumber >= 1 && COMnumber <= 4)
            CloseCom(COMnumber);
        COMnumber = port;
        // Another port may lead to another rig: its angle is learnt anew. A
        // step left open is still resolved first (a replugged adapter can
        // come back under another device).
        angleKnown = false;
    }
    SetPollTimer(1);
    DiscardPanel(compnl);
    compnl = 0;
    return 0;
}

void ANTinitCallback(int, int, void *, int panel)
{
    if (!ConfirmPopup("Initialization", "Are you want to initialize Veloran?"))
        return;
    outBuffers[0] = rigproto::kCmdInit;
    inBuffers[0] = 0;
    SetCtrlVal(panel, KESTOPNL_ANGLE, 0);
    SetCtrlVal(panel, KESTOPNL_ATTN, 30.0);
    RigInitUndecoded();
    DeleteGraphPlot(panel, KESTOPNL_GRAPH, -1, RT_IMMEDIATE_DRAW);
    Init_Polar();
}
