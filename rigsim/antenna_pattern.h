// SPDX-License-Identifier: GPL-3.0-or-later
// Radiation patterns of the antennas the simulated rig can carry, as absolute
// levels in dB at the antenna for a cut through the E or the H plane.
#pragma once

#include <string_view>

namespace rigsim {

enum class Antenna { Isotropic, Dipole, Horn, Yagi };
enum class Plane { E, H };

// The level the pattern never drops below, relative to the peak: the nulls
// and the back of the antenna fill in at this depth.
inline constexpr double kPatternDepthDb = 40.0;

// Level at the antenna, dB, for the positioner at `angleDegrees` from the
// main lobe, with `peakDb` at the peak of the pattern. Every pattern has its
// peak at angle 0. Half-wave dipole: figure of eight in E (nulls at 90 and
// 270), flat in H. Horn: narrower E cut with -13 dB side lobes, wider H cut
// with low side lobes, weak back lobe. Yagi: end-fire array of dipoles, the E
// cut narrower than the H cut, a back lobe some 12 dB down. Isotropic: flat.
double PatternLevelDb(Antenna antenna, Plane plane, double angleDegrees, double peakDb);

bool ParseAntenna(std::string_view name, Antenna *out);  // dipole, horn, yagi, iso
const char *AntennaName(Antenna antenna);
bool ParsePlane(std::string_view name, Plane *out);  // E, H (either case)
const char *PlaneName(Plane plane);

}  // namespace rigsim
