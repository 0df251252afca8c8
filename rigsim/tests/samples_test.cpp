// SPDX-License-Identifier: GPL-3.0-or-later
// The lab's sample measurements made on the simulated rig, as they lie in the
// repository: the good ones agree with their textbook models and pass every
// check, each fault trips the check that finds it (atn check, as a student
// runs it), and the repeat set differs a little from run to run.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "checks.h"
#include "lobe.h"
#include "pattern_file.h"
#include "run_program.h"
#include "theory.h"

namespace fs = std::filesystem;

namespace {

// Each fault sample and the one check it trips.
struct Fault {
    const char *file;
    const char *check;
};
const Fault kFaults[] = {
    {"horn-too-close.atn", "far_field"},
    {"dipole-drift.atn", "boresight"},
    {"horn-misaligned.atn", "boresight"},
    {"yagi-noisy.atn", "noise"},
};
// The samples drawn by hand before the rig had textbook antennas.
const std::set<std::string> kDrawnByHand = {"dipole.atn", "horn.atn", "yagi.atn"};

std::string Path(const std::string &name)
{
    return std::string(SAMPLES_SOURCE_DIR) + "/" + name;
}

bool IsGood(const std::string &name)
{
    return name.find("-good.atn") != std::string::npos
           || name.find("-repeat-") != std::string::npos;
}

std::vector<std::string> SampleNames()
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(SAMPLES_SOURCE_DIR))
        if (entry.path().extension() == ".atn")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Sample {
    PatternRecord rec{};
    int lines = 0;
};

Sample Read(const std::string &name)
{
    Sample s;
    int emax = 0, hmax = 0;
    const PatternFileResult r = ReadPatternFile(Path(name), s.rec, s.lines, emax, hmax);
    EXPECT_TRUE(r.ok) << r.error;
    return s;
}

// The range a sample's description gives: "at 3 m", "at 0.25 m".
std::optional<double> DescribedRange(const Sample &s)
{
    std::smatch m;
    const std::string d = s.rec.descript;
    if (!std::regex_search(d, m, std::regex(R"(at ([0-9]+(\.[0-9]+)?) m\b)")))
        return std::nullopt;
    return std::stod(m[1]);
}

QJsonObject Json(const testsupport::RunResult &r)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

}  // namespace

TEST(LabSamples, EveryFileIsAGoodOneAFaultOrOneOfTheHandDrawn)
{
    int good = 0, repeats = 0;
    for (const std::string &name : SampleNames()) {
        const bool fault = std::any_of(std::begin(kFaults), std::end(kFaults),
                                       [&](const Fault &f) { return name == f.file; });
        EXPECT_TRUE(IsGood(name) || fault || kDrawnByHand.count(name)) << name;
        good += IsGood(name);
        repeats += name.find("-repeat-") != std::string::npos;
        if (kDrawnByHand.count(name))
            continue;
        // What it shows and how it was made, within the file's 200 characters.
        const Sample s = Read(name);
        const std::string d = s.rec.descript;
        EXPECT_NE(d.find("Simulated"), std::string::npos) << name;
        EXPECT_EQ(std::count(d.begin(), d.end(), '\n'), s.lines) << name << ": every line kept";
    }
    EXPECT_GE(good - repeats, 3) << "dipole, horn and Yagi at least";
    EXPECT_GE(repeats, 3);
}

