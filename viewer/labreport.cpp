// SPDX-License-Identifier: GPL-3.0-or-later
// The lab report of the open pattern.
#include "labreport.h"

#include <filesystem>
#include <string>

#include "antenna.h"
#include "checks_view.h"
#include "gain_view.h"
#include "reports.h"
#include "rt.h"

namespace {

constexpr const char *kTitle = "Lab report";

// What the viewer changed and did not save, said under the report's header.
std::string NoteOf()
{
    if (REDvalue == 0 && BLUEvalue == 0)
        return "";
    return "Turned in the viewer and not saved: the E plane by " + std::to_string(REDvalue)
           + "°, the H plane by " + std::to_string(BLUEvalue) + "°.";
}

}  // namespace

void LabReportCallback(int, int, void *, int)
{
    if (!PatternOpen() || !ptsPtr) {
        MessagePopup(kTitle, "Open a pattern file first.");
        return;
    }
    if (Eflag == 1 || Hflag == 1) {
        const std::string which = Eflag == 1 && Hflag == 1 ? "The E and H planes are"
                                  : Eflag == 1             ? "The E plane is"
                                                           : "The H plane is";
        MessagePopup(kTitle, (which
                              + " deleted from view: a lab report shows both planes. "
                                "Show it again (E Data view, H data view) first.")
                                 .c_str());
        return;
    }
    char path[FILEPATH_SIZE] = "";
    int type = 0;
    const std::string suggested =
        std::filesystem::path(filepathname).stem().string() + "-lab-report.pdf";
    if (SaveFileTypePopup(kTitle, suggested.c_str(), "PDF document (*.pdf)", &type, path,
                          sizeof path)
        == RT_NO_FILE_SELECTED)
        return;
    ReportFile file;
    file.path = filepathname;
    file.ok = true;
    file.rec = *ptsPtr;
    file.note = NoteOf();
    LabSettings settings;
    settings.distance = RangeDistance();
    const GainReportSetup gain = GainSetupForReport();
    for (const auto &[refPath, rec] : gain.references)
        settings.references.push_back({refPath, *rec});
    settings.referenceGainDbi = gain.referenceGainDbi;
    settings.uncertainty = gain.settings;
    SetWaitCursor(1);
    std::string pdf, error;
    const bool written =
        MakeLabReport(file, settings, &pdf, &error) && SaveReport(path, pdf, &error);
    SetWaitCursor(0);
    if (!written)
        MessagePopup(kTitle, ("The report was not written. " + error).c_str());
}
