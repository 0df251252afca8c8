// SPDX-License-Identifier: GPL-3.0-or-later
// The information panel of the open pattern, and printing.
#pragma once

// The text of the antenna name field for a type: the library name, or
// "It is not specified." for no type (-1) and for a type the library does
// not hold.
const char *AntNameText(int type);

void InfoCallback(int menuBar, int menuItem, void *callbackData, int panel);
void FullPrintCallback(int menuBar, int menuItem, void *callbackData, int panel);
void GraphicPrintCallback(int menuBar, int menuItem, void *callbackData, int panel);
