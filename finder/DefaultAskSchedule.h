#pragma once

#include "platform/core/UserDefaults.h"

#include <ctime>
#include <functional>

namespace ikw::finder {

// When the review page offers to make the application the default viewer. The state is three
// user defaults; the date is ISO 8601 UTC text.
inline constexpr const char* kDefaultNeverAskKey = "ikwDefaultNeverAsk";
inline constexpr const char* kDefaultNextAskAtKey = "ikwDefaultNextAskAt";
inline constexpr const char* kDefaultPdfOfferedKey = "ikwDefaultPdfOffered";
inline constexpr std::time_t kDefaultAskSnoozeSeconds = 30 * 86400;

// Whether to offer now, `now` being the wall clock. `everythingOurs` (asked only when the user did
// not opt out) answers whether every claimed type is ours already; it is false without types. An
// offer already made long ago with no date yet snoozes the next one instead.
bool defaultAskDue(UserDefaults& defaults, std::time_t now, const std::function<bool()>& everythingOurs);

// The next offer 30 days from now.
void snoozeDefaultAsk(UserDefaults& defaults, std::time_t now);
void neverAskDefault(UserDefaults& defaults);

}
