// SPDX-License-Identifier: GPL-3.0-or-later
// atn theory, atn compare --theory, atn gain and atn report --theory, run as
// a user runs them.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "antenna_pattern.h"
#include "pattern_builder.h"
#include "run_program.h"
#include "scratch_test.h"

namespace fs = std::filesystem;

namespace {

using Outcome = testsupport::RunResult;
using testsupport::Atn;
using testsupport::AtnWithPath;

QJsonObject Json(const std::string &s)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(s)).object();
}

class AtnTheory : public testsupport::ScratchTest {
protected:
    // The simulated rig's horn, main lobe at boresight, peak at peak dB.
    QString Horn(const char *name, int type, int boresight, double peak) const
    {
        double e[360], h[360];
        for (int k = 0; k < 360; ++k) {
            e[k] = rigsim::PatternLevelDb(rigsim::Antenna::Horn, rigsim::Plane::E, k - boresight,
                                          peak);
            h[k] = rigsim::PatternLevelDb(rigsim::Antenna::Horn, rigsim::Plane::H, k - boresight,
                                          peak - 1.5);
        }
        PatternBuilder d;
        d.type(type).attn(10, 10).viewerText("Kim", "");
        d.eTaken("03-15-2004", "10:20:30").hTaken("03-15-2004", "10:40:00").e(e).h(h);
        EXPECT_TRUE(d.write((dir / name).string()).ok);
        return In(name);
    }
};

}  // namespace

