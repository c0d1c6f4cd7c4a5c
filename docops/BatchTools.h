#pragma once

#include "docops/PageRewrite.h"
#include "docops/ToolRun.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The review pages' batch tools: "toolop" runs compress, split or blank over the selected PDFs,
// "compressfile" zips one file or folder. Outputs go beside the inputs; the page hears of the
// progress and the result, and the file manager shows the first output.
namespace ikw::docops {

struct BatchToolOptions {
    PdfCompressor compressor = compressForScreen;
    // The private folder for compress's temporary files; none: the product's own.
    std::function<std::optional<std::string>()> temporaryFolder;
};

// The "toolop" action (items `op`, `paths` as a JSON array of strings, else `path`). Without a
// known operation or an existing PDF the page hears "Select PDF files first." at once. Otherwise
// the batch runs in the background, holding the window and its page weakly: before each file the
// page gets ikwToolProgress({op, done, total, name}), at the end the first output is revealed and
// the page gets ikwToolDone({op, made, skipped, msg}), both only while window and page live.
// What was written stays when the window closes.
void handleToolOp(const PageOpContext& context, std::string_view url, const BatchToolOptions& options = {});

// The "compressfile" action: "<base>.zip" beside the file or folder (the first free name), then
// the toast "Compressed to “<name>”" with the archive revealed, or "Couldn’t compress this file".
void compressFile(const PageOpContext& context, const std::string& path);

}
