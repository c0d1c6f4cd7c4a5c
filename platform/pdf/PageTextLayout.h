#pragma once

#include "platform/pdf/Geometry.h"
#include "platform/pdf/PageSpace.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::pdf {

class Document;

// A page's text exactly as Document::pageText gives it, with the place of each character: one walk
// of the page's structured text writes the text and records where every character is, so a
// position found in the text leads to its character. Lines end with "\n" and blocks with an empty
// line, as in pageText; those breaks have no place. The places are worked out when first asked
// for, so a page searched without a hit costs only its text. Move-only; one thread at a time.
class PageTextLayout {
public:
    // Empty for a missing or unreadable page.
    static PageTextLayout load(const Document& document, int index);

    PageTextLayout();
    ~PageTextLayout();
    PageTextLayout(PageTextLayout&&) noexcept;
    PageTextLayout& operator=(PageTextLayout&&) noexcept;

    const std::string& text() const { return m_text; }
    // How the page's rectangles map to its own space; none when the page could not be read.
    const std::optional<PageSpace>& pageSpace() const { return m_pageSpace; }

    // The character that starts at a byte offset of text(): its line (the page's lines counted
    // from 0 across blocks) and its box, in TextLine's space.
    struct Place {
        int line = 0;
        Rect box;
    };
    std::optional<Place> placeAt(std::size_t offset) const;

    // The bounds of the characters that start within text()'s bytes [begin, end): one rectangle
    // per line they lie on (the union of their boxes there), in line order, in TextLine's space.
    // Characters with an empty box add nothing.
    std::vector<Rect> lineBounds(std::size_t begin, std::size_t end) const;

private:
    struct Character {
        std::uint32_t offset;
        int line;
        Rect box;
    };
    struct StructuredText;

    const std::vector<Character>& characters() const;

    std::string m_text;
    std::optional<PageSpace> m_pageSpace;
    // The page's structured text until its characters are listed, in text order.
    mutable std::unique_ptr<StructuredText> m_structured;
    mutable std::vector<Character> m_characters;
};

}
