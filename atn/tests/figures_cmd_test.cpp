// SPDX-License-Identifier: GPL-3.0-or-later
// atn info's figures through the noise, atn check and atn gain with its
// budget, run as a user runs them.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "antenna_pattern.h"
#include "lobe.h"
#include "message.h"
#include "pattern_builder.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome Atn(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ATN_BINARY), args);
    Outcome r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

QJsonObject Json(const std::string &s)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(s)).object();
}

bool Has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

const char *const kSamples[] = {ATN_SAMPLES "/dipole.atn", ATN_SAMPLES "/horn.atn",
                                ATN_SAMPLES "/yagi.atn"};

// What the receiver makes of a level: 0.05 dB steps, never below -30 dB.
double Reading(double level)
{
    return std::max(-30.0, std::round(level * 20.0) / 20.0);
}

class AtnFigures : public testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "atn-figures-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }
    QString Save(const char *name, int type, const double *e, const double *h, double eAttn = 0,
                 double hAttn = 0) const
    {
        PatternBuilder d;
        d.type(type).attn(eAttn, hAttn).viewerText("Kim", "");
        d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(e).h(h);
        EXPECT_TRUE(d.write((dir / name).string()).ok);
        return QString::fromStdString((dir / name).string());
    }
    // The simulated rig's antenna, main lobe at 90 degrees, both planes
    // peaking at `peak`, read with receiver noise of `noise` dB.
    QString Rig(const char *name, int type, rigsim::Antenna a, double peak, double noise = 0,
                unsigned seed = 1, double attn = 0) const
    {
        std::mt19937 rng(seed);
        std::normal_distribution<double> n(0.0, noise > 0 ? noise : 1.0);
        double e[360], h[360];
        for (int k = 0; k < 360; ++k) {
            e[k] = Reading(rigsim::PatternLevelDb(a, rigsim::Plane::E, k - 90, peak)
                           + (noise > 0 ? n(rng) : 0.0));
            h[k] = Reading(rigsim::PatternLevelDb(a, rigsim::Plane::H, k - 90, peak)
                           + (noise > 0 ? n(rng) : 0.0));
        }
        return Save(name, type, e, h, attn, attn);
    }
    fs::path dir;
};

QJsonObject Plane(const QJsonObject &file, const char *plane)
{
    return file[QString::fromUtf8(plane)].toObject();
}

// A JSON value is the figure exactly, or null where there is none.
void ExpectFigure(const QJsonObject &o, const char *key, const std::optional<double> &v)
{
    if (!v) {
        EXPECT_TRUE(o[key].isNull()) << key;
        return;
    }
    EXPECT_TRUE(o[key].isDouble()) << key;
    EXPECT_EQ(o[key].toDouble(), *v) << key;
}

void ExpectFigure(const QJsonObject &o, const char *key, const std::optional<int> &v)
{
    ExpectFigure(o, key, v ? std::optional<double>(*v) : std::nullopt);
}

}  // namespace

