#pragma once

#include "platform/core/FileSystem.h"
#include "platform/pdf/Document.h"

#include <string>
#include <string_view>

// Rewrites a user's PDF in one step: the new content is written completely to a hidden file in the
// target's folder, then committed in the target's place (fsync, the target's mode, owner and
// extended attributes carried over, rename). On any failure the target keeps its old content and
// the hidden file is removed. Blocks the calling thread while writing.
namespace ikw::docops {

// Page operations: the hidden file is "<folder>/.ikw-pageop-<UUID>.pdf".
bool atomicWrite(const pdf::Document& document, const std::string& path, FileSystem& fileSystem = realFileSystem());
// Finished PDF bytes (form fill): the hidden file is "<folder>/.ikw-fillform-<UUID>.pdf".
bool atomicWriteData(std::string_view bytes, const std::string& path, FileSystem& fileSystem = realFileSystem());

// The hidden temporary path beside `path` for the purpose word ("pageop", "fillform").
std::string replacementTemporaryPath(const std::string& path, std::string_view purpose);

}
