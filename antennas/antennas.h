// SPDX-License-Identifier: GPL-3.0-or-later
// The antenna table: the sixteen antenna types of the kit's library, indexed
// by the antenna type a pattern file stores, each with its library name, its
// picture file, its frequency and the design of its textbook model. Every
// program and library that names an antenna type reads it here. No Qt.
#pragma once

constexpr int ANTENNA_TYPES = 16;

// How a type's textbook model is computed.
enum class ModelEngine { Nec2c, ClosedForm };

struct AntennaEntry {
    int type;             // index, 0 to 15
    const char *name;     // the library's name of the type
    const char *picture;  // picture file beside the program
    double frequencyMhz;  // the library's frequency
    // The textbook model.
    ModelEngine engine;
    const char *model;   // one line: geometry or model and its dimensions
    const char *source;  // where the dimensions and the model come from
    const char *ePlane;  // the physical cut shown as the kit's E plane
    const char *hPlane;  // and as its H plane
    // Dimensions, in wavelengths unless the model says otherwise; their
    // meaning depends on the type (listed above the table in antennas.cpp).
    double p[6];
    // Largest dimension D of the modelled antenna, in wavelengths: the
    // greatest distance between two points of its conductors or aperture.
    // Ground planes that the model takes as infinite do not count.
    double sizeWavelengths;
};

// The entry of a type, or null for a type outside 0 to 15.
const AntennaEntry *AntennaOf(int type);
// Its library name and picture file, or null outside 0 to 15.
const char *AntennaNameOf(int type);
const char *AntennaPictureOf(int type);

// Wavelength in metres of a frequency in MHz (free space).
constexpr double WavelengthMetres(double frequencyMhz)
{
    return 299.792458 / frequencyMhz;
}
// A type's wavelength and largest dimension D in metres; false (and *metres
// untouched) for a type outside 0 to 15.
bool AntennaWavelength(int type, double *metres);
bool AntennaSize(int type, double *metres);