// Scripts read today's keys: each keeps the value of the raw readouts and
// lobe metrics, printed the way Qt prints a document; the new keys join them.
TEST_F(AtnFigures, InfoJsonKeepsTodaysKeysAndValuesAndAddsTheFittedOnes)
{
    const Outcome r = Atn({"info", "--json", kSamples[0], kSamples[1], kSamples[2]});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out));
    EXPECT_EQ(doc.toJson().toStdString(), r.out) << "key order, numbers and layout as before";
    const QJsonArray files = doc.object()["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    const QStringList planeKeys{"attenuation_db",
                                "date",
                                "dynamic_range_db",
                                "fitted",
                                "hpb_left_deg",
                                "hpb_level_db",
                                "hpb_right_deg",
                                "hpb_width_deg",
                                "lobe",
                                "noise",
                                "peak_angle_deg",
                                "peak_level_db",
                                "time"};
    for (int i = 0; i < 3; ++i) {
        PatternRecord rec{};
        int n = 0, ne = 0, nh = 0;
        ASSERT_TRUE(ReadPatternFile(kSamples[i], rec, n, ne, nh).ok);
        for (const auto &[name, levels] :
             {std::pair{"e", rec.e_data}, std::pair{"h", rec.h_data}}) {
            SCOPED_TRACE(std::string(kSamples[i]) + " " + name);
            const QJsonObject p = Plane(files[i].toObject(), name);
            EXPECT_EQ(p.keys(), planeKeys);
            const ViewerReadouts v = PlaneReadouts(levels);
            ExpectFigure(p, "peak_angle_deg", std::optional<int>(v.peak));
            ExpectFigure(p, "peak_level_db", v.peakLevel);
            ExpectFigure(p, "hpb_left_deg",
                         v.search.leftFound ? std::optional<double>(v.search.left) : std::nullopt);
            ExpectFigure(p, "hpb_right_deg",
                         v.search.rightFound ? std::optional<double>(v.search.right)
                                             : std::nullopt);
            ExpectFigure(p, "hpb_width_deg", std::optional<double>(v.hpbWidth));
            ExpectFigure(p, "hpb_level_db", std::optional<double>(v.hpbLevel));
            const LobeMetrics m = PlaneLobeMetrics(levels);
            const QJsonObject lobe = p["lobe"].toObject();
            ExpectFigure(lobe, "hpbw_deg", m.hpbw);
            ExpectFigure(lobe, "hpbw_left_deg", m.hpbwLeft);
            ExpectFigure(lobe, "hpbw_right_deg", m.hpbwRight);
            ExpectFigure(lobe, "bw10_deg", m.bw10);
            ExpectFigure(lobe, "first_null_left_deg", m.nullLeft);
            ExpectFigure(lobe, "first_null_right_deg", m.nullRight);
            ExpectFigure(lobe, "fnbw_deg", m.fnbw);
            ExpectFigure(lobe, "front_to_back_db", m.frontToBack);
            ExpectFigure(lobe, "side_lobe_level_db", m.sideLobeLevel);
            ExpectFigure(lobe, "side_lobe_angle_deg", m.sideLobeAngle);
            for (const char *flag :
                 {"first_null_left_limited_by_floor", "first_null_right_limited_by_floor",
                  "front_to_back_limited_by_floor", "side_lobe_limited_by_floor"})
                EXPECT_TRUE(lobe[flag].isBool()) << flag;
            EXPECT_TRUE(p["fitted"].toObject()["peak_level_db"].isDouble());
            EXPECT_TRUE(p["noise"].toObject()["biased"].isBool());
        }
    }
    // The horn's back lies on the floor, the Yagi's back lobe above it.
    EXPECT_TRUE(Plane(files[1].toObject(), "e")["lobe"]
                    .toObject()["front_to_back_limited_by_floor"]
                    .toBool());
    EXPECT_FALSE(Plane(files[2].toObject(), "e")["lobe"]
                     .toObject()["front_to_back_limited_by_floor"]
                     .toBool());
}

