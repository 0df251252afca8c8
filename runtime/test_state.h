// The state behind the test seams, shared by the run-time's modules.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "testing.h"

namespace rt::detail {

struct Answer {
    std::string kind;
    int value = 0;
    std::string path;
    std::function<void()> action;
};

struct TestState {
    bool enabled = false;
    std::deque<Answer> answers;
    std::deque<std::function<void()>> popupActions;
    std::vector<test::Popup> popups;
    std::vector<std::string> failures;
    std::function<void(const std::string &)> failureHook;
    std::deque<std::function<void()>> userEventActions;
    std::function<void()> runScript;
    bool quitRequested = false;
    std::vector<double> delays;
    double delayScale = 0.0;
    std::array<std::string, 5> comWritten, comRead;
    std::vector<std::string> launches, helpCalls;
    std::vector<test::PrintJob> printJobs;
    std::string printerFile;
    std::string programDir; // stands in for the executable's folder when set
};

TestState &TS();

} // namespace rt::detail
