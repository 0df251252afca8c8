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

// ---- What each plane's last sweep left (planes.cpp) --------------------------
// Only the E and H planes are tracked; the D choice never counts.
void ResetPlaneSweeps(void);
void PlaneSweepStarted(int plane);
void PlaneSampleFiled(int plane, unsigned index);
// Ends the sweep for the planes it filed samples into: complete only when
// the sweep ran in full and filed every sample of the plane.
void PlaneSweepsEnded(int full);
void PlaneSweepsSaved(void);
// A recovered record: every sample from an earlier sweep, and a plane that
// holds any level counts as an unsaved sweep.
void PlaneSweepsRecovered(void);
// Samples filed by the plane's last (or running) sweep.
int PlaneSamplesFiled(int plane);
// 1 to go on saving: no plane's last sweep was stopped, or the user said Yes.
int ConfirmSaveOfPartialSweeps(void);
// 1 to sweep `plane`: it holds no unsaved sweep, or the user said Yes.
int ConfirmOverwriteOfUnsavedSweep(int plane);

// ---- Status line, closure check and title (status.cpp) ----------------------
// The closure check warns when the level at the start, read again after a
// full sweep, differs from sample 0 by more than ClosureLimit dB.
constexpr double KESTO_CLOSURE_LIMIT = 1.0;
constexpr double KESTO_CLOSURE_MIN = 0.05;
constexpr double KESTO_CLOSURE_MAX = 30.0;
extern double ClosureLimit;
void LoadClosureSetting(void);
// Takes a new threshold and keeps it for the next run (0, or -1 when it
// could not be kept).
int KeepClosureLimit(double limitDb);
// A threshold as typed: a number of dB from KESTO_CLOSURE_MIN to
// KESTO_CLOSURE_MAX, with a point or a comma; false for anything else.
bool ParseClosureLimit(const std::string &text, double *limitDb);
std::string ClosureLimitText(double limitDb);
// What the status line says at the end of a full sweep (`replied`: the
// closing "C" was answered) and of a stopped one.
std::string ClosureText(int plane, int replied, unsigned startAngle, double startLevel,
                        unsigned endAngle, double endLevel, double limitDb);
std::string StoppedText(int plane, int steps, int filed);
void ShowSweepStarted(int plane);
// After the sweep's closing exchange: `Angle`, `Level` and `level` are the
// rig's reply to it.
void ShowSweepEnded(int plane, int full, int steps, unsigned startAngle, double startLevel);
void ShowSaved(const char *path);
void ResetKestoTitle(void);
// The title names the file last saved, with "*" while newer data is unsaved.
void UpdateKestoTitle(void);

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
// The save command's work; what became of it.
enum { KESTO_SAVE_DONE, KESTO_SAVE_NOT_DONE, KESTO_SAVE_DECLINED };
int SaveRecord(void);
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
