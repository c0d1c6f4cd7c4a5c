#pragma once

#include "docops/richtext/CodecResult.h"
#include "docops/richtext/RichText.h"

#include <string_view>

namespace ikw::richtext {

// Counts the paragraphs and runs a reader makes against kMaxParagraphsAndRuns. Past the bound
// nothing more is added; the reader then fails with `failure()`.
class PieceBudget {
public:
    void append(Paragraph& paragraph, std::string_view text, const RunAttributes& attributes);
    void countParagraph();
    bool exceeded() const { return m_pieces > kMaxParagraphsAndRuns; }

    static Failure failure();

private:
    std::size_t m_pieces = 0;
};

}
