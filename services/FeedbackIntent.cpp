#include "services/FeedbackIntent.h"

namespace ikw::services {

namespace {

constexpr FeedbackIntentTexts kIdea {
    .rawValue = "idea",
    .label = "Share an idea",
    .shortLabel = "Idea",
    .icon = "lightbulb.fill",
    .prompt = "What would make this better for you?",
    .noun = "idea",
};

constexpr FeedbackIntentTexts kBug {
    .rawValue = "bug",
    .label = "Report a bug",
    .shortLabel = "Bug",
    .icon = "ladybug.fill",
    .prompt = "What went wrong? What did you expect to happen instead?",
    .noun = "report",
};

constexpr FeedbackIntentTexts kPraise {
    .rawValue = "praise",
    .label = "Send feedback",
    .shortLabel = "Feedback",
    .icon = "text.bubble.fill",
    .prompt = "What's on your mind? We read every word.",
    .noun = "feedback",
};

}

const FeedbackIntentTexts& texts(FeedbackIntent intent)
{
    switch (intent) {
    case FeedbackIntent::idea:
        return kIdea;
    case FeedbackIntent::bug:
        return kBug;
    case FeedbackIntent::praise:
        break;
    }
    return kPraise;
}

std::string_view rawValue(FeedbackIntent intent)
{
    return texts(intent).rawValue;
}

std::optional<FeedbackIntent> feedbackIntentFromRawValue(std::string_view value)
{
    for (const FeedbackIntent intent : kAllFeedbackIntents) {
        if (rawValue(intent) == value)
            return intent;
    }
    return std::nullopt;
}

}
