#pragma once

#include "legal/BatesConfig.h"

#include "platform/core/FileMoves.h"

#include <cstdint>
#include <string>
#include <string_view>

// The file names of stamped copies in a Bates output folder.
namespace ikw::legal::BatesStamper {

// With `nameByBates` the first label, otherwise the source's name without its extension; then
// ".pdf". The name never leaves the folder and is never hidden: "/" and control characters become
// "_", and so does a leading ".". The label printed on the pages keeps its text.
std::string copyName(const BatesConfig& config, std::int64_t firstNumber, std::string_view sourcePath);

// "name-k.ext" for k from 2 ("name" itself for 1): the names tried when "name.ext" is taken.
std::string numberedCopyName(std::string_view name, int number);

// Moves the finished copy at `temporaryPath` into `folder` under `name`, or the first of
// "name-2.ext", "name-3.ext", ... that is free. Never replaces a file. On failure the temporary
// file is left to the caller.
PlaceResult placeCopy(const std::string& temporaryPath, std::string_view folder, std::string_view name);

}
