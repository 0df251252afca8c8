// SPDX-License-Identifier: GPL-3.0-or-later
// Mnemonic marks kept out of the texts programs read, and text colours kept
// readable on light and dark backgrounds.
#include <gtest/gtest.h>

#include "appearance.h"

using rt::detail::ContrastRatio;
using rt::detail::MnemonicOf;
using rt::detail::PlainText;
using rt::detail::ReadableOn;
using rt::detail::WithMnemonic;

TEST(Mnemonic, PlainTextAndBack)
{
    struct Case {
        const char *shown, *plain;
        char letter;
    };
    const Case cases[] = {
        {"&Open...", "Open...", 'O'},
        {"Save &as...", "Save as...", 'a'},
        {" &E Data delete", " E Data delete", 'E'},
        {"R&&D", "R&D", 0},
        {"&R&&D", "R&D", 'R'},
        {"<< 10", "<< 10", 0},
        {"trailing&", "trailing", 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PlainText(QString::fromUtf8(c.shown)), QString::fromUtf8(c.plain)) << c.shown;
        EXPECT_EQ(MnemonicOf(QString::fromUtf8(c.shown)), QChar(c.letter)) << c.shown;
    }
}

TEST(Mnemonic, ARenamedTextKeepsItsLetter)
{
    // The program renames " E Data delete" to " E Data view" and back.
    EXPECT_EQ(WithMnemonic(" E Data view", 'E'), " &E Data view");
    // Another case of the same letter still counts; the first one is marked.
    EXPECT_EQ(WithMnemonic("Port 1   (/dev/ttyS1)", '1'), "Port &1   (/dev/ttyS1)");
    EXPECT_EQ(WithMnemonic("open", 'O'), "&open");
    // Ampersands of the text itself are shown as such, never as a mark.
    EXPECT_EQ(WithMnemonic("A&B", 'B'), "A&&&B");
    EXPECT_EQ(PlainText(WithMnemonic("A&B", 'B')), "A&B");
    // Without the letter, no mark.
    EXPECT_EQ(WithMnemonic("Close", 'x'), "Close");
    EXPECT_EQ(WithMnemonic("Close", QChar()), "Close");
}

TEST(Contrast, RatioOfKnownPairs)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-6);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-6);
    EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(Qt::red, Qt::red), 1.0, 1e-9);
}

TEST(Contrast, ColoursBecomeReadableAndKeepTheirHue)
{
    const QColor backgrounds[] = {QColor(0xef, 0xef, 0xef), Qt::white, QColor(0x2b, 0x2b, 0x2b),
                                  Qt::black, QColor(0x80, 0x80, 0x80)};
    const QColor texts[] = {Qt::red,
                            Qt::blue,
                            QColor(0xd0, 0, 0),
                            QColor(0, 0, 0xe0),
                            Qt::yellow,
                            QColor(0xa0, 0xa0, 0xa0)};
    for (const QColor &bg : backgrounds)
        for (const QColor &fg : texts) {
            const QColor c = ReadableOn(fg, bg);
            EXPECT_GE(ContrastRatio(c, bg), 4.5)
                << fg.name().toStdString() << " on " << bg.name().toStdString();
            if (ContrastRatio(fg, bg) >= 4.5) {
                EXPECT_EQ(c, fg) << "a readable colour stays as designed";
            } else if (fg.hsvSaturation() > 0 && c != Qt::white && c != Qt::black) {
                EXPECT_NEAR(c.hsvHue(), fg.hsvHue(), 2) << fg.name().toStdString();
            }
        }
}
