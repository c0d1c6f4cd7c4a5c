// The case-insensitive finder of TextMetrics.h.
#include "platform/core/TextMetrics.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <limits>

namespace ikw {

namespace {

// Appends the full case folding of one code point (one to three code points).
void appendFolded(UChar32 c, std::u32string& out)
{
    if (c < 0x80) {
        out.push_back(static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
        return;
    }
    UChar source[2];
    int32_t sourceLength = 0;
    U16_APPEND_UNSAFE(source, sourceLength, c);
    UChar folded[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t foldedLength = u_strFoldCase(folded, 8, source, sourceLength, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) {
        out.push_back(static_cast<char32_t>(c));
        return;
    }
    for (int32_t at = 0; at < foldedLength;) {
        UChar32 unit;
        U16_NEXT(folded, at, foldedLength, unit);
        out.push_back(static_cast<char32_t>(unit));
    }
}

// Walks the UTF-8 text code point by code point; invalid bytes read as U+FFFD.
template<typename Visit>
void forEachCodePoint(std::string_view text, Visit visit)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t at = 0; at < length;) {
        const int32_t start = at;
        UChar32 c;
        U8_NEXT(bytes, at, length, c);
        visit(c < 0 ? 0xFFFD : c, static_cast<std::uint32_t>(start));
    }
}

std::u32string folded(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    forEachCodePoint(text, [&out](UChar32 c, std::uint32_t) { appendFolded(c, out); });
    return out;
}

// Texts are indexed with 32-bit offsets; anything longer is not searched.
bool isSearchable(std::string_view text)
{
    return text.size() < std::numeric_limits<std::uint32_t>::max();
}

}

CaseInsensitiveFinder::CaseInsensitiveFinder(std::string_view needle)
    : m_needle(isSearchable(needle) ? folded(needle) : std::u32string())
{
}

CaseInsensitiveFinder::Matches::Matches(std::u32string_view needle, std::string_view haystack)
    : m_needle(needle)
    , m_haystack(haystack)
{
    if (needle.empty() || !isSearchable(haystack))
        return;
    m_folded.reserve(haystack.size());
    m_origin.reserve(haystack.size() + 1);
    forEachCodePoint(haystack, [this](UChar32 c, std::uint32_t start) {
        appendFolded(c, m_folded);
        m_origin.resize(m_folded.size(), start);
    });
    m_origin.push_back(static_cast<std::uint32_t>(haystack.size()));
}

std::optional<TextRange> CaseInsensitiveFinder::Matches::next()
{
    if (m_needle.empty())
        return std::nullopt;
    const std::u32string_view folded(m_folded);
    // A unit starts its character's folding when its origin differs from the unit before.
    const auto startsCharacter = [this](std::size_t unit) { return unit == 0 || m_origin[unit] != m_origin[unit - 1]; };
    for (std::size_t found = folded.find(m_needle, m_position); found != std::u32string_view::npos;
         found = folded.find(m_needle, found + 1)) {
        const std::size_t end = found + m_needle.size();
        // A match must cover whole foldings ("ss" of "ß", never one "s" of it) and whole
        // user-perceived characters (never a letter without its accent).
        if (!startsCharacter(found) || !startsCharacter(end))
            continue;
        const TextRange range { m_origin[found], m_origin[end] };
        if (!m_boundaries)
            m_boundaries.emplace(m_haystack);
        if (!m_boundaries->isBoundary(range.begin) || !m_boundaries->isBoundary(range.end))
            continue;
        m_position = end;
        return range;
    }
    m_position = folded.size();
    return std::nullopt;
}

}
