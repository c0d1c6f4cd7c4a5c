#include "review/ReviewWindowLayer.h"

#include "platform/core/fake/ManualMainQueue.h"
#include "platform/ui/fake/FakeToolkit.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(ReviewWindowLayer, ReviewWindowsShareOneContextServingBothResourceSchemes)
{
    ManualMainQueue queue;
    ui::fake::FakeToolkit toolkit;
    const auto layer = makeReviewWindowLayer(toolkit, {});
    ASSERT_EQ(toolkit.contexts.size(), 1u);
    EXPECT_EQ(toolkit.contexts.front()->schemes.count("vtpdf"), 1u);
    EXPECT_EQ(toolkit.contexts.front()->schemes.count("vtpage"), 1u);
}

}
}