TEST_F(AtnFigures, InfoTextShowsBoundsTheBackLobeTheFitAndTheNoise)
{
    // A bound on the floor, with the figure the JSON gives.
    Outcome r = Atn({"info", kSamples[1]});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject horn = Json(Atn({"info", "--json", kSamples[1]}).out)["files"][0].toObject();
    const double ftb = Plane(horn, "e")["fitted"].toObject()["front_to_back_db"].toDouble();
    EXPECT_TRUE(Has(r.out, "    front-to-back: ≥ " + Fixed(ftb, 2)
                               + " dB (the back lies on the -30 dB floor)\n"))
        << r.out;

    // A dipole's figure of eight: two main lobes, the back one no side lobe.
    const QString dipole = Rig("dipole.atn", 0, rigsim::Antenna::Dipole, -5.0);
    r = Atn({"info", dipole});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string e =
        r.out.substr(r.out.find("E plane"), r.out.find("H plane") - r.out.find("E plane"));
    EXPECT_TRUE(Has(e, "    main lobes: two, within 1 dB of each other, at ")) << e;
    EXPECT_TRUE(Has(e, "    back lobe: the second main lobe, ")) << e;
    EXPECT_TRUE(Has(e, "    side lobes: none\n")) << e;

    // The raw figure beside the fitted one only where the two differ.
    double beam[360];
    for (int k = 0; k < 360; ++k) {
        const double d = std::min(std::abs(k - 90), 360 - std::abs(k - 90));
        beam[k] = std::max(-30.0, -5.0 - 12.0 * (d / 30) * (d / 30));
    }
    r = Atn({"info", Save("smooth.atn", -1, beam, beam)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "    beamwidth -3 dB (fitted): 30.00 deg (75.00 to 105.00 deg)\n"))
        << r.out;
    for (size_t at = 0; (at = r.out.find("    beamwidth", at)) != std::string::npos; ++at)
        EXPECT_FALSE(Has(r.out.substr(at, r.out.find('\n', at) - at), "; raw")) << r.out;
    EXPECT_FALSE(Has(r.out, "average several readings")) << r.out;

    // Noise that lifts the highest sample gets the hint, as the JSON flags it.
    const QString noisy = Rig("noisy.atn", 0, rigsim::Antenna::Dipole, -5.0, 1.0, 3);
    r = Atn({"info", noisy});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject n = Json(Atn({"info", "--json", noisy}).out)["files"][0].toObject();
    ASSERT_TRUE(Plane(n, "e")["noise"].toObject()["biased"].toBool());
    EXPECT_TRUE(Has(r.out, "above the fitted peak: average several readings per step in Kesto\n"))
        << r.out;
    EXPECT_TRUE(Has(r.out, "    beamwidth -3 dB (fitted): ") && Has(r.out, "; raw ")) << r.out;
}

TEST_F(AtnFigures, CheckWarnsForAHornTooCloseAndPassesADipoleFarEnough)
{
    const QString horn = Rig("horn.atn", 12, rigsim::Antenna::Horn, -5.0);
    const QString dipole = Rig("dipole.atn", 0, rigsim::Antenna::Dipole, -5.0);
    Outcome r = Atn({"check", horn, "--distance", "0.3"});
    EXPECT_EQ(r.status, 3) << r.out << r.err;
    EXPECT_TRUE(Has(r.out, "  Far field: warn\n    R = 0.300 m; 2D²/λ = ")) << r.out;
    r = Atn({"check", dipole, "--distance", "3"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_FALSE(Has(r.out, ": warn")) << r.out;
    EXPECT_TRUE(Has(r.out, "  Far field: pass\n")) << r.out;
    // Without a distance the far field is not made, which is no warning.
    r = Atn({"check", horn});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Has(r.out, "  Far field: not made\n    Not made: no range distance was given.\n"));
    // Too little above the floor warns by itself.
    const QString weak = Rig("weak.atn", 12, rigsim::Antenna::Horn, -15.0);
    EXPECT_EQ(Atn({"check", weak}).status, 3);

    // One JSON document; a file that cannot be read is an error, and an
    // error wins over a warning.
    const QString missing = QString::fromStdString((dir / "none.atn").string());
    r = Atn({"check", "--json", "--distance", "0.3", horn, missing, dipole});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "none.atn: no such file")) << r.err;
    const QJsonArray files = Json(r.out)["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    const QJsonObject h = files[0].toObject();
    EXPECT_EQ(h["file"].toString(), horn);
    EXPECT_TRUE(h["ok"].toBool());
    EXPECT_EQ(h["antenna_type"].toInt(), 12);
    EXPECT_EQ(h["distance_m"].toDouble(), 0.3);
    EXPECT_EQ(h["verdict"].toString().toStdString(), "warn");
    QStringList ids;
    for (const QJsonValue &c : h["checks"].toArray())
        ids << c.toObject()["id"].toString();
    EXPECT_EQ(ids,
              (QStringList{"dynamic_range", "floor_limited", "noise", "boresight", "far_field"}));
    EXPECT_EQ(h["checks"].toArray()[4].toObject()["verdict"].toString().toStdString(), "warn");
    EXPECT_FALSE(h["far_field"].toObject()["ok"].toBool());
    EXPECT_FALSE(h["far_field"].toObject()["rayleigh_ok"].toBool());
    EXPECT_EQ(files[1].toObject().keys(), (QStringList{"error", "file", "ok"}));
    EXPECT_FALSE(files[1].toObject()["ok"].toBool());
    // A 500 MHz dipole at 0.3 m is within 1.6 wavelengths: its reactive near field.
    const QJsonObject d = files[2].toObject()["far_field"].toObject();
    EXPECT_TRUE(d["rayleigh_ok"].toBool());
    EXPECT_FALSE(d["wavelengths_ok"].toBool());
    EXPECT_EQ(files[2].toObject()["verdict"].toString().toStdString(), "warn");
}

