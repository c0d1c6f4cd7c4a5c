#include "review/ReviewWindowLayer.h"

#include "app/Globals.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(ReviewWindowLayer, ReviewWindowsShareOneContextServingBothResourceSchemes)
{
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    ui::fake::FakeToolkit toolkit;
    const auto layer = makeReviewWindowLayer(toolkit, {});
    ASSERT_EQ(toolkit.contexts.size(), 1u);
    EXPECT_EQ(toolkit.contexts.front()->schemes.count("vtpdf"), 1u);
    EXPECT_EQ(toolkit.contexts.front()->schemes.count("vtpage"), 1u);
}

}
}
