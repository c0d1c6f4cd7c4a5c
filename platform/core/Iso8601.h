#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// "2026-12-10T13:45:07Z": UTC, whole seconds.
std::string iso8601Utc(std::time_t time);
// Reads the same form ("Z" required; fractional seconds accepted and dropped).
std::optional<std::time_t> parseIso8601Utc(std::string_view text);

}