TEST_F(AtnFigures, BadDistancesAndUncertaintiesAreRefused)
{
    const QString horn = Rig("horn.atn", 12, rigsim::Antenna::Horn, -5.0);
    for (const char *bad : {"-1", "0", "abc", "", "nan", "1e999", "3m"}) {
        SCOPED_TRACE(bad);
        for (const char *cmd : {"check", "gain"}) {
            QStringList args{cmd, horn, "--distance", bad};
            if (std::string(cmd) == "gain")
                args << "--reference" << horn;
            const Outcome r = Atn(args);
            EXPECT_EQ(r.status, 2) << cmd;
            EXPECT_TRUE(Has(r.err, std::string("atn: ") + cmd + ": --distance")) << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
    }
    for (const char *option : {"--u-reference", "--u-attenuator", "--u-mismatch", "--u-alignment"})
        for (const char *bad : {"-0.1", "x", "inf", ""}) {
            const Outcome r = Atn({"gain", horn, "--reference", horn, option, bad});
            EXPECT_EQ(r.status, 2) << option << " " << bad;
            EXPECT_TRUE(
                Has(r.err, std::string("gain: ") + option + " takes a standard uncertainty"))
                << r.err;
        }
    EXPECT_EQ(Atn({"check"}).status, 2);
    EXPECT_EQ(Atn({"gain", "--reference", horn}).status, 2);
}

// Repeated files give the Type A term by hand: antenna peaks 0.4 dB apart,
// reference peaks 0.2 dB apart.
TEST_F(AtnFigures, GainOverRepeatedFilesHasItsTypeATermAndStatement)
{
    using rigsim::Antenna;
    const QString a1 = Rig("a1.atn", 12, Antenna::Horn, -10.0),
                  a2 = Rig("a2.atn", 12, Antenna::Horn, -10.4);
    const QString r1 = Rig("r1.atn", 12, Antenna::Horn, -20.0, 0, 1, 10),
                  r2 = Rig("r2.atn", 12, Antenna::Horn, -20.2, 0, 1, 10);
    for (const QStringList &form : {QStringList{a1, a2, "--reference", r1, r2},
                                    QStringList{a1, a2, "--reference", r1, "--reference", r2},
                                    QStringList{"--reference", r1, a1, a2, "--reference=" + r2}}) {
        SCOPED_TRACE(form.join(' ').toStdString());
        const Outcome r = Atn(QStringList{"gain", "--json", "--reference-gain", "2.15"} << form);
        ASSERT_EQ(r.status, 0) << r.err;
        const QJsonObject o = Json(r.out);
        EXPECT_EQ(o["files"].toArray(), QJsonArray::fromStringList({a1, a2}));
        EXPECT_EQ(o["references"].toArray().size(), 2);
        EXPECT_EQ(o["file"].toString(), a1);
        EXPECT_EQ(o["reference"].toString(), r1);
        EXPECT_NEAR(o["gain_dbi"].toDouble(), 2.15 + (-10.2 - -20.1), 1e-6);
        EXPECT_NEAR(o["plane_gain_dbi"].toObject()["e"].toDouble(), 2.15 + 9.9, 1e-6);
        const QJsonArray parts = o["uncertainty"].toObject()["components"].toArray();
        ASSERT_FALSE(parts.isEmpty());
        const QJsonObject typeA = parts[0].toObject();
        EXPECT_EQ(typeA["id"].toString(), "type_a");
        EXPECT_TRUE(typeA["counted"].toBool());
        EXPECT_NEAR(typeA["u_db"].toDouble(), std::hypot(0.4 / 2, 0.2 / 2), 1e-6);
        // The attenuations differ (0 and 10 dB): the attenuator counts.
        EXPECT_TRUE(parts[3].toObject()["counted"].toBool());
        const QJsonObject u = o["uncertainty"].toObject();
        EXPECT_EQ(u["coverage_factor"].toDouble(), 2.0);
        EXPECT_EQ(o["statement"].toString().toStdString(),
                  "G = " + Fixed(o["gain_dbi"].toDouble(), 1) + " ± "
                      + Fixed(u["expanded_db"].toDouble(), 1) + " dBi (k = 2)");
        for (const char *key : {"reference_gain_from", "e_minus_h_db", "model_gain_dbi",
                                "outside_method", "far_from_model", "far_field", "distance_m"})
            EXPECT_TRUE(o.contains(key)) << key;
    }
    // The old form: one file each, and the table says why Type A is missing.
    const Outcome one = Atn({"gain", a1, "--reference", r1, "--reference-gain", "2.2"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_TRUE(Has(one.out, "a1.atn against ")
                && Has(one.out, "r1.atn (reference gain 2.20 dBi, given)\n"))
        << one.out;
    EXPECT_TRUE(Has(one.out, "  G = 12.2 ± ")) << one.out;
    EXPECT_TRUE(
        Has(one.out, "    Repeatability (Type A)   0.000  no       not counted: one file each"))
        << one.out;
    EXPECT_TRUE(Has(one.out, "  Coverage factor k = 2, expanded uncertainty U = k u_c = "))
        << one.out;
}

TEST_F(AtnFigures, GainSaysWhenItIsOutsideTheMethodOrFarFromTheModel)
{
    using rigsim::Antenna;
    const QString a = Rig("a.atn", 12, Antenna::Horn, -10.0),
                  r = Rig("r.atn", 12, Antenna::Horn, -20.0);
    // At 0.2 m the horn's aperture is far from flat in phase; at 2 m it is
    // in the far field.
    Outcome near = Atn({"gain", a, "--reference", r, "--reference-gain", "8", "--distance", "0.2"});
    ASSERT_EQ(near.status, 0) << near.err;
    EXPECT_TRUE(Has(near.out, "  far field: outside the method: at R = 0.200 m")) << near.out;
    QJsonObject o = Json(
        Atn({"gain", a, "--reference", r, "--reference-gain", "8", "--distance", "0.2", "--json"})
            .out);
    EXPECT_TRUE(o["outside_method"].toBool());
    EXPECT_FALSE(o["far_field"].toObject()["antenna"].toObject()["ok"].toBool());
    const Outcome far =
        Atn({"gain", a, "--reference", r, "--reference-gain", "8", "--distance", "2"});
    EXPECT_TRUE(Has(far.out, "  far field: at R = 2.000 m both antennas are in the far field\n"))
        << far.out;
    // 8 + 10 dB is the horn's model gain within 3 dB; 2 + 10 dB is not.
    EXPECT_FALSE(Has(far.out, "check the set-up")) << far.out;
    o = Json(Atn({"gain", a, "--reference", r, "--reference-gain", "2", "--json"}).out);
    EXPECT_TRUE(o["far_from_model"].toBool());
    EXPECT_TRUE(Has(Atn({"gain", a, "--reference", r, "--reference-gain", "2"}).out,
                    "more than 3 dB: check the set-up\n"));
    // A reference with no peak: an error with the reason, in JSON too.
    double floor[360];
    std::fill(floor, floor + 360, -30.0);
    const QString flat = Save("flat.atn", 12, floor, floor);
    const Outcome bad = Atn({"gain", a, "--reference", flat, "--reference-gain", "2", "--json"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Has(bad.err, "The reference antenna has no plane with a peak.")) << bad.err;
    EXPECT_FALSE(Json(bad.out)["ok"].toBool());
}

TEST_F(AtnFigures, ReportShowsBoundsAndFittedWidthsWithTheRawBeside)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    double beam[360];
    for (int k = 0; k < 360; ++k) {
        const double d = std::min(std::abs(k - 90), 360 - std::abs(k - 90));
        beam[k] = std::max(-30.0, -5.0 - 12.0 * (d / 30) * (d / 30));
    }
    const QString pdf = QString::fromStdString((dir / "r.pdf").string());
    ASSERT_EQ(Atn({"report", kSamples[1], Save("smooth.atn", -1, beam, beam), "-o", pdf}).status,
              0);
    QProcess p;
    p.start(pdftotext, {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    // The PDF's fonts join f and i.
    const QStringList pages = QString::fromUtf8(p.readAllStandardOutput())
                                  .replace(QString::fromUtf8("\xef\xac\x81"), QStringLiteral("fi"))
                                  .split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 3);
    const QJsonObject lobe =
        Plane(Json(Atn({"info", "--json", kSamples[1]}).out)["files"][0].toObject(), "e")["lobe"]
            .toObject();
    const std::string horn = pages[1].toStdString(), smooth = pages[2].toStdString();
    // The horn's raw front-to-back, a bound: its back lies on the floor.
    const std::string ftb = Fixed(lobe["front_to_back_db"].toDouble(), 2);
    EXPECT_TRUE(Has(horn, "≥ " + ftb + " dB")) << horn;
    EXPECT_TRUE(Has(pages[0].toStdString(), "≥ " + Fixed(lobe["front_to_back_db"].toDouble(), 1)));
    // Its fitted width with the raw one beside; the smooth beam's alone.
    EXPECT_TRUE(Has(horn, "(raw " + Fixed(lobe["hpbw_deg"].toDouble(), 2) + "°)")) << horn;
    const size_t row = smooth.find("-3 dB width, fitted");
    ASSERT_NE(row, std::string::npos) << smooth;
    const std::string line = smooth.substr(row, smooth.find('\n', row) - row);
    EXPECT_TRUE(Has(line, "30.00°")) << line;
    EXPECT_FALSE(Has(line, "raw")) << line;
}

TEST_F(AtnFigures, HelpNamesTheMethodItsAssumptionsAndDefaults)
{
    const std::string gain = Atn({"gain", "--help"}).out, check = Atn({"check", "--help"}).out;
    for (const char *part : {"Usage: atn gain [options]", "G = Gref +", "same distance, frequency",
                             "default 0.5 dB", "default 0.25 dB", "default 0.1 dB each", "k = 2",
                             "root sum of squares", "Type A", "--distance"})
        EXPECT_TRUE(Has(gain, part)) << part;
    for (const char *part : {"Usage: atn check [options]", "below 20 dB", "within 1 dB", "0.3 dB",
                             "1.5 dB", "2D^2/lambda", "status is 0", "--distance <M>"})
        EXPECT_TRUE(Has(check, part)) << part;
    EXPECT_TRUE(Has(Atn({"--help"}).out, "  check     the checks on a measurement"));
}
