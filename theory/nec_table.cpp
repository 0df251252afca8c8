// SPDX-License-Identifier: GPL-3.0-or-later
// Reading nec2c's output: its radiation-pattern tables, the rows a deck's
// RP cards ask for, and whether an output is a whole run.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "theory.h"

std::vector<std::vector<NecPatternRow>> ParseNecPatterns(const std::string &output)
{
    std::vector<std::vector<NecPatternRow>> tables;
    std::istringstream in(output);
    std::string line;
    bool inTable = false, inRows = false;
    while (std::getline(in, line)) {
        if (line.find("RADIATION PATTERNS") != std::string::npos) {
            tables.emplace_back();
            inTable = true;
            inRows = false;
            continue;
        }
        if (!inTable)
            continue;
        NecPatternRow row{};
        double vert = 0, horiz = 0;
        // A whole row has eleven fields (twelve with the polarisation sense);
        // fewer is a row cut short, which is not taken.
        std::istringstream fields(line);
        int count = 0;
        for (std::string field; fields >> field;)
            ++count;
        const bool numeric = count >= 11
                             && std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &row.theta,
                                            &row.phi, &vert, &horiz, &row.total)
                                    == 5;
        if (numeric) {
            inRows = true;
            tables.back().push_back(row);
        } else if (inRows) {
            inTable = inRows = false;  // the first line after the rows ends the table
        }
    }
    return tables;
}

std::vector<size_t> NecTableRows(const std::string &deck)
{
    std::vector<size_t> rows;
    bool ground = false;
    std::istringstream in(deck);
    for (std::string line; std::getline(in, line);) {
        int groundType = 0;
        if (std::sscanf(line.c_str(), "GN %d", &groundType) == 1)
            ground = groundType != -1;
        int mode = 0, nth = 0, nph = 0, xnda = 0;
        double thets = 0, phis = 0, dth = 0, dph = 0;
        if (std::sscanf(line.c_str(), "RP %d %d %d %d %lf %lf %lf %lf", &mode, &nth, &nph, &xnda,
                        &thets, &phis, &dth, &dph)
                != 8
            || nth < 1 || nph < 1)
            continue;
        // Over a ground nec2c leaves out the directions below the horizon.
        size_t thetas = 0;
        for (int i = 0; i < nth; ++i)
            thetas += !ground || thets + i * dth <= 90.0 + 1e-6;
        rows.push_back(thetas * size_t(nph));
    }
    return rows;
}

std::string NecOutputProblem(const std::string &deck, const std::string &output)
{
    const std::vector<size_t> want = NecTableRows(deck);
    const auto tables = ParseNecPatterns(output);
    if (tables.size() > want.size())
        return "nec2c gave " + std::to_string(tables.size()) + " pattern tables, not "
               + std::to_string(want.size());
    for (size_t t = 0; t < want.size(); ++t) {
        const size_t got = t < tables.size() ? tables[t].size() : 0;
        if (t >= tables.size() || got != want[t])
            return "nec2c's output is incomplete: pattern table " + std::to_string(t + 1) + " of "
                   + std::to_string(want.size()) + " has " + std::to_string(got) + " of its "
                   + std::to_string(want[t]) + " rows"
                   + (t >= tables.size() ? " (the output ends before it)" : "");
    }
    // A whole run ends with its run time, after the last table; the engine
    // exits with status 0 even when writing its output failed.
    const size_t last = output.rfind("RADIATION PATTERNS");
    if (output.find("RUN TIME", last == std::string::npos ? 0 : last) == std::string::npos)
        return "nec2c's output is incomplete: it ends without the closing RUN TIME line";
    return {};
}
