#pragma once

#include "platform/core/FileSystem.h"
#include "platform/pdf/EditableDocument.h"

#include <string>
#include <string_view>

// Rewrites a user's PDF in one step: the new content is written completely to a hidden file that
// only its owner may read, in the folder of the file the path stands for (a symbolic link is
// followed and stays a link), then committed in that file's place (fsync, the file's mode, owner
// and extended attributes carried over, rename). On any failure the file keeps its old content and
// the hidden file is removed. Hidden files that a killed rewrite left in that folder before this
// process started are removed first. Blocks the calling thread while writing.
namespace ikw::docops {

// Page operations: the hidden file is ".ikw-pageop-<UUID>.pdf".
bool atomicWrite(const pdf::EditableDocument& document, const std::string& path, FileSystem& fileSystem = realFileSystem());
// Finished PDF bytes (form fill): the hidden file is ".ikw-fillform-<UUID>.pdf".
bool atomicWriteData(std::string_view bytes, const std::string& path, FileSystem& fileSystem = realFileSystem());

// The hidden temporary path beside `path` for the purpose word ("pageop", "fillform").
std::string replacementTemporaryPath(const std::string& path, std::string_view purpose);

// Removes the hidden rewrite files of the folder that no rewrite of this process wrote.
void removeStaleRewriteFilesIn(const std::string& folder);

}
