#pragma once

#include "platform/pdf/Document.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The batch tools' work on one PDF each: a smaller copy, one file per page, a copy without blank
// pages. Every output is a new file beside the input, under the first free name of the "name 2.ext"
// rule; nothing is ever replaced and the input is never changed.
namespace ikw::docops {

enum class ToolOp { Compress, Split, Blank };

// The operation of the page's `op` item, any letter case; none for any other text.
std::optional<ToolOp> toolOpNamed(std::string_view name);
std::string toolOpName(ToolOp op);

// How one input ended.
struct ToolOutcome {
    enum class Kind { Made, Skipped, Unreadable };
    Kind kind = Kind::Skipped;
    std::string output; // Made: the file or folder written

    static ToolOutcome made(std::string path) { return { Kind::Made, std::move(path) }; }
    static ToolOutcome skipped() { return { Kind::Skipped, {} }; }
    static ToolOutcome unreadable() { return { Kind::Unreadable, {} }; }
};

// The counts of a run: every input adds one to `made` or `skipped`; those that could not be
// read (or are locked) are among the skipped and also counted on their own.
struct ToolTally {
    int made = 0;
    int skipped = 0;
    int unreadable = 0;
    std::optional<std::string> firstOutput;

    void add(const ToolOutcome& outcome);
};

// The summary the page shows at the end of a run.
std::string toolMessage(ToolOp op, const ToolTally& tally);

// The rewritten document's bytes for `compress`; none when it cannot be written. Tests stand in
// for it to choose the size of the result.
using PdfCompressor = std::function<std::optional<std::string>(pdf::Document& document)>;
// Images scaled to 150 pixels per inch and stored as JPEG, unused objects dropped. None for a
// document without pages and for a result that does not reopen with all of them.
std::optional<std::string> compressForScreen(pdf::Document& document);

// Whether a rewritten copy of `newSize` bytes is worth keeping beside a file of `oldSize`: at
// least 8 % smaller (below 92 % of the old size, truncated to whole bytes).
bool compressedCopyIsWorthKeeping(long long oldSize, long long newSize);

// "<base> (compressed).pdf", written in `temporaryFolder` first and moved beside the input.
ToolOutcome compressOne(const std::string& path, const PdfCompressor& compressor, const std::optional<std::string>& temporaryFolder);
// "<base> (pages)/<base> p<n>.pdf" for each page, n zero-padded to the digits of the page count.
// Each page file is the document reduced to that page.
ToolOutcome splitOne(const std::string& path);
// "<base> (no blanks).pdf": the document without its blank pages; skipped when no page or every
// page is blank.
ToolOutcome stripBlanksOne(const std::string& path);

}
