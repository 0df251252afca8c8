// SPDX-License-Identifier: GPL-3.0-or-later
// Measure > Gain by comparison...: the antenna's gain from reference files of
// an antenna of known gain measured in the same set-up, stated with its
// expanded uncertainty and the budget it comes from. The open pattern may
// have repeats, and the reference several files, for the repeatability term.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pattern_record.h"
#include "uncertainty.h"

extern int gainpnl;  // the gain panel while it is shown, else 0

void antGainCallback(int menuBar, int menuItem, void *callbackData, int panel);
int GainBrowseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int GainRemoveRefCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int GainAddRepeatCallback(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int GainRemoveRepeatCallback(int panel, int control, int event, void *callbackData, int eventData1,
                             int eventData2);
int GainRefGainCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int GainSettingCallback(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
int GainCloseCallback(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
void RegisterGainCallbacks();

// Rotation, hiding a plane, a new range distance: the panel follows.
void RefreshGainPanel();
// Open and close: the repeats belonged to the pattern that was open and go
// with it; the reference files stay.
void GainPatternChanged();

// Adds a reference file (what Add... beside the reference files does);
// false with a message shown when it cannot be read or does not belong.
bool SetGainReference(const std::string &path);
// Adds a repeated measurement of the open pattern's antenna, the same way.
bool AddGainRepeat(const std::string &path);

// What the gain panel holds for a lab report of the open pattern: the
// reference files, the reference gain set in it (none: its type's model
// gain, as the panel offers it) and the standard uncertainties.
struct GainReportSetup {
    std::vector<std::pair<std::string, const PatternRecord *>> references;
    std::optional<double> referenceGainDbi;
    GainSettings settings;
};
GainReportSetup GainSetupForReport();
