// SPDX-License-Identifier: GPL-3.0-or-later
// What the model files of this library share with each other; not for
// its callers.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

#include "theory.h"

namespace theory_parts {

constexpr double kPi = 3.14159265358979323846;

// A nec2c run started in a private temporary folder and not yet collected.
struct NecJob {
    std::string dir;
    pid_t pid = -1;
    std::string error;
};
// Writes the deck and starts nec2c on it; on failure the job holds no
// process and its error says why.
NecJob StartNec(const std::string &deck);
// Waits for the run at most timeoutMs, reads its output and removes the
// folder; false with a one-line reason.
bool FinishNec(NecJob &job, int timeoutMs, std::string &output, std::string &error);

// The model of a wire type from nec2c's output for its deck.
bool ModelFromNecOutput(int type, const std::string &output, TheoryModel &m);
// The model of the horn or a patch type, from its closed form.
bool ClosedFormModel(int type, TheoryModel &m);
// Fills the floor and gives the gain: levels below the peak by more than
// the depth (and angles without a field) are raised to it.
void FinishCuts(TheoryModel &m, double peak);
// Seconds from t0 to now.
double SecondsSince(std::chrono::steady_clock::time_point t0);

}  // namespace theory_parts
