// SPDX-License-Identifier: GPL-3.0-or-later
#include "codepage.h"

#include <cstring>

#include "antenna_uir.h"
#include "pattern_record.h"
#include "pattern_text.h"
#include "rt.h"

int codepnl = 0;

namespace {

constexpr const char *kProgram = "antenna";
constexpr const char *kKey = "text/codePage";

int PageIndex(const std::string &name)
{
    const auto &pages = LegacyCodePages();
    for (std::size_t i = 0; i < pages.size(); ++i)
        if (name == pages[i].name)
            return int(i);
    return -1;
}

}  // namespace

std::string ViewerCodePage()
{
    const std::string kept = GetUserSettingText(kProgram, kKey, PATTERN_DEFAULT_CODEPAGE);
    return PageIndex(kept) >= 0 ? kept : std::string(PATTERN_DEFAULT_CODEPAGE);
}

std::string ShownPerson(const char *person)
{
    return DecodePerson(person, ViewerCodePage(), PATTERN_PERSON_MAX);
}

std::string ShownDescript(const char *descript)
{
    return DecodeDescript(descript, ViewerCodePage(), PATTERN_DESCRIPT_MAX);
}

void CodePageCallback(int, int, void *, int)
{
    if (codepnl > 0) {  // already open: bring it forward instead of a second copy
        DisplayPanel(codepnl);
        return;
    }
    codepnl = LoadPanel(0, "antenna.uir", CODEPNL);
    if (codepnl < 0) {
        codepnl = 0;
        return;
    }
    SetCtrlAttribute(codepnl, CODEPNL_PAGE, RT_ATTR_CTRL_INDEX, PageIndex(ViewerCodePage()));
    DisplayPanel(codepnl);
}

int ApplyCodePageCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    int index = 0;
    GetCtrlAttribute(panel, CODEPNL_PAGE, RT_ATTR_CTRL_INDEX, &index);
    const auto &pages = LegacyCodePages();
    if (index >= 0 && std::size_t(index) < pages.size()
        && SetUserSettingText(kProgram, kKey, pages[std::size_t(index)].name) != 0)
        MessagePopup("Text of older files", "The code page could not be kept for the next run.");
    DiscardPanel(panel);
    codepnl = 0;
    return 0;
}

int CloseCodePageCallback(int panel, int, int event, void *, int, int)
{
    if (event != RT_EVENT_COMMIT)
        return 0;
    DiscardPanel(panel);
    codepnl = 0;
    return 0;
}
