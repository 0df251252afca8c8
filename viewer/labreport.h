// SPDX-License-Identifier: GPL-3.0-or-later
// File > Lab report...: the lab report of the open pattern as a PDF, the
// same one atn report --lab writes, with the range distance of the checks
// panel and the reference files and settings of the gain panel.
#pragma once

void LabReportCallback(int menuBar, int menuItem, void *callbackData, int panel);
