#include "services/FeedbackIntent.h"

#include <gtest/gtest.h>

namespace ikw::services {
namespace {

TEST(FeedbackIntent, RawValuesAreExact)
{
    EXPECT_EQ(feedbackIntentFromRawValue("idea"), FeedbackIntent::idea);
    EXPECT_EQ(feedbackIntentFromRawValue("bug"), FeedbackIntent::bug);
    EXPECT_EQ(feedbackIntentFromRawValue("praise"), FeedbackIntent::praise);
    for (const char* other : { "Idea", "bugs", "", " idea", "feedback" })
        EXPECT_EQ(feedbackIntentFromRawValue(other), std::nullopt) << other;
}

TEST(FeedbackIntent, EachKindHasItsTexts)
{
    const FeedbackIntentTexts expected[] = {
        { "idea", "Share an idea", "Idea", "lightbulb.fill", "What would make this better for you?", "idea" },
        { "bug", "Report a bug", "Bug", "ladybug.fill", "What went wrong? What did you expect to happen instead?", "report" },
        { "praise", "Send feedback", "Feedback", "text.bubble.fill", "What's on your mind? We read every word.", "feedback" },
    };
    ASSERT_EQ(kAllFeedbackIntents.size(), std::size(expected));
    for (std::size_t i = 0; i < kAllFeedbackIntents.size(); ++i) {
        const FeedbackIntentTexts& got = texts(kAllFeedbackIntents[i]);
        const FeedbackIntentTexts& want = expected[i];
        EXPECT_EQ(got.rawValue, want.rawValue);
        EXPECT_EQ(got.label, want.label) << want.rawValue;
        EXPECT_EQ(got.shortLabel, want.shortLabel) << want.rawValue;
        EXPECT_EQ(got.icon, want.icon) << want.rawValue;
        EXPECT_EQ(got.prompt, want.prompt) << want.rawValue;
        EXPECT_EQ(got.noun, want.noun) << want.rawValue;
        EXPECT_EQ(feedbackIntentFromRawValue(got.rawValue), kAllFeedbackIntents[i]);
    }
}

}
}
