#pragma once

#include "docops/richtext/CodecResult.h"
#include "platform/core/PackagePart.h"

#include <cstdint>
#include <string_view>

namespace ikw::richtext {

// The message for a part that was not Read, naming the part and the bound it broke.
Failure partFailure(std::string_view name, PartStatus status, std::uint64_t maxBytes);

}
