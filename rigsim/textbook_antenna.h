// SPDX-License-Identifier: GPL-3.0-or-later
// The antennas the simulated rig carries: the textbook model of each of the
// library's sixteen antenna types (the wire types through nec2c, the others
// in closed form), as the E and H cuts relative to the far-field peak, seen
// from the far field or from a range distance. Where a model cannot be
// computed (nec2c missing), or when asked, the hand-made pattern of the same
// kind stands in (antenna_pattern.h).
#pragma once

#include <string>
#include <string_view>

#include "antenna_pattern.h"

namespace rigsim {

// The type of the flat test antenna, outside the library's 0 to 15.
inline constexpr int kIsotropic = -1;
inline constexpr int kLibraryTypes = 16;

// The two cuts of one antenna as the rig sees it.
struct AntennaCuts {
    int type = kIsotropic;
    double rangeM = 0;      // the source's distance; 0 for the far field
    bool textbook = false;  // the type's textbook model; false: `standIn`
    Antenna standIn = Antenna::Isotropic;
    std::string note;  // why the hand-made pattern stands in for the model, or empty
    // dB relative to the far-field peak at the whole degrees from the main
    // beam (index 0), when tabulated; otherwise `standIn` is computed at
    // any angle.
    bool tabulated = false;
    double e[360] = {};
    double h[360] = {};

    // The level of a cut at `degrees` from the main beam, dB relative to the
    // far-field peak (linear between whole degrees).
    double level(Plane plane, double degrees) const;
};

// The cuts of a library type (0 to 15) or kIsotropic, from `rangeM` metres
// (0 for the far field), the model's or with `handMade` the hand-made
// pattern's. At a range the horn's and the patch arrays' models take the
// source's spherical phase across their apertures themselves; every other
// cut goes through the model of near_field.h with the type's largest
// dimension D and wavelength from the antenna table. Computed once per process and kept; safe from
// any thread. When the model cannot be computed the hand-made pattern stands in and the note says
// why; it is also written once to standard error.
const AntennaCuts &CutsOf(int type, double rangeM = 0, bool handMade = false);

// The library type each hand-made pattern stands for (dipole 0, horn 12,
// Yagi 9, isotropic kIsotropic), and the hand-made pattern that stands in
// for a type: the figure of eight for the dipoles, monopoles, loops and the
// spiral, the end-fire array for the Yagi and the helix, the horn for the
// horn and the patches.
int TypeOf(Antenna antenna);
Antenna StandInOf(int type);

// "Yagi (500 MHz), type 9" or "isotropic".
std::string AntennaLabel(int type);

// An --antenna value: dipole, horn, yagi, iso (or isotropic), or a library
// type 0 to 15. False for anything else.
bool ParseAntennaType(std::string_view text, int *type);

}  // namespace rigsim
