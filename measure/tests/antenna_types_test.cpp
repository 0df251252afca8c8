// SPDX-License-Identifier: GPL-3.0-or-later
// Kesto's antenna-type selector, loaded from its panel file as the program
// loads it, lists the antenna table's types by name in the table's order, so
// the index a user picks is the type every other program reads.
#include <gtest/gtest.h>

#include <QComboBox>

#include <string>

#include "antennas.h"
#include "kesto.h"
#include "kesto_uir.h"
#include "rt.h"
#include "testing.h"

TEST(AntennaTypes, KestoSelectorListsTheTableInOrder)
{
    RegisterKestoCallbacks();
    const int panel = LoadPanel(0, "kesto.uir", KESTOPNL);
    ASSERT_GT(panel, 0);
    int count = 0;
    ASSERT_EQ(GetNumListItems(panel, KESTOPNL_ANTTYPE, &count), 0);
    EXPECT_EQ(count, ANTENNA_TYPES);
    auto *ring = qobject_cast<QComboBox *>(rt::test::CtrlWidget(panel, KESTOPNL_ANTTYPE));
    ASSERT_NE(ring, nullptr);
    ASSERT_EQ(ring->count(), count);
    for (int t = 0; t < count; ++t)
        EXPECT_EQ(ring->itemText(t).toStdString(), AntennaNameOf(t) ? AntennaNameOf(t) : "")
            << "item " << t;
    DiscardPanel(panel);
}
