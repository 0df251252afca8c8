// SPDX-License-Identifier: GPL-3.0-or-later
// atn info against the viewer: the panel's readouts and atn's JSON come from
// the same functions, so for any file they show the same figures.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>

#include "antenna.h"
#include "antenna_uir.h"
#include "files.h"
#include "pattern_file.h"
#include "rt.h"
#include "run_program.h"
#include "scratch_test.h"
#include "testing.h"

namespace fs = std::filesystem;

namespace {

using Outcome = testsupport::RunResult;
using testsupport::Atn;

const char *const kSamples[] = {testsupport::SampleFile("dipole.atn"),
                                testsupport::SampleFile("horn.atn"),
                                testsupport::SampleFile("yagi.atn")};

class AtnAgainstTheViewer : public testsupport::ScratchTest {
protected:
    std::string WritePattern(const char *name, const double *e, const double *h) const
    {
        PatternFileData d;
        d.Antype = -1;
        const std::string text = ViewerTextBlock("Kim", "");
        d.text = text;
        d.Edate = d.Hdate = "01-02-2024";
        d.Etime = d.Htime = "10:00:00";
        d.e_data = e;
        d.h_data = h;
        EXPECT_TRUE(WritePatternFile((dir / name).string(), d).ok);
        return (dir / name).string();
    }
};

double Readout(int ctrl)
{
    double v = 0;
    GetCtrlVal(antennalab, ctrl, &v);
    return v;
}

int IntReadout(int ctrl)
{
    int v = 0;
    GetCtrlVal(antennalab, ctrl, &v);
    return v;
}

}  // namespace

// The viewer's readouts and atn info --json come from the same functions:
// open each file in the viewer and compare what its panel shows.
TEST_F(AtnAgainstTheViewer, InfoJsonAgreesWithTheViewersReadouts)
{
    double allRound[360], floor[360], hidden[360], same[360];
    for (int k = 0; k < 360; ++k) {
        allRound[k] = -5.0;
        floor[k] = -30.0;
        hidden[k] = 0.0;
        same[k] = k == 10 ? 0.0 : k == 100 ? -3.0 : -1.0;  // both edges on one sample
    }
    QStringList files;
    for (const char *s : kSamples)
        files << QString::fromUtf8(s);
    files << QString::fromStdString(WritePattern("round.atn", allRound, floor))
          << QString::fromStdString(WritePattern("zeros.atn", hidden, same));
    const Outcome r = Atn(QStringList{"info", "--json"} << files);
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonArray docs = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))
                                .object()[QStringLiteral("files")]
                                .toArray();
    ASSERT_EQ(docs.size(), files.size());

    ASSERT_EQ(AntennaStartup(0, nullptr), 0);
    for (int i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].toStdString());
        rt::test::ChooseFile(fs::absolute(files[i].toStdString()).string());
        rt::test::ChooseMenuItem(GetPanelMenuBar(antennalab), MENUBAR_OPEN);
        ASSERT_TRUE(PatternOpen());
        const QJsonObject f = docs[i].toObject();
        EXPECT_TRUE(f[QStringLiteral("ok")].toBool());
        struct {
            const char *key;
            int peak, peakLevel, width, level;
        } planes[] = {{"e", ANTENNALAB_EPEAKANGLE, ANTENNALAB_EPEAKLEVEL, ANTENNALAB_EHPB,
                       ANTENNALAB_EHPBLEVEL},
                      {"h", ANTENNALAB_HPEAKANGLE, ANTENNALAB_HPEAKLEVEL, ANTENNALAB_HHPB,
                       ANTENNALAB_HHPBLEVEL}};
        for (const auto &p : planes) {
            const QJsonObject j = f[QString::fromUtf8(p.key)].toObject();
            EXPECT_EQ(j[QStringLiteral("peak_angle_deg")].toInt(), IntReadout(p.peak)) << p.key;
            if (IntReadout(p.peak) >= 0)
                EXPECT_DOUBLE_EQ(j[QStringLiteral("peak_level_db")].toDouble(),
                                 Readout(p.peakLevel));
            else
                EXPECT_TRUE(j[QStringLiteral("peak_level_db")].isNull());
            EXPECT_DOUBLE_EQ(j[QStringLiteral("hpb_width_deg")].toDouble(), Readout(p.width))
                << p.key;
            EXPECT_DOUBLE_EQ(j[QStringLiteral("hpb_level_db")].toDouble(), Readout(p.level))
                << p.key;
        }
    }
    // The special planes, as the README describes them.
    const QJsonObject round = docs[3].toObject()[QStringLiteral("e")].toObject();
    EXPECT_EQ(
        round[QStringLiteral("lobe")].toObject()[QStringLiteral("front_to_back_db")].toDouble(),
        0.0);
    EXPECT_TRUE(round[QStringLiteral("lobe")].toObject()[QStringLiteral("hpbw_deg")].isNull());
    EXPECT_EQ(docs[3]
                  .toObject()[QStringLiteral("h")]
                  .toObject()[QStringLiteral("peak_angle_deg")]
                  .toInt(),
              -1);
    EXPECT_TRUE(docs[3].toObject()[QStringLiteral("directivity_estimate")].isNull());
    EXPECT_EQ(docs[4]
                  .toObject()[QStringLiteral("h")]
                  .toObject()[QStringLiteral("hpb_width_deg")]
                  .toDouble(),
              0.0);
}

