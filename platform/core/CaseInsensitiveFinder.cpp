// The case-insensitive finder of TextMetrics.h.
#include "platform/core/TextMetrics.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
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

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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
    if (std::all_of(m_needle.begin(), m_needle.end(), [](char32_t c) { return c < 0x80; }))
        m_asciiNeedle.emplace(m_needle.begin(), m_needle.end());
}

CaseInsensitiveFinder::Matches::Matches(const CaseInsensitiveFinder& finder, std::string_view haystack)
    : m_needle(finder.m_needle)
    , m_haystack(haystack)
{
    if (m_needle.empty() || !isSearchable(haystack))
        return;
    // Most page text is ASCII: it folds byte for byte, and every byte is a character of its own.
    if (finder.m_asciiNeedle && isAscii(haystack)) {
        m_asciiNeedle = *finder.m_asciiNeedle;
        m_lowered.emplace(haystack);
        std::transform(m_lowered->begin(), m_lowered->end(), m_lowered->begin(),
            [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; });
        return;
    }
    m_folded.reserve(haystack.size());
    m_origin.reserve(haystack.size() + 1);
    forEachCodePoint(haystack, [this](UChar32 c, std::uint32_t start) {
        appendFolded(c, m_folded);
        m_origin.resize(m_folded.size(), start);
    });
    m_origin.push_back(static_cast<std::uint32_t>(haystack.size()));
}

std::optional<TextRange> CaseInsensitiveFinder::Matches::nextInAscii()
{
    const std::string_view lowered(*m_lowered);
    for (std::size_t found = lowered.find(m_asciiNeedle, m_position); found != std::string_view::npos;
         found = lowered.find(m_asciiNeedle, found + 1)) {
        const TextRange range { found, found + m_asciiNeedle.size() };
        // Only a carriage return and line feed pair makes one character of two bytes.
        const auto splitsLineEnd = [lowered](std::size_t at) { return at > 0 && at < lowered.size() && lowered[at - 1] == '\r' && lowered[at] == '\n'; };
        if (splitsLineEnd(range.begin) || splitsLineEnd(range.end))
            continue;
        m_position = range.end;
        return range;
    }
    m_position = lowered.size();
    return std::nullopt;
}

std::optional<TextRange> CaseInsensitiveFinder::Matches::next()
{
    if (m_needle.empty())
        return std::nullopt;
    if (m_lowered)
        return nextInAscii();
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
