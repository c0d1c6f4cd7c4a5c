#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ikw::services {

// The kinds of feedback a user can send, in the order the form offers them.
enum class FeedbackIntent { idea, bug, praise };

inline constexpr std::array<FeedbackIntent, 3> kAllFeedbackIntents { FeedbackIntent::idea, FeedbackIntent::bug, FeedbackIntent::praise };

// What the form shows for a kind, and the raw value a report carries.
struct FeedbackIntentTexts {
    std::string_view rawValue; // also the kind's id
    std::string_view label;
    std::string_view shortLabel;
    std::string_view icon; // a symbol name; the window maps it to an icon of its own
    std::string_view prompt;
    std::string_view noun;
};

const FeedbackIntentTexts& texts(FeedbackIntent intent);
std::string_view rawValue(FeedbackIntent intent);
// Exact, case-sensitive: "idea", "bug" or "praise".
std::optional<FeedbackIntent> feedbackIntentFromRawValue(std::string_view rawValue);

}
