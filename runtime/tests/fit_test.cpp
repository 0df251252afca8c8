// SPDX-License-Identifier: GPL-3.0-or-later
// Windows larger than their screen: tighter layouts first, then graphs
// shrunk only as far as that makes the window fit.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "graph.h"
#include "internal.h"

namespace {

struct Window {
    std::unique_ptr<QWidget> w = std::make_unique<QWidget>();
    rt::Graph *graph = nullptr;
    QLabel *label = nullptr;
    // A graph drawn at `side` pixels beside a column with a text `wide`
    // pixels across.
    Window(int side, int wide)
    {
        auto *row = new QHBoxLayout(w.get());
        graph = new rt::Graph;
        graph->setMinimumSize(side, side);
        graph->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        row->addWidget(graph);
        auto *column = new QVBoxLayout;
        label = new QLabel(QStringLiteral("x"));
        label->setMinimumWidth(wide);
        column->addWidget(label);
        row->addLayout(column);
    }
};

}  // namespace

TEST(FitToScreen, AGraphTooTallForTheScreenShrinksUntilTheWindowFits)
{
    const QSize room = rt::detail::ScreenRoom(nullptr);
    ASSERT_GT(room.height(), 500);
    Window win(room.height() + 100, 100);
    rt::detail::FitToScreen(win.w.get());
    const QSize least = win.w->minimumSizeHint();
    EXPECT_LE(least.height(), room.height());
    EXPECT_EQ(win.graph->minimumWidth(), win.graph->minimumHeight()) << "still square";
    EXPECT_GT(win.graph->minimumHeight(), room.height() * 0.9) << "no smaller than it must";
}

TEST(FitToScreen, AGraphThatCannotHelpKeepsItsSize)
{
    const QSize room = rt::detail::ScreenRoom(nullptr);
    // Too wide because of the text column: a smaller graph would not help
    // enough, so it stays as drawn; a window that fits is left alone.
    Window wide(400, room.width() + 200);
    rt::detail::FitToScreen(wide.w.get());
    EXPECT_EQ(wide.graph->minimumSize(), QSize(400, 400));
    Window fits(400, 100);
    const int spacing = fits.w->layout()->spacing();
    rt::detail::FitToScreen(fits.w.get());
    EXPECT_EQ(fits.graph->minimumSize(), QSize(400, 400));
    EXPECT_EQ(fits.w->layout()->spacing(), spacing);
}

TEST(FitToScreen, AMainWindowThatCannotFitScrollsAndComesBackWhole)
{
    const QSize room = rt::detail::ScreenRoom(nullptr);
    QMainWindow main;
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    auto *column = new QVBoxLayout(content);
    auto *label = new QLabel(QStringLiteral("x"));
    label->setMinimumSize(room.width() + 300, room.height() + 300);
    column->addWidget(label);
    main.setCentralWidget(content);
    rt::detail::FitToScreen(&main);
    auto *area = qobject_cast<QScrollArea *>(main.centralWidget());
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->widget(), content);
    EXPECT_LE(main.width(), room.width());
    EXPECT_LE(main.height(), room.height());
    // Content that fits again is no longer wrapped.
    label->setMinimumSize(200, 100);
    rt::detail::FitToScreen(&main);
    EXPECT_EQ(main.centralWidget(), content);
}
