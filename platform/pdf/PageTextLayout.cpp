#include "platform/pdf/PageTextLayout.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/MuPdfOwned.h"
#include "platform/pdf/TextPageLoader.h"

#include <algorithm>

namespace ikw::pdf {

using namespace detail;

namespace {

bool isEmpty(Rect rect)
{
    return !(rect.x1 > rect.x0) || !(rect.y1 > rect.y0);
}

Rect unite(Rect a, Rect b)
{
    return { std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1) };
}

}

PageTextLayout PageTextLayout::load(const Document& document, int index)
{
    PageTextLayout layout;
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= document.pageCount())
        return layout;
    const OwnedTextPage page(loadTextPage(threadContext(), document.raw(), index));
    if (!page.get())
        return layout;
    layout.m_pageSpace = PageSpace::of(document, index);
    // The walk of fz_new_buffer_from_stext_page: the characters of each line, "\n" after each
    // line and another after each text block.
    int line = 0;
    for (const fz_stext_block* block = page.get()->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (const fz_stext_line* textLine = block->u.t.first_line; textLine; textLine = textLine->next, ++line) {
            for (const fz_stext_char* character = textLine->first_char; character; character = character->next) {
                const fz_rect box = fz_rect_from_quad(character->quad);
                layout.m_characters.push_back({ static_cast<std::uint32_t>(layout.m_text.size()), line, { box.x0, box.y0, box.x1, box.y1 } });
                char utf8[FZ_UTFMAX];
                layout.m_text.append(utf8, static_cast<std::size_t>(fz_runetochar(utf8, character->c)));
            }
            layout.m_text += '\n';
        }
        layout.m_text += '\n';
    }
    return layout;
}

std::optional<PageTextLayout::Place> PageTextLayout::placeAt(std::size_t offset) const
{
    const auto found = std::lower_bound(m_characters.begin(), m_characters.end(), offset,
        [](const Character& character, std::size_t at) { return character.offset < at; });
    if (found == m_characters.end() || found->offset != offset)
        return std::nullopt;
    return Place { found->line, found->box };
}

std::vector<Rect> PageTextLayout::lineBounds(std::size_t begin, std::size_t end) const
{
    std::vector<Rect> bounds;
    auto character = std::lower_bound(m_characters.begin(), m_characters.end(), begin,
        [](const Character& each, std::size_t at) { return each.offset < at; });
    int currentLine = -1;
    for (; character != m_characters.end() && character->offset < end; ++character) {
        if (isEmpty(character->box))
            continue;
        if (character->line != currentLine) {
            bounds.push_back(character->box);
            currentLine = character->line;
        } else {
            bounds.back() = unite(bounds.back(), character->box);
        }
    }
    return bounds;
}

}
