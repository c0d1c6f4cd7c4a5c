#pragma once

#include "docops/PageRewrite.h"
#include "docops/ToolRun.h"

#include <functional>
#include <optional>
#include <string>

namespace ikw {
class FileSystem;
}

// Shrink: a smaller copy of the PDF a reader shows, saved where the user chooses. The document is
// rewritten with its images recompressed into a private temporary file; only when that copy is
// clearly smaller does a save panel offer it. The shown file is never written.
namespace ikw::docops {

struct ShrinkOptions {
    PdfCompressor compressor = compressForScreen;
    // The private folder for the temporary copy; none: the product's own.
    std::function<std::optional<std::string>()> temporaryFolder;
    // A file's size in bytes, 0 when it cannot be read; none: the file system's answer.
    std::function<long long(const std::string& path)> sizeOf;
    // Where the copy is put in place; none: the real file system.
    FileSystem* files = nullptr;
};

// Whether a copy of `newSize` bytes is worth offering for a source of `oldSize`: below 90 % of
// the old size (truncated to whole bytes), so a saving of more than 10 %.
bool shrunkCopyIsWorthOffering(long long oldSize, long long newSize);
// The saving in whole per cent, truncated toward zero: 1,000,000 -> 853,000 is 15.
int shrinkSavingPercent(long long oldSize, long long newSize);
// "Saved. <old> → <new> — <pct>% smaller. ..." with the sizes as the file manager shows them.
std::string shrinkSavedMessage(long long oldSize, long long newSize);

// The "compress" action and the menu's Shrink command, for the window of the context. Only a
// window whose first source is a ".pdf" file (any letter case) is served; others are ignored.
// The page hears of each step through the window toast while the window and its page both live;
// the temporary copy is removed whatever happens.
void compressPDF(const PageOpContext& context, const ShrinkOptions& options = {});

}
