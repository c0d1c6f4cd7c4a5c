#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ikw {
class ZipArchive;
}

namespace ikw::crossdoc {

// The text of a Word package's main part (word/document.xml): one line per paragraph, an empty
// paragraph an empty line; within a paragraph the text of its runs, a tab for each tab and a line
// feed for each line or carriage break. No blank lines are added between paragraphs, so the
// paragraphs that no empty paragraph separates run together into one chunk. Text boxes are read
// once (their fallback copy is passed over). None when the part is missing or larger than `maxBytes`.
std::optional<std::string> docxText(const ZipArchive& archive, std::uint64_t maxBytes);

}
