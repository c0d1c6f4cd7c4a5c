#pragma once

#include <cstdint>
#include <string>

namespace ikw {

// A moment in the user's locale and time zone: medium date style, short time style
// ("Mar 5, 2025, 3:07 PM" in English).
std::string formatMediumDateShortTime(double secondsSince1970);
// A byte count as the desktop's file manager shows it ("1.2 MB").
std::string formatFileSize(std::int64_t bytes);

}
