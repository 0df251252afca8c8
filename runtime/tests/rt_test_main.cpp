// SPDX-License-Identifier: GPL-3.0-or-later
// Main of the test programs that drive panels.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "rt.h"
#include "testing.h"

namespace {

// A scripted answer that no pop-up took means the program asked less than
// the test expected: that fails the test too.
class LeftoverAnswers : public testing::EmptyTestEventListener {
public:
    bool failed = false;
    void OnTestEnd(const testing::TestInfo &info) override
    {
        if (int n = rt::test::PendingAnswers(); n > 0) {
            std::fprintf(stderr, "%s.%s: %d scripted pop-up answer(s) never used\n",
                         info.test_suite_name(), info.name(), n);
            failed = true;
        }
    }
};

}  // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();  // listing needs no display
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    rt::test::Enable();
    if (!InitCVIRTE(nullptr, argv, nullptr))
        return 1;
    rt::test::SetFailureHook([](const std::string &what) { ADD_FAILURE() << what; });
    auto *leftovers = new LeftoverAnswers;
    testing::UnitTest::GetInstance()->listeners().Append(leftovers);
    const int r = RUN_ALL_TESTS();
    return r != 0 || leftovers->failed ? 1 : 0;
}
