#pragma once

#include "legal/BatesManifest.h"

#include "platform/core/FileSystem.h"

#include <string>
#include <string_view>

// The load file: one flat table of every document stamped into an output folder, for review tools.
namespace ikw::legal::BatesStamper {

inline constexpr std::string_view csvName = "inkwarden-bates-loadfile.csv";

// The folder path, "/", and the file name.
std::string csvPath(std::string_view dir);

// The header and one line per document of every run, oldest run first; LF line ends, final LF.
std::string loadFileText(const Manifest& manifest);
// Rewrites the folder's load file from the whole manifest, atomically.
IoStatus writeCSV(const Manifest& manifest, std::string_view dir, FileSystem& files = realFileSystem());

}
