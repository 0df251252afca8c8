// SPDX-License-Identifier: GPL-3.0-or-later
// Times the sixteen textbook models: each one alone, then all together as
// the programs compute them (nec2c runs side by side). Prints the gain and
// the half-power widths of each model as a check.
#include <chrono>
#include <cstdio>

#include "lobe.h"
#include "theory.h"

int main()
{
    std::printf("%-4s %-46s %-11s %8s %8s %8s %9s\n", "type", "name", "engine", "gain", "E hpbw",
                "H hpbw", "ms alone");
    for (int t = 0; t < THEORY_TYPES; ++t) {
        const TheoryModel m =
            ComputeTheoryModel(t, [](const std::string &deck, std::string &out, std::string &err) {
                return RunNec2c(deck, out, err);
            });
        if (!m.ok) {
            std::printf("%-4d %-46s %s\n", t, DesignOf(t).name, m.error.c_str());
            continue;
        }
        const LobeMetrics e = PlaneLobeMetrics(m.e), h = PlaneLobeMetrics(m.h);
        std::printf("%-4d %-46s %-11s %8.2f %8.1f %8.1f %9.1f", t, DesignOf(t).name,
                    EngineName(DesignOf(t).engine), m.gainDbi, e.hpbw.value_or(0),
                    h.hpbw.value_or(0), m.seconds * 1000);
        if (e.frontToBack)
            std::printf("  E f/b %.1f", *e.frontToBack);
        std::printf("\n");
    }
    const auto t0 = std::chrono::steady_clock::now();
    PrepareAllTheoryModels();
    const double all = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    int ok = 0;
    for (int t = 0; t < THEORY_TYPES; ++t)
        ok += TheoryModelOf(t).ok;
    std::printf("all sixteen together: %.0f ms (%d models)\n", all * 1000, ok);
    return ok == THEORY_TYPES ? 0 : 1;
}
