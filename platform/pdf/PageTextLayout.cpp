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

// Both walks follow fz_new_buffer_from_stext_page: the characters of each line, "\n" after each
// line and another after each text block.
template<typename Visit>
void walkCharacters(const fz_stext_page* page, Visit visit)
{
    int line = 0;
    for (const fz_stext_block* block = page->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (const fz_stext_line* textLine = block->u.t.first_line; textLine; textLine = textLine->next, ++line) {
            for (const fz_stext_char* character = textLine->first_char; character; character = character->next)
                visit(character, line);
            visit(nullptr, line);
        }
        visit(nullptr, -1);
    }
}

}

// Owns the page's structured text; it holds no reference to the document.
struct PageTextLayout::StructuredText {
    OwnedTextPage page;
};

PageTextLayout::PageTextLayout() = default;
PageTextLayout::~PageTextLayout() = default;
PageTextLayout::PageTextLayout(PageTextLayout&&) noexcept = default;
PageTextLayout& PageTextLayout::operator=(PageTextLayout&&) noexcept = default;

PageTextLayout PageTextLayout::load(const Document& document, int index)
{
    PageTextLayout layout;
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= document.pageCount())
        return layout;
    auto structured = std::make_unique<StructuredText>();
    structured->page.reset(loadTextPage(threadContext(), document.raw(), index));
    if (!structured->page.get())
        return layout;
    layout.m_pageSpace = PageSpace::of(document, index);
    walkCharacters(structured->page.get(), [&text = layout.m_text](const fz_stext_char* character, int) {
        if (!character) {
            text += '\n';
            return;
        }
        char utf8[FZ_UTFMAX];
        text.append(utf8, static_cast<std::size_t>(fz_runetochar(utf8, character->c)));
    });
    layout.m_structured = std::move(structured);
    return layout;
}

const std::vector<PageTextLayout::Character>& PageTextLayout::characters() const
{
    if (!m_structured)
        return m_characters;
    std::size_t offset = 0;
    walkCharacters(m_structured->page.get(), [&](const fz_stext_char* character, int line) {
        if (!character) {
            offset += 1;
            return;
        }
        const fz_rect box = fz_rect_from_quad(character->quad);
        m_characters.push_back({ static_cast<std::uint32_t>(offset), line, { box.x0, box.y0, box.x1, box.y1 } });
        char utf8[FZ_UTFMAX];
        offset += static_cast<std::size_t>(fz_runetochar(utf8, character->c));
    });
    m_structured.reset();
    return m_characters;
}

std::optional<PageTextLayout::Place> PageTextLayout::placeAt(std::size_t offset) const
{
    const std::vector<Character>& all = characters();
    const auto found = std::lower_bound(all.begin(), all.end(), offset,
        [](const Character& character, std::size_t at) { return character.offset < at; });
    if (found == all.end() || found->offset != offset)
        return std::nullopt;
    return Place { found->line, found->box };
}

std::vector<Rect> PageTextLayout::lineBounds(std::size_t begin, std::size_t end) const
{
    std::vector<Rect> bounds;
    const std::vector<Character>& all = characters();
    auto character = std::lower_bound(all.begin(), all.end(), begin,
        [](const Character& each, std::size_t at) { return each.offset < at; });
    int currentLine = -1;
    for (; character != all.end() && character->offset < end; ++character) {
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
