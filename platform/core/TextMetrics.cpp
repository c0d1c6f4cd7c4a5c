#include "platform/core/TextMetrics.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>
#include <string>

namespace ikw {

namespace {

icu::UnicodeString toUnicode(std::string_view utf8)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

std::unique_ptr<icu::BreakIterator> characterBreaks()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status))
        return nullptr;
    return iterator;
}

bool isSpaceSeparator(UChar32 c)
{
    return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

bool isWhitespaceOrNewline(UChar32 c)
{
    return isSpaceSeparator(c) || (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// The text without the characters that pass `test` at either end.
std::string_view trimWhere(std::string_view text, bool (*test)(UChar32))
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !test(c))
            break;
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, begin, previous, c);
        if (c < 0 || !test(c))
            break;
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

}

bool isValidUtf8(std::string_view text)
{
    return !invalidUtf8Offset(text);
}

std::optional<std::size_t> invalidUtf8Offset(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int64_t>(text.size());
    for (int64_t offset = 0; offset < length;) {
        if (bytes[offset] < 0x80) {
            ++offset; // ASCII, the common case
            continue;
        }
        const int64_t start = offset;
        UChar32 c;
        U8_NEXT(bytes, offset, length, c);
        if (c < 0)
            return static_cast<std::size_t>(start);
    }
    return std::nullopt;
}

std::string escapeInvalidUtf8(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    while (const auto offset = invalidUtf8Offset(text)) {
        const auto byte = static_cast<unsigned char>(text[*offset]);
        escaped.append(text.substr(0, *offset));
        escaped += "\\x";
        escaped += kHex[byte >> 4];
        escaped += kHex[byte & 0xF];
        text.remove_prefix(*offset + 1);
    }
    escaped.append(text);
    return escaped;
}

std::size_t utf16Length(std::string_view utf8)
{
    return static_cast<std::size_t>(toUnicode(utf8).length());
}

std::size_t graphemeCount(std::string_view utf8)
{
    const auto iterator = characterBreaks();
    if (!iterator)
        return utf16Length(utf8);
    const icu::UnicodeString text = toUnicode(utf8);
    iterator->setText(text);
    std::size_t count = 0;
    for (int32_t boundary = iterator->next(); boundary != icu::BreakIterator::DONE; boundary = iterator->next())
        ++count;
    return count;
}

std::string toNFC(std::string_view utf8)
{
    const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !isValidUtf8(utf8))
        return std::string(utf8);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::string(utf8);
    const icu::UnicodeString normalized = nfc->normalize(toUnicode(utf8), status);
    if (U_FAILURE(status))
        return std::string(utf8);
    std::string out;
    normalized.toUTF8String(out);
    return out;
}

std::string toUpperFull(std::string_view utf8)
{
    icu::UnicodeString text = toUnicode(utf8);
    text.toUpper(icu::Locale::getRoot());
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string lettersAndNumbers(std::string_view utf8, std::string_view alsoKeep)
{
    std::string kept;
    int32_t offset = 0;
    const auto length = static_cast<int32_t>(utf8.size());
    while (offset < length) {
        const int32_t start = offset;
        UChar32 c = 0;
        U8_NEXT(utf8.data(), offset, length, c);
        if (c < 0)
            continue;
        const bool wanted = (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0
            || (c < 0x80 && alsoKeep.find(static_cast<char>(c)) != std::string_view::npos);
        if (wanted)
            kept.append(utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(offset - start)));
    }
    return kept;
}

bool canonicallyEqual(std::string_view a, std::string_view b)
{
    return a == b || toNFC(a) == toNFC(b);
}

std::string_view trimSpaceSeparators(std::string_view utf8)
{
    return trimWhere(utf8, isSpaceSeparator);
}

std::string_view trimWhitespaceAndNewlines(std::string_view utf8)
{
    return trimWhere(utf8, isWhitespaceOrNewline);
}

// A character break iterator over the UTF-8 bytes themselves (a UTF-8 UText), so that its
// positions are byte offsets. Without ICU's rules every code point stands alone.
struct GraphemeBoundaries::Iterator {
    explicit Iterator(std::string_view utf8)
        : breaks(characterBreaks())
    {
        UErrorCode status = U_ZERO_ERROR;
        text = utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &status);
        if (U_FAILURE(status))
            text = nullptr;
        if (breaks && text)
            breaks->setText(text, status);
        if (U_FAILURE(status))
            breaks.reset();
    }
    ~Iterator()
    {
        breaks.reset();
        if (text)
            utext_close(text);
    }
    Iterator(const Iterator&) = delete;
    Iterator& operator=(const Iterator&) = delete;

    std::unique_ptr<icu::BreakIterator> breaks;
    UText* text = nullptr;
};

GraphemeBoundaries::GraphemeBoundaries(std::string_view utf8)
    : m_iterator(std::make_unique<Iterator>(utf8))
    , m_size(utf8.size())
{
}

GraphemeBoundaries::~GraphemeBoundaries() = default;
GraphemeBoundaries::GraphemeBoundaries(GraphemeBoundaries&&) noexcept = default;
GraphemeBoundaries& GraphemeBoundaries::operator=(GraphemeBoundaries&&) noexcept = default;

bool GraphemeBoundaries::isBoundary(std::size_t offset)
{
    if (offset == 0 || offset == m_size)
        return true;
    if (offset > m_size || !m_iterator->breaks)
        return false;
    return m_iterator->breaks->isBoundary(static_cast<int32_t>(offset));
}

std::size_t GraphemeBoundaries::back(std::size_t offset, std::size_t count)
{
    icu::BreakIterator* breaks = m_iterator->breaks.get();
    if (!breaks || offset > m_size)
        return 0;
    int32_t at = breaks->isBoundary(static_cast<int32_t>(offset)) ? static_cast<int32_t>(offset) : breaks->preceding(static_cast<int32_t>(offset));
    for (std::size_t step = 0; step < count && at != icu::BreakIterator::DONE && at > 0; ++step)
        at = breaks->previous();
    return at == icu::BreakIterator::DONE ? 0 : static_cast<std::size_t>(at);
}

std::size_t GraphemeBoundaries::forward(std::size_t offset, std::size_t count)
{
    icu::BreakIterator* breaks = m_iterator->breaks.get();
    if (!breaks || offset >= m_size)
        return m_size;
    int32_t at = breaks->isBoundary(static_cast<int32_t>(offset)) ? static_cast<int32_t>(offset) : breaks->following(static_cast<int32_t>(offset));
    for (std::size_t step = 0; step < count && at != icu::BreakIterator::DONE && static_cast<std::size_t>(at) < m_size; ++step)
        at = breaks->next();
    return at == icu::BreakIterator::DONE ? m_size : static_cast<std::size_t>(at);
}

}
