#include "docops/richtext/PieceBudget.h"

namespace ikw::richtext {

void PieceBudget::append(Paragraph& paragraph, std::string_view text, const RunAttributes& attributes)
{
    if (exceeded())
        return;
    const std::size_t runs = paragraph.runs.size();
    paragraph.append(text, attributes);
    m_pieces += paragraph.runs.size() - runs;
}

void PieceBudget::countParagraph()
{
    ++m_pieces;
}

Failure PieceBudget::failure()
{
    return Failure { "The document has more than two million paragraphs and formatting changes, more than the editor opens." };
}

}
