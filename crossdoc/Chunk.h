#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace ikw::crossdoc {

// One piece of a document's text as the search index stores it, with where it lies.
struct Chunk {
    std::string atype;  // "page", "para", "line", "cell" or "glink"
    std::string anchor; // "3", "¶12", "L40", "Budget!C7", or a link
    std::int64_t page = 0; // the 1-based page of a PDF page, else 0
    std::string body;

    bool operator==(const Chunk&) const = default;
};

// For test messages.
inline std::ostream& operator<<(std::ostream& out, const Chunk& chunk)
{
    return out << chunk.atype << " " << chunk.anchor << " p" << chunk.page << " \"" << chunk.body << "\"";
}

}
