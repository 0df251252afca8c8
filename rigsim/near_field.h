// SPDX-License-Identifier: GPL-3.0-or-later
// A cut seen from a source at a finite distance. The path from the source to
// a point of the antenna x off its centre is longer by about x^2 / 2R than
// to the centre, so a range that is too short puts a quadratic phase error
// across the aperture: the main lobe broadens, the side lobes rise and the
// nulls fill in. The rig shows it with a simple model of one cut:
//
//  1. The forward half of the cut (90 degrees either side of the main beam)
//     is taken as the pattern F(u), u = sin(angle), of a line aperture; its
//     field is the magnitude with the sign turned over at every deep null,
//     as a real, symmetric aperture distribution gives.
//  2. The aperture distribution a(x) = integral of F(u) exp(-j 2 pi x u) du
//     is formed over the antenna's size, |x| <= D / 2 (x in wavelengths).
//  3. The phase -pi x^2 / R (R in wavelengths) is applied to a(x) and the
//     pattern is formed again. What the truncation to D left out of F is
//     added back unchanged, so that the far-field cut comes back exactly as
//     R grows without bound.
//
// The back half of the cut is left as it is. At R = 2 D^2 / lambda the phase
// error at the aperture's edge is pi / 8, the textbook limit of the far
// field. No Qt.
#pragma once

namespace rigsim {

// Levels (dB) of a cut at the 360 whole degrees from its main beam (index 0)
// seen from `rangeWavelengths`, for an antenna `sizeWavelengths` across. A
// range or size that is not above 0 leaves the cut as it is. No level drops
// below the lowest level of the far-field cut.
void NearFieldCut(const double farDb[360], double sizeWavelengths, double rangeWavelengths,
                  double outDb[360]);

// The largest phase error across the aperture, radians: pi D^2 / (4 lambda R).
double EdgePhaseError(double sizeWavelengths, double rangeWavelengths);

}  // namespace rigsim
