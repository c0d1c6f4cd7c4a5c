#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// Unicode measures of UTF-8 text (ICU). Kept apart from Text.h so that small programs that only
// need the plain text helpers do not load ICU. Invalid UTF-8 counts as U+FFFD throughout.

bool isValidUtf8(std::string_view text);
// Where the first byte lies that starts no valid UTF-8 character (an overlong form, a surrogate, a
// cut-off sequence, ...); none for valid UTF-8.
std::optional<std::size_t> invalidUtf8Offset(std::string_view text);
// The text for a message: valid UTF-8 as it stands, every byte that starts no valid character as
// "\xNN" (upper-case hex), so that two different byte strings never print alike.
std::string escapeInvalidUtf8(std::string_view text);
// Length in UTF-16 code units, as page scripts count strings.
std::size_t utf16Length(std::string_view utf8);
// User-perceived characters (extended grapheme clusters).
std::size_t graphemeCount(std::string_view utf8);

// The text in Unicode Normalization Form C (accents composed), so that canonically equivalent
// spellings ("e" + U+0301 and U+00E9) become the same bytes. Text that is not valid UTF-8 comes
// back unchanged: two different byte names must never become one.
std::string toNFC(std::string_view utf8);
// Equal as Unicode text: the same after toNFC.
bool canonicallyEqual(std::string_view a, std::string_view b);

// The text in capitals with ICU's full case mapping in the root locale, so that a letter whose
// capital is two letters gives both ("straße" gives "STRASSE"); no language's special rules apply.
// Invalid UTF-8 counts as U+FFFD.
std::string toUpperFull(std::string_view utf8);
// Only the letters and numbers of the text (Unicode categories L and N), plus any character of
// `alsoKeep` (ASCII). Invalid UTF-8 is dropped.
std::string lettersAndNumbers(std::string_view utf8, std::string_view alsoKeep = {});

// Tabs and every space separator (Unicode Zs) off both ends; line ends stay.
std::string_view trimSpaceSeparators(std::string_view utf8);
// The same and line ends too (LF, VT, FF, CR, NEL, and the line and paragraph separators).
std::string_view trimWhitespaceAndNewlines(std::string_view utf8);

// A stretch of a UTF-8 text, in bytes: [begin, end).
struct TextRange {
    std::size_t begin = 0;
    std::size_t end = 0;

    std::size_t size() const { return end - begin; }
    bool operator==(const TextRange&) const = default;
};

// The boundaries between the user-perceived characters of a UTF-8 text, as byte offsets. It reads
// the text in place: keep the text alive and unchanged while it is used. One thread at a time.
class GraphemeBoundaries {
public:
    explicit GraphemeBoundaries(std::string_view utf8);
    ~GraphemeBoundaries();
    GraphemeBoundaries(GraphemeBoundaries&&) noexcept;
    GraphemeBoundaries& operator=(GraphemeBoundaries&&) noexcept;

    // The start and the end of the text are boundaries.
    bool isBoundary(std::size_t offset);
    // The boundary `count` characters before the boundary `offset`, or 0 when fewer precede it.
    std::size_t back(std::size_t offset, std::size_t count);
    // The boundary `count` characters after the boundary `offset`, or the text's end when fewer
    // follow it.
    std::size_t forward(std::size_t offset, std::size_t count);

private:
    struct Iterator;
    std::unique_ptr<Iterator> m_iterator;
    std::size_t m_size = 0;
};

// Finds a text in others regardless of letter case: both sides are compared after ICU's full case
// folding without a locale, so "STRASSE" finds "straße", while accents and widths still count. A
// match never splits a user-perceived character of the searched text, and it comes back as the
// searched text's own bytes.
class CaseInsensitiveFinder {
public:
    // An empty needle finds nothing.
    explicit CaseInsensitiveFinder(std::string_view needle);

    bool isEmpty() const { return m_needle.empty(); }

    // The matches in one text, one after another: each search goes on right after the last match,
    // so matches never overlap. It reads the text in place, like GraphemeBoundaries.
    class Matches {
    public:
        std::optional<TextRange> next();

    private:
        friend class CaseInsensitiveFinder;
        Matches(const CaseInsensitiveFinder& finder, std::string_view haystack);
        std::optional<TextRange> nextInAscii();

        std::u32string_view m_needle;
        // An ASCII needle in an ASCII text: the text lower-cased, searched byte for byte.
        std::optional<std::string> m_lowered;
        std::string_view m_asciiNeedle;
        std::u32string m_folded;
        // For each unit of m_folded, then once more for its end: the byte offset in the haystack
        // of the character whose folding it belongs to.
        std::vector<std::uint32_t> m_origin;
        std::string_view m_haystack;
        std::optional<GraphemeBoundaries> m_boundaries; // made when the first match needs them
        std::size_t m_position = 0;
    };

    // The finder must outlive the matches.
    Matches matchesIn(std::string_view haystack) const { return Matches(*this, haystack); }

private:
    std::u32string m_needle;
    std::optional<std::string> m_asciiNeedle; // the folded needle when it is all ASCII
};

}
