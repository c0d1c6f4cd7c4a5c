#pragma once

#include <string>
#include <string_view>

namespace ikw {

// The name stored folders and files are found by again (document version folders, annotation
// sidecars): 64-bit FNV-1a over the bytes exactly as passed, with this product's own offset basis
// 0x14650fb0739d0383 (not the published one), as 16 lower-case hexadecimal digits. Changing it
// orphans everything already on disk.
std::string ikwStableHash(std::string_view text);

}
