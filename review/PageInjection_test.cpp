#include "review/PageInjection.h"
#include "platform/ui/fake/FakeWebView.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(PageInjection, AnswersReachTheGuardedPageFunctionWhileTheViewLives)
{
    auto view = std::make_shared<ui::fake::FakeWebView>();
    orgInject(*view, "ikwOrgPlan", Json { { "moves", Json::array() } });
    orgInject(*view, "ikwOrgPlan", Json("not a container"));
    const auto reportError = makeErrorInjector(view, "ikwOrgApplied");
    reportError("Can't move \"a\" to </b>");
    EXPECT_EQ(view->evaluated, (std::vector<std::string> {
        R"(if(window.ikwOrgPlan)try{ikwOrgPlan({"moves":[]})}catch(e){})",
        R"(if(window.ikwOrgApplied)try{ikwOrgApplied({"error":"Can't move \"a\" to <\/b>"})}catch(e){})",
    }));

    view.reset();
    reportError("gone"); // the view is gone: nothing happens
}

}
}
