// SPDX-License-Identifier: GPL-3.0-or-later
// The few points where test mode changes what the run-time does. A shipped
// program never installs hooks and runs every service for real; the test
// seam library (runtime_testing) installs them when a test enables test
// mode. Not for the programs.
#pragma once

#include <string>

namespace rt::detail {

// The answer a script gives to a pop-up.
struct PopupAnswer {
    int value = 0;
    std::string path;
    int typeIndex = -1;  // the file type chosen in a typed save dialogue; -1: from the name
};

class TestHooks {
public:
    virtual ~TestHooks() = default;

    // A pop-up of `kind` ("message", "confirm", "file") is up: records it
    // and takes the script's answer. False when the script has none for it;
    // the failure is reported then.
    virtual bool answerPopup(const std::string &kind, const std::string &title,
                             const std::string &text, PopupAnswer *answer) = 0;
    // A pop-up whose answer comes from elsewhere: only recorded.
    virtual void notePopup(const std::string &kind, const std::string &title,
                           const std::string &text) = 0;
    // A file dialogue opens in this folder.
    virtual void fileDialogFolder(const std::string &folder) = 0;
    // Something the test did not expect (a pop-up, a wait, a wrong call).
    virtual void failure(const std::string &what) = 0;

    // RunUserInterface runs the script that stands in for the user.
    virtual void runScript() = 0;
    virtual void quitRequested() = 0;
    // GetUserEvent performs the next scripted user action; false when the
    // script has none.
    virtual bool nextUserAction() = 0;
    // Delay records the pause and asks how long to really wait.
    virtual double delay(double seconds) = 0;

    // Bytes written to (written) or read from serial port `port`.
    virtual void comTraffic(int port, bool written, const char *data, int count) = 0;
    virtual void launched(const std::string &fileName) = 0;
    // The folder that run-time files are looked up from instead of the
    // executable's; empty: the executable's.
    virtual std::string programDir() = 0;
    virtual void helpCalled(const std::string &call) = 0;
    // A print of a panel (control 0) or a control: recorded; returns the PDF
    // file that a print to the printer writes instead (empty: none).
    virtual std::string printed(int panel, int control, const std::string &fileName,
                                int interactive) = 0;

    // Settings kept between runs: in test mode they go to the INI file a
    // test named, or with none (empty) to the hooks' own memory.
    virtual std::string settingsFile() = 0;
    virtual bool readSetting(const std::string &key, std::string *value) = 0;
    virtual void writeSetting(const std::string &key, const std::string &value) = 0;
    // The time Timer() gives; false: the real clock.
    virtual bool clock(double *seconds) = 0;
};

// The installed hooks; null outside test mode.
TestHooks *Hooks();
// nullptr goes back to normal operation.
void InstallTestHooks(TestHooks *hooks);

}  // namespace rt::detail
