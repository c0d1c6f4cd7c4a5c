#pragma once

#include <string_view>

namespace ikw::wizard {

// The fixed labels of the wizard's screens.
inline constexpr std::string_view kGetStartedLabel = "Get Started";
inline constexpr std::string_view kDoneLabel = "Done";
inline constexpr std::string_view kBackLabel = "Back";
inline constexpr std::string_view kNotNowLabel = "Not now";
inline constexpr std::string_view kOptionalTag = "Optional";
inline constexpr std::string_view kGrantedBadge = "Granted";
inline constexpr std::string_view kContinueLabel = "Continue";
inline constexpr std::string_view kOpenInSettingsLabel = "Open in Settings…";

}
