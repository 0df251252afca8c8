// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement program: program-wide state and the routines its modules
// share. Callbacks are bound to the panels of "kesto.uir" by name.
#pragma once

#include <cstdint>
#include <string>

#include "rig_protocol.h"

// ---- Panels (shell.cpp) --------------------------------------------------
extern int kestopnl;     // main panel
extern int menu_handle;  // its menu bar
extern int portpnl;      // start-up port chooser
extern int compnl;       // port-setting panel
extern int infopnl;      // information panel
extern int steppnl;      // step panel

// ---- Rig link (riglink.cpp) ----------------------------------------------
extern int COMnumber;   // port of every exchange, 0 until chosen
extern int RS232Error;  // result of the last port open
extern int GoOut;       // 1 when the chooser was left through its exit button
extern char outBuffers[8];
extern char inBuffers[8];
extern int level;                     // byte count of the last four-byte read
extern unsigned char LH, LL, AH, AL;  // bytes of the last complete reply
extern std::uint32_t Angle;
extern double Level;
extern double AttnVals;

// Seconds an exchange waits for its reply; the rig's initialisation ("C")
// may take longer than a step, so it gets more.
constexpr double KESTO_REPLY_TIMEOUT = 1.0;
constexpr double KESTO_INIT_TIMEOUT = 3.0;

// The floor of every decoded level.
constexpr double KESTO_LEVEL_FLOOR = rigproto::kLevelFloor;

// Seconds between two polls of the rig (the poll timer's interval).
constexpr double KESTO_POLL_INTERVAL = 0.5;

void CalVal(char *command, char *reply);
// Tells the rig link where the rig stands when a reading at another angle
// was refused: the next step starts from there. A step's reply counts only
// at the step's target angle.
void RigStandsAt(unsigned angle);
// 1 while the rig has not answered since the user confirmed the connection
// (a reopen of the port or the exchange after it failed); 0 otherwise.
int RigLinkDown(void);
// Seconds left before the connection question may be asked again.
double RigLinkRest(void);
// "Port n — device (presence or reason)", as the chooser and the
// port-setting panel show it.
std::string PortText(int port);
// The port-setting panel's device list and the status of its port number.
void ShowPortDevices(int panel);
// Saves the device chosen in the panel for `port` when it differs.
void BindChosenDevice(int panel, int port);
void PortSel(void);
void OpenRigPort(void);
void DisplayRS232Error(void);
// Writes one command byte without reading a reply ("I", "J").
void RigSend(char command);
// "C" with its reply read and discarded (initialise command, Stop).
void RigInitUndecoded(void);

// ---- Measurement engine (sweep.cpp, position.cpp, settings.cpp) ----------
extern int DataIndex;
extern int StopFlag;
extern int tval;
extern std::uint16_t Sstep, Lstep;
extern int sound;
extern int first;
extern int soundcheck;
extern int QuestionCompleteE, QuestionCompleteH;
extern int QuestionSave;
int SweepRunning(void);
int PlaneColor(int plane);
// Moves the end of the last step's segment on the live graph to another
// level at that angle (the level filed for the step).
void MoveStepEnd(double levelDb, unsigned angle);

// ---- Readings per step and settle time (readings.cpp) ----------------------
// 1 reading and 0 ms file each step's own reply, as the sweep always has.
extern int ReadPerStep;  // levels read at each angle, 1..64
extern int SettleTime;   // ms to wait after a step before reading, 0..10000
extern int readpnl;      // the readings panel
// Loads the two values kept from the last run.
void LoadReadingSettings(void);
// Called by the sweep after each step with the step's number: settles,
// reads, and leaves in Level the level to file (the step's reply when
// nothing more is asked). Returns 0, or 1 when Stop came during the settle.
int ReadStepLevel(int step);
void SweepReadingsStart(void);
void SweepReadingsEnd(void);
// The power mean of n levels in dB.
double PowerMeanDb(const double *levels, int n);

