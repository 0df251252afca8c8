// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time's demo panel (rtdemo.uir) for tests that need a graph on a
// panel and nothing else of it.
#pragma once

#include <gtest/gtest.h>

#include "rt.h"
#include "rtdemo_uir.h"

namespace rt::test {

namespace demo {
inline int Nop(int, int, int, void *, int, int)
{
    return 0;
}
inline int NopPanel(int, int, void *, int, int)
{
    return 0;
}
inline void NopMenu(int, int, void *, int)
{}
}  // namespace demo

// Loads the demo panel with every callback it names doing nothing, except
// the graph's when one is given. A failed load fails the test.
inline int LoadDemoPanel(CtrlCallbackPtr graph = nullptr)
{
    RegisterCtrlCallback("GraphCallback", graph ? graph : demo::Nop);
    for (const char *n :
         {"ButtonCallback", "ValueCallback", "TimerCallback", "FocusCallback", "CloseCallback"})
        RegisterCtrlCallback(n, demo::Nop);
    RegisterPanelCallback("PanelCallback", demo::NopPanel);
    RegisterMenuCallback("AskCallback", demo::NopMenu);
    const int p = LoadPanel(0, "rtdemo.uir", DEMOPNL);
    EXPECT_GT(p, 0);
    return p;
}

}  // namespace rt::test
