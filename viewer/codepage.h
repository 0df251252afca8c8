// SPDX-License-Identifier: GPL-3.0-or-later
// The legacy code page in which the viewer shows the text of older files
// (the person and description lines that are not UTF-8), kept between runs.
#pragma once

#include <string>

extern int codepnl;  // the code page panel while it is open

// The code page in force: the kept choice, or Windows-1252.
std::string ViewerCodePage();
// The record's person and description as text to show.
std::string ShownPerson(const char *person);
std::string ShownDescript(const char *descript);

void CodePageCallback(int menuBar, int menuItem, void *callbackData, int panel);
int ApplyCodePageCallback(int panel, int control, int event, void *callbackData, int d1, int d2);
int CloseCodePageCallback(int panel, int control, int event, void *callbackData, int d1, int d2);
