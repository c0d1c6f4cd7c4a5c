#pragma once

#include "app/Globals.h"

#include <optional>
#include <string_view>

namespace ikw::services {

// A colour from hexadecimal text such as "#C8A872": one leading "#" is dropped, and what remains
// must be six characters. They are read as a hexadecimal number the way the usual number scanners
// do: leading white space is skipped, a "0x" or "0X" may come first, and the digits end at the
// first other character. Nothing when the length is wrong or no digit was read. Opaque sRGB.
std::optional<SrgbColor> colorFromHexString(std::string_view text);

}
