// SPDX-License-Identifier: GPL-3.0-or-later
// The models of the library types: the design each is computed from, one
// computation with its floor and gain, and the per-process cache that
// computes every type once (the wire types' nec2c runs side by side).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

#include "model_parts.h"

using namespace theory_parts;

const TheoryDesign &DesignOf(int type)
{
    return *AntennaOf(std::clamp(type, 0, THEORY_TYPES - 1));
}

const char *EngineName(TheoryEngine e)
{
    return e == TheoryEngine::Nec2c ? "nec2c" : "closed form";
}

void theory_parts::FinishCuts(TheoryModel &m, double peak)
{
    m.gainDbi = peak;
    for (double *cut : {m.e, m.h})
        for (int k = 0; k < LEVELS; ++k)
            if (!(cut[k] >= peak - THEORY_DEPTH_DB))
                cut[k] = peak - THEORY_DEPTH_DB;
}

double theory_parts::SecondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

namespace {

TheoryModel g_cache[THEORY_TYPES];
bool g_cached[THEORY_TYPES] = {};

}  // namespace

TheoryModel ComputeTheoryModel(int type, const NecRunner &runner)
{
    TheoryModel m;
    m.type = type;
    if (type < 0 || type >= THEORY_TYPES) {
        m.error = "antenna type " + std::to_string(type) + " is not one of the library's 0 to 15";
        return m;
    }
    const auto t0 = std::chrono::steady_clock::now();
    if (DesignOf(type).engine == TheoryEngine::ClosedForm) {
        m.ok = ClosedFormModel(type, m);
    } else {
        std::string out, err;
        if (!runner(NecDeck(type), out, err))
            m.error = err;
        else
            m.ok = ModelFromNecOutput(type, out, m);
    }
    m.seconds = SecondsSince(t0);
    return m;
}

const TheoryModel &TheoryModelOf(int type)
{
    static TheoryModel invalid;
    if (type < 0 || type >= THEORY_TYPES) {
        invalid = ComputeTheoryModel(type, nullptr);
        return invalid;
    }
    if (!g_cached[type]) {
        g_cache[type] =
            ComputeTheoryModel(type, [](const std::string &deck, std::string &out,
                                        std::string &err) { return RunNec2c(deck, out, err); });
        g_cached[type] = true;
    }
    return g_cache[type];
}

void PrepareAllTheoryModels()
{
    // Every nec2c run is started first and collected after, so the engine
    // runs on every core while the closed forms are computed here.
    NecJob jobs[THEORY_TYPES];
    std::chrono::steady_clock::time_point starts[THEORY_TYPES];
    for (int t = 0; t < THEORY_TYPES; ++t)
        if (!g_cached[t] && DesignOf(t).engine == TheoryEngine::Nec2c) {
            starts[t] = std::chrono::steady_clock::now();
            jobs[t] = StartNec(NecDeck(t));
        }
    for (int t = 0; t < THEORY_TYPES; ++t)
        if (!g_cached[t] && DesignOf(t).engine == TheoryEngine::ClosedForm)
            TheoryModelOf(t);
    // One time limit for all the runs together, not one after another.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int t = 0; t < THEORY_TYPES; ++t) {
        if (g_cached[t])
            continue;
        TheoryModel m;
        m.type = t;
        std::string out, err;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!FinishNec(jobs[t], int(std::max<long long>(100, left.count())), out, err))
            m.error = err;
        else
            m.ok = ModelFromNecOutput(t, out, m);
        m.seconds = SecondsSince(starts[t]);
        g_cache[t] = m;
        g_cached[t] = true;
    }
}
