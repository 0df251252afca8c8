// SPDX-License-Identifier: GPL-3.0-or-later
// The numbers and small texts of the rigsim program's options and of the
// commands typed on its standard input, parsed by pure functions: each takes
// the text and either gives the value, brought into its documented range, or
// a message for the user saying what the option takes. No locale, no global
// state, no exceptions, so that a fuzzer can drive them directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rig_model.h"

namespace rigsim::args {

// A number a text must hold: finite, in [lo, hi], whole when `whole`.
struct NumberRule {
    double lo;
    double hi;
    bool whole;
    const char *what;  // "degrees", "dB", "ms", ... for the message
};

// The whole text as one decimal number ("12", "-3.5", "+1e3"): no blanks, no
// trailing characters, no inf or nan, '.' as the point whatever the locale.
bool ParseNumber(std::string_view text, double *out);

// `text` under `rule`. On success the value is stored and the result is
// empty; otherwise it is the message, naming `name` (an option or command):
// "--angle takes a whole number of degrees from -1000000 to 1000000, not 1e20".
std::string ParseRuled(std::string_view name, std::string_view text, const NumberRule &rule,
                       double *out);

// Hex bytes such as "0384005A" (blanks, commas and colons between them are
// allowed), 1 to kMaxFaultBytes of them.
inline constexpr std::size_t kMaxFaultBytes = 4096;
bool ParseHex(std::string_view text, std::vector<std::uint8_t> *out);

// The rule of a numeric option of the program ("--angle", "--baud", ...), or
// null for an option that takes no number.
const NumberRule *OptionRule(std::string_view option);

// "--fault KIND": silence | short:K | garbage | garbage:HEX | late:MS | script:HEX.
std::string ParseFault(std::string_view text, Fault *out);

// "--antenna NAME|TYPE": dipole, horn, yagi, iso (isotropic) or a library
// type 0 to 15; the type, or kIsotropic.
std::string ParseAntennaOption(std::string_view text, int *type);

// "--misalign DEG" (both cuts) or "--misalign E:H" (each cut its own), in
// degrees from -90 to 90.
std::string ParseMisalign(std::string_view text, double *eDegrees, double *hDegrees);

// "--unplug N:MS" and "--unplug-steps N:MS".
std::string ParseUnplug(std::string_view option, std::string_view text, int *count, double *ms);

// One command line typed on standard input.
struct Command {
    enum Kind {
        Empty,        // a blank line
        PlaneE,       // e
        PlaneH,       // h
        TogglePlane,  // t
        Attenuate,    // a DB
        Position,     // p DEG
        Silence,      // x [N]
        ShortReply,   // k K
        Garbage,      // g
        Late,         // l MS
        ClearFaults,  // n
        Unplug,       // u [MS]   (-1: until r)
        PlugIn,       // r
        Show,         // s
        Quit,         // q
    };
    Kind kind = Empty;
    double value = 0.0;  // DB, DEG, MS
    int count = 0;       // N, K
};
std::string ParseCommand(std::string_view line, Command *out);

// Runs `input` through every parser above and checks what each promises
// (a value it accepts lies in its range; a refusal comes with a message).
// Aborts on a broken promise. The entry point for a fuzzer: the text is tried
// as the value of every numeric option, as a fault, as an unplug and as a
// command line.
void CheckAllParsers(std::string_view input);

// The link made when --link is not given: veloran-rig in the user's private
// run-time folder `runtimeDir` ($XDG_RUNTIME_DIR), never a fixed name in a
// folder that others can write to. Empty when that folder is not set or not
// an absolute path: the program then asks for --link.
std::string DefaultLink(const char *runtimeDir);

}  // namespace rigsim::args
