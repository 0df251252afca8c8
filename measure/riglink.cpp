// Rig link: the serial port (choice at start-up, change from the menu, error
// messages) and the one-byte command protocol with its four-byte reply.
#include "kesto.h"
#include "kesto_uir.h"
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

} // namespace

double RawToLevel(unsigned raw, double attn)
{
    return raw / 20.0 - 50.0 + attn;
}

void CalVal(char *command, char *reply)
{
    WriteCommand(command[0], command[0] == 'C' ? KESTO_INIT_TIMEOUT : KESTO_REPLY_TIMEOUT);
    level = ComRd(COMnumber, reply, 4);
    if (level == 4) {
        LH = (unsigned char)reply[0];
        LL = (unsigned char)reply[1];
        AH = (unsigned char)reply[2];
        AL = (unsigned char)reply[3];
    } else if (ConfirmPopup("Error", "Confirm the connection between power and cable.\n"
                                     "Press Yes after doing connection.\n"
                                     "Press No if you want to quit.")) {
        SetPollTimer(1);
    } else {
        QuitUserInterface(0);
    }
    Angle = AH * 256u + AL;
    Level = RawToLevel(LH * 256u + LL, AttnVals);
    if (Level < KESTO_LEVEL_FLOOR)
        Level = KESTO_LEVEL_FLOOR;
    SetCtrlVal(kestopnl, KESTOPNL_ANGLE, Angle);
    SetCtrlVal(kestopnl, KESTOPNL_LEVEL, Level);
}

void RigSend(char command)
{
    WriteCommand(command, KESTO_REPLY_TIMEOUT);
}

void RigInitUndecoded(void)
{
    WriteCommand('C', KESTO_INIT_TIMEOUT);
    level = ComRd(COMnumber, inBuffers, 4);
}

void PortSel(void)
{
    static const int buttons[4] = {PORTPNL_COM1, PORTPNL_COM2, PORTPNL_COM3, PORTPNL_COM4};
    portpnl = LoadPanel(0, "kesto.uir", PORTPNL);
    SetPanelAttribute(portpnl, RT_ATTR_CAN_MINIMIZE, 0);
    SetPanelAttribute(portpnl, RT_ATTR_CAN_MAXIMIZE, 0);
    SetPanelAttribute(portpnl, RT_ATTR_SIZABLE, 0);
    // Each button names the device its port opens on this machine.
    for (int n = 1; n <= 4; ++n) {
        char label[300];
        Fmt(label, sizeof label, "%s<Port %d   (%s)", n, ComDeviceName(n).c_str());
        SetCtrlAttribute(portpnl, buttons[n - 1], RT_ATTR_LABEL_TEXT, label);
    }
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
    outBuffers[0] = 'H';
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

void COMportCallback(int, int, void *, int)
{
    if (compnl > 0) { // already open: bring it forward instead of a second copy
        DisplayPanel(compnl);
        return;
    }
    compnl = LoadPanel(kestopnl, "kesto.uir", COMPNL);
    SetPollTimer(0);
    DisplayPanel(compnl);
    SetCtrlVal(compnl, COMPNL_PORT, COMnumber);
}

int CloseComCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    int port = 0;
    GetCtrlVal(panel, COMPNL_PORT, &port);
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
    outBuffers[0] = 'C';
    inBuffers[0] = 0;
    SetCtrlVal(panel, KESTOPNL_ANGLE, 0);
    SetCtrlVal(panel, KESTOPNL_ATTN, 30.0);
    RigInitUndecoded();
    DeleteGraphPlot(panel, KESTOPNL_GRAPH, -1, RT_IMMEDIATE_DRAW);
    Init_Polar();
}
