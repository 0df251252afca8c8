// SPDX-License-Identifier: GPL-3.0-or-later
// The antenna table: look-ups at and past both ends, rows that agree with
// themselves (index, frequency in the name, shared pictures), and the
// wavelength and size derived from a row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "antennas.h"

namespace {

// The frequency a library name gives in its brackets ("(500 MHz)",
// "(Rectangular, 10 GHz)"), in MHz; 0 when it gives none.
double FrequencyInName(const char *name)
{
    const char *open = std::strrchr(name, '(');
    if (!open)
        return 0;
    std::string inside(open + 1);
    if (const auto comma = inside.rfind(','); comma != std::string::npos)
        inside = inside.substr(comma + 1);
    double value = 0;
    char unit[8] = {};
    if (std::sscanf(inside.c_str(), "%lf %7[A-Za-z]", &value, unit) != 2)
        return 0;
    return std::strcmp(unit, "GHz") == 0 ? value * 1000 : std::strcmp(unit, "MHz") == 0 ? value : 0;
}

TEST(AntennaTable, LookupsHoldExactlyTheSixteenTypes)
{
    for (int t : {0, 15}) {
        ASSERT_NE(AntennaOf(t), nullptr) << t;
        EXPECT_EQ(AntennaOf(t)->type, t);
        EXPECT_STREQ(AntennaNameOf(t), AntennaOf(t)->name);
        EXPECT_STREQ(AntennaPictureOf(t), AntennaOf(t)->picture);
        double m = 0;
        EXPECT_TRUE(AntennaWavelength(t, &m));
        EXPECT_GT(m, 0);
        EXPECT_TRUE(AntennaSize(t, &m));
        EXPECT_GT(m, 0);
    }
    EXPECT_STREQ(AntennaNameOf(0), "Dipole (500 MHz)");
    EXPECT_STREQ(AntennaNameOf(15), "MicroStrip Planar Array (Circular, 10 GHz)");
    for (int bad : {-1, 16, -1000, 1 << 30}) {
        EXPECT_EQ(AntennaOf(bad), nullptr) << bad;
        EXPECT_EQ(AntennaNameOf(bad), nullptr) << bad;
        EXPECT_EQ(AntennaPictureOf(bad), nullptr) << bad;
        double m = -7;
        EXPECT_FALSE(AntennaWavelength(bad, &m)) << bad;
        EXPECT_FALSE(AntennaSize(bad, &m)) << bad;
        EXPECT_EQ(m, -7) << "a failed look-up wrote its result";
    }
}

TEST(AntennaTable, EachRowAgreesWithItself)
{
    std::set<std::string> names;
    for (int t = 0; t < ANTENNA_TYPES; ++t) {
        const AntennaEntry &a = *AntennaOf(t);
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.type, t);
        names.insert(a.name);
        // The model is computed at the frequency the library names.
        EXPECT_EQ(a.frequencyMhz, FrequencyInName(a.name));
        for (const char *text : {a.picture, a.model, a.source, a.ePlane, a.hPlane})
            EXPECT_GT(std::strlen(text), 4u);
        EXPECT_GT(a.p[0], 0);
        EXPECT_GT(a.sizeWavelengths, 0);
        // Wire types are simulated, the horn and the patches computed.
        EXPECT_EQ(a.engine, t < 12 ? ModelEngine::Nec2c : ModelEngine::ClosedForm);
    }
    EXPECT_EQ(names.size(), size_t(ANTENNA_TYPES));
    // Pictures: fourteen files, two of them shared as the library shares them.
    std::set<std::string> pictures;
    for (int t = 0; t < ANTENNA_TYPES; ++t)
        pictures.insert(AntennaPictureOf(t));
    EXPECT_EQ(pictures.size(), 14u);
    EXPECT_STREQ(AntennaPictureOf(13), "Patch.bmp");
    EXPECT_STREQ(AntennaPictureOf(14), "Patch.bmp");
    EXPECT_STREQ(AntennaPictureOf(5), "Drooping.bmp");
    EXPECT_STREQ(AntennaPictureOf(15), "Drooping.bmp");
    EXPECT_STREQ(AntennaPictureOf(10), "Spirla.bmp");
}

TEST(AntennaTable, WavelengthAndSizeInMetres)
{
    double lambda = 0, d = 0;
    ASSERT_TRUE(AntennaWavelength(0, &lambda));
    EXPECT_NEAR(lambda, 0.5996, 1e-4);  // 500 MHz
    ASSERT_TRUE(AntennaWavelength(1, &lambda));
    EXPECT_NEAR(lambda, 0.1499, 1e-4);  // 2 GHz
    // The half-wave dipole at 500 MHz is 0.47 wavelength: 28.2 cm.
    ASSERT_TRUE(AntennaSize(0, &d));
    EXPECT_NEAR(d, 0.2818, 1e-3);
    // The horn's aperture is 10.4 x 8.5 cm: its diagonal is 13.4 cm.
    ASSERT_TRUE(AntennaSize(12, &d));
    EXPECT_NEAR(d, std::hypot(0.104, 0.085), 1e-3);
}

}  // namespace
