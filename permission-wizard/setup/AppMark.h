#pragma once

#include "platform/core/FileSystem.h"

#include <string>

namespace ikw::setup {

inline constexpr int kAppMarkSide = 256;

// Draws the application icon at `iconPath` into a 256 x 256 RGBA PNG at "<folder>/.appmark.png"
// (the folder is made when missing) and returns that path; "" when the icon cannot be read or
// the file cannot be written. The file is replaced whole: a page showing it never reads half.
std::string writeAppMark(const std::string& iconPath, const std::string& folder, FileSystem& fileSystem = realFileSystem());

}