// ---- Sweep progress and time (progress.cpp) ---------------------------------
void SweepProgressStart(int panel);
void SweepProgressStep(int panel, int done);
void SweepProgressEnd(int panel, int done);
// "m:ss", or "h:mm:ss" from an hour on, of a time in seconds.
std::string DurationText(double seconds);

// ---- Measurement record (record.cpp) --------------------------------------
constexpr int KESTO_PERSON_SIZE = 50;
constexpr int KESTO_DESCRIPT_SIZE = 200;
constexpr int KESTO_SAMPLES = 360;
extern int Antype;
extern int PlaneType;  // 0 E, 1 H, other: the third plane
extern char person[KESTO_PERSON_SIZE];
extern char descript[KESTO_DESCRIPT_SIZE];
extern int NOdescript;
extern double imsi_Edata[KESTO_SAMPLES], imsi_Hdata[KESTO_SAMPLES], imsi_Ddata[KESTO_SAMPLES];
extern char Edate[11], Etime[9], Hdate[11], Htime[9];
extern double Eattn, Hattn;
void Init_Imsi_Data(void);
// The bytes the save command writes for the present record.
std::string RecordFileText(void);
// The unsaved measurement kept for the next start: written with a safe save
// (false with the reason when it cannot be), removed, and offered at start-up.
bool KeepRecovery(std::string *error);
void KeepRecoveryAfterSweep(void);
void DropRecovery(void);
void OfferRecovery(void);
// SIGTERM or SIGHUP: keeps an unsaved measurement and removes the marker.
void KestoEndSignal(int signal);

// ---- Shell (shell.cpp) -----------------------------------------------------
void Init_Polar(void);
// A sub-panel's close button: on commit the panel goes and the handle that
// holds it is cleared. Returns 0, as a control callback does.
int DiscardOnCommit(int panel, int event, int &handle);
void RegisterKestoCallbacks(void);
// The program: start-up, event loop, end. Returns main's exit code.
int KestoMain(int argc, char **argv);

// ---- Callbacks ---------------------------------------------------------------
int AutoCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int StopCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int KestoTimerCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int AngInc1Callback(int panel, int control, int event, void *cbd, int d1, int d2);
int AngInc10Callback(int panel, int control, int event, void *cbd, int d1, int d2);
int AngDec1Callback(int panel, int control, int event, void *cbd, int d1, int d2);
int AngDec10Callback(int panel, int control, int event, void *cbd, int d1, int d2);
int ApplyStepCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int CloseStepCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int SstepCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int LstepCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int AttnValCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int CloseComCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int PortNumberCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int RefreshPortsCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int AntTypeCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int PlaneTypeCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int AcceptCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int EscCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int ExitBttnCallback(int panel, int control, int event, void *cbd, int d1, int d2);
void COMportCallback(int menuBar, int menuItem, void *cbd, int panel);
void ANTinitCallback(int menuBar, int menuItem, void *cbd, int panel);
void MoveStepCallback(int menuBar, int menuItem, void *cbd, int panel);
void ReadingsCallback(int menuBar, int menuItem, void *cbd, int panel);
int ApplyReadingsCallback(int panel, int control, int event, void *cbd, int d1, int d2);
int CloseReadingsCallback(int panel, int control, int event, void *cbd, int d1, int d2);
void SoundCallback(int menuBar, int menuItem, void *cbd, int panel);
// Graph > High-contrast graphs: the live graph's trace in colours that stand
// out at least 3:1 from its grey; the choice kept in settings.
void StartGraphContrast(void);
void HighContrastCallback(int menuBar, int menuItem, void *cbd, int panel);
void DelScrnCallback(int menuBar, int menuItem, void *cbd, int panel);
void InfoEditCallback(int menuBar, int menuItem, void *cbd, int panel);
void SaveFileCallback(int menuBar, int menuItem, void *cbd, int panel);
void ExitKestoCXallback(int menuBar, int menuItem, void *cbd, int panel);