TEST_F(AtnTheory, JsonCarriesTheModelAndInfosPlaneKeys)
{
    const Outcome r = Atn({"theory", "0", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject o = Json(r.out);
    EXPECT_EQ(o["type"].toInt(), 0);
    EXPECT_EQ(o["name"].toString(), "Dipole (500 MHz)");
    EXPECT_EQ(o["frequency_mhz"].toDouble(), 500);
    EXPECT_EQ(o["engine"].toString(), "nec2c");
    EXPECT_NEAR(o["gain_dbi"].toDouble(), 2.15, 0.1);
    EXPECT_EQ(Json(Atn({"theory", "13", "--json"}).out)["engine"].toString(), "closed form");

    // The same keys under e and h as atn info --json gives a plane.
    ASSERT_EQ(Atn({"theory", "0", "-o", In("m.atn")}).status, 0);
    const Outcome info = Atn({"info", "--json", In("m.atn")});
    ASSERT_EQ(info.status, 0) << info.err;
    const QJsonObject file = Json(info.out)["files"].toArray()[0].toObject();
    EXPECT_EQ(file["antenna_type"].toInt(), 0);
    for (const char *plane : {"e", "h"}) {
        EXPECT_EQ(o[plane].toObject().keys(), file[plane].toObject().keys()) << plane;
        EXPECT_EQ(o[plane].toObject()["lobe"].toObject().keys(),
                  file[plane].toObject()["lobe"].toObject().keys());
    }
    // The file's levels are the model's, in dBi.
    EXPECT_NEAR(file["h"].toObject()["peak_level_db"].toDouble(), o["gain_dbi"].toDouble(), 1e-5);
    EXPECT_NEAR(file["e"].toObject()["lobe"].toObject()["hpbw_deg"].toDouble(),
                o["e"].toObject()["lobe"].toObject()["hpbw_deg"].toDouble(), 1e-3);
}

TEST_F(AtnTheory, WritesEveryFormatAndRefusesWhatItCannot)
{
    for (const char *name : {"m.csv", "m.msi", "m.png", "m.svg", "m.pdf"}) {
        const Outcome r = Atn({"theory", "12", "-o", In(name)});
        EXPECT_EQ(r.status, 0) << name << r.err;
        EXPECT_GT(fs::file_size(dir / name), 100u) << name;
    }
    std::ifstream csv(dir / "m.csv");
    int lines = 0;
    for (std::string l; std::getline(csv, l);)
        ++lines;
    EXPECT_EQ(lines, 361);
    EXPECT_EQ(Atn({"theory", "16"}).status, 2);
    EXPECT_EQ(Atn({"theory", "dipole"}).status, 2);
    EXPECT_EQ(Atn({"theory", "12", "-o", In("m.txt")}).status, 1);
    // A folder that is not there: an error, not a success.
    const Outcome r = Atn({"theory", "12", "-o", In("none/m.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not written"), std::string::npos) << r.err;
}

TEST_F(AtnTheory, WithoutNec2cTheWireTypesSayWhichPackage)
{
    const QString empty = QString::fromStdString(dir.string());  // a PATH without nec2c
    const Outcome wire = AtnWithPath({"theory", "0"}, empty);
    EXPECT_EQ(wire.status, 1);
    EXPECT_NE(wire.err.find("Debian package nec2c"), std::string::npos) << wire.err;
    EXPECT_EQ(std::count(wire.err.begin(), wire.err.end(), '\n'), 1) << wire.err;
    EXPECT_EQ(AtnWithPath({"theory", "12"}, empty).status, 0);
}

// nec2c exits with 0 when its output could not be written whole (a full
// TMPDIR): the model is an error, not a textbook pattern from what was left.
TEST_F(AtnTheory, ACutNec2cOutputIsAnErrorNotAModel)
{
    const QString real = QStandardPaths::findExecutable(QStringLiteral("nec2c"));
    if (real.isEmpty())
        GTEST_SKIP() << "nec2c is not installed";
    {
        std::ofstream f(dir / "nec2c");
        f << "#!/bin/sh\nfor a; do case $a in -o*) out=${a#-o};; esac; done\n"
          << "'" << real.toStdString() << "' \"$@\" || exit $?\n"
          << "size=$(wc -c < \"$out\")\n"
          << "head -c $((size * 6 / 10)) \"$out\" > \"$out.cut\" && mv \"$out.cut\" \"$out\"\n";
    }
    fs::permissions(dir / "nec2c", fs::perms::owner_all);
    const QString path = QString::fromStdString(dir.string()) + QStringLiteral(":/usr/bin:/bin");
    const Outcome r = AtnWithPath({"theory", "0"}, path);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out.find("H 39"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("nec2c's output is incomplete: pattern table 3 of 3 has"),
              std::string::npos)
        << r.err;
}

TEST_F(AtnTheory, CompareWithTheoryReportsTheRotationTheRigUsed)
{
    const Outcome r = Atn(
        {"compare", "--theory", "--json", Horn("a.atn", 12, 37, -5), Horn("b.atn", 12, 300, -5)});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonArray files = Json(r.out)["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].toObject()["e"].toObject()["rotation_deg"].toInt(), 37);
    EXPECT_EQ(files[0].toObject()["h"].toObject()["rotation_deg"].toInt(), 37);
    EXPECT_EQ(files[1].toObject()["e"].toObject()["rotation_deg"].toInt(), 300);
    EXPECT_EQ(files[0].toObject()["engine"].toString(), "closed form");
    // A file without a type has no model: said, and the status is 1.
    const Outcome none = Atn({"compare", "--theory", Horn("c.atn", -1, 0, -5)});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no library antenna type"), std::string::npos) << none.err;
    EXPECT_EQ(Atn({"compare", "--json", In("a.atn"), In("b.atn")}).status, 2);
}

TEST_F(AtnTheory, GainByComparisonToAHundredthOfADecibel)
{
    const QString ref = Horn("ref.atn", 12, 0, -20), aut = Horn("aut.atn", 13, 90, -12.66);
    Outcome r = Atn({"gain", aut, "--reference", ref, "--reference-gain", "2.15", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    QJsonObject o = Json(r.out);
    EXPECT_NEAR(o["plane_gain_dbi"].toObject()["e"].toDouble(), 2.15 + 7.34, 0.01);
    EXPECT_NEAR(o["plane_gain_dbi"].toObject()["h"].toDouble(), 2.15 + 7.34, 0.01);
    EXPECT_NEAR(o["reference_gain_dbi"].toDouble(), 2.15, 1e-9);
    // Without a gain, the reference's type's model gain is used.
    r = Atn({"gain", aut, "--reference", ref, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    o = Json(r.out);
    const double model = Json(Atn({"theory", "12", "--json"}).out)["gain_dbi"].toDouble();
    EXPECT_NEAR(o["reference_gain_dbi"].toDouble(), model, 1e-9);
    EXPECT_NEAR(o["plane_gain_dbi"].toObject()["e"].toDouble(), model + 7.34, 0.01);
    // A reference without a type needs its gain.
    const QString untyped = Horn("untyped.atn", -1, 0, -20);
    r = Atn({"gain", aut, "--reference", untyped});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--reference-gain"), std::string::npos) << r.err;
    EXPECT_EQ(Atn({"gain", aut}).status, 2);
    EXPECT_EQ(Atn({"gain", aut, "--reference", ref, "--reference-gain", "x"}).status, 2);
}

TEST_F(AtnTheory, ReportWithTheory)
{
    const QString a = Horn("a.atn", 12, 37, -5);
    const Outcome with = Atn({"report", "--theory", "-o", In("t.pdf"), a});
    ASSERT_EQ(with.status, 0) << with.err;
    const Outcome without = Atn({"report", "-o", In("p.pdf"), a});
    ASSERT_EQ(without.status, 0) << without.err;
    std::ifstream f(dir / "t.pdf", std::ios::binary);
    std::string head(4, '\0');
    f.read(head.data(), 4);
    EXPECT_EQ(head, "%PDF");
    EXPECT_GT(fs::file_size(dir / "t.pdf"), fs::file_size(dir / "p.pdf"));
}
