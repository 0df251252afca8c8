// SPDX-License-Identifier: GPL-3.0-or-later
// The antenna table: the library's names and picture files in the library's
// order, and the textbook design each type's model is computed from.
#include "antennas.h"

namespace {

// Common texts of the table.
constexpr const char *kBalanisDipole =
    "Balanis, Antenna Theory, 4th ed., sec. 4.6 (half-wavelength dipole, 0.47 wavelength "
    "resonant length)";
constexpr const char *kDipoleE = "the plane containing the wire (figure of eight)";
constexpr const char *kDipoleH = "the plane across the wire at its centre (all round)";
constexpr const char *kMonoE = "the vertical plane containing the radiator, above the ground";
constexpr const char *kMonoH = "the ground plane's own plane, at the horizon (all round)";
constexpr const char *kLoopE =
    "the plane containing the loop's axis (figure of eight: the loop mounted as the dipoles "
    "are; in the field's own terms this cut is the loop's H plane)";
constexpr const char *kLoopH = "the loop's own plane (nearly all round)";
constexpr const char *kSmallLoop =
    "Balanis, Antenna Theory, 4th ed., sec. 5.2-5.3 (small loop, perimeter 0.1 wavelength: "
    "the pattern of a magnetic dipole, whatever the loop's shape)";

// The design of every type. p[] holds, in wavelengths:
//  dipole:    length, wire radius
//  folded:    length, wire radius, spacing of the two wires
//  monopole:  height, wire radius (perfect ground)
//  drooping:  radiator height, radial length, droop below horizontal (deg), wire radius
//  loops:     perimeter, wire radius
//  Yagi:      reflector, driven, director lengths, element spacing, element radius
//  spiral:    inner radius, outer radius, turns, wire radius
//  helix:     circumference, pitch angle (deg), turns, wire radius
//  horn:      aperture A (H plane), aperture B (E plane), flare lengths rho_h, rho_e
//  patch:     width W, length L, substrate height h, relative permittivity
//  arrays:    the patch's W, L, h, permittivity, element spacing, elements per row
// The largest dimension follows from them: the wire's length (the folded
// dipole's pair and the Yagi from end to far end), the monopole's and the
// helix's height above their ground, the drooping radiator's tip to a
// radial's tip, a loop's widest span, the spiral's outer diameter, the
// horn's aperture diagonal, and the patch's or the array's outline diagonal
// in the plane of the patches.
const AntennaEntry kAntennas[ANTENNA_TYPES] = {
    {0,
     "Dipole (500 MHz)",
     "Dipole5.bmp",
     500,
     ModelEngine::Nec2c,
     "centre-fed straight wire 0.47 wavelength long, radius 0.001 wavelength, 21 segments",
     kBalanisDipole,
     kDipoleE,
     kDipoleH,
     {0.47, 0.001},
     0.47},
    {1,
     "Dipole (2 GHz)",
     "Dipole2.bmp",
     2000,
     ModelEngine::Nec2c,
     "centre-fed straight wire 0.47 wavelength long, radius 0.001 wavelength, 21 segments",
     kBalanisDipole,
     kDipoleE,
     kDipoleH,
     {0.47, 0.001},
     0.47},
    {2,
     "Folded Dipole (500 MHz)",
     "Folded.bmp",
     500,
     ModelEngine::Nec2c,
     "two parallel wires 0.47 wavelength long, 0.01 wavelength apart, joined at the ends, fed "
     "at the centre of one",
     "Balanis, Antenna Theory, 4th ed., sec. 9.5 (folded dipole: the pattern of the half-wave "
     "dipole)",
     kDipoleE,
     kDipoleH,
     {0.47, 0.001, 0.01},
     0.470106},
    {3,
     "Monopole Antenna (500 MHz)",
     "Mono5.bmp",
     500,
     ModelEngine::Nec2c,
     "quarter-wave (0.25 wavelength) wire fed at its base over a perfect ground plane",
     "Balanis, Antenna Theory, 4th ed., sec. 4.7.4 (quarter-wavelength monopole, image theory: "
     "directivity 5.15 dBi)",
     kMonoE,
     kMonoH,
     {0.25, 0.001},
     0.25},
    {4,
     "Monopole Antenna (2 GHz)",
     "Mono2.bmp",
     2000,
     ModelEngine::Nec2c,
     "quarter-wave (0.25 wavelength) wire fed at its base over a perfect ground plane",
     "Balanis, Antenna Theory, 4th ed., sec. 4.7.4 (quarter-wavelength monopole, image theory: "
     "directivity 5.15 dBi)",
     kMonoE,
     kMonoH,
     {0.25, 0.001},
     0.25},
    {5,
     "Drooping (500 MHz)",
     "Drooping.bmp",
     500,
     ModelEngine::Nec2c,
     "quarter-wave vertical radiator over four quarter-wave radials drooping 45 degrees, in "
     "free space",
     "Kraus, Antennas, 2nd ed., ground-plane antenna (quarter-wave radiator and radials); the "
     "45-degree droop as in The ARRL Antenna Book's ground-plane designs",
     "the vertical plane through the radiator and two opposite radials",
     "the horizontal plane through the feed point (all round)",
     {0.25, 0.25, 45, 0.001},
     0.461940},
    {6,
     "Circular Loop (500 MHz)",
     "Loopc.bmp",
     500,
     ModelEngine::Nec2c,
     "circular loop of perimeter 0.1 wavelength (16-sided polygon), fed in one side",
     kSmallLoop,
     kLoopE,
     kLoopH,
     {0.1, 0.0002},
     0.032036},
    {7,
     "Diamond Loop (500 MHz)",
     "Loopd.bmp",
     500,
     ModelEngine::Nec2c,
     "square loop of perimeter 0.1 wavelength standing on a corner, fed at the bottom corner",
     kSmallLoop,
     kLoopE,
     kLoopH,
     {0.1, 0.0002},
     0.035355},
    {8,
     "Square Loop (2 GHz)",
     "Loops.bmp",
     2000,
     ModelEngine::Nec2c,
     "square loop of perimeter 0.1 wavelength, fed at the centre of one side",
     kSmallLoop,
     kLoopE,
     kLoopH,
     {0.1, 0.0002},
     0.035355},
    {9,
     "Yagi (500 MHz)",
     "Yagi.bmp",
     500,
     ModelEngine::Nec2c,
     "3 elements: reflector 0.482, driven element 0.47, director 0.424 wavelength, spaced 0.2 "
     "wavelength (boom 0.4 wavelength), element diameter 0.0085 wavelength",
     "Viezbicke, Yagi antenna design, NBS Technical Note 688 (1976): the 0.4-wavelength-boom "
     "design, 7.1 dBd (9.25 dBi)",
     "the plane containing the elements and the boom",
     "the plane across the elements, "
     "containing the boom",
     {0.482, 0.47, 0.424, 0.2, 0.00425},
     0.604325},
    {10,
     "Spiral (2 GHz)",
     "Spirla.bmp",
     2000,
     ModelEngine::Nec2c,
     "two-arm Archimedean spiral, radius 0.02 to 0.32 wavelength in 3 turns, centre-fed, in "
     "free space (beams on both faces)",
     "Stutzman and Thiele, Antenna Theory and Design, 3rd ed., sec. 7.3 (Archimedean spiral: "
     "radiation from the ring of one wavelength circumference)",
     "a plane through the spiral's axis",
     "the plane through the axis at right angles to the "
     "first",
     {0.02, 0.32, 3, 0.0005},
     0.64},
    {11,
     "Helical (10 GHz)",
     "Helical.bmp",
     10000,
     ModelEngine::Nec2c,
     "axial-mode helix, circumference 1.2 wavelength, pitch angle 12.5 degrees, 10 turns, "
     "wire radius 0.005 wavelength, over a perfect ground plane",
     "Kraus, Antennas, 2nd ed., ch. 7 (axial-mode helix: 3/4 < C < 4/3 wavelength, pitch 12-14 "
     "degrees; HPBW = 52 / (C sqrt(N S)) degrees)",
     "a plane through the helix's axis",
     "the plane through the axis at right angles to the "
     "first",
     {1.2, 12.5, 10, 0.005},
     2.690336},
    {12,
     "Horn (10 GHz)",
     "Horn.bmp",
     10000,
     ModelEngine::ClosedForm,
     "pyramidal horn, aperture 10.4 x 8.5 cm (3.46 x 2.83 wavelength), flare lengths 12 cm; "
     "aperture fields: TE10 cosine across A, uniform across B, quadratic phase from the flares",
     "Balanis, Antenna Theory, 4th ed., sec. 13.4 (pyramidal horn, optimum-gain dimensions A = "
     "sqrt(3 lambda rho), B = sqrt(2 lambda rho), aperture efficiency about 0.51)",
     "the plane of the electric field, across the aperture's short side B",
     "the plane across the long side A",
     {3.4641, 2.8284, 4.0, 4.0},
     4.472118},
    {13,
     "Rectangular Patch (10 GHz)",
     "Patch.bmp",
     10000,
     ModelEngine::ClosedForm,
     "rectangular patch W 1.186 cm, L 0.906 cm on h 0.1588 cm, permittivity 2.2; cavity "
     "model: two radiating slots over an infinite ground plane",
     "Balanis, Antenna Theory, 4th ed., sec. 14.2, example 14.1 (design) and the cavity-model "
     "fields of the two radiating slots",
     "the plane along the patch's resonant length L",
     "the plane along its width W",
     {0.39533, 0.30200, 0.052934, 2.2},
     0.497483},
    {14,
     "MicroStrip Planar Array (Rectangular, 10 GHz)",
     "Patch.bmp",
     10000,
     ModelEngine::ClosedForm,
     "4 x 4 array of the rectangular patch, 0.7 wavelength apart, uniform and in phase: element "
     "pattern x array factor",
     "Balanis, Antenna Theory, 4th ed., sec. 6.10 (planar array factor) and 14.2 (element)",
     "the plane along the patches' resonant length L",
     "the plane along their width W",
     {0.39533, 0.30200, 0.052934, 2.2, 0.7, 4},
     3.463564},
    {15,
     "MicroStrip Planar Array (Circular, 10 GHz)",
     "Drooping.bmp",
     10000,
     ModelEngine::ClosedForm,
     "12 rectangular patches on a 0.7-wavelength grid inside a circle (4 x 4 without the "
     "corners), uniform and in phase: element pattern x array factor",
     "Balanis, Antenna Theory, 4th ed., sec. 6.10 (planar array factor) and 14.2 (element)",
     "the plane along the patches' resonant length L",
     "the plane along their width W",
     {0.39533, 0.30200, 0.052934, 2.2, 0.7, 4},
     2.688992},
};

bool Known(int type)
{
    return type >= 0 && type < ANTENNA_TYPES;
}

}  // namespace

const AntennaEntry *AntennaOf(int type)
{
    return Known(type) ? &kAntennas[type] : nullptr;
}

const char *AntennaNameOf(int type)
{
    return Known(type) ? kAntennas[type].name : nullptr;
}

const char *AntennaPictureOf(int type)
{
    return Known(type) ? kAntennas[type].picture : nullptr;
}

bool AntennaWavelength(int type, double *metres)
{
    if (!Known(type))
        return false;
    *metres = WavelengthMetres(kAntennas[type].frequencyMhz);
    return true;
}

bool AntennaSize(int type, double *metres)
{
    if (!Known(type))
        return false;
    *metres = kAntennas[type].sizeWavelengths * WavelengthMetres(kAntennas[type].frequencyMhz);
    return true;
}