// As a student compares them: atn compare --theory, the model of the type
// the file names.
TEST(LabSamples, GoodOnesAgreeWithTheirModelsAndPassEveryCheck)
{
    QStringList files;
    std::vector<std::string> names;
    for (const std::string &name : SampleNames())
        if (IsGood(name)) {
            files << QString::fromStdString(Path(name));
            names.push_back(name);
        }
    ASSERT_FALSE(files.isEmpty());
    const testsupport::RunResult r =
        testsupport::Atn(QStringList{"compare", "--theory", "--json"} + files);
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonArray results = Json(r).value("files").toArray();
    ASSERT_EQ(results.size(), files.size());
    std::set<int> types;
    for (int i = 0; i < results.size(); ++i) {
        const QJsonObject o = results[i].toObject();
        ASSERT_TRUE(o.value("ok").toBool()) << names[i];
        types.insert(o.value("type").toInt());
        for (const char *plane : {"e", "h"}) {
            const QJsonObject p = o.value(plane).toObject();
            EXPECT_TRUE(p.value("valid").toBool()) << names[i] << " " << plane;
            EXPECT_LE(p.value("rms_db").toDouble(99), 1.5) << names[i] << " " << plane;
            EXPECT_GT(p.value("angles").toInt(), 60) << names[i] << " " << plane;
        }
        // Every check passes, the far field at the range its description
        // gives.
        const Sample s = Read(names[i]);
        const std::optional<double> range = DescribedRange(s);
        ASSERT_TRUE(range) << names[i] << ": " << s.rec.descript;
        const PatternChecks c = CheckPatternOfType(s.rec.e_data, s.rec.h_data, s.rec.Antype, range);
        EXPECT_TRUE(c.farField.ok()) << names[i];
        for (const CheckLine &l : c.lines)
            EXPECT_NE(l.verdict, Verdict::Warn) << names[i] << ": " << l.id;
    }
    for (int type : {0, 9, 12})
        EXPECT_EQ(types.count(type), 1u) << "a good " << AntennaNameOf(type);
}

// Each fault sample: atn check ends with status 3 and its check, and only
// that one, warns; the too-close one with the distance its description
// names, and without it the far field is not checked at all.
TEST(LabSamples, EachFaultTripsItsCheck)
{
    for (const Fault &f : kFaults) {
        const Sample s = Read(f.file);
        QStringList args{"check", "--json", QString::fromStdString(Path(f.file))};
        std::smatch m;
        const std::string d = s.rec.descript;
        const bool distance =
            std::regex_search(d, m, std::regex(R"(--distance ([0-9]+(\.[0-9]+)?))"));
        if (distance)
            args << "--distance" << QString::fromStdString(m[1]);
        EXPECT_EQ(distance, std::string(f.check) == "far_field") << f.file;
        const testsupport::RunResult r = testsupport::Atn(args);
        EXPECT_EQ(r.status, 3) << f.file << ": " << r.err;
        const QJsonArray checks =
            Json(r).value("files").toArray().at(0).toObject().value("checks").toArray();
        ASSERT_EQ(checks.size(), 5) << f.file;
        for (const QJsonValue &c : checks) {
            const std::string id = c.toObject().value("id").toString().toStdString();
            const std::string verdict = c.toObject().value("verdict").toString().toStdString();
            EXPECT_EQ(verdict == "warn", id == f.check) << f.file << ": " << id << " " << verdict;
        }
        if (distance) {
            args.removeLast();
            args.removeLast();
            EXPECT_EQ(testsupport::Atn(args).status, 0) << f.file << " without --distance";
        }
    }
}

// Three or more repeats of one antenna: each close to the first, none the
// same, as a student's repeated sweeps are.
TEST(LabSamples, TheRepeatSetDiffersALittle)
{
    std::vector<Sample> set;
    for (const std::string &name : SampleNames())
        if (name.find("-repeat-") != std::string::npos)
            set.push_back(Read(name));
    ASSERT_GE(set.size(), 3u);
    for (const Sample &s : set) {
        EXPECT_EQ(s.rec.Antype, set[0].rec.Antype);
        EXPECT_EQ(std::string(s.rec.person), std::string(set[0].rec.person));
    }
    for (std::size_t i = 1; i < set.size(); ++i)
        for (const auto &[a, b] : {std::pair{set[0].rec.e_data, set[i].rec.e_data},
                                   std::pair{set[0].rec.h_data, set[i].rec.h_data}}) {
            const PlaneComparison c = ComparePlanes(a, b);
            EXPECT_LT(c.rms, 0.5) << "repeat " << i + 1;
            EXPECT_GT(c.rms, 0.02) << "repeat " << i + 1 << " is no copy";
        }
    double lo = 99, hi = -99;
    for (const Sample &s : set) {
        const double peak = s.rec.e_data[PeakIndex(s.rec.e_data)];
        lo = std::min(lo, peak);
        hi = std::max(hi, peak);
    }
    EXPECT_GT(hi - lo, 0.1) << "the peak spreads a little";
    EXPECT_LT(hi - lo, 1.0);
}
