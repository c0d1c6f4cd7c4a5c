#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// White space and line ends off both ends.
std::string_view trim(std::string_view text);
std::vector<std::string> split(std::string_view text, char separator, bool keepEmpty = true);
// The text with A to Z turned into a to z; every other byte as it is.
std::string asciiLowercase(std::string_view text);
// Whole-text number readers in the C locale: no leading or trailing junk, no white space.
std::optional<long long> parseInteger(std::string_view text);
std::optional<double> parseDouble(std::string_view text);
// The value of one hexadecimal digit (either letter case).
std::optional<int> hexDigitValue(char c);

// Shortest decimal text of a double that reads back the same (no exponent for ordinary values).
std::string formatDouble(double value);
// A fixed number of decimals, C locale.
std::string formatFixed(double value, int decimals);

}
